#include "RepeatLinkFactory.h"

#include "fake_live.h"
#include "live_test_support.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <dlfcn.h>

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

std::string instancesXml(std::vector<std::string> const& entries) {
  std::string xml = "<instances>";
  for (auto const& entry : entries) xml += entry;
  return xml + "</instances>";
}

char const kEmptyScene[] = "<scene_info><scene><models/></scene></scene_info>";

std::string sceneWith(std::string const& model, char const* modelset = "active") {
  return std::string("<scene_info><scene><models><model name=\"") + model + "\" modelset=\"" +
         modelset + "\"/></models></scene></scene_info>";
}

// The launch is replaced: these tests run without the renderer program.
class TestFactory : public RepeatLinkFactory {
 public:
  TestFactory() { setRetry(20, 0); }
  int launches = 0;
  bool launchWorks = true;

 protected:
  bool launchRenderer() override {
    ++launches;
    return launchWorks;
  }
};

// The fake link library installed as version 8 and scripted per test.
class FactoryTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string dir = tree_.addRegular(8);
    livetest::fs::create_symlink(FAKE_LIVE_LIBRARY, dir + "zelsolvanelive6.so");
    handle_ = dlopen(FAKE_LIVE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle_, nullptr) << dlerror();
    auto get = reinterpret_cast<FakeLiveControl* (*)()>(dlsym(handle_, "fake_live_control"));
    ASSERT_NE(get, nullptr);
    fake_ = get();
    fake_->reset();
  }
  void TearDown() override {
    zel_free_scene_api_linked();
    if (handle_) dlclose(handle_);
  }

  zelQuery_api* query() { return zel_get_query_api(7, 8); }

  InstallTree tree_;
  livetest::LogCapture log_;
  void* handle_ = nullptr;
  FakeLiveControl* fake_ = nullptr;
};

}  // namespace

TEST_F(FactoryTest, InstancesOutsideTheRangeAreNotListedAndTheRendererIsLaunched) {
  fake_->instances = instancesXml({instanceXml(6, 10, 3141), instanceXml(9, 11, 3142)});
  fake_->scenes = {{10, kEmptyScene}, {11, kEmptyScene}};
  fake_->openPorts = {3141};
  TestFactory factory;
  factory.setVersionRange(7, 8);
  EXPECT_TRUE(factory.getInstances(query()).empty());
  EXPECT_NE(factory.getApi(), nullptr);
  EXPECT_EQ(factory.launches, 1);
  EXPECT_EQ(fake_->ids, std::vector<int>{1});
  // Nobody of 7 to 8 showed up in 19 polls: the default ports are scanned.
  EXPECT_EQ(fake_->instanceListCalls, 2 + 19);
  EXPECT_EQ(fake_->connects, std::vector<std::string>{"127.0.0.1 3141 1"});
  EXPECT_EQ(factory.getMessage(), "");
  EXPECT_EQ(factory.getConnectedPort(), 0);
}

TEST_F(FactoryTest, WaitingAfterALaunchStopsAtTheFirstInstance) {
  fake_->instances = instancesXml({instanceXml(8, 42, 3144)});
  fake_->scenes = {{42, kEmptyScene}};
  fake_->instancesHiddenForCalls = 3;
  fake_->openPorts = {3144};
  TestFactory factory;
  factory.setVersionRange(7, 8);
  ASSERT_NE(factory.getApi(), nullptr);
  EXPECT_EQ(factory.launches, 1);
  EXPECT_EQ(fake_->instanceListCalls, 4);
  EXPECT_EQ(fake_->connects, std::vector<std::string>{"localhost 3144 4"});
  EXPECT_EQ(factory.getConnectedPort(), 3144);
  EXPECT_FALSE(factory.hadModel());
}

TEST_F(FactoryTest, FirstOfEqualVersionsWins) {
  fake_->instances = instancesXml(
      {instanceXml(7, 1, 3141), instanceXml(8, 2, 3142), instanceXml(8, 3, 3143)});
  fake_->scenes = {{1, kEmptyScene}, {2, kEmptyScene}, {3, kEmptyScene}};
  RepeatLinkFactory factory;
  factory.setVersionRange(7, 8);
  SolvaneInstance chosen = factory.getValidInstance(query(), factory.getInstances(query()));
  EXPECT_EQ(chosen.process_id, 2);
  EXPECT_EQ(chosen.livelink_port, 3142);
  EXPECT_FALSE(chosen.flag);
  EXPECT_EQ(fake_->attached, (std::vector<std::int64_t>{1, 2, 3}));
  EXPECT_EQ(fake_->detaches, 3);
}

