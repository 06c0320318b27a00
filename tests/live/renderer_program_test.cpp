// The renderer program under faults: scenes it must refuse, a scene folder it cannot use, a
// full disk, a stream cut short, a slow client; and how it ends. Each test runs its own
// renderer on ports of its own and stops it by its process id.
#include "link_net.h"

#include "free_ports.h"
#include "live_test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::seconds;
using ::testing::HasSubstr;

template <typename Condition>
bool waitUntil(std::chrono::milliseconds limit, Condition&& condition) {
  auto end = Clock::now() + limit;
  while (!condition() && Clock::now() < end) std::this_thread::sleep_for(limit / 100);
  return condition();
}

// The renderer program with its folder and output in a temporary folder, on ports of its own
// (or `range`), stopped by its process id at the end.
class Renderer {
 public:
  explicit Renderer(int idleSeconds = 60, rlim_t fileSizeLimit = RLIM_INFINITY,
                    std::string range = "") {
    int first = solvane_test::freePorts();
    if (range.empty()) range = std::to_string(first) + "-" + std::to_string(first + 10);
    std::string variable = std::string(solvane_link::kPortRangeVariable) + "=" + range;
    std::vector<char*> env;
    for (char** e = environ; *e; ++e) env.push_back(*e);
    env.push_back(&variable[0]);
    env.push_back(nullptr);
    std::string idle = std::to_string(idleSeconds), output = dir / "output";
    char const* argv[] = {SOLVANE_RENDERER_PROGRAM, "--foreground", "--folder", folder.c_str(),
                          "--idle-timeout",         idle.c_str(),   nullptr};
    pid = fork();
    if (pid == 0) {
      int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(out, 1);
      dup2(out, 2);
      rlimit limit = {fileSizeLimit, fileSizeLimit};
      if (fileSizeLimit != RLIM_INFINITY) setrlimit(RLIMIT_FSIZE, &limit);
      execve(argv[0], const_cast<char**>(argv), env.data());
      _exit(127);
    }
    waitUntil(seconds(10), [&] {
      for (int p = first; p <= first + 10 && port < 0; ++p) {
        std::string reply;
        solvane_link::request(p, "INFO", reply, 500);
        if (reply == "SOLVANE 8 0 " + std::to_string(pid) + " " + std::to_string(p)) port = p;
      }
      return port > 0 || ended();
    });
  }
  ~Renderer() { stop(); }

  // SIGTERM, up to five seconds, then SIGKILL; the exit status, or -1.
  int stop() {
    if (!ended()) kill(pid, SIGTERM);
    if (!endsWithin(seconds(5))) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
      status_ = -1;
    }
    return status_;
  }
  bool endsWithin(seconds limit) {
    return waitUntil(limit, [&] { return ended(); });
  }
  std::string output() const {
    std::ifstream in(dir / "output");
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  livetest::TempDir dir;
  std::string const folder = dir / "renderer";
  std::string const scenes = folder + "/scenes";
  pid_t pid = -1;
  int port = -1;

 private:
  bool ended() {
    int status = 0;
    if (status_ == -2 && waitpid(pid, &status, WNOHANG) == pid)
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return status_ != -2;
  }
  int status_ = -2;  // -2 while running
};

// A stream with its request line and `part` of the scene sent; -1 on failure.
int openStream(int port, int clientId, std::string const& part) {
  int fd = solvane_link::connectTo("127.0.0.1", port, 5000, nullptr);
  if (fd >= 0) solvane_link::sendAll(fd, "STREAM " + std::to_string(clientId) + "\n" + part);
  return fd;
}

// Sends the rest, ends the stream; the reply, "" when none came.
std::string finishStream(int fd, std::string const& rest) {
  std::string reply;
  if (solvane_link::sendAll(fd, rest) && shutdown(fd, SHUT_WR) == 0)
    solvane_link::readLine(fd, reply);
  close(fd);
  return reply;
}

std::string sceneXml(int port) {
  std::string reply, xml;
  int fd = -1;
  if (solvane_link::request(port, "SCENE", reply, 5000, fd)) {
    solvane_link::readExactly(fd, xml, std::stoul(reply.substr(4)));
    close(fd);
  }
  return xml;
}

// Names of the scene files, kept or temporary, anywhere under `dir`.
std::vector<std::string> sceneFiles(std::string const& dir) {
  std::vector<std::string> found;
  std::error_code ignored;
  for (auto const& entry : livetest::fs::recursive_directory_iterator(dir, ignored)) {
    if (entry.path().string().find(".svb") != std::string::npos)
      found.push_back(entry.path().filename());
  }
  return found;
}

}  // namespace

