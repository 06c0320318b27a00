// The object wrapper, the file factory and the scene nodes, checked on the bytes they
// produce through the text scene writer.
#include "DefaultRTModule.h"
#include "LightCamera.h"
#include "LightFileFactory.h"
#include "scene_bytes.h"
#include "zelsceneapi_oo.h"

#include <gmock/gmock.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

using scenetest::sameBytes;

namespace {

const char kHeader[] =
    "//---tessan:dal:7---\n"
    "//---import:dal:1---\n"
    "//---id:1---\n"
    "// This is a Solvane scene file\n\n";
const char kBannerAndVersion[] =
    "#print \"Solvane SceneApi oo 9.0.45  (built Wed Feb 20 12:07:52 2019)\"\n"
    "version 8\n\n";

// A factory over any stream; it writes no header of its own.
class StreamFactory : public zel::LightFactory {
 public:
  explicit StreamFactory(FILE* stream)
      : writer_(stream ? new zelScene_api_file(stream, false) : nullptr) {}
  ~StreamFactory() override { shutdown(); }
  zelScene_api* getApi() override { return writer_.get(); }
  void init(zel::zelSceneapi_oo*) override { ++inits; }
  bool shutdown() override {
    writer_.reset();
    return true;
  }
  std::string const& message() const override { return message_; }
  int inits = 0;

