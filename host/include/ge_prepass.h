#pragma once

// Basic types, type ids, parameter ids and enumerations of the host SDK.
// Only what the plug-in and the stand-in host use is declared.

#include "maxon/matrix.h"
#include "maxon/vec.h"

#include <cstdint>

using Bool = bool;
using Char = char;
using UChar = unsigned char;
using Int16 = int16_t;
using UInt16 = uint16_t;
using Int32 = int32_t;
using UInt32 = uint32_t;
using Int64 = int64_t;
using UInt64 = uint64_t;
using Int = maxon::Int;
using Float = double;
using Float32 = float;
using Float64 = double;

using Vector = maxon::Vec3<Float64>;
using Vector32 = maxon::Vec3<Float32>;
using Vector64 = maxon::Vec3<Float64>;
using Matrix = maxon::Mat3<Vector64>;
using Matrix32 = maxon::Mat3<Vector32>;
using Matrix64 = maxon::Mat3<Vector64>;

constexpr Int32 NOTOK = -1;
constexpr Int32 LIMIT_MAXINT32 = 2147483647;

// Object types.
#define Opolygon 5100
#define Ospline 5101
#define Olight 5102
#define Ocamera 5103
#define Ofloor 5104
#define Osky 5105
#define Oenvironment 5106
#define Oloft 5107
#define Oparticle 5109
#define Oextrude 5116
#define Olathe 5117
#define Osweep 5118
#define Oforeground 5121
#define Obackground 5122
#define Oinstance 5126
#define Onull 5140
#define Osymmetry 5142
#define Oarray 5150
#define Ocube 5159
#define Osphere 5160
#define Oplane 5168
#define Osds 1007455
#define Oboole 1010865
#define Oconnector 1011010
#define Ojoint 1019362
#define Oskin 1019363
#define Oxref 1025766
#define Olayer 100004801

// Tag types.
#define Tpoint 5600
#define Tpolygon 5604
#define Tphong 5612
#define Tdisplay 5613
#define Ttexture 5616
#define Ttangent 5617
#define Tcompositing 5637
#define Tuvw 5671
#define Tpolygonselection 5673
#define Tpointselection 5674
#define Tvertexmap 5682
#define Tedgeselection 5701
#define Tnormal 5711
#define Tcorner 5712
#define Tsds 1007579
#define Tvertexcolor 431000045

// Materials and shaders.
#define Mbase 5702
#define Mmaterial 5703
#define Mfog 8803
#define Xbase 5707
#define Xcolor 5832
#define Xbitmap 5833
#define Xgradient 1011100
#define Xfusion 1011109
#define Xlayer 1011123

// Plug-in entry actions and results.
#define C4DPL_INIT_SYS 1
#define C4DPL_INIT 2
#define C4DPL_END 3
#define C4DPL_INIT_VERSION 4
#define C4DPL_MESSAGE 6
#define C4DPL_VERSION 5
#define C4DPL_ERROR -1
#define C4DPL_ERROR_VERSION -3
// Messages to PluginMessage.
#define C4DMSG_PRIORITY 0
#define C4DPL_STARTACTIVITY 1000
#define C4DPL_ENDACTIVITY 1001
#define C4DPL_COMMANDLINEARGS 1002
#define C4DPL_ENDPROGRAM 1001084
#define C4DPL_BUILDMENU 1001188

// Command states.
#define CMD_ENABLED (1 << 30)
#define CMD_VALUE 0x3FFFFFFF

// Editor/render modes (GetEditorMode, GetRenderMode).
#define MODE_ON 0
#define MODE_OFF 1
#define MODE_UNDEF 2

// Bits of BaseList2D::GetBit.
#define BIT_ACTIVE (1 << 1)

// Selection modes of BaseDocument::SetSelection / SetActiveObject.
#define SELECTION_NEW 0
#define SELECTION_ADD 1
#define SELECTION_SUB 2

