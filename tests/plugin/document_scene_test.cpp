// One small document holding every kind of content the plug-in converts and the scene it must
// become, byte for byte; then lights, hair and animation over their range of values.
#include "document_builders.h"
#include "scene_capture.h"

#include "c4dhost_runtime.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace plugin_test;
using ::testing::HasSubstr;

// "shot.c4d", converted while its current time is 0.05 s:
//   Eye     camera at (1, 2, 3), field of view pi/2
//   Rig     null at (100, 0, 0), texture tag "Red", its Y keyed 0 at 0 s and 9 at 0.09 s
//     Wedge   triangle whose deform cache is the triangle "Bent"
//   Panel   a quadrangle and a triangle with UVW, normal and texture ("Wood") tags, at
//           (0, 0, -5) scaled by 2
//   Area    area light of 200 by 100 by 0, brightness 2
BaseObject* buildShot(Document& d) {  // returns the rig
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
  addTriangle(d, "Wedge", rig)
      ->SetDeformCache(newMesh("Bent", numberedPoints(3), {CPolygon(0, 1, 2)}));

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

// Camera nodes carry the root group's mirror themselves: the z row of the placement negated.
const char* const kShot = R"(
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
progress "Eye" 0.250

progress "Rig" 0.250


group "Rig" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 100 0 0 1
progress "Wedge" 0.250


group "Wedge" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1
progress "Bent" 0.250


group "Bent" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1
object "Bent" {
geometry "triangles" {
"vertices" [ 0 0 0,1 10 100,2 20 200 ] ,
"triangles" [ 0,2,1 ] ,
}
material "Red" {
surface "zel_diffuse" {
"diffuse" 1 0 0,
}
}
}
}
progress "Bent" 0.375

}
progress "Wedge" 0.500

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
progress "Panel" 0.500


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
progress "Panel" 0.750

progress "Area" 0.750


