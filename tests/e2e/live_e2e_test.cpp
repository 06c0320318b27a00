// Render and Update end to end: through c4dhost and the staged installation against the real
// renderer program and small fake peers written here, and, where the installation itself is
// the fault, through the Render command in this process with an installation of the test's
// own. Every test keeps to ports of its own (SOLVANE_PORT_RANGE, which c4dhost, the link
// library and the renderers they start all read), and stops every process it started by its
// process id, also when an assertion fails.
#include "C4DLoader.h"
#include "live_processes.h"
#include "live_test_support.h"
#include "svb_reader.h"

#include "c4d.h"
#include "c4dhost_runtime.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace livee2e;
using ::testing::HasSubstr;

namespace {

std::string const kResources = kStage + "/Library/Application Support/Solvane8";

// A program on a port that is not the renderer the link looks for: one that never accepts
// (the system completes the connections, nobody answers); one whose INFO reply has a word
// too many; one that names itself a renderer (process id 7) and then refuses every scene,
// or closes the connection part way through it.
class FakePeer {
 public:
  enum class Kind { Silent, Impostor, RefusesScenes, ClosesMidStream };

  FakePeer(int port, Kind kind) : kind_(kind), port_(port) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int yes = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    bound_ = bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
             listen(listener_, 64) == 0;
    if (kind != Kind::Silent) thread_ = std::thread([this] { serve(); });
  }
  ~FakePeer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    close(listener_);
  }
  bool bound() const { return bound_; }

 private:
  void serve() {
    while (!stop_) {
      pollfd waiting = {listener_, POLLIN, 0};
      if (poll(&waiting, 1, 50) <= 0) continue;
      int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      solvane_link::setTimeouts(fd, 2000);
      std::string line, scene;
      solvane_link::readLine(fd, line);
      std::string const xml = "<scene_info><scene><models/></scene></scene_info>";
      if (line == "INFO") {
        solvane_link::sendAll(fd, "SOLVANE 8 0 7 " + std::to_string(port_) +
                                      (kind_ == Kind::Impostor ? " 0\n" : "\n"));
      } else if (line == "SCENE") {
        solvane_link::sendAll(fd, "XML " + std::to_string(xml.size()) + "\n" + xml);
      } else if (kind_ == Kind::RefusesScenes) {
        solvane_link::readToEnd(fd, scene, 1 << 26);
        solvane_link::sendAll(fd, "ERROR no room for this scene\n");
      } else {
        solvane_link::readExactly(fd, scene, 64);
      }
      close(fd);
    }
  }

  Kind kind_;
  int port_;
  int listener_ = -1;
  bool bound_ = false;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// What a renderer holds: how many scenes it received, and its models' names and files.
struct Held {
  int received = -1;
  std::vector<std::string> models, files;
};

// The value of `attribute` in the scene description from `from` on, "" when absent.
std::string attributeValue(std::string const& xml, std::string const& attribute,
                           std::size_t from = 0) {
  std::size_t const at = xml.find(" " + attribute + "=\"", from);
  if (at == std::string::npos) return "";
  std::size_t const start = at + attribute.size() + 3;
  return xml.substr(start, xml.find('"', start) - start);
}

Held held(RunningRenderer const& r) {
  Held result;
  std::string const xml = sceneXml(r.port);
  std::string const received = attributeValue(xml, "received");
  if (!received.empty()) result.received = std::stoi(received);
  for (std::size_t at = xml.find("<model "); at != std::string::npos;
       at = xml.find("<model ", at + 1)) {
    result.models.push_back(attributeValue(xml, "name", at));
    result.files.push_back(attributeValue(xml, "file", at));
  }
  return result;
}

// The value of a parameter of the import-settings module in a scene file.
std::string moduleSetting(svb::Scene const& scene, std::string const& name) {
  for (svb::Node const& node : scene.nodes) {
    if (node.kind != svb::NodeKind::Module || node.name() != "zelrtopt.so") continue;
    svb::Node const* parameter = node.param(name);
    return parameter ? (parameter->value.boolean ? "on" : "off") : "missing";
  }
  return "no module";
}

