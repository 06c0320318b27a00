// One small document holding every kind of content the plug-in converts and the scene it must
// become, written out by hand byte for byte; then lights and hair over their range of values.
#include "document_builders.h"
#include "scene_capture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

using namespace plugin_test;
using ::testing::HasSubstr;

// "shot.c4d", converted while its current time is 0.05 s:
//   Eye     camera at (1, 2, 3), field of view pi/2
//   Rig     null at (100, 0, 0), texture tag "Red", its Y keyed 0 at 0 s and 9 at 0.09 s
//     Wedge   triangle whose deform cache is the triangle "Bent"
//     Gen     generator whose cache is the triangle "Cache"
//   Panel   a quadrangle and a triangle with UVW, normal and texture ("Wood") tags, at
//           (0, 0, -5) scaled by 2
//   Lamp    point light at (0, 50, 0), 100 candela
//   Area    area light of 200 by 100 by 0, brightness 2
// Returns the rig.
BaseObject* buildShot(Document& d) {
  BaseDocument* doc = d.doc;
  doc->SetDocumentName(Filename("shot.c4d"));
  doc->SetMinTime(BaseTime(0.0));
  doc->SetMaxTime(BaseTime(1.0));

  BaseObject* eye = addObject(d, Ocamera, "Eye");
  eye->SetRelPos(Vector(1, 2, 3));
  setParam(eye, 1008, GeData(PI / 2));

  BaseObject* rig = addObject(d, Onull, "Rig");
  rig->SetRelPos(Vector(100, 0, 0));
  addTextureTag(rig, addMaterial(d, "Red", Vector(1, 0, 0)));
  addTrack(rig, ID_BASEOBJECT_REL_POSITION, 1, "Height", {{0.0, 0.0}, {0.09, 9.0}});
  // Caches belong to their object, outside the document's list.
  const auto cached = [](const char* name) {
    PolygonObject* triangle = PolygonObject::Alloc(3, 1);
    triangle->SetName(String(name));
    for (Int32 i = 0; i < 3; ++i) triangle->GetPointW()[i] = numberedPoints(3)[size_t(i)];
    triangle->GetPolygonW()[0] = CPolygon(0, 1, 2);
    return triangle;
  };
  addTriangle(d, "Wedge", rig)->SetDeformCache(cached("Bent"));
  addObject(d, Ocube, "Gen", rig)->SetCache(cached("Cache"));

  PolygonObject* panel =
      addMesh(d, "Panel", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0.5, 0}},
              {CPolygon(0, 1, 2, 3), CPolygon(1, 4, 2)});
  panel->SetRelPos(Vector(0, 0, -5));
  panel->SetRelScale(Vector(2, 2, 2));
  UVWTag* uvw = UVWTag::Alloc(2);
  UVWTag::Set(uvw->GetDataAddressW(), 0,
              UVWStruct(Vector(0, 0, 0), Vector(1, 0, 0), Vector(1, 1, 0), Vector(0, 1, 0)));
  UVWTag::Set(uvw->GetDataAddressW(), 1,
              UVWStruct(Vector(1, 0, 0), Vector(2, 0.5, 0), Vector(1, 1, 0), Vector(1, 1, 0)));
  appendTag(panel, uvw);
  NormalTag* normals = NormalTag::Alloc(2);
  NormalTag::Set(
      normals->GetDataAddressW(), 0,
      NormalStruct(Vector(0, 0, 1), Vector(0, 0.5, 0.5), Vector(-0.25, 0, 1), Vector(1, 0, 0)));
  NormalTag::Set(normals->GetDataAddressW(), 1,
                 NormalStruct(Vector(0, 1, 0), Vector(0, 0, 1), Vector(1, 0, 0), Vector(1, 0, 0)));
  appendTag(panel, normals);
  TextureTag* woodTag =
      addTextureTag(panel, addTexturedMaterial(d, "Wood", Vector(0.5, 0.25, 1.0), "wood.png"));
  setParam(woodTag, TEXTURETAG_OFFSETX, GeData(0.125));
  setParam(woodTag, TEXTURETAG_LENGTHY, GeData(2.0));
  setParam(woodTag, TEXTURETAG_TILE, GeData(Int32(0)));

  BaseObject* lamp = addObject(d, Olight, "Lamp");
  lamp->SetRelPos(Vector(0, 50, 0));
  setParam(lamp, 90000, GeData(Vector(1, 0.5, 0.25)));  // colour
  setParam(lamp, 90046, GeData(Int32(1)));              // intensity instead of brightness
  setParam(lamp, 90043, GeData(100.0));                 // intensity
  setParam(lamp, 90037, GeData(Int32(1)));              // in candela

  BaseObject* area = addObject(d, Olight, "Area");
  setParam(area, 90000, GeData(Vector(1, 1, 1)));
  setParam(area, 90001, GeData(2.0));       // brightness
  setParam(area, 90002, GeData(Int32(8)));  // area light
  setParam(area, 100010, GeData(200.0));    // size x
  setParam(area, 100011, GeData(100.0));    // size y
  setParam(area, 100012, GeData(0.0));      // size z

  doc->SetTime(BaseTime(0.05));
  doc->ExecutePasses(nullptr, true, true, true, BUILDFLAGS::NONE);
  return rig;
}

