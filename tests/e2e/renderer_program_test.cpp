// The renderer program under faults: scenes it must refuse, a scene folder it cannot use, a
// full disk, a stream cut short, a slow client; and how it ends. Each test runs its own
// renderer on ports of its own and stops it by its process id.
#include "live_processes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/socket.h>

#include <string>
#include <vector>

using namespace livee2e;
using std::chrono::seconds;
using ::testing::HasSubstr;

namespace {

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

// Names of the scene files, kept or temporary, anywhere under `dir`.
std::vector<std::string> sceneFiles(std::string const& dir) {
  std::vector<std::string> found;
  std::error_code ignored;
  for (auto const& entry : fs::recursive_directory_iterator(dir, ignored)) {
    if (entry.path().string().find(".svb") != std::string::npos)
      found.push_back(entry.path().filename());
  }
  return found;
}

class RendererProgram : public LiveTest {};

}  // namespace

// Every refusal gets ERROR with its reason, leaves no file, changes nothing held and is
// logged; the renderer goes on answering and ends when asked to quit.
TEST_F(RendererProgram, RefusedSceneLeavesNothingAndTheRendererServesOn) {
  std::string big = "version 8\n";
  while (big.size() < 200000) big += "group \"g\" {\n}\n";
  struct Case {
    char const* what;
    std::string scene;
    bool folderIsAFile;
    std::string limits;  // of the renderer's shell
    std::string reason;  // after "ERROR "; "@" stands for the scene folder
  } const cases[] = {
      // A stray "}" after the group, at byte 10 + 12 + 2.
      {"malformed", "version 8\ngroup \"a\" {\n}\n}\n", false, "", "malformed scene: offset 24: "},
      // The stream ends inside the group opened by byte 10 + 14.
      {"cut short", "version 8\ngroup \"cut\" {\n", false, "", "incomplete scene: offset 24: "},
      {"empty", "", false, "", "empty scene: no statement"},
      {"folder is a file", "group \"a\" {\n}\n", true, "",
       "scene not stored: cannot create scene folder @: Not a directory"},
      {"disk full", big, false, "ulimit -f 128", "scene not stored: cannot write @/.scene-"},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.what);
    PortRange ports;
    RendererGuard guard(ports);
    std::string const folder = dir_ + "/" + c.what, scenes = folder + "/scenes";
    if (c.folderIsAFile) {
      fs::create_directories(folder);
      std::ofstream(scenes) << "not a folder";
    }
    pid_t pid = startRenderer(guard, ports, folder, {}, c.limits);
    ASSERT_GT(pid, 0) << readFile(folder + ".out");

    std::string reply = finishStream(openStream(ports.first, 5, c.scene), "");
    std::string reason = c.reason;
    if (reason.find('@') != std::string::npos) reason.replace(reason.find('@'), 1, scenes);
    EXPECT_EQ(reply.rfind("ERROR " + reason, 0), 0u) << reply;
    if (!c.limits.empty()) {
      EXPECT_THAT(reply, HasSubstr(".svb.tmp: File too large"));
    }
    EXPECT_EQ(sceneFiles(folder), std::vector<std::string>{});
    EXPECT_THAT(sceneXml(ports.first), HasSubstr("received=\"0\">\n    <models>\n    </models>"));
    std::string bye;
    EXPECT_TRUE(solvane_link::request(ports.first, "QUIT", bye, 1000) && bye == "BYE") << bye;
    EXPECT_EQ(finish(pid, seconds(5)), 0);
    EXPECT_THAT(readFile(folder + ".out"),
                HasSubstr("client 5: refused a scene (" + std::to_string(c.scene.size()) +
                          " bytes): " + reason));
  }
}

// Half a scene arrives and its client pauses past the idle time: queries are answered at
// once, the renderer stays and the scene completes, its model's name escaped in the scene
// description. Told to stop while another stream is
// open, it ends at once, keeping nothing of that one; left idle, it ends by itself.
TEST_F(RendererProgram, ServesWhileScenesStreamInAndEndsWhenToldOrIdle) {
  PortRange ports;
  RendererGuard guard(ports);
  std::string const folder = dir_ + "/renderer";
  pid_t pid = startRenderer(guard, ports, folder, {"--idle-timeout", "1"});
  ASSERT_GT(pid, 0);
  int slow = openStream(ports.first, 1, "version 8\ngroup \"slow & <steady>\"");
  int cut = openStream(ports.first, 3, "version 8\ngroup \"cut\" {\n");
  Clock::time_point start = Clock::now();
  std::string reply;
  solvane_link::request(ports.first, "INFO", reply, 1000);
  EXPECT_EQ(reply, "SOLVANE 8 0 " + std::to_string(pid) + " " + std::to_string(ports.first));
  EXPECT_THAT(sceneXml(ports.first), HasSubstr("received=\"0\""));
  EXPECT_LT(Clock::now() - start, seconds(1));

  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  EXPECT_EQ(finishStream(slow, " {\n}\n"), "OK 2");
  EXPECT_THAT(sceneXml(ports.first), HasSubstr("<model name=\"slow &amp; &lt;steady&gt;\""));
  kill(pid, SIGTERM);
  EXPECT_EQ(finish(pid, seconds(4)), 0);
  close(cut);
  EXPECT_EQ(sceneFiles(folder),
            std::vector<std::string>{"scene-" + std::to_string(pid) + "-1.svb"});
  EXPECT_THAT(readFile(folder + ".out"), HasSubstr("client 3: renderer stopping"));

  pid_t idle = startRenderer(guard, ports, dir_ + "/idle", {"--idle-timeout", "1"});
  ASSERT_GT(idle, 0);
  EXPECT_EQ(finish(idle, seconds(10)), 0);
  EXPECT_THAT(readFile(dir_ + "/idle.out"), HasSubstr("idle for 1 s, stopping"));
}

TEST_F(RendererProgram, MalformedPortRangeEndsWithStatus2) {
  for (char const* range : {"24100", "24110-24100", "1-70000", "a-b"}) {
    setenv("SOLVANE_PORT_RANGE", range, 1);
    EXPECT_EQ(
        finish(spawn({kRenderer, "--foreground", "--folder", dir_}, dir_ + "/out"), seconds(5)), 2)
        << range;
    unsetenv("SOLVANE_PORT_RANGE");
  }
  EXPECT_THAT(readFile(dir_ + "/out"), HasSubstr("SOLVANE_PORT_RANGE must be FIRST-LAST"));
}