class LiveEndToEnd : public LiveTest {};

}  // namespace

// Render launches the renderer and streams the demo; a second Render finds no empty scene,
// so it launches another renderer and fills that one; Update then goes to the first
// renderer, which holds the model, telling it not to adjust camera and environment.
TEST_F(LiveEndToEnd, RenderLaunchesRenderAgainLaunchesAnotherUpdateFindsTheModel) {
  PortRange ports;
  RendererGuard guard(ports);
  solvane_test::Outcome run = host("Render");
  ASSERT_EQ(run.status, 0) << run.output;
  std::vector<RunningRenderer> renderers = ports.running();
  ASSERT_EQ(renderers.size(), 1u) << run.output;
  RunningRenderer first = renderers[0];
  EXPECT_EQ(first.port, ports.first);
  EXPECT_EQ(first.versionMajor, 8);

  Held afterRender = held(first);
  EXPECT_EQ(afterRender.received, 1);
  ASSERT_EQ(afterRender.models, std::vector<std::string>{"demo"});
  svb::Scene rendered = svb::parse(readFile(kResources + "/scenes/" + afterRender.files[0]));
  ASSERT_NE(rendered.find_group("demo"), nullptr);
  EXPECT_EQ(svb::summarize(rendered).modules, 1u);
  EXPECT_EQ(moduleSetting(rendered, "import_adjust_camera"), "on");
  EXPECT_EQ(moduleSetting(rendered, "import_adjust_environment"), "on");

  ASSERT_EQ((run = host("Render")).status, 0) << run.output;
  renderers = ports.running();
  ASSERT_EQ(renderers.size(), 2u) << run.output;
  EXPECT_EQ(renderers[1].port, ports.first + 1);
  EXPECT_EQ(held(first).received, 1);
  EXPECT_EQ(held(renderers[1]).models, std::vector<std::string>{"demo"});

  ASSERT_EQ((run = host("Update")).status, 0) << run.output;
  EXPECT_EQ(ports.running().size(), 2u);
  Held afterUpdate = held(first);
  EXPECT_EQ(afterUpdate.received, 2);
  svb::Scene updated = svb::parse(readFile(kResources + "/scenes/" + afterUpdate.files[0]));
  EXPECT_EQ(moduleSetting(updated, "import_adjust_camera"), "off");
  EXPECT_EQ(moduleSetting(updated, "import_adjust_environment"), "off");
}

// Render against peers that fail it: every case is a non-zero exit naming the renderer and
// the reason, within the bounds of the link's waits. A stranger taken for a renderer would
// have been sent the scene instead of the launch being tried.
TEST_F(LiveEndToEnd, FailingPeersAreReportedWithTheRendererAndTheReason) {
  using Kind = FakePeer::Kind;
  std::vector<Kind> strangers;  // every port held, so the launched renderer finds none free
  for (int i = 0; i < 11; ++i) strangers.push_back(i % 2 ? Kind::Impostor : Kind::Silent);
  struct Case {
    char const* what;
    std::vector<Kind> peers;  // on the first ports of the range
    bool folderIsAFile;       // instead: a real renderer whose scene folder is a regular file
    std::string message;      // FIRST and LAST stand for the range's ports
  } const cases[] = {
      {"renderer refuses",
       {Kind::RefusesScenes},
       false,
       "renderer 7 on port FIRST refused the scene: no room for this scene"},
      {"connection dropped", {Kind::ClosesMidStream}, false, "renderer 7 on port FIRST "},
      {"all ports held by strangers", strangers, false,
       "ended with status 1 before it answered on ports FIRST to LAST."},
      {"scene folder is a file",
       {},
       true,
       "refused the scene: scene not stored: cannot create scene folder "},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.what);
    PortRange ports;
    RendererGuard guard(ports);
    std::vector<std::unique_ptr<FakePeer>> peers;
    for (Kind kind : c.peers) {
      peers.push_back(std::make_unique<FakePeer>(ports.first + peers.size(), kind));
      ASSERT_TRUE(peers.back()->bound());
    }
    if (c.folderIsAFile) {
      fs::create_directories(dir_ + "/renderer");
      std::ofstream(dir_ + "/renderer/scenes") << "not a folder";
      ASSERT_GT(startRenderer(guard, ports, dir_ + "/renderer"), 0);
    }
    auto start = Clock::now();
    solvane_test::Outcome run = host("Render");
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(15));
    EXPECT_EQ(run.status, 1) << run.output;
    std::string message = c.message;
    for (auto [word, port] : {std::pair{"FIRST", ports.first}, std::pair{"LAST", ports.last}}) {
      std::size_t at = message.find(word);
      if (at != std::string::npos) message.replace(at, std::strlen(word), std::to_string(port));
    }
    EXPECT_THAT(run.output, HasSubstr(message));
  }
}

