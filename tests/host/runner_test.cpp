// c4dhost as a user runs it: a separate process with the test plug-in shell.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Result {
  int status = -1;
  std::string out, err;
};

// Reads a file the run wrote, then removes it.
std::string takeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string text(std::istreambuf_iterator<char>(in), {});
  std::remove(path.c_str());
  return text;
}

// Runs c4dhost with the arguments and waits for it; output goes through files.
Result runHost(std::vector<std::string> args) {
  char dir[] = "/tmp/c4dhost_test_XXXXXX";
  if (mkdtemp(dir) == nullptr) return {};
  const std::string out = std::string(dir) + "/out", err = std::string(dir) + "/err";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT, 0600);
  args.insert(args.begin(), C4DHOST_PATH);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  Result r;
  if (posix_spawn(&pid, C4DHOST_PATH, &actions, nullptr, argv.data(), environ) == 0) {
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  }
  posix_spawn_file_actions_destroy(&actions);
  r.out = takeFile(out);
  r.err = takeFile(err);
  rmdir(dir);
  return r;
}

const std::string kPlugin = TEST_PLUGIN_PATH;

const std::string kList =
    "1000001\tHello\tSay hello\thello.png\n"
    "1000002\tSave\tAsk for a file name\tsave.png\n"
    "1000003\tFail\tReport a failure\t\n";
const std::string kEnded = "test plug-in ended\n";  // PluginEnd ran

// What the runner and the plug-in's commands tell the user, and the exit status: 0 when the
// command did its job (a cancelled dialog is the user's choice), 1 when it failed.
TEST(Runner, RunsCommandsAndReportsWhatWentWrong) {
  const std::string p = "--plugin=" + kPlugin;
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;
    std::string out = {};  // standard output
  } cases[] = {
      {{"--plugin", kPlugin, "--host-version", "20017", "--list"}, 0, kEnded, kList},
#ifdef REAL_PLUGIN_PATH
      // Without --plugin: the plug-in of this build.
      {{"--list"},
       0,
       "",
       "1033591\tRender\tRender in Solvane\trender.png\n1034393\tUpdate\tUpdate Solvane "
       "scene\tupdate.png\n1034420\tExport\tExport to .svb\texport.png\n"},
#endif
      {{p, "Hello"}, 0, "document demo.c4d, first object Camera, selected 1\n" + kEnded},
      {{p, EXAMPLES_FOLDER "/triangle.json", "Hello"},
       0,
       "document triangle.c4d, first object Triangle, selected 1\n" + kEnded},
      {{p, "Save"},
       0,
       "save cancelled, still untitled.txt\nc4dhost: the save dialog was cancelled (no --save-as "
       "given); nothing was saved\n" +
           kEnded},
      {{p, "Save", "--save-as", "/tmp/out.svb"}, 0, "save as /tmp/out.svb\n" + kEnded},
      {{p, "--save-as=-", "--", "1000002"}, 0, "save as -\n" + kEnded},  // a command by its id
      {{p, "Fail"},
       1,
       "message: the test command failed\nc4dhost: the command \"Fail\" reported a problem (see "
       "the message above)\n" +
           kEnded},
      {{p, "Render"},
       1,
       "c4dhost: the plug-in has no command \"Render\" (it has: Hello, Save, Fail)\n" + kEnded},
      {{"--plugin", NOT_A_PLUGIN_PATH, "--list"},
       1,
       "c4dhost: the library " NOT_A_PLUGIN_PATH " is not a plug-in: it has no c4d_main\n"},
      {{p, "--host-version", "20016", "--list"},
       1,
       "c4dhost: the plug-in " + kPlugin +
           " refuses to start in a host of interface version 20016\n"},
      // A document error comes before the plug-in starts.
      {{p, EXAMPLES_FOLDER "/missing.json", "Hello"},
       1,
       "c4dhost: document error: " EXAMPLES_FOLDER
       "/missing.json: file: cannot be opened for reading: No such file or directory\n"},
  };
  for (const auto& c : cases) {
    const Result r = runHost(c.args);
    EXPECT_EQ(r.status, c.status) << c.args.back() << ": " << r.err;
    EXPECT_EQ(r.out, c.out) << c.args.back();
    EXPECT_EQ(r.err, c.err) << c.args.back();
  }
  const Result r = runHost({"--plugin", "/nonexistent/plugin.so", "--list"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("c4dhost: cannot load the plug-in /nonexistent/plugin.so: ", 0), 0u)
      << r.err;
}

TEST(Runner, RefusesAWrongCommandLine) {
  const std::vector<std::string> wrong[] = {{},
                                            {"--list", "Hello"},
                                            {"a.json", "Hello", "extra"},
                                            {"--frobnicate"},
                                            {"Hello", "--save-as", "a", "--save-as", "b"},
                                            {"--host-version", "new", "--list"}};
  for (const std::vector<std::string>& args : wrong) {
    const Result r = runHost(args);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_NE(r.err.find("Try 'c4dhost --help'."), std::string::npos) << r.err;
  }
}

}  // namespace
