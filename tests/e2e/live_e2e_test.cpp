// Render and Update through c4dhost against the staged renderer on the
// default loopback ports, and the renderer program's own life cycle. Every
// renderer these tests start is stopped by a guard, also on failure.
#include "link_net.h"
#include "query_api.h"
#include "svb_reader.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using solvane_link::RunningRenderer;

namespace {

std::string const kStage = SOLVANE_STAGE_ROOT;
std::string const kRenderer = kStage + "/Applications/Solvane8.app/Contents/MacOS/solvane";
std::string const kResources = kStage + "/Library/Application Support/Solvane8";

std::vector<RunningRenderer> running() {
  return solvane_link::QueryApi::scan(solvane_link::kFirstPort, solvane_link::kLastPort);
}

bool alive(pid_t pid) {
  // A child that ended is reaped here; another process's end shows as ESRCH.
  waitpid(pid, nullptr, WNOHANG);
  return kill(pid, 0) == 0;
}

template <typename Condition>
bool waitUntil(std::chrono::milliseconds limit, Condition&& condition) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return condition();
}

// Stops every renderer on the default ports when it goes out of scope, and
// any process it was told about.
class RendererGuard {
 public:
  RendererGuard() {
    for (RunningRenderer const& r : running()) stale_.push_back(r.port);
  }
  ~RendererGuard() { stopAll(); }
  RendererGuard(RendererGuard const&) = delete;
  RendererGuard& operator=(RendererGuard const&) = delete;

  // Ports that already answered before the test: the test cannot run.
  std::vector<int> const& stale() const { return stale_; }
  void track(pid_t pid) { pids_.insert(pid); }

  void stopAll() {
    for (RunningRenderer const& r : running()) {
      pids_.insert(static_cast<pid_t>(r.processId));
      std::string reply;
      solvane_link::request(r.port, "QUIT", reply, 2000);
    }
    for (pid_t pid : pids_) {
      if (!waitUntil(std::chrono::seconds(5), [&] { return !alive(pid); })) {
        kill(pid, SIGKILL);
        waitUntil(std::chrono::seconds(2), [&] { return !alive(pid); });
      }
    }
    pids_.clear();
  }

 private:
  std::vector<int> stale_;
  std::set<pid_t> pids_;
};

// Starts a program, its output into `log` when one is given.
pid_t spawn(std::vector<std::string> const& args, std::string const& log = "") {
  pid_t child = fork();
  if (child == 0) {
    if (!log.empty() && std::freopen(log.c_str(), "w", stdout)) dup2(fileno(stdout), 2);
    setenv("SOLVANE_RENDERER_IDLE_SECONDS", "120", 1);
    std::vector<char*> argv;
    for (std::string const& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return child;
}

// Runs a program to its end (at most two minutes), its output into `log`.
int run(std::vector<std::string> const& args, std::string const& log) {
  pid_t child = spawn(args, log);
  int status = 0;
  if (!waitUntil(std::chrono::seconds(120),
                 [&] { return waitpid(child, &status, WNOHANG) == child; })) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string readFile(std::string const& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Held {
  int received = 0;
  std::vector<std::string> models;
  std::vector<std::string> files;
};

// What a renderer reports through the query API.
Held held(RunningRenderer const& r) {
  Held result;
  solvane_link::QueryApi query;
  query.get_instances();
  if (!query.attach(r.processId)) return result;
  TiXmlDocument document;
  document.Parse(query.get_scene());
  TiXmlElement* scene =
      document.RootElement() ? document.RootElement()->FirstChildElement() : nullptr;
  if (!scene) return result;
  scene->QueryIntAttribute("received", &result.received);
  TiXmlElement* models = scene->FirstChildElement("models");
  for (TiXmlElement* m = models ? models->FirstChildElement() : nullptr; m;
       m = m->NextSiblingElement()) {
    result.models.push_back(m->Attribute("name"));
    result.files.push_back(m->Attribute("file"));
  }
  return result;
}

// The value of a parameter of the import-settings module in a scene file.
std::string moduleSetting(svb::Scene const& scene, std::string const& name) {
  for (svb::Node const& node : scene.nodes) {
    if (node.kind != svb::NodeKind::Module || node.name() != "zelrtopt.so") continue;
    svb::Node const* parameter = node.param(name);
    if (!parameter) return "missing";
    return parameter->value.boolean ? "on" : "off";
  }
  return "no module";
}

class LiveEndToEnd : public testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kRenderer)) GTEST_SKIP() << "no staged renderer at " << kRenderer;
    if (!guard_.stale().empty()) {
      FAIL() << "a renderer already answers on port " << guard_.stale().front()
             << "; stop it first (it also ends by itself when idle)";
    }
    log_ = (fs::temp_directory_path() / ("c4dhost-" + std::to_string(getpid()) + ".log")).string();
  }
  void TearDown() override {
    guard_.stopAll();
    std::error_code ignored;
    fs::remove(log_, ignored);
  }

  int c4dhost(std::string const& command) {
    int status = run({C4DHOST, "--plugin", SOLVANE_PLUGIN, command}, log_);
    hostOutput_ = readFile(log_);
    return status;
  }

  RendererGuard guard_;
  std::string log_;
  std::string hostOutput_;
};

}  // namespace