// Material channels (Material::GetChannelState).
#define CHANNEL_COLOR 0
#define CHANNEL_LUMINANCE 1
#define CHANNEL_TRANSPARENCY 2
#define CHANNEL_REFLECTION 3
#define CHANNEL_ENVIRONMENT 4
#define CHANNEL_FOG 5
#define CHANNEL_BUMP 6
#define CHANNEL_ALPHA 7
#define CHANNEL_SPECULAR 8
#define CHANNEL_SPECULARCOLOR 9
#define CHANNEL_GLOW 10
#define CHANNEL_DISPLACEMENT 11
#define CHANNEL_DIFFUSION 12
#define CHANNEL_NORMAL 13

// GeData value kinds.
#define DA_NIL 0
#define DA_VOID 14
#define DA_LONG 15
#define DA_REAL 19
#define DA_TIME 22
#define DA_VECTOR 23
#define DA_MATRIX 25
#define DA_LLONG 26
#define DA_BYTEARRAY 128
#define DA_STRING 130
#define DA_FILENAME 131
#define DA_CONTAINER 132
#define DA_ALIASLINK 133
#define DA_MARKER 256
#define DA_MISSINGPLUG 257
#define DA_UUID 258
#define DA_TRISTATE 259
#define DA_CUSTOMDATATYPE 1000000

// Description data types (DescLevel::dtype).
#define DTYPE_NONE 0
#define DTYPE_COLOR 3
#define DTYPE_LONG 15
#define DTYPE_REAL 19
#define DTYPE_TIME 22
#define DTYPE_VECTOR 23
#define DTYPE_MATRIX 25
#define DTYPE_STRING 130
#define DTYPE_FILENAME 131
#define DTYPE_BASELISTLINK 133
#define DTYPE_BOOL 400006001
#define VECTOR_X 1000
#define VECTOR_Y 1001
#define VECTOR_Z 1002

#define CUSTOMDATATYPE_GRADIENT 1000481

// Common parameters (BaseList2D, BaseObject).
#define ID_LAYER_LINK 898
#define ID_BASELIST_NAME 900
#define ID_BASEOBJECT_VISIBILITY_EDITOR 901
#define ID_BASEOBJECT_VISIBILITY_RENDER 902
#define ID_BASEOBJECT_REL_POSITION 903
#define ID_BASEOBJECT_REL_ROTATION 904
#define ID_BASEOBJECT_REL_SCALE 905
#define ID_BASEOBJECT_GENERATOR_FLAG 906
#define ID_BASEOBJECT_USECOLOR 907
#define ID_BASEOBJECT_COLOR 908
#define ID_BASEOBJECT_XRAY 909
#define ID_BASEOBJECT_GLOBAL_POSITION 910
#define ID_BASEOBJECT_GLOBAL_ROTATION 911
#define ID_BASEOBJECT_FROZEN_POSITION 917
#define ID_BASEOBJECT_FROZEN_ROTATION 918
#define ID_BASEOBJECT_FROZEN_SCALE 919
#define ID_BASEOBJECT_ABS_POSITION 925
#define ID_BASEOBJECT_ABS_ROTATION 926
#define ID_BASEOBJECT_ABS_SCALE 927
#define ID_BASEOBJECT_ROTATION_ORDER 928
#define OBJECT_ON 0
#define OBJECT_OFF 1
#define OBJECT_UNDEF 2
#define ID_BASEOBJECT_USECOLOR_OFF 0
#define ID_BASEOBJECT_USECOLOR_AUTOMATIC 1
#define ID_BASEOBJECT_USECOLOR_ALWAYS 2
#define ID_BASEOBJECT_USECOLOR_LAYER 3

// Layer parameters.
#define ID_LAYER_SOLO 1000
#define ID_LAYER_VIEW 1001
#define ID_LAYER_RENDER 1002
#define ID_LAYER_MANAGER 1003
#define ID_LAYER_LOCKED 1004
#define ID_LAYER_GENERATORS 1005
#define ID_LAYER_DEFORMERS 1006
#define ID_LAYER_EXPRESSIONS 1007
#define ID_LAYER_ANIMATION 1008
#define ID_LAYER_COLOR 1009
#define ID_LAYER_XREF 1010