TEST_F(FactoryTest, ModelHolderIsPreferredOverAnyNewerInstance) {
  fake_->instances = instancesXml({instanceXml(8, 1, 3141), instanceXml(7, 2, 3142)});
  fake_->scenes = {{1, sceneWith("other")}, {2, sceneWith("demo")}};
  RepeatLinkFactory factory;
  factory.setVersionRange(7, 8);
  factory.setModelName("demo");
  factory.setUpdate(true);
  SolvaneInstance chosen = factory.getValidInstance(query(), factory.getInstances(query()));
  EXPECT_EQ(chosen.process_id, 2);
  EXPECT_TRUE(factory.hadModel());

  // Without the model an update takes the newest attachable instance.
  factory.setModelName("missing");
  chosen = factory.getValidInstance(query(), factory.getInstances(query()));
  EXPECT_EQ(chosen.process_id, 1);
  EXPECT_FALSE(factory.hadModel());

  // A render (no update, no model name) wants an empty scene: none here.
  factory.setUpdate(false);
  factory.setModelName("");
  EXPECT_EQ(factory.getValidInstance(query(), factory.getInstances(query())).version, 0);
  EXPECT_EQ(factory.getValidInstance(query(), {}).version, 0);
}

TEST_F(FactoryTest, InstancesWithoutAttachOrSceneAreNoCandidates) {
  fake_->instances = instancesXml({instanceXml(8, 1, 3141), instanceXml(8, 2, 3142),
                                   instanceXml(8, 3, 3143)});
  fake_->nullScenes = {2};
  fake_->scenes = {{3, "<scene_info><scene><models"}};  // does not parse
  RepeatLinkFactory factory;
  factory.setVersionRange(7, 8);
  factory.setUpdate(true);
  factory.setModelName("demo");
  SolvaneInstance chosen = factory.getValidInstance(query(), factory.getInstances(query()));
  // 1 refuses to attach, 2 has no scene; 3 is attachable although its scene
  // is unreadable, so an update may still take it.
  EXPECT_EQ(chosen.process_id, 3);
  EXPECT_FALSE(factory.hadModel());
  EXPECT_EQ(fake_->attached, (std::vector<std::int64_t>{2, 3}));
  EXPECT_EQ(fake_->detaches, 2);

  factory.setUpdate(false);
  EXPECT_EQ(factory.getValidInstance(query(), factory.getInstances(query())).version, 0);
}

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
  fake_->instances = instancesXml({
      "<instance><version_major>8</version_major><livelink_port>1</livelink_port></instance>",
      "<instance><version_major>8</version_major><process_id/><livelink_port>1</livelink_port>"
      "</instance>",
      "<instance><version_major>8</version_major><process_id>x1</process_id>"
      "<livelink_port>1</livelink_port></instance>",
      "<instance><version_major/><process_id>5</process_id><livelink_port>1</livelink_port>"
      "</instance>",
      "<instance><process_id>6</process_id><livelink_port>1</livelink_port></instance>",
      // Elements are found at any depth below the instance.
      "<instance><info><version_major>7</version_major><process_id>8589934592</process_id>"
      "</info><link><livelink_port>0</livelink_port></link></instance>",
  });
  std::vector<SolvaneInstance> found = factory.getInstances(query());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].version, 7);
  EXPECT_EQ(found[0].process_id, 8589934592LL);
  EXPECT_EQ(found[0].livelink_port, 0);
}

TEST_F(FactoryTest, EmptySceneMeansNoGrandchildBelowTheFirstChild) {
  RepeatLinkFactory factory;
  factory.setVersionRange(7, 8);
  struct Case {
    char const* xml;
    bool chosen;
  } cases[] = {
      {"<r/>", false},
      {"<r><s/></r>", true},
      {"<r><s><m/><m/></s></r>", true},
      {"<r><s><m/><m><g/></m></s></r>", false},
      {"<r><s/><t><m><g/></m></t></r>", true},  // only the first child counts
      {"<r><s><m>text only</m></s></r>", true},
  };
  fake_->instances = instancesXml({instanceXml(8, 1, 3141)});
  for (Case const& c : cases) {
    fake_->scenes = {{1, c.xml}};
    EXPECT_EQ(factory.getValidInstance(query(), factory.getInstances(query())).version != 0,
              c.chosen)
        << c.xml;
  }
}

TEST(FindByNameAttribute, DepthAndModelset) {
  TiXmlDocument document;
  document.Parse(
      "<r name=\"root\"><scene><models modelset=\"active\">"
      "<model name=\"deep\"/>"
      "<set modelset=\"stored\"><model name=\"hidden\"/></set>"
      "</models><x name=\"shallow\"/></scene></r>");
  ASSERT_FALSE(document.Error());
  TiXmlElement* root = document.RootElement();
  EXPECT_EQ(RepeatLinkFactory::findByNameAttribute(root, "root", 1), root);
  EXPECT_EQ(RepeatLinkFactory::findByNameAttribute(root, "root", 0), nullptr);
  EXPECT_NE(RepeatLinkFactory::findByNameAttribute(root, "deep", 4), nullptr);
  EXPECT_EQ(RepeatLinkFactory::findByNameAttribute(root, "deep", 3), nullptr);
  EXPECT_NE(RepeatLinkFactory::findByNameAttribute(root, "shallow", 3), nullptr);
  EXPECT_EQ(RepeatLinkFactory::findByNameAttribute(root, "hidden", 10), nullptr);
  TiXmlElement* found = RepeatLinkFactory::findElement(root, "model");
  ASSERT_NE(found, nullptr);
  EXPECT_STREQ(found->Attribute("name"), "deep");
  EXPECT_EQ(RepeatLinkFactory::findElement(root, "r"), root);
  EXPECT_EQ(RepeatLinkFactory::findElement(root, "nothing"), nullptr);
}

