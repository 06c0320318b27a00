// Cameras become camera nodes placed in the mirrored frame; lights become small
// emitting meshes.
#include "content_capture.h"
#include "documents.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using solvane_test::LoaderHarness;

namespace {

void setParam(BaseList2D* node, Int32 id, const GeData& value) {
  ASSERT_TRUE(node->SetParameter(DescID(id), value, DESCFLAGS_SET::NONE)) << "parameter " << id;
}

BaseObject* makeObject(Int32 type, const char* name) {
  BaseObject* op = BaseObject::Alloc(type);
  op->SetName(String(name));
  return op;
}

// Cameras ---------------------------------------------------------------

// Null "Rig" holding camera "Outer" with camera "Inner" below it, then a
// sibling camera "Side"; a polygon object in between is no camera.
TEST(Cameras, CollectedDepthFirstWithAncestorsBeforeDescendants) {
  BaseObject* rig = makeObject(Onull, "Rig");
  BaseObject* outer = makeObject(Ocamera, "Outer");
  BaseObject* inner = makeObject(Ocamera, "Inner");
  BaseObject* mesh = makeObject(Opolygon, "Mesh");
  BaseObject* side = makeObject(Ocamera, "Side");
  outer->InsertUnder(rig);
  inner->InsertUnder(outer);
  mesh->InsertAfter(outer);
  side->InsertUnderLast(rig);
  // A hidden camera is collected all the same.
  side->SetEditorMode(MODE_OFF);
  side->SetRenderMode(MODE_OFF);

  LoaderHarness h;
  std::vector<BaseObject*> cameras;
  h.loader.getCameras(rig, cameras);
  ASSERT_EQ(cameras.size(), 3u);
  EXPECT_EQ(cameras[0], outer);
  EXPECT_EQ(cameras[1], inner);
  EXPECT_EQ(cameras[2], side);
  BaseObject::Free(rig);
}

TEST(Cameras, NodeCarriesDegreesAndMirroredPlacement) {
  BaseObject* cam = makeObject(Ocamera, "Main");
  cam->SetAbsPos(Vector(1.0, 2.0, 3.0));
  setParam(cam, 1008, GeData(PI / 2.0));

  LoaderHarness h;
  h.loader.writeCamera(cam);
  auto& api = h.api();
  ASSERT_FALSE(api.calls.empty());
  EXPECT_EQ(api.calls.front(), "camera_begin \"Main\"");
  EXPECT_EQ(api.with_prefix("set_parameter \"fov\""),
            std::vector<std::string>{"set_parameter \"fov\" float 90"});
  EXPECT_EQ(api.with_prefix("set_parameter \"projection\""),
            std::vector<std::string>{"set_parameter \"projection\" string \"perspective\""});
  EXPECT_EQ(api.with_prefix("set_parameter \"position\""),
            std::vector<std::string>{"set_parameter \"position\" vector 0 0 0"});
  EXPECT_EQ(api.with_prefix("set_parameter \"direction\""),
            std::vector<std::string>{"set_parameter \"direction\" vector 0 0 1"});
  EXPECT_EQ(api.with_prefix("set_parameter \"up\""),
            std::vector<std::string>{"set_parameter \"up\" vector 0 1 0"});

  ASSERT_EQ(api.transforms.size(), 1u);
  const double expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 1, 2, -3, 1};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(api.transforms[0][i], expected[i]) << "element " << i;
  // Without tracks the camera writes no animation.
  EXPECT_TRUE(api.with_prefix("animation_begin").empty());
  EXPECT_EQ(api.calls.back(), "camera_end");
  BaseObject::Free(cam);
}

