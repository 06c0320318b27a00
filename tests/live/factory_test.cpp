#include "RepeatLinkFactory.h"

#include "live_test_support.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <string>
#include <vector>

using livetest::InstallTree;
using zel::RepeatLinkFactory;
using zel::SolvaneInstance;

namespace {

std::string instanceXml(int version, long long pid, int port) {
  return "<instance><version_major>" + std::to_string(version) + "</version_major><process_id>" +
         std::to_string(pid) + "</process_id><livelink_port>" + std::to_string(port) +
         "</livelink_port></instance>";
}

char const kEmpty[] = "<scene_info><scene><models/></scene></scene_info>";
// What an offered instance does instead of serving a scene.
char const kRefusesAttach[] = "(refuses to attach)";
char const kNoScene[] = "(attaches, scene null)";

std::string sceneWith(std::string const& model, std::string const& set = "active") {
  return "<scene_info><scene><models><model name=\"" + model + "\" modelset=\"" + set +
         "\"/></models></scene></scene_info>";
}

// One entry of the fake's instance list and the scene it serves.
struct Offer {
  int version;
  std::int64_t pid;
  std::string scene;
  int port = -1;  // -1: 3140 + pid
};

// The launch is replaced: these tests run without the renderer program.
class TestFactory : public RepeatLinkFactory {
 public:
  TestFactory() { setRetry(20, 0); }
  int launches = 0;
  bool launchWorks = true;

 protected:
  bool launchRenderer(SolvaneLaunch& launched) override {
    ++launches;
    launched.program = "/fake/solvane";
    if (!launchWorks) launched.error = "cannot start /fake/solvane: No such file or directory";
    return launchWorks;
  }
};

// The fake link library installed as version 8 and scripted per test.
class FactoryTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fake_.ok());
    livetest::fs::create_symlink(FAKE_LIVE_LIBRARY, tree_.addRegular(8) + "zelsolvanelive6.so");
  }
  void TearDown() override { zel_free_scene_api_linked(); }

  void offer(std::vector<Offer> const& offers) {
    fake_->instances = "<instances>";
    fake_->scenes.clear();
    fake_->nullScenes.clear();
    for (Offer const& o : offers) {
      int port = o.port >= 0 ? o.port : static_cast<int>(3140 + o.pid);
      fake_->instances += instanceXml(o.version, o.pid, port);
      if (o.scene == kNoScene) {
        fake_->nullScenes.insert(o.pid);
      } else if (o.scene != kRefusesAttach) {
        fake_->scenes[o.pid] = o.scene;
      }
    }
    fake_->instances += "</instances>";
  }
  zelQuery_api* query() { return zel_get_query_api(7, 8); }
  SolvaneInstance choose(RepeatLinkFactory& factory) {
    return factory.getValidInstance(query(), factory.getInstances(query()));
  }

  InstallTree tree_;
  livetest::LogCapture log_;
  livetest::FakeLibrary fake_;
};

}  // namespace