// Every refusal gets ERROR with its reason, leaves no file, changes nothing held and is
// logged; the renderer goes on answering and ends when asked to quit.
TEST(RendererProgram, RefusedSceneLeavesNothingAndTheRendererServesOn) {
  std::string big = "version 8\n";
  while (big.size() < 200000) big += "group \"g\" {\n}\n";
  struct Case {
    char const* what;
    std::string scene;
    bool folderIsAFile;
    rlim_t fileSizeLimit;
    std::string reason;  // after "ERROR "; "@" stands for the scene folder
  } const cases[] = {
      // A stray "}" after the group, at byte 10 + 12 + 2.
      {"malformed", "version 8\ngroup \"a\" {\n}\n}\n", false, RLIM_INFINITY,
       "malformed scene: offset 24: "},
      // The stream ends inside the group opened by byte 10 + 14.
      {"cut short", "version 8\ngroup \"cut\" {\n", false, RLIM_INFINITY,
       "incomplete scene: offset 24: "},
      {"empty", "", false, RLIM_INFINITY, "empty scene: no statement"},
      {"folder is a file", "group \"a\" {\n}\n", true, RLIM_INFINITY,
       "scene not stored: cannot create scene folder @: Not a directory"},
      {"disk full", big, false, 65536, "scene not stored: cannot write @/.scene-"},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.what);
    Renderer renderer(60, c.fileSizeLimit);
    ASSERT_GT(renderer.port, 0) << renderer.output();
    if (c.folderIsAFile) livetest::writeFile(renderer.scenes, "not a folder");

    std::string reply = finishStream(openStream(renderer.port, 5, c.scene), "");
    std::string reason = c.reason;
    if (reason.find('@') != std::string::npos) reason.replace(reason.find('@'), 1, renderer.scenes);
    EXPECT_EQ(reply.rfind("ERROR " + reason, 0), 0u) << reply;
    if (c.fileSizeLimit != RLIM_INFINITY) {
      EXPECT_THAT(reply, HasSubstr(".svb.tmp: File too large"));
    }
    EXPECT_EQ(sceneFiles(renderer.dir.path()), std::vector<std::string>{});
    EXPECT_THAT(sceneXml(renderer.port), HasSubstr("received=\"0\">\n    <models>\n    </models>"));
    std::string bye;
    EXPECT_TRUE(solvane_link::request(renderer.port, "QUIT", bye, 1000) && bye == "BYE") << bye;
    EXPECT_TRUE(renderer.endsWithin(seconds(5)));
    EXPECT_EQ(renderer.stop(), 0);
    EXPECT_THAT(renderer.output(),
                HasSubstr("client 5: refused a scene (" + std::to_string(c.scene.size()) +
                          " bytes): " + reason));
  }
}

// Half a scene arrives and its client pauses past the idle time: queries are answered at
// once, the renderer stays and the scene completes. Told to stop while another stream is
// open, it ends at once, keeping nothing of that one; left idle, it ends by itself.
TEST(RendererProgram, ServesWhileScenesStreamInAndEndsWhenToldOrIdle) {
  Renderer renderer(1);
  ASSERT_GT(renderer.port, 0);
  int slow = openStream(renderer.port, 1, "version 8\ngroup \"slow\"");
  int cut = openStream(renderer.port, 3, "version 8\ngroup \"cut\" {\n");
  Clock::time_point start = Clock::now();
  std::string reply;
  solvane_link::request(renderer.port, "INFO", reply, 1000);
  EXPECT_EQ(reply,
            "SOLVANE 8 0 " + std::to_string(renderer.pid) + " " + std::to_string(renderer.port));
  EXPECT_THAT(sceneXml(renderer.port), HasSubstr("received=\"0\""));
  EXPECT_LT(Clock::now() - start, seconds(1));

  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  EXPECT_EQ(finishStream(slow, " {\n}\n"), "OK 2");
  EXPECT_THAT(sceneXml(renderer.port), HasSubstr("<model name=\"slow\""));
  start = Clock::now();
  EXPECT_EQ(renderer.stop(), 0);
  EXPECT_LT(Clock::now() - start, seconds(4));
  close(cut);
  EXPECT_EQ(sceneFiles(renderer.dir.path()),
            std::vector<std::string>{"scene-" + std::to_string(renderer.pid) + "-1.svb"});
  EXPECT_THAT(renderer.output(), HasSubstr("client 3: renderer stopping"));

  Renderer idle(1);
  ASSERT_GT(idle.port, 0);
  EXPECT_TRUE(idle.endsWithin(seconds(10)));
  EXPECT_EQ(idle.stop(), 0);
  EXPECT_THAT(idle.output(), HasSubstr("idle for 1 s, stopping"));
}

TEST(RendererProgram, MalformedPortRangeEndsWithStatus2) {
  for (char const* range : {"24100", "24110-24100", "1-70000", "a-b"}) {
    Renderer renderer(60, RLIM_INFINITY, range);
    EXPECT_EQ(renderer.stop(), 2) << range;
    EXPECT_THAT(renderer.output(), HasSubstr("SOLVANE_PORT_RANGE must be FIRST-LAST"));
  }
}