// Texture tag parameters.
#define TEXTURETAG_OFFSETX 1000
#define TEXTURETAG_OFFSETY 1001
#define TEXTURETAG_LENGTHX 1002
#define TEXTURETAG_LENGTHY 1003
#define TEXTURETAG_PROJECTION 1004
#define TEXTURETAG_PROJECTION_SPHERICAL 0
#define TEXTURETAG_PROJECTION_CYLINDRICAL 1
#define TEXTURETAG_PROJECTION_FLAT 2
#define TEXTURETAG_PROJECTION_CUBIC 3
#define TEXTURETAG_PROJECTION_FRONTAL 4
#define TEXTURETAG_PROJECTION_SPATIAL 5
#define TEXTURETAG_PROJECTION_UVW 6
#define TEXTURETAG_PROJECTION_SHRINKWRAP 7
#define TEXTURETAG_PROJECTION_CAMERAMAP 8
#define TEXTURETAG_SIDE 1005
#define TEXTURETAG_RESTRICTION 1006
#define TEXTURETAG_TILE 1007
#define TEXTURETAG_SEAMLESS 1008
#define TEXTURETAG_MIX 1009
#define TEXTURETAG_MATERIAL 1010
#define TEXTURETAG_POSITION 1011
#define TEXTURETAG_SIZE 1012
#define TEXTURETAG_ROTATION 1013

// Phong tag parameters.
#define PHONGTAG_PHONG_ANGLELIMIT 1001
#define PHONGTAG_PHONG_ANGLE 1002
#define PHONGTAG_PHONG_USEEDGES 1003

// Shader and material parameters.
#define COLORSHADER_COLOR 1000
#define COLORSHADER_BRIGHTNESS 1001
#define BITMAPSHADER_FILENAME 1000
#define MATERIAL_USE_COLOR 2000
#define MATERIAL_COLOR_COLOR 2100
#define MATERIAL_COLOR_BRIGHTNESS 2101
#define MATERIAL_COLOR_SHADER 8000

// Animation track parameters.
#define ID_CTRACK_ANIMOFF 904

// Classic rotation orders (the numbers stored in documents).
enum class ROTATIONORDER : Int32 {
  YXZGLOBAL = 0,
  YZXGLOBAL = 1,
  ZYXGLOBAL = 2,
  ZXYGLOBAL = 3,
  XZYGLOBAL = 4,
  XYZGLOBAL = 5,
  HPB = 6,
  ZXYLOCAL = 0,
  XZYLOCAL = 1,
  XYZLOCAL = 2,
  YXZLOCAL = 3,
  YZXLOCAL = 4,
  ZYXLOCAL = 5,
  DEFAULT = 6
};

enum class STRINGENCODING : Int32 { XBIT = 0, UTF8 = 4 };

enum class DESCFLAGS_GET : Int32 { NONE = 0 };

enum class DESCFLAGS_SET : Int32 { NONE = 0 };

enum class BUILDFLAGS : Int32 {
  NONE = 0,
  INTERNALRENDERER = 2,
  EXTERNALRENDERER = 4,
  ISOPARM = 8,
  EXPORTONLY = 16
};

enum class GETACTIVEOBJECTFLAGS : Int32 { NONE = 0, CHILDREN = 1, SELECTIONORDER = 2 };

enum class FILESELECTTYPE : Int32 { ANYTHING = 0, IMAGES = 1, SCENES = 2, BODYPAINT = 3 };

enum class FILESELECT : Int32 { LOAD = 0, SAVE = 1, DIRECTORY = 2 };

enum class CCURVE : Int32 { CURVE = 1 };

enum class CINTERPOLATION : Int32 { SPLINE = 1, LINEAR = 2, STEP = 3 };

enum class CTRACKCATEGORY : Int32 { VALUE = 1, DATA = 2, PLUGIN = 3 };

class BaseThread;