// How the factory reaches a renderer: a listed one on its own port; after a launch, the
// first to show up; with port 0, or nobody of the range listed, the default ports in turn.
// It connects once; shutdown disconnects and releases the library once.
TEST_F(FactoryTest, ConnectionPaths) {
  std::vector<Offer> const portZero = {{8, 1, kEmpty, 0}};
  std::vector<Offer> const outside = {{6, 10, kEmpty}, {9, 11, kEmpty}};
  struct Case {
    char const* what;
    std::vector<Offer> offers;
    int hiddenForPolls;  // first polls that find nobody
    int openPort, launches, polls;
    std::string connects;  // "host port how", in order
    int connectedPort;
  } const cases[] = {
      {"launched, then found", {{8, 4, kEmpty}}, 3, 3144, 1, 4, "localhost 3144 4", 3144},
      {"listed with port 0", portZero, 0, 3143, 0, 1,
       "127.0.0.1 3141 1, 127.0.0.1 3142 1, 127.0.0.1 3143 1", 0},
      // One poll, the launch, then 19 more in which nobody of 7 to 8 shows up.
      {"versions outside the range", outside, 0, 3141, 1, 20, "127.0.0.1 3141 1", 0},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.what);
    fake_->reset();
    offer(c.offers);
    fake_->instancesHiddenForCalls = c.hiddenForPolls;
    fake_->openPorts = {c.openPort};
    TestFactory factory;
    factory.setVersionRange(7, 8);
    zelScene_api* api = factory.getApi();
    ASSERT_NE(api, nullptr);
    EXPECT_EQ(factory.getApi(), api);
    EXPECT_EQ(factory.launches, c.launches);
    EXPECT_EQ(fake_->instanceListCalls, c.polls);
    std::string connects;
    for (std::string const& each : fake_->connects)
      connects += (connects.empty() ? "" : ", ") + each;
    EXPECT_EQ(connects, c.connects);
    EXPECT_EQ(fake_->ids, std::vector<int>{1});
    EXPECT_EQ(factory.getConnectedPort(), c.connectedPort);
    EXPECT_TRUE(factory.shutdown());
    EXPECT_TRUE(factory.shutdown());
    EXPECT_EQ(fake_->disconnects, 1);
    EXPECT_EQ(fake_->liveObjects, 0);
    EXPECT_EQ(solvane_live_loader, nullptr);
  }
}

// A model holder first, then for an update the newest attachable instance,
// else the newest with an empty scene; the first of equal versions.
TEST_F(FactoryTest, InstanceChoice) {
  std::string const unreadable = "<scene_info><scene><models";
  std::vector<Offer> const holders = {{8, 1, sceneWith("other")}, {7, 2, sceneWith("demo")}};
  std::vector<Offer> const odd = {{8, 1, kRefusesAttach}, {8, 2, kNoScene}, {8, 3, unreadable}};
  struct Case {
    char const* what;
    std::vector<Offer> offers;
    bool update;
    char const* model;
    std::int64_t chosen;  // 0: none
    bool hadModel;
  } const cases[] = {
      {"equal versions", {{7, 1, kEmpty}, {8, 2, kEmpty}, {8, 3, kEmpty}}, false, "", 2, false},
      {"model holder before a newer instance", holders, true, "demo", 2, true},
      {"update without the model", holders, true, "missing", 1, false},
      {"render finds no empty scene", holders, false, "", 0, false},
      // An unreadable scene is no candidate for a render, but still for an update.
      {"update, odd instances", odd, true, "demo", 3, false},
      {"render, odd instances", odd, false, "demo", 0, false},
      // The model sits three levels down: searched to depth 4 from version 7 on, 3 below.
      {"version 7 finds the model", {{7, 2, sceneWith("demo")}}, false, "demo", 2, true},
      {"version 6 does not", {{6, 1, sceneWith("demo")}}, false, "demo", 0, false},
      // A model of another set than the active one is not held.
      {"stored model", {{8, 1, sceneWith("demo", "stored")}}, true, "demo", 1, false},
      // Empty: no grandchild below the root's first child.
      {"no first child", {{7, 1, "<r/>"}}, false, "", 0, false},
      {"childless first child", {{7, 1, "<r><s/></r>"}}, false, "", 1, false},
      {"children without children", {{7, 1, "<r><s><m/><m/></s></r>"}}, false, "", 1, false},
      {"a grandchild", {{7, 1, "<r><s><m/><m><g/></m></s></r>"}}, false, "", 0, false},
      {"later child's grandchild", {{7, 1, "<r><s/><t><m><g/></m></t></r>"}}, false, "", 1, false},
      {"text is no grandchild", {{7, 1, "<r><s><m>text only</m></s></r>"}}, false, "", 1, false},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.what);
    offer(c.offers);
    fake_->attached.clear();
    fake_->detaches = 0;
    RepeatLinkFactory factory;
    factory.setVersionRange(6, 8);
    factory.setUpdate(c.update);
    factory.setModelName(c.model);
    SolvaneInstance chosen = choose(factory);
    EXPECT_EQ(chosen.process_id, c.chosen);
    EXPECT_EQ(chosen.livelink_port, c.chosen ? 3140 + c.chosen : 0);
    EXPECT_EQ(factory.hadModel(), c.hadModel);
    EXPECT_EQ(fake_->detaches, static_cast<int>(fake_->attached.size()));
  }
  RepeatLinkFactory factory;
  EXPECT_EQ(factory.getValidInstance(query(), {}).version, 0);
}

