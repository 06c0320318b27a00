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

// A link factory that gives no scene API: the wrapper starts nothing and writes nothing.
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