const char* const kTriangleRed = R"(geometry "triangles" {
"vertices" [ 0 0 0,1 10 100,2 20 200 ] ,
"triangles" [ 0,2,1 ] ,
}
material "Red" {
surface "zel_diffuse" {
"diffuse" 1 0 0,
}
}
}
)";

const char* const kOctahedronTriangles = R"("triangles" [ 2,1,0,1,2,5,3,2,0,
2,3,5,4,3,0,3,4,
5,1,4,0,4,1,5 ] ,
)";

// Camera nodes carry the root group's mirror themselves: the z row of the placement negated.
const std::string kShot = std::string(R"(
camera "Eye" {
projection "perspective"
fov 90
reflection map "zel_envmap" {
"texture" "startup.hdr",
"format" 3,
"radius" 25,
}
position 0 0 0
direction 0 0 1
up 0 1 0
transform 1 0 -0 0 0 1 -0 0 0 0 -1 0 1 2 -3 1
}

group "shot" {
transform 1 0 0 0 0 1 0 0 0 0 -1 0 0 0 0 1
attribute "source file" "source file"
progress "Eye" 0.000


group "Eye" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 1 2 3 1
}
progress "Eye" 0.200

progress "Rig" 0.200


group "Rig" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 100 0 0 1
progress "Wedge" 0.200


group "Wedge" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1
progress "Bent" 0.200


group "Bent" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1
object "Bent" {
)") + kTriangleRed + R"(}
progress "Bent" 0.250

}
progress "Wedge" 0.300

progress "Gen" 0.300


group "Gen" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1
progress "Cache" 0.300


group "Cache" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1
object "Cache" {
)" + kTriangleRed + R"(}
progress "Cache" 0.350

}
progress "Gen" 0.400

animation "fbx_animation" "Height" {
"start_time" 0,
"duration" 0.09,
"folder" "Rig/Position",
"matrices" [ 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 ,
1 0 0 0 0 1 0 0 0 0 1 0 0 3.3 0 1 ,
1 0 0 0 0 1 0 0 0 0 1 0 0 6.7 0 1 
] ,
"timestamps" [ 0,33,66 ] ,
}
}
progress "Panel" 0.400


group "Panel" {
flags 1
transform 2 0 0 0 0 2 0 0 0 0 2 0 0 0 -5 1
object "Panel" {
geometry "triangles" {
"vertices" [ 0 0 0,1 0 0,1 1 0,0 1 0,2 0.5 0 ] ,
"normals" [ 0 0 1,0 0.5 0.5,-0.25 0 1,1 0 0,0 1 0,0 0 1,1 0 0 ] ,
"triangles_norm" [ 0,3,1,2,1,3,4,6,5 
] ,
"uv_tex" [ 0,0,1,0,1,1,0,1,1,
0,2,0.5,1,1 ] ,
"triangles_uv" [ 0,3,1,2,1,3,4,6,5 
] ,
"triangles" [ 0,3,1,2,1,3,1,2,4 
] ,
}
material "Wood" {
surface "zel_advanced" {
"diffuse" 0.5 0.25 1,
"specular" 0 0 0,
"fresnel" on,
"roughness" 0,
"ior" 1.5,
"glossy" on,
"glossy_samples" 9,
"alpha" 1,
"diffuse" ! "texture2_rgb" {
"texture" "wood.png",
"default_color" 0 0 0,
"wrap" off,
"uv_projection" 4,
"scale_u" 1,
"scale_v" 2,
"shift_u" 0.125,
"shift_v" 0,
"uv_flags" 62,
},
}
}
}
}
progress "Panel" 0.600