// Unreadable lists give no instance; entries without a version or a numeric process id are
// skipped; the elements may sit at any depth below the instance.
TEST_F(FactoryTest, MalformedInstanceListsAndIncompleteEntriesAreSkipped) {
  RepeatLinkFactory factory;
  factory.setVersionRange(7, 8);
  fake_->instanceListIsNull = true;
  EXPECT_TRUE(factory.getInstances(query()).empty());
  fake_->instanceListIsNull = false;
  for (char const* bad : {"", "<instances>", "not xml at all", "<a></b>"}) {
    fake_->instances = bad;
    EXPECT_TRUE(factory.getInstances(query()).empty()) << bad;
  }
  std::string const port = "<livelink_port>1</livelink_port></instance>";
  fake_->instances = "<instances><instance><version_major>8</version_major>" + port +
                     "<instance><version_major>8</version_major><process_id/>" + port +
                     "<instance><version_major>8</version_major><process_id>x1</process_id>" +
                     port + "<instance><version_major/><process_id>5</process_id>" + port +
                     "<instance><info><version_major>7</version_major><process_id>8589934592"
                     "</process_id></info><link><livelink_port>0</livelink_port></link>"
                     "</instance></instances>";
  std::vector<SolvaneInstance> found = factory.getInstances(query());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].version, 7);
  EXPECT_EQ(found[0].process_id, 8589934592LL);
  EXPECT_EQ(found[0].livelink_port, 0);
}

// Each failure says what went wrong and where to look; a scene API still held when the
// query API is missing goes with the factory.
TEST_F(FactoryTest, FailureTexts) {
  std::string const check = "Please check your Solvane installation";
  std::string const noPort =
      "Could not connect on any known port. " + check + " and Live Link settings.";
  struct Case {
    bool noSceneApi, noQueryApi, launchFails, listed;  // listed: one instance on port 3150
    std::string message;                               // after "Failed to connect. "
    std::size_t connects;
    std::string lastConnect;
    bool releasedWithFactory;
  } const cases[] = {
      {true, false, false, false, "Could not get a scene api. " + check + ".\n", 0, "", false},
      {false, true, false, false, "Could not get a query api. " + check + ".\n", 0, "", true},
      {false, false, true, false,
       "Unabled to launch Solvane. " + check +
           ". cannot start /fake/solvane: No such file or directory.",
       0, "", true},
      {false, false, false, true, noPort, 1, "localhost 3150 4", false},
      // Nothing listed even after the launch: all eleven default ports tried.
      {false, false, false, false,
       noPort + " Waiting ran out: the renderer /fake/solvane did not answer on ports 3141 to "
                "3151 within 19 polls of 0 ms.",
       11, "127.0.0.1 3151 1", false},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.message);
    zel_free_scene_api_linked();
    fake_->reset();
    fake_->noSceneApi = c.noSceneApi;
    fake_->noQueryApi = c.noQueryApi;
    if (c.listed) offer({{8, 10, kEmpty}});
    {
      TestFactory factory;
      factory.launchWorks = !c.launchFails;
      EXPECT_EQ(factory.getApi(), nullptr);
      EXPECT_EQ(factory.message(), "Failed to connect. " + c.message);
      EXPECT_EQ(fake_->connects.size(), c.connects);
      EXPECT_EQ(fake_->connects.empty() ? "" : fake_->connects.back(), c.lastConnect);
    }
    EXPECT_TRUE(!c.releasedWithFactory || solvane_live_loader == nullptr);
  }

  // A later successful call clears the message.
  fake_->reset();
  TestFactory factory;
  EXPECT_EQ(factory.getApi(), nullptr);
  offer({{8, 10, kEmpty}});
  fake_->openPorts = {3150};
  EXPECT_NE(factory.getApi(), nullptr);
  EXPECT_EQ(factory.message(), "");
}