group "Area" {
flags 1
transform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1
object "Area" {
geometry "triangles" {
"vertices" [ 0 -50 0,100 0 0,0 0 0,-100 0 0,0 0 -0,0 50 0 ] ,
"normals" [ 0 -50 0,100 0 0,0 0 0,-100 0 0,0 0 -0,0 50 0 ] ,
"triangles" [ 2,1,0,1,2,5,3,2,0,
2,3,5,4,3,0,3,4,
5,1,4,0,4,1,5 ] ,
}
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

// A point light is a unit octahedron whose power is the brightness in percent or the intensity
// (candela times 4 pi), truncated; beyond the integer range it saturates, NaN gives none.
TEST(Lights, Power) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = HUGE_VAL;
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
    EXPECT_THAT(capture.text(),
                HasSubstr("\"vertices\" [ 0 -1 0,1 0 0,0 0 1,-1 0 0,0 0 -1,0 1 0 ] ,"));
    EXPECT_THAT(capture.text(),
                HasSubstr("surface \"zel_point_light\" {\n\"power\" " + std::string(c.power) +
                          ",\n\"color\" 1 0.5 0.25,\n\"lumen\" " + (c.intensity ? "on" : "off") +
                          ",\n\"radius\" 0,\n}"));
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

// A hair material tag whose material has these thicknesses, root colour shader and gradient.
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

// Strands without points keep count and root; no strands, nothing written. The tag's material
// (else 0.5 to 0.1 in display colour) gives radii from root to tip and the colour (gradient over
// shader); of inherited tags the outermost decides; curve radius and order never change.
TEST(Hair, CurvesWithTheirRadiiAndMaterial) {
  Document d;
  const std::string empty = writeHair(addHair(d, "Fur", 2, 0));
  EXPECT_TRUE(curvesArray(empty, "p").empty());
  EXPECT_TRUE(curvesArray(empty, "pr").empty());
  EXPECT_EQ(curvesArray(empty, "nvertices"), (std::vector<double>{0, 0}));
  EXPECT_EQ(curvesArray(empty, "curve_uv"), (std::vector<double>{0, 0.5, 0.25, 0.5}));
  EXPECT_EQ(writeHair(append(d, HairObject::Alloc(), "Bald")), "");

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

// Keyframed tracks become matrices sampled 30 times a second, each the change since the first
// key seen from the scene's frame, read back from their text form (six digits).
struct Block {
  std::string track;
  std::string folder;
  double startTime = 0.0;
  double duration = 0.0;
  std::vector<double> matrices;  // sixteen numbers a sample
  std::vector<double> timestamps;
  const double* matrix(size_t sample) const { return &matrices.at(16 * sample); }
};

// The blocks of the object's tracks as the traversal writes them. Frees the object.
std::vector<Block> blocksOf(BaseObject* op, bool camera = false) {
  Capture capture;
  capture.loader.writeAnimation("Obj", op, op->GetRelPos(), op->GetRelRot(), op->GetRotationOrder(),
                                op->GetRelScale(), camera);
  BaseObject::Free(op);
  const svb::Scene scene = capture.scene();
  std::vector<Block> out;
  for (const svb::Node* n : nodesOf(scene, svb::NodeKind::Animation)) {
    Block b;
    b.track = n->names.at(1);
    b.folder = valueOf(*n, "folder").text;
    b.startTime = valueOf(*n, "start_time").number();
    b.duration = valueOf(*n, "duration").number();
    b.matrices = valueOf(*n, "matrices").array().numbers;
    b.timestamps = valueOf(*n, "timestamps").array().numbers;
    EXPECT_EQ(b.matrices.size(), 16 * b.timestamps.size()) << b.track;
    out.push_back(b);
  }
  return out;
}

// Samples every 1/30 s from the first key to just before the last, timestamps in whole
// milliseconds; where a step no longer moves a float time, one sample, start time saturated.
TEST(AnimationSampling, CountsAndTimestamps) {
  const struct {
    double t0, t1;
    size_t count;
    double startTime;
    double duration;  // 0: not checked
    std::vector<double> head;
    double last;
  } cases[] = {
      {0.0, 1.0, 30, 0, 1, {0, 33, 66, 100, 133, 166}, 966},
      {0.0, 2.0, 61, 0, 2, {0, 33, 66}, 1999},
      {1.5, 3.0, 46, 1, 1.5, {0, 33, 66, 99}, 1499},
      {3e9, 4e9, 1, 2147483647, 0, {0}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "keys at " << c.t0 << " and " << c.t1);
    BaseObject* op = BaseObject::Alloc(Onull);
    addTrack(op, ID_BASEOBJECT_REL_POSITION, 0, "X", {{c.t0, 0.0}, {c.t1, 1.0}});
    const std::vector<Block> all = blocksOf(op);
    ASSERT_EQ(all.size(), 1u);
    const Block& b = all[0];
    EXPECT_EQ(b.track + " " + b.folder, "X Obj/Position");
    EXPECT_EQ(b.startTime, c.startTime);
    if (c.duration != 0) {
      EXPECT_EQ(b.duration, c.duration);
    }
    ASSERT_EQ(b.timestamps.size(), c.count);
    EXPECT_EQ(std::vector<double>(b.timestamps.begin(), b.timestamps.begin() + long(c.head.size())),
              c.head);
    EXPECT_EQ(b.timestamps.back(), c.last);
  }
}

// Tracks that do not qualify write nothing, one too long is reported; the blocks of the three
// rotation tracks come in the reverse of the rotation order.
TEST(AnimationSampling, WhichTracksAreWrittenInWhatOrder) {
  const struct {
    ROTATIONORDER order;
    std::vector<std::string> tracks;
  } cases[] = {{ROTATIONORDER::ZYXGLOBAL, {"R2", "R1", "R0"}},
               {ROTATIONORDER::YXZGLOBAL, {"R1", "R0", "R2"}},
               {ROTATIONORDER::XZYGLOBAL, {"R0", "R2", "R1"}}};
  for (const auto& c : cases) {
    BaseObject* op = BaseObject::Alloc(Onull);
    op->SetRotationOrder(c.order);
    addTrack(op, ID_BASEOBJECT_REL_POSITION, 0, "one key", {{0.0, 1.0}});
    addTrack(op, ID_BASEOBJECT_REL_POSITION, 1, "no keys", {});
    addTrack(op, ID_BASEOBJECT_REL_SCALE, 0, "same time", {{0.5, 1.0}});
    CTrack* off =
        addTrack(op, ID_BASEOBJECT_REL_SCALE, 2, "switched off", {{0.0, 0.0}, {1.0, 1.0}});
    ASSERT_TRUE(
        off->SetParameter(DescID(ID_CTRACK_ANIMOFF), GeData(Int32(0)), DESCFLAGS_SET::NONE));
    // Not a transform channel (the visibility parameter), and a fourth component.
    addTrack(op, ID_BASEOBJECT_VISIBILITY_EDITOR, 0, "other channel", {{0.0, 0.0}, {1.0, 1.0}});
    addTrack(op, ID_BASEOBJECT_REL_ROTATION, 3, "fourth", {{0.0, 0.0}, {1.0, 1.0}});
    addTrack(op, ID_BASEOBJECT_REL_SCALE, 1, "long", {{0.0, 1.0}, {1e6, 2.0}});
    for (const char* r : {"R0", "R1", "R2"})
      addTrack(op, ID_BASEOBJECT_REL_ROTATION, r[1] - '0', r, {{0.0, 0.0}, {0.1, 1.0}});
    c4dhost::ClearMessages();
    std::vector<std::string> tracks;
    for (const Block& b : blocksOf(op)) tracks.push_back(b.track);
    EXPECT_EQ(tracks, c.tracks);
    ASSERT_EQ(c4dhost::Messages().size(), 1u);
  }
  // About 30 samples a second until a float time stops moving by 1/30 s, near 2^20 s.
  const std::string& warning = c4dhost::Messages()[0].text;
  EXPECT_THAT(warning, testing::StartsWith("Warning: the Scale track \"long\" of \"Obj\" (keys "
                                           "from 0 s to 1e+06 s) would need 2"));
  EXPECT_THAT(warning,
              testing::EndsWith(" samples; tracks of more than 1048576 samples are left out."));
}

// Column-vector 4x4 matrices, independent of the SDK's matrix code.
struct M4 {
  double a[4][4];
};

M4 scale(double x, double y, double z) {
  return M4{{{x, 0, 0, 0}, {0, y, 0, 0}, {0, 0, z, 0}, {0, 0, 0, 1}}};
}
M4 move(double x, double y, double z) {
  return M4{{{1, 0, 0, x}, {0, 1, 0, y}, {0, 0, 1, z}, {0, 0, 0, 1}}};
}
M4 identity() { return scale(1, 1, 1); }
M4 operator*(const M4& x, const M4& y) {
  M4 m{};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      for (int k = 0; k < 4; ++k) m.a[r][c] += x.a[r][k] * y.a[k][c];
  return m;
}
// The host's axis rotations: about x, p' = (x, y cos w + z sin w, -y sin w + z cos w),
// and likewise about y (p' = (x cos w - z sin w, y, x sin w + z cos w)) and z.
M4 rot(int axis, double w) {
  const int i = axis == 0 ? 1 : axis == 1 ? 2 : 0;
  const int j = axis == 0 ? 2 : axis == 1 ? 0 : 1;
  M4 m = identity();
  m.a[i][i] = m.a[j][j] = std::cos(w);
  m.a[i][j] = std::sin(w);
  m.a[j][i] = -std::sin(w);
  return m;
}
M4 rotX(double w) { return rot(0, w); }
M4 rotY(double w) { return rot(1, w); }
M4 rotZ(double w) { return rot(2, w); }

// Column-major, translation in elements 12 to 14; within what six digits keep.
void expectMatrix(const double* got, const M4& want, const std::string& what) {
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r)
      EXPECT_NEAR(got[c * 4 + r], want.a[r][c], 1e-5 * std::max(1.0, std::fabs(want.a[r][c])))
          << what << " column " << c << " row " << r;
}

// Rest transform of the animated objects below, in HPB order.
const double kH = 0.3, kP = -0.2, kB = 0.5;
const double kSx = 2.0, kSy = 3.0, kSz = 4.0;
const double kPx = 10.0, kPy = -1.0, kPz = 5.0;

// Tracks from 0.2 at 0 s to 1.0 at 1 s (scale 1 to 3); sample 15 lies at 0.5 s.
std::map<std::string, Block> animate(bool camera) {
  BaseObject* op = BaseObject::Alloc(Onull);
  op->SetRotationOrder(ROTATIONORDER::HPB);
  op->SetRelPos(Vector(kPx, kPy, kPz));
  op->SetRelRot(Vector(kH, kP, kB));
  op->SetRelScale(Vector(kSx, kSy, kSz));
  addTrack(op, ID_BASEOBJECT_REL_ROTATION, 0, "H", {{0.0, 0.2}, {1.0, 1.0}});
  addTrack(op, ID_BASEOBJECT_REL_ROTATION, 1, "P", {{0.0, 0.2}, {1.0, 1.0}});
  addTrack(op, ID_BASEOBJECT_REL_ROTATION, 2, "B", {{0.0, 0.2}, {1.0, 1.0}});
  addTrack(op, ID_BASEOBJECT_REL_SCALE, 1, "SY", {{0.0, 1.0}, {1.0, 3.0}});
  addTrack(op, ID_BASEOBJECT_REL_POSITION, 0, "PX", {{0.0, 0.2}, {1.0, 1.0}});
  std::map<std::string, Block> byTrack;
  for (const Block& b : blocksOf(op, camera)) byTrack[b.track] = b;
  EXPECT_EQ(byTrack.size(), 5u);
  return byTrack;
}

// The first sample is the identity; later object samples are conjugated with the rest transform,
// camera samples the other way round and mirrored. HPB applies bank (z), pitch (x), heading (y).
TEST(AnimationMatrices, SamplesAreConjugatedWithTheRestTransform) {
  const double d = double(0.6f) - double(0.2f);  // the change at 0.5 s, in floats
  const M4 mirror = scale(1, 1, -1);
  const M4 S = scale(kSx, kSy, kSz), iS = scale(1 / kSx, 1 / kSy, 1 / kSz);
  const M4 P = move(kPx, kPy, kPz), iP = move(-kPx, -kPy, -kPz);
  const M4 Rh = rotY(kH), Rp = rotX(kP), Rb = rotZ(kB);
  const M4 iRh = rotY(-kH), iRp = rotX(-kP), iRb = rotZ(-kB);
  const M4 R = Rh * Rp * Rb, iR = iRb * iRp * iRh;

  const std::map<std::string, Block> all = animate(false);
  for (const auto& [track, b] : all) expectMatrix(b.matrix(0), identity(), track + " first");
  expectMatrix(all.at("H").matrix(15), iRb * iRp * iRh * iS * rotY(d) * S * Rh * Rp * Rb, "H");
  expectMatrix(all.at("P").matrix(15), iRb * iRp * iS * rotX(d) * S * Rp * Rb, "P");
  expectMatrix(all.at("B").matrix(15), iRb * iS * rotZ(d) * S * Rb, "B");
  expectMatrix(all.at("SY").matrix(15), iS * scale(1, 2, 1) * S, "SY");
  expectMatrix(all.at("PX").matrix(15), iP * iR * iS * move(d, 0, 0) * S * R * P, "PX");

  const std::map<std::string, Block> cam = animate(true);
  for (const auto& [track, b] : cam) expectMatrix(b.matrix(0), identity(), "camera " + track);
  EXPECT_EQ(cam.at("H").folder, "Obj/Camera Rotation");
  EXPECT_EQ(cam.at("SY").folder, "Obj/Camera Scale");
  EXPECT_EQ(cam.at("PX").folder, "Obj/Camera Position");
  expectMatrix(cam.at("H").matrix(15), mirror * P * Rh * rotY(d) * iRh * iP * mirror, "camera H");
  expectMatrix(cam.at("P").matrix(15), mirror * P * Rh * Rp * rotX(d) * iRp * iRh * iP * mirror,
               "camera P");
  expectMatrix(cam.at("B").matrix(15),
               mirror * P * Rh * Rp * Rb * rotZ(d) * iRb * iRp * iRh * iP * mirror, "camera B");
  expectMatrix(cam.at("SY").matrix(15), mirror * P * R * S * scale(1, 2, 1) * iS * iR * iP * mirror,
               "camera SY");
  expectMatrix(cam.at("PX").matrix(15), mirror * P * move(d, 0, 0) * iP * mirror, "camera PX");
}

}  // namespace