// Render launches the renderer and streams the demo; a second Render finds
// no empty scene, so it launches another renderer and fills that one;
// Update then goes to the first renderer holding the model, telling it not
// to adjust camera and environment.
TEST_F(LiveEndToEnd, RenderLaunchesRenderAgainLaunchesAnotherUpdateFindsTheModel) {
  ASSERT_EQ(c4dhost("Render"), 0) << hostOutput_;
  std::vector<RunningRenderer> renderers = running();
  ASSERT_EQ(renderers.size(), 1u) << hostOutput_;
  RunningRenderer first = renderers[0];
  EXPECT_EQ(first.port, 3141);
  EXPECT_EQ(first.versionMajor, 8);
  guard_.track(static_cast<pid_t>(first.processId));

  Held afterRender = held(first);
  EXPECT_EQ(afterRender.received, 1);
  ASSERT_EQ(afterRender.models, std::vector<std::string>{"demo"});
  svb::Scene rendered = svb::parse(readFile(kResources + "/scenes/" + afterRender.files[0]));
  ASSERT_NE(rendered.find_group("demo"), nullptr);
  svb::Summary summary = svb::summarize(rendered);
  EXPECT_EQ(summary.version, 8);
  EXPECT_EQ(summary.modules, 1u);
  EXPECT_GT(summary.groups, 1u);
  EXPECT_EQ(moduleSetting(rendered, "import_adjust_camera"), "on");
  EXPECT_EQ(moduleSetting(rendered, "import_adjust_environment"), "on");
  EXPECT_NE(readFile(kResources + "/renderer.log").find("received " + afterRender.files[0]),
            std::string::npos);

  ASSERT_EQ(c4dhost("Render"), 0) << hostOutput_;
  renderers = running();
  ASSERT_EQ(renderers.size(), 2u) << hostOutput_;
  RunningRenderer second = renderers[1];
  EXPECT_EQ(second.port, 3142);
  guard_.track(static_cast<pid_t>(second.processId));
  EXPECT_EQ(held(first).received, 1);
  EXPECT_EQ(held(second).models, std::vector<std::string>{"demo"});

  ASSERT_EQ(c4dhost("Update"), 0) << hostOutput_;
  EXPECT_EQ(running().size(), 2u);
  Held afterUpdate = held(first);
  EXPECT_EQ(afterUpdate.received, 2);
  ASSERT_EQ(afterUpdate.models, std::vector<std::string>{"demo"});
  svb::Scene updated = svb::parse(readFile(kResources + "/scenes/" + afterUpdate.files[0]));
  EXPECT_EQ(moduleSetting(updated, "import_adjust_camera"), "off");
  EXPECT_EQ(moduleSetting(updated, "import_adjust_environment"), "off");
}

// The renderer program started by hand: takes the first free port, ends on
// a quit request, on SIGTERM, and when idle.
TEST_F(LiveEndToEnd, RendererProgramLifeCycle) {
  fs::path folder = fs::temp_directory_path() / ("solvane-" + std::to_string(getpid()));
  auto start = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {kRenderer, "--folder", folder.string()});
    pid_t child = spawn(args);
    guard_.track(child);
    return child;
  };
  auto listening = [&](std::size_t count) {
    return waitUntil(std::chrono::seconds(10), [&] { return running().size() == count; });
  };

  pid_t a = start({});
  ASSERT_TRUE(listening(1));
  pid_t b = start({});
  ASSERT_TRUE(listening(2));
  std::vector<RunningRenderer> renderers = running();
  EXPECT_EQ(renderers[0].processId, a);
  EXPECT_EQ(renderers[0].port, 3141);
  EXPECT_EQ(renderers[1].processId, b);
  EXPECT_EQ(renderers[1].port, 3142);

  std::string reply;
  ASSERT_TRUE(solvane_link::request(3141, "QUIT", reply, 2000));
  EXPECT_EQ(reply, "BYE");
  EXPECT_TRUE(waitUntil(std::chrono::seconds(5), [&] { return !alive(a); }));
  ASSERT_TRUE(solvane_link::request(3142, "NONSENSE", reply, 2000));
  EXPECT_EQ(reply, "ERROR unknown request");
  kill(b, SIGTERM);
  EXPECT_TRUE(waitUntil(std::chrono::seconds(5), [&] { return !alive(b); }));

  pid_t idle = start({"--idle-timeout", "1"});
  ASSERT_TRUE(listening(1));
  EXPECT_TRUE(waitUntil(std::chrono::seconds(10), [&] { return !alive(idle); }));
  std::string log = readFile((folder / "renderer.log").string());
  EXPECT_NE(log.find("quit requested"), std::string::npos) << log;
  EXPECT_NE(log.find("stop signal received"), std::string::npos) << log;
  EXPECT_NE(log.find("idle for 1 s, stopping"), std::string::npos) << log;
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}