progress "Lamp" 0.600


group "Lamp" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 0 50 0 1
object "Lamp" {
geometry "triangles" {
"vertices" [ 0 -1 0,1 0 0,0 0 1,-1 0 0,0 0 -1,0 1 0 ] ,
"normals" [ 0 -1 0,1 0 0,0 0 1,-1 0 0,0 0 -1,0 1 0 ] ,
)" + kOctahedronTriangles +
                          R"(}
material "Lamp" {
surface "zel_point_light" {
"power" 1256,
"color" 1 0.5 0.25,
"lumen" on,
"radius" 0,
}
}
}
}
progress "Lamp" 0.800

progress "Area" 0.800


group "Area" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1
object "Area" {
geometry "triangles" {
"vertices" [ 0 -50 0,100 0 0,0 0 0,-100 0 0,0 0 -0,0 50 0 ] ,
"normals" [ 0 -50 0,100 0 0,0 0 0,-100 0 0,0 0 -0,0 50 0 ] ,
)" + kOctahedronTriangles +
                          R"(}
material "Area" {
surface "zel_mesh_light" {
"power" 200,
"color" 1 1 1,
"lumen" off,
"visible to the eye" off,
"visible in reflections" off,
"visible in shadows" off,
}
}
}
}
progress "Area" 1.000

}
)";

// The conversion sees the document at its first frame and leaves it at its own time again.
TEST(DocumentScene, EveryKindOfContentAsTheRendererReadsIt) {
  Document d;
  BaseObject* rig = buildShot(d);
  Capture capture;
  capture.loader.load(d.doc);
  EXPECT_EQ(capture.text(), kShot);
  EXPECT_TRUE(d.doc->GetTime() == BaseTime(0.05));
  EXPECT_DOUBLE_EQ(rig->GetRelPos().y, 5.0);
}

// Power is the brightness in percent or the intensity (candela times 4 pi), truncated;
// values beyond the integer range saturate and NaN gives no power at all.
TEST(Lights, Power) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double value;
    bool intensity;
    Int32 unit;  // 1: candela
    const char* power;
  } cases[] = {
      {1.0, false, 0, "100"},         {0.005, false, 0, "0"},           {0.019, false, 0, "1"},
      {-0.019, false, 0, "-1"},       {100.0, true, 1, "1256"},         {100.0, true, 0, "100"},
      {1e30, false, 0, "2147483647"}, {-1e30, false, 0, "-2147483648"}, {nan, false, 0, "0"},
      {inf, true, 1, "2147483647"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.value << " intensity " << c.intensity);
    Document d;
    BaseObject* light = addObject(d, Olight, "Lamp");
    setParam(light, 90000, GeData(Vector(1.0, 0.5, 0.25)));
    setParam(light, c.intensity ? 90043 : 90001, GeData(c.value));
    setParam(light, 90046, GeData(Int32(c.intensity)));
    setParam(light, 90037, GeData(c.unit));
    Capture capture;
    capture.loader.writeLight("Lamp", light);
    EXPECT_THAT(capture.text(), HasSubstr("\"power\" " + std::string(c.power) +
                                          ",\n\"color\" 1 0.5 0.25,\n\"lumen\" " +
                                          (c.intensity ? "on" : "off") + ",\n"));
  }
}

std::string writeHair(HairObject* hair, const std::vector<BaseTag*>& tags = {nullptr}) {
  Capture capture;
  capture.loader.writeHairObject(hair, tags, 0.5f);
  EXPECT_FALSE(hair->IsLocked());
  return capture.text();
}

// The numbers of the array `name` of the one curves geometry in `text`.
std::vector<double> curvesArray(const std::string& text, const char* name) {
  const svb::Scene scene = svb::parse(text);
  const std::vector<const svb::Node*> geometry = nodesOf(scene, svb::NodeKind::Geometry);
  EXPECT_EQ(geometry.size(), 1u) << text;
  return geometry.empty() ? std::vector<double>() : valueOf(*geometry[0], name).array().numbers;
}

