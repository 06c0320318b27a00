// Processes of the live tests: ports of a test's own, the staged renderer program and
// c4dhost started and stopped by their process ids, and a temporary folder per test.
#pragma once

#include "command_run.h"
#include "free_ports.h"
#include "link_net.h"
#include "query_api.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace livee2e {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using solvane_link::RunningRenderer;

inline std::string const kStage = SOLVANE_STAGE_ROOT;
inline std::string const kRenderer = kStage + "/Applications/Solvane8.app/Contents/MacOS/solvane";

template <typename Condition>
bool waitUntil(std::chrono::milliseconds limit, Condition&& condition) {
  for (auto end = Clock::now() + limit; !condition(); std::this_thread::sleep_for(limit / 200)) {
    if (Clock::now() >= end) return false;
  }
  return true;
}

inline std::string readFile(std::string const& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Eleven ports of the test's own for this process and every program it starts.
struct PortRange {
  PortRange() : first(solvane_test::freePorts()), last(first + 10) {
    setenv("SOLVANE_PORT_RANGE", (std::to_string(first) + "-" + std::to_string(last)).c_str(), 1);
    setenv("SOLVANE_RENDERER_IDLE_SECONDS", "120", 1);
  }
  ~PortRange() { unsetenv("SOLVANE_PORT_RANGE"); }
  std::vector<RunningRenderer> running() const { return solvane_link::QueryApi::scan(first, last); }
  int first;
  int last;
};

// Waits for a child at most `limit`: its exit status; -1 when killed, or killed for being slow.
inline int finish(pid_t child, std::chrono::milliseconds limit = std::chrono::seconds(120)) {
  int status = 0;
  if (!waitUntil(limit, [&] { return waitpid(child, &status, WNOHANG) == child; })) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Stops, when it goes out of scope, every staged renderer answering on the range (whoever
// started it) and every process it was told about: QUIT, then SIGKILL after five seconds.
class RendererGuard {
 public:
  explicit RendererGuard(PortRange const& ports) : ports_(ports) {}
  ~RendererGuard() {
    for (RunningRenderer const& r : ports_.running()) {
      std::error_code error;
      fs::path exe = fs::read_symlink("/proc/" + std::to_string(r.processId) + "/exe", error);
      if (error || !fs::equivalent(exe, kRenderer, error)) continue;
      pids_.push_back(static_cast<pid_t>(r.processId));
      std::string reply;
      solvane_link::request(r.port, "QUIT", reply, 2000);
    }
    for (pid_t pid : pids_) {
      auto gone = [&] { return waitpid(pid, nullptr, WNOHANG) != 0 && kill(pid, 0) != 0; };
      if (!waitUntil(std::chrono::seconds(5), gone)) {
        kill(pid, SIGKILL);
        waitUntil(std::chrono::seconds(2), gone);
      }
    }
  }
  void track(pid_t pid) { pids_.push_back(pid); }

 private:
  PortRange const& ports_;
  std::vector<pid_t> pids_;
};

// Starts a program with its standard output and error appended to `log`.
inline pid_t spawn(std::vector<std::string> const& args, std::string const& log) {
  pid_t child = fork();
  if (child == 0) {
    if (std::freopen(log.c_str(), "a", stdout)) dup2(fileno(stdout), 2);
    std::vector<char*> argv;
    for (std::string const& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return child;
}

// The staged renderer program in `folder` (output in folder + ".out"), under the shell's
// `limits` when given, once it answers on the range: its process id, or -1.
inline pid_t startRenderer(RendererGuard& guard, PortRange const& ports, std::string const& folder,
                           std::vector<std::string> const& more = {},
                           std::string const& limits = "") {
  fs::create_directories(folder);
  std::vector<std::string> args = {kRenderer, "--foreground", "--folder", folder};
  args.insert(args.end(), more.begin(), more.end());
  if (!limits.empty())
    args.insert(args.begin(), {"/bin/sh", "-c", limits + "; exec \"$0\" \"$@\""});
  pid_t pid = spawn(args, folder + ".out");
  guard.track(pid);
  bool up = waitUntil(std::chrono::seconds(10), [&] { return !ports.running().empty(); });
  return up ? pid : -1;
}

// The scene description a renderer sends back, "" when it did not answer.
inline std::string sceneXml(int port) {
  std::string reply, xml;
  int fd = -1;
  if (solvane_link::request(port, "SCENE", reply, 5000, fd)) {
    solvane_link::readExactly(fd, xml, std::stoul(reply.substr(4)));
    close(fd);
  }
  return xml;
}

// A temporary folder for each test, which is skipped without the staged renderer.
class LiveTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kRenderer)) GTEST_SKIP() << "no staged renderer at " << kRenderer;
    char pattern[] = "/tmp/solvane-live-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  solvane_test::Outcome host(std::string const& command) {
    int status = finish(spawn({C4DHOST, "--plugin", SOLVANE_PLUGIN, command}, dir_ + "/host.log"));
    return {status, readFile(dir_ + "/host.log")};
  }

  std::string dir_;
};

}  // namespace livee2e