// Twenty Updates at once into one renderer: every one arrives whole, none launches a second
// renderer, all twenty-one scenes are stored and readable.
TEST_F(LiveEndToEnd, TwentyConcurrentUpdatesIntoOneRenderer) {
  PortRange ports;
  RendererGuard guard(ports);
  std::string const folder = dir_ + "/renderer";
  ASSERT_GT(startRenderer(guard, ports, folder), 0);
  solvane_test::Outcome run = host("Render");
  ASSERT_EQ(run.status, 0) << run.output;

  std::vector<pid_t> updates;
  for (int i = 0; i < 20; ++i) {
    updates.push_back(spawn({C4DHOST, "--plugin", SOLVANE_PLUGIN, "Update"},
                            dir_ + "/update" + std::to_string(i) + ".log"));
  }
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(finish(updates[i]), 0) << readFile(dir_ + "/update" + std::to_string(i) + ".log");
  }
  std::vector<RunningRenderer> renderers = ports.running();
  ASSERT_EQ(renderers.size(), 1u);
  EXPECT_EQ(held(renderers[0]).received, 21);
  int scenes = 0;
  for (auto const& entry : fs::directory_iterator(folder + "/scenes")) {
    if (entry.path().extension() != ".svb") continue;
    ++scenes;
    EXPECT_NE(svb::parse(readFile(entry.path())).find_group("demo"), nullptr) << entry.path();
  }
  EXPECT_EQ(scenes, 21);
}

// A broken installation, tried through the Render command itself: the launch says at once
// what went wrong and with which program.
TEST_F(LiveEndToEnd, BrokenInstallationIsReportedAtOnce) {
  struct Case {
    char const* what;
    char const* program;  // null: none installed
    fs::perms permissions;
    std::string message;
  } const cases[] = {
      {"renderer program missing", nullptr, fs::perms::none, "solvane: No such file or directory."},
      {"not executable", "#!/bin/sh\n", fs::perms::owner_read, "solvane: Permission denied"},
      {"renderer exits at once", "#!/bin/sh\nexit 3\n", fs::perms::owner_all,
       ") ended with status 3 before it answered"},
      {"renderer killed", "#!/bin/sh\nkill -KILL $$\n", fs::perms::owner_all,
       ") was killed by signal 9 before it answered"},
  };
  livetest::InstallTree tree;  // version 8: the link library, and the program of each case
  std::string const app = tree.addRegular(8);
  fs::create_symlink(LINK_LIBRARY, app + "zelsolvanelive6.so");
  for (Case const& c : cases) {
    SCOPED_TRACE(c.what);
    PortRange ports;
    fs::remove(app + "solvane");
    if (c.program) {
      std::ofstream(app + "solvane") << c.program;
      fs::permissions(app + "solvane", c.permissions);
    }
    c4dhost::ClearMessages();
    BaseDocument* doc = BaseDocument::Alloc();
    auto start = Clock::now();
    C4DLoader().render(doc);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
    BaseDocument::Free(doc);
    ASSERT_EQ(c4dhost::Messages().size(), 1u);
    std::string const text = c4dhost::Messages()[0].text;
    EXPECT_THAT(text,
                HasSubstr("Unabled to launch Solvane. Please check your Solvane installation."));
    EXPECT_THAT(text, HasSubstr(app + "solvane"));
    EXPECT_THAT(text, HasSubstr(c.message));
  }
}
