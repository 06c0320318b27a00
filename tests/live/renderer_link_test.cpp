#include "RepeatLinkFactory.h"
#include "query_api.h"
#include "renderer_core.h"
#include "zelsceneapi_file.h"

#include "live_test_support.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using livetest::TempDir;
using solvane_renderer::RendererState;

namespace {

char const kDemoScene[] =
    "version 8\n"
    "group \"demo\" {\n"
    "group \"Cube\" {\n"
    "}\n"
    "}\n";

// A scene with one top-level group, as the scene writer puts it.
std::string writtenScene(char const* group) {
  char* data = nullptr;
  std::size_t size = 0;
  FILE* memory = open_memstream(&data, &size);
  {
    zelScene_api_file writer(memory, true);
    writer.group_begin(group, true);
    writer.group_end();
  }
  std::fclose(memory);
  std::string text(data, size);
  std::free(data);
  return text;
}

// Serves the renderer's XML to the live factory's selection, as the query
// API would after fetching it.
class XmlQuery : public zelQuery_api {
 public:
  std::string instances;
  std::string scene;
  char const* get_instances() override { return instances.c_str(); }
  bool attach(std::int64_t) override { return true; }
  bool is_attached() const override { return true; }
  void detach() override {}
  int get_port() const override { return 0; }
  std::int64_t get_process_id() const override { return 0; }
  char const* get_scene() override { return scene.c_str(); }
};

solvane_link::RunningRenderer renderer(std::int64_t pid, int port) {
  solvane_link::RunningRenderer r;
  r.versionMajor = solvane_renderer::kVersionMajor;
  r.processId = pid;
  r.port = port;
  return r;
}

}  // namespace

TEST(RendererScene, XmlReadsAsEmptyUntilAModelArrives) {
  TempDir dir;
  RendererState state(4242, 3141, dir / "scenes");
  XmlQuery query;
  query.instances = solvane_link::QueryApi::instancesXml({renderer(4242, 3141)});
  query.scene = state.sceneXml();
  zel::RepeatLinkFactory render;
  render.setVersionRange(7, 8);
  zel::SolvaneInstance chosen = render.getValidInstance(&query, render.getInstances(&query));
  EXPECT_EQ(chosen.process_id, 4242);
  EXPECT_EQ(chosen.livelink_port, 3141);
  EXPECT_EQ(chosen.version, 8);

  solvane_renderer::Received received = state.receive(kDemoScene, 1);
  EXPECT_TRUE(received.ok);
  EXPECT_EQ(received.reply, "OK 3");
  query.scene = state.sceneXml();
  EXPECT_EQ(render.getValidInstance(&query, render.getInstances(&query)).version, 0);

  zel::RepeatLinkFactory update;
  update.setVersionRange(7, 8);
  update.setUpdate(true);
  update.setModelName("demo");
  EXPECT_EQ(update.getValidInstance(&query, update.getInstances(&query)).process_id, 4242);
  EXPECT_TRUE(update.hadModel());
  update.setModelName("Cube");  // a nested group is no model
  update.getValidInstance(&query, update.getInstances(&query));
  EXPECT_FALSE(update.hadModel());

  // Names come back whole, and a model sits exactly three levels below the root.
  std::string const odd = "a&b \"q\" <c>";
  state.receive(writtenScene(odd.c_str()), 1);
  TiXmlDocument document;
  document.Parse(state.sceneXml().c_str());
  ASSERT_FALSE(document.Error()) << state.sceneXml();
  EXPECT_NE(zel::RepeatLinkFactory::findByNameAttribute(document.RootElement(), odd, 4), nullptr)
      << state.sceneXml();
  EXPECT_EQ(zel::RepeatLinkFactory::findByNameAttribute(document.RootElement(), odd, 3), nullptr);
}