// An update with a selection still writes every camera, hidden or not,
// before the root group.
TEST(Cameras, HiddenAndUnselectedCamerasAreWrittenInAnUpdate) {
  solvane_test::DocumentPtr doc = solvane_test::savedDocument("shot.c4d");
  BaseObject* picked = solvane_test::addObject(doc.get(), Opolygon, "Picked");
  BaseObject* hidden = solvane_test::addObject(doc.get(), Ocamera, "Hidden", picked);
  solvane_test::setVisibility(hidden, MODE_OFF, MODE_OFF);
  solvane_test::addObject(doc.get(), Ocamera, "Free");
  doc->SetSelection(picked, SELECTION_NEW);

  LoaderHarness h;
  h.loader.selectionOnly = true;
  h.loader.load(doc.get());
  const auto& calls = h.api().calls;
  const std::vector<std::string> expected = {"camera_begin \"Hidden\"", "camera_begin \"Free\""};
  EXPECT_EQ(h.api().with_prefix("camera_begin"), expected);
  size_t lastCamera = 0, root = 0;
  for (size_t i = 0; i < calls.size(); ++i) {
    if (calls[i] == "camera_end") lastCamera = i;
    if (calls[i] == "group_begin \"shot\" placed" && root == 0) root = i;
  }
  EXPECT_LT(lastCamera, root) << h.api().joined();
}

TEST(Cameras, UnnamedCameraIsCalledCamera) {
  BaseObject* cam = makeObject(Ocamera, "");
  LoaderHarness h;
  h.loader.writeCamera(cam);
  EXPECT_EQ(h.api().calls.front(), "camera_begin \"Camera\"");
  BaseObject::Free(cam);
}

// A camera's tracks are written after its node under the camera kinds.
TEST(Cameras, TracksFollowTheNodeWithCameraFolders) {
  BaseObject* cam = makeObject(Ocamera, "Dolly");
  CTrack* track = CTrack::Alloc(cam, DescID(DescLevel(ID_BASEOBJECT_REL_POSITION, DTYPE_VECTOR, 0),
                                            DescLevel(VECTOR_Z, DTYPE_REAL, 0)));
  track->SetName(String("Position . Z"));
  cam->InsertTrackSorted(track);
  CCurve* curve = track->GetCurve();
  curve->AddKey(BaseTime(0.0))->SetValue(curve, 0.0);
  curve->AddKey(BaseTime(1.0))->SetValue(curve, 4.0);

  LoaderHarness h;
  h.loader.writeCamera(cam);
  auto& api = h.api();
  const auto blocks = api.with_prefix("animation_begin");
  ASSERT_EQ(blocks, std::vector<std::string>{"animation_begin \"fbx_animation\" \"Position . Z\""});
  EXPECT_EQ(api.with_prefix("set_parameter \"folder\""),
            std::vector<std::string>{"set_parameter \"folder\" string \"Dolly/Camera Position\""});
  size_t cameraEnd = 0, animation = 0;
  for (size_t i = 0; i < api.calls.size(); ++i) {
    if (api.calls[i] == "camera_end") cameraEnd = i;
    if (api.calls[i].rfind("animation_begin", 0) == 0) animation = i;
  }
  EXPECT_LT(cameraEnd, animation);
  BaseObject::Free(cam);
}

// Lights ----------------------------------------------------------------

struct LightResult {
  std::vector<std::string> calls;
  std::vector<float> vertices;
  std::vector<float> normals;
  std::vector<int32_t> triangles;
};

LightResult writeLight(BaseObject* light, const char* name = "Lamp") {
  LoaderHarness h;
  h.loader.writeLight(name, light);
  LightResult r;
  r.calls = h.api().calls;
  for (const auto* a : h.api().named("vertices")) r.vertices = a->floats;
  for (const auto* a : h.api().named("normals")) r.normals = a->floats;
  for (const auto* a : h.api().named("triangles")) r.triangles = a->ints;
  BaseObject::Free(light);
  return r;
}

// The light shader's parameter line for `name`.
std::string parameterLine(const LightResult& r, const std::string& name) {
  for (const std::string& line : r.calls)
    if (line.rfind("set_parameter \"" + name + "\"", 0) == 0) return line;
  return "(none)";
}

BaseObject* pointLight(double brightness) {
  BaseObject* light = makeObject(Olight, "Lamp");
  setParam(light, 90000, GeData(Vector(1.0, 0.5, 0.25)));
  setParam(light, 90001, GeData(brightness));
  setParam(light, 90002, GeData(Int32(0)));
  return light;
}

BaseObject* intensityLight(double intensity, Int32 unit) {
  BaseObject* light = pointLight(1.0);
  setParam(light, 90046, GeData(Int32(1)));
  setParam(light, 90043, GeData(intensity));
  setParam(light, 90037, GeData(unit));
  return light;
}