// Without points each strand still has its count and root; without strands nothing is written.
TEST(Hair, StrandsWithoutPointsAndHairWithoutStrands) {
  Document d;
  const std::string empty = writeHair(addHair(d, "Fur", 2, 0));
  EXPECT_TRUE(curvesArray(empty, "p").empty());
  EXPECT_TRUE(curvesArray(empty, "pr").empty());
  EXPECT_EQ(curvesArray(empty, "nvertices"), (std::vector<double>{0, 0}));
  EXPECT_EQ(curvesArray(empty, "curve_uv"), (std::vector<double>{0, 0.5, 0.25, 0.5}));
  EXPECT_EQ(writeHair(append(d, HairObject::Alloc(), "Bald")), "");
}

// A hair material tag `name` whose material has the given thicknesses and a root colour
// shader of `shaderColor`, under a gradient starting with `gradientColor` when given.
BaseTag* hairTag(Document& d, const char* name, double root, double tip, Vector shaderColor,
                 std::initializer_list<Vector> gradientColor = {}) {
  BaseMaterial* mat = BaseMaterial::Alloc(Mhair);
  setParam(mat, HAIRMATERIAL_THICKNESS_ROOT, GeData(root));
  setParam(mat, HAIRMATERIAL_THICKNESS_TIP, GeData(tip));
  setParam(mat, HAIRMATERIAL_COLOR_HAIR_ROOTS_SHADER,
           GeData(static_cast<BaseList2D*>(addColorShader(mat, shaderColor))));
  if (gradientColor.size()) setGradient(mat, HAIRMATERIAL_COLOR_GRADIENT, gradientColor);
  d.doc->InsertMaterial(mat);
  BaseTag* tag = BaseTag::Alloc(Thairmaterial);
  tag->SetName(String(name));
  setParam(tag, 1000, GeData(static_cast<BaseList2D*>(mat)));
  return tag;
}

// The tag's material (else the defaults, 0.5 to 0.1 in display colour) gives the radii from
// root to tip thickness and the colour: its gradient's first knot over its shader. Of inherited
// tags the outermost ancestor's decides; the curve radius and order never change.
TEST(Hair, MaterialTagsGiveRadiiNameAndColour) {
  Document d;
  BaseTag* thick = hairTag(d, "Thick", 3.0, 2.0, Vector(1, 0, 0));
  BaseTag* blond = hairTag(d, "Blond", 1.0, 0.5, Vector(1, 0, 0), {Vector(0, 0.5, 1)});
  BaseTag* parent = hairTag(d, "Parent", 2.0, 1.0, Vector(0, 1, 0));
  BaseTag* own = hairTag(d, "Own", 4.0, 3.0, Vector(0, 0, 1), {Vector(1, 1, 0)});
  const struct {
    std::vector<BaseTag*> tags;
    std::vector<double> radii;
    std::string name, diffuse;
  } cases[] = {{{nullptr}, {0.5, 0.1}, "Display color", "0.65 0.65 0.65"},
               {{nullptr, thick}, {3, 2}, "Thick", "1 0 0"},
               {{nullptr, blond}, {1, 0.5}, "Blond", "0 0.5 1"},
               {{nullptr, parent, own}, {2, 1}, "Parent", "0 1 0"}};
  for (const auto& c : cases) {
    HairObject* hair = addHair(d, "Fur", 1, 1);
    hair->SetRelPos(Vector(0, 10, 0));  // the points stay in the object's own space
    const std::string text = writeHair(hair, c.tags);
    EXPECT_EQ(curvesArray(text, "p"), (std::vector<double>{0, 0, 0, 0, 1, 0.5}));
    EXPECT_EQ(curvesArray(text, "nvertices"), std::vector<double>{2});
    EXPECT_EQ(curvesArray(text, "pr"), c.radii);
    EXPECT_THAT(text, HasSubstr("\"radius\" 0.5,\n\"order\" 2,\n"));
    EXPECT_THAT(text, HasSubstr("material \"" + c.name +
                                "\" {\nsurface \"zel_diffuse\" {\n\"diffuse\" " + c.diffuse + ","));
  }
  for (BaseTag* tag : {thick, blond, parent, own}) BaseTag::Free(tag);
}

}  // namespace