 private:
  std::unique_ptr<zelScene_api_file> writer_;
  std::string message_;
};

// Everything a wrapper writes over an in-memory stream, opening included.
std::string wrapperOutput(const std::function<void(zel::zelSceneapi_oo&)>& body) {
  char* data = nullptr;
  size_t size = 0;
  FILE* stream = open_memstream(&data, &size);
  {
    StreamFactory factory(stream);
    zel::zelSceneapi_oo oo(&factory);
    body(oo);
  }
  std::fclose(stream);
  std::string out(data, size);
  std::free(data);
  return out;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string tempPath(const std::string& name) {
  return ::testing::TempDir() + "sceneapi_" + std::to_string(getpid()) + "_" + name;
}

// The message of the std::exception `body` throws, or "<nothing thrown>".
std::string thrownMessage(const std::function<void()>& body) {
  try {
    body();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "<nothing thrown>";
}

TEST(SceneOutput, FileOpensWithHeaderBannerAndVersion) {
  const std::string path = tempPath("opening.svb");
  {
    zel::LightFileFactory factory(path);
    zel::zelSceneapi_oo oo(&factory);
    ASSERT_NE(oo.get_scene_api(), nullptr);
    ASSERT_TRUE(factory.shutdown()) << factory.message();
  }
  EXPECT_TRUE(sameBytes(readFile(path), std::string(kHeader) + kBannerAndVersion));
  std::remove(path.c_str());
}

TEST(SceneOutput, ImportModuleAsConfiguredForExport) {
  std::string out = wrapperOutput([](zel::zelSceneapi_oo& oo) {
    zel::DefaultRTModule module;
    module.setImportMode(true);
    module.setImportMergeGroups(false);
    module.setImportMergeObjects(false);
    module.setImportAdjustEnvironment(true);
    module.setImportAdjustCamera(true);
    module.setImportKeepOriginal(true);
    module.setImportUpVector(1);
    module.setMeterScale(100.0f);
    module.setImportSnapToGround(false);
    module.setImportCenterGeometry(false);
    module.setExt(false);
    oo.insertNode(module);
  });
  EXPECT_TRUE(sameBytes(out, std::string(kBannerAndVersion) + "load \"zelrtopt.so\" {\n"
                                                              "\"import_mode\" on,\n"
                                                              "\"import_merge_groups\" off,\n"
                                                              "\"import_merge_objects\" off,\n"
                                                              "\"import_up_vector\" 1,\n"
                                                              "\"meter_scale\" 100,\n"
                                                              "\"import_keep_original\" on,\n"
                                                              "\"import_center_geometry\" off,\n"
                                                              "\"import_snap_to_ground\" off,\n"
                                                              "\"import_adjust_camera\" on,\n"
                                                              "\"import_adjust_environment\" on,\n"
                                                              "\"ext\" off,\n"
                                                              "}\n"));
}

const char kEnvironment[] =
    "reflection map \"zel_envmap\" {\n"
    "\"texture\" \"startup.hdr\",\n"
    "\"format\" 3,\n"
    "\"radius\" 25,\n"
    "}\n";

TEST(SceneOutput, CamerasWithEnvironmentShader) {
  std::string out = wrapperOutput([](zel::zelSceneapi_oo& oo) {
    zel::LightCamera camera("Camera.1");
    camera.setPosition(1, 2, 3);
    camera.setDirection(0, 0, 1);
    camera.setUp(0, 1, 0.5f);
    camera.setFov(45);
    zelMatrix m;
    m.make_identity();
    m.m[14] = -10;
    camera.setTransform(m);
    oo.insertNode(camera);
    zel::LightCamera ortho("ortho");  // defaults, and no transform statement
    ortho.setProjection(zel::LightCamera::ORTHOGRAPHIC);
    oo.insertNode(ortho);
  });
  EXPECT_TRUE(sameBytes(out, std::string(kBannerAndVersion) +
                                 "\ncamera \"Camera.1\" {\n"
                                 "projection \"perspective\"\n"
                                 "fov 45\n" +
                                 kEnvironment +
                                 "position 1 2 3\n"
                                 "direction 0 0 1\n"
                                 "up 0 1 0.5\n"
                                 "transform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 -10 1\n"
                                 "}\n"
                                 "\ncamera \"ortho\" {\n"
                                 "projection \"orthographic\"\n" +
                                 kEnvironment +
                                 "position 0 0 0\n"
                                 "direction 0 0 -1\n"
                                 "up 0 1 0\n"
                                 "}\n"));
}

TEST(SceneOutput, MaterialWithCapturedSubShader) {
  std::string out = wrapperOutput([](zel::zelSceneapi_oo& oo) {
    zelScene_api* api = oo.get_scene_api();
    api->shader_begin(nullptr, "zel_texture");
    oo.set_parameter("file", std::string("wood.png"));
    api->shader_end();
    zelShader* texture = api->shader_get();
    api->shader_begin(nullptr, "zel_material");
    oo.set_parameter("color", zelColor(1, 0.5f, 0.25f));
    api->set_subshader("diffuse", texture);
    api->shader_end();
    zelShader* material = api->shader_get();
    api->material_begin("wood", true);
    api->material_set_shader(static_cast<zelShader_type>(9), material);
    api->material_end();
  });
  EXPECT_TRUE(sameBytes(out, std::string(kBannerAndVersion) + "material \"wood\" {\n"
                                                              "// assuming surface shader\n"
                                                              "surface \"zel_material\" {\n"
                                                              "\"color\" 1 0.5 0.25,\n"
                                                              "\"diffuse\" ! \"zel_texture\" {\n"
                                                              "\"file\" \"wood.png\",\n"
                                                              "},\n"
                                                              "}\n"
                                                              "}\n"));
}

TEST(SceneOutput, WrapperCountersAndArraySetter) {
  std::string out = wrapperOutput([](zel::zelSceneapi_oo& oo) {
    for (int expected = 1; expected <= 3; ++expected) {
      EXPECT_EQ(oo.shaderBegin("zel_texture"), expected);
      oo.shaderEnd();
    }
    EXPECT_EQ(oo.createInstanceID(), 1);
    EXPECT_EQ(oo.createInstanceID(), 2);
    oo.setSceneapi(oo.get_scene_api());
    EXPECT_EQ(oo.createInstanceID(), 1);
    EXPECT_EQ(oo.shaderBegin("zel_texture"), 1);
    oo.shaderEnd();
    EXPECT_TRUE(oo.set_vec3_array("seven", {1, 2, 3, 4, 5, 6, 7}));  // whole triples only
    EXPECT_EQ(thrownMessage([&] { oo.set_parameter("raw", "text"); }),
              "const char * are deprecated");
  });
  EXPECT_TRUE(sameBytes(out, std::string(kBannerAndVersion) + "#define shader 1 zel_texture {\n}\n"
                                                              "#define shader 2 zel_texture {\n}\n"
                                                              "#define shader 3 zel_texture {\n}\n"
                                                              "id 1\n"
                                                              "id 2\n"
                                                              "id 1\n"
                                                              "#define shader 1 zel_texture {\n}\n"
                                                              "\"seven\" [ 1 2 3,4 5 6 ] ,\n"));
}

TEST(SceneOutput, WrapperWithoutSceneApiStaysEmpty) {
  StreamFactory factory(nullptr);
  zel::zelSceneapi_oo oo(&factory);
  EXPECT_EQ(oo.get_scene_api(), nullptr);
  EXPECT_EQ(factory.inits, 0);
  EXPECT_FALSE(oo.set_parameter("x", 1));
  EXPECT_FALSE(oo.begin_group("g"));
  EXPECT_EQ(oo.shaderBegin("t"), 1);
  oo.insertNode(zel::DefaultRTModule());
  oo.insertNode(zel::LightCamera("c"));
}

}  // namespace