// Power is the brightness in percent or the intensity (candela times 4 pi), truncated;
// values beyond the integer range saturate and NaN gives no power at all.
TEST(Lights, Power) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    BaseObject* light;
    const char* power;
    const char* lumen;
  } cases[] = {
      {pointLight(1.0), "100", "off"},
      {pointLight(0.005), "0", "off"},
      {pointLight(0.019), "1", "off"},
      {pointLight(-0.019), "-1", "off"},
      {intensityLight(100.0, 1), "1256", "on"},
      {intensityLight(100.0, 0), "100", "on"},
      {pointLight(1e30), "2147483647", "off"},
      {pointLight(-1e30), "-2147483648", "off"},
      {pointLight(nan), "0", "off"},
      {intensityLight(inf, 1), "2147483647", "on"},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    SCOPED_TRACE(i);
    const LightResult r = writeLight(cases[i].light);
    EXPECT_EQ(parameterLine(r, "power"),
              "set_parameter \"power\" int " + std::string(cases[i].power));
    EXPECT_EQ(parameterLine(r, "lumen"),
              "set_parameter \"lumen\" bool " + std::string(cases[i].lumen));
  }
}

TEST(Lights, PointLightIsAUnitOctahedronWithPointShader) {
  BaseObject* light = pointLight(1.0);
  // Area sizes are ignored for any kind but the area light.
  setParam(light, 100010, GeData(50.0));
  const LightResult r = writeLight(light, "Key light");
  const std::vector<std::string> expected = {
      "object_begin \"Key light\" placed",
      "geometry_use \"triangles\"",
      "set_parameter \"vertices\" array(0x8001) count 6",
      "set_parameter \"normals\" array(0x8001) count 6",
      "set_parameter \"triangles\" array(0x8006) count 24",
      "geometry_end",
      "material_begin \"Key light\" placed",
      "shader_begin null \"zel_point_light\"",
      "set_parameter \"power\" int 100",
      "set_parameter \"color\" color 1 0.5 0.25",
      "set_parameter \"lumen\" bool off",
      "set_parameter \"radius\" float 0",
      "shader_end",
      "shader_get",
      "material_set_shader 0 shader#1",
      "material_end",
      "object_end",
  };
  EXPECT_EQ(r.calls, expected);
  const std::vector<float> unit = {0, -1, 0, 1, 0, 0, 0, 0, 1, -1, 0, 0, 0, 0, -1, 0, 1, 0};
  EXPECT_EQ(r.vertices, unit);
  EXPECT_EQ(r.normals, unit);
  const std::vector<int32_t> faces = {2, 1, 0, 1, 2, 5, 3, 2, 0, 2, 3, 5,
                                      4, 3, 0, 3, 4, 5, 1, 4, 0, 4, 1, 5};
  EXPECT_EQ(r.triangles, faces);
}

TEST(Lights, AreaLightIsAFlatDiamondInvisibleToRays) {
  BaseObject* light = pointLight(2.0);
  setParam(light, 90002, GeData(Int32(8)));
  setParam(light, 100010, GeData(200.0));
  setParam(light, 100011, GeData(100.0));
  setParam(light, 100012, GeData(0.0));
  const LightResult r = writeLight(light, "Panel");
  const std::vector<float> diamond = {0, -50, 0, 100, 0, 0, 0, 0, 0, -100, 0, 0, 0, 0, 0, 0, 50, 0};
  EXPECT_EQ(r.vertices, diamond);
  EXPECT_EQ(r.normals, diamond);
  const std::vector<std::string> shader(r.calls.begin() + 7, r.calls.begin() + 15);
  const std::vector<std::string> expected = {
      "shader_begin null \"zel_mesh_light\"",
      "set_parameter \"power\" int 200",
      "set_parameter \"color\" color 1 0.5 0.25",
      "set_parameter \"lumen\" bool off",
      "set_parameter \"visible to the eye\" bool off",
      "set_parameter \"visible in reflections\" bool off",
      "set_parameter \"visible in shadows\" bool off",
      "shader_end",
  };
  EXPECT_EQ(shader, expected);
  EXPECT_EQ(r.calls[6], "material_begin \"Panel\" placed");
}

}  // namespace
