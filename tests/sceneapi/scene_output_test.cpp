// The object wrapper and the scene nodes, checked on the bytes they produce through the text
// scene writer. The plug-in's tests pin the module node, the file factory's opening and the
// perspective camera as an export writes them.
#include "DefaultRTModule.h"
#include "LightCamera.h"
#include "LightFactory.h"
#include "scene_bytes.h"
#include "zelsceneapi_oo.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

using scenetest::sameBytes;

namespace {

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

// The message of the std::exception `body` throws, or "<nothing thrown>".
std::string thrownMessage(const std::function<void()>& body) {
  try {
    body();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "<nothing thrown>";
}

// The document test pins the perspective camera the plug-in writes; an orthographic one has
// no field of view, and a camera without a transform writes none.
TEST(SceneOutput, OrthographicCameraWithDefaults) {
  std::string out = wrapperOutput([](zel::zelSceneapi_oo& oo) {
    zel::LightCamera ortho("ortho");
    ortho.setProjection(zel::LightCamera::ORTHOGRAPHIC);
    oo.insertNode(ortho);
  });
  EXPECT_TRUE(sameBytes(out, std::string(kBannerAndVersion) + "\ncamera \"ortho\" {\n"
                                                              "projection \"orthographic\"\n"
                                                              "reflection map \"zel_envmap\" {\n"
                                                              "\"texture\" \"startup.hdr\",\n"
                                                              "\"format\" 3,\n"
                                                              "\"radius\" 25,\n"
                                                              "}\n"
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