TEST_F(FactoryTest, ModelDepthDependsOnTheInstanceVersion) {
  // The model sits three levels below the root: found for version 7 (depth
  // 4), not for version 6 (depth 3).
  fake_->instances = instancesXml({instanceXml(6, 1, 3141), instanceXml(7, 2, 3142)});
  fake_->scenes = {{1, sceneWith("demo")}, {2, sceneWith("demo")}};
  RepeatLinkFactory factory;
  factory.setVersionRange(6, 7);
  factory.setModelName("demo");
  SolvaneInstance chosen = factory.getValidInstance(query(), factory.getInstances(query()));
  EXPECT_EQ(chosen.process_id, 2);
  EXPECT_TRUE(factory.hadModel());

  fake_->scenes = {{1, sceneWith("demo")}, {2, sceneWith("demo", "inactive")}};
  EXPECT_EQ(factory.getValidInstance(query(), factory.getInstances(query())).version, 0);
  EXPECT_FALSE(factory.hadModel());
}

TEST_F(FactoryTest, PortZeroIsReachedByScanningFromTheFirstDefaultPort) {
  fake_->instances = instancesXml({instanceXml(8, 1, 0)});
  fake_->scenes = {{1, kEmptyScene}};
  fake_->openPorts = {3143};
  TestFactory factory;
  factory.setVersionRange(7, 8);
  ASSERT_NE(factory.getApi(), nullptr);
  EXPECT_EQ(factory.launches, 0);
  EXPECT_EQ(fake_->connects,
            (std::vector<std::string>{"127.0.0.1 3141 1", "127.0.0.1 3142 1", "127.0.0.1 3143 1"}));
  EXPECT_EQ(factory.getConnectedPort(), 0);
}

TEST_F(FactoryTest, FailureTexts) {
  {
    fake_->noSceneApi = true;
    TestFactory factory;
    EXPECT_EQ(factory.getApi(), nullptr);
    EXPECT_EQ(factory.getMessage(),
              "Failed to connect. Could not get a scene api. Please check your Solvane "
              "installation.\n");
    zel_free_scene_api_linked();
    fake_->reset();
  }
  {
    fake_->noQueryApi = true;
    TestFactory factory;
    EXPECT_EQ(factory.getApi(), nullptr);
    EXPECT_EQ(factory.getMessage(),
              "Failed to connect. Could not get a query api. Please check your Solvane "
              "installation.\n");
    fake_->reset();
  }
  // The scene API stayed held: destroying the factory released the library.
  EXPECT_EQ(solvane_live_loader, nullptr);
  {
    TestFactory factory;
    factory.launchWorks = false;
    EXPECT_EQ(factory.getApi(), nullptr);
    EXPECT_EQ(factory.getMessage(),
              "Failed to connect. Unabled to launch Solvane. Please check your Solvane "
              "installation.");
    EXPECT_TRUE(fake_->connects.empty());
    fake_->reset();
  }
  {
    fake_->instances = instancesXml({instanceXml(8, 1, 3150)});
    fake_->scenes = {{1, kEmptyScene}};
    TestFactory factory;
    EXPECT_EQ(factory.getApi(), nullptr);
    EXPECT_EQ(factory.getMessage(),
              "Failed to connect. Could not connect on any known port. Please check your "
              "Solvane installation and Live Link settings.");
    EXPECT_EQ(fake_->connects, std::vector<std::string>{"localhost 3150 4"});
    zel_free_scene_api_linked();
    fake_->reset();
  }
  {
    TestFactory factory;
    EXPECT_EQ(factory.getApi(), nullptr);
    EXPECT_EQ(fake_->connects.size(), 11u);
    EXPECT_EQ(fake_->connects.back(), "127.0.0.1 3151 1");
    // A later successful call clears the message.
    fake_->instances = instancesXml({instanceXml(8, 1, 3150)});
    fake_->scenes = {{1, kEmptyScene}};
    fake_->openPorts = {3150};
    EXPECT_NE(factory.getApi(), nullptr);
    EXPECT_EQ(factory.getMessage(), "");
  }
}

TEST_F(FactoryTest, ShutdownDisconnectsAndReleasesOnce) {
  fake_->instances = instancesXml({instanceXml(8, 1, 3141)});
  fake_->scenes = {{1, kEmptyScene}};
  fake_->openPorts = {3141};
  TestFactory factory;
  ASSERT_NE(factory.getApi(), nullptr);
  EXPECT_EQ(factory.getApi(), factory.getApi());  // connects only once
  EXPECT_EQ(fake_->connects.size(), 1u);
  EXPECT_EQ(fake_->liveObjects, 1);
  factory.shutdown();
  EXPECT_EQ(fake_->disconnects, 1);
  EXPECT_EQ(fake_->liveObjects, 0);
  EXPECT_EQ(solvane_live_loader, nullptr);
  factory.shutdown();
  EXPECT_EQ(fake_->disconnects, 1);
}
