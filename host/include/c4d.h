#ifndef C4D_H
#define C4D_H

// The host SDK as the plug-in sees it.

#include "c4d_basebitmap.h"
#include "c4d_basechannel.h"
#include "c4d_basecontainer.h"
#include "c4d_basedocument.h"
#include "c4d_baselist.h"
#include "c4d_basematerial.h"
#include "c4d_baseobject.h"
#include "c4d_baseselect.h"
#include "c4d_basetag.h"
#include "c4d_basetime.h"
#include "c4d_canimation.h"
#include "c4d_commanddata.h"
#include "c4d_customdatatype.h"
#include "c4d_file.h"
#include "c4d_gedata.h"
#include "c4d_general.h"
#include "c4d_memory.h"
#include "c4d_plugin.h"
#include "c4d_string.h"
#include "c4d_tools.h"
#include "customgui_gradient.h"
#include "ge_prepass.h"
#include "lib_hair.h"
#include "maxon/matrix.h"
#include "maxon/vec.h"

#endif
