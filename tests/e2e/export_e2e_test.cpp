// Export through the real runner and plug-in module: readable scenes, and every way an export
// can fail, with the user's files left as they were.
#include "command_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>

using ::testing::HasSubstr;

namespace {

using solvane_test::Outcome;
using solvane_test::quote;
using solvane_test::run;

std::string host() { return quote(C4DHOST) + " --plugin " + quote(SOLVANE_PLUGIN); }

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class ExportEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/solvane-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
  }
  void TearDown() override { run("rm -rf " + quote(dir)); }
  // Names in the folder, hidden ones included.
  std::set<std::string> listing() {
    std::set<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
      while (dirent* e = readdir(d)) names.insert(e->d_name);
      closedir(d);
    }
    return names;
  }
  std::string dir;
};

// The demo file and the runner's embedded demo document give the same readable scene, to a
// file and through standard output.
TEST_F(ExportEndToEnd, DemoDocumentBecomesAReadableSceneFile) {
  const std::string fromFile = dir + "/demo.svb";
  Outcome exported =
      run(host() + " " + quote(DEMO_DOCUMENT) + " Export --save-as " + quote(fromFile));
  ASSERT_EQ(exported.status, 0) << exported.output;
  // --quiet: the summary line would join the scene, since run() sends errors along.
  Outcome piped = run(host() + " --quiet Export --save-as - > " + quote(dir + "/embedded.svb"));
  ASSERT_EQ(piped.status, 0) << piped.output;
  EXPECT_EQ(readFile(fromFile), readFile(dir + "/embedded.svb"));
  Outcome info = run(quote(SVBINFO) + " " + quote(fromFile));
  ASSERT_EQ(info.status, 0) << info.output;
  EXPECT_THAT(info.output, HasSubstr("version: 8\n"));
  EXPECT_EQ(listing(), (std::set<std::string>{".", "..", "demo.svb", "embedded.svb"}));
}

// Fields may come in any order: the demo with the fields of every JSON object sorted by name
// (so that "type" follows the points, polygons and tags that depend on it) exports to the
// same bytes as the demo.
TEST_F(ExportEndToEnd, TheOrderOfFieldsDoesNotChangeTheScene) {
  std::ifstream in(DEMO_DOCUMENT);
  nlohmann::json sorted = nlohmann::json::parse(in);  // its objects keep their keys sorted
  ASSERT_EQ(std::prev(sorted["objects"][0].end()).key(), "type");
  sorted["folder"] = std::filesystem::path(DEMO_DOCUMENT).parent_path().string();
  writeFile(dir + "/sorted.json", sorted.dump(1));
  Outcome exported =
      run(host() + " " + quote(DEMO_DOCUMENT) + " Export --save-as " + quote(dir + "/demo.svb"));
  ASSERT_EQ(exported.status, 0) << exported.output;
  exported = run(host() + " " + quote(dir + "/sorted.json") + " Export --save-as " +
                 quote(dir + "/sorted.svb"));
  ASSERT_EQ(exported.status, 0) << exported.output;
  const std::string scene = readFile(dir + "/demo.svb");
  EXPECT_GT(scene.size(), 1000u);
  EXPECT_TRUE(scene == readFile(dir + "/sorted.svb"));
}

// Every failing export is a non-zero exit with the file and the reason, and leaves the folder
// as it was: no new file, no temporary file, old bytes unchanged.
TEST_F(ExportEndToEnd, FailedExportsLeaveTheUsersFilesAsTheyWere) {
  writeFile(dir + "/old.svb", "old bytes\n");
  writeFile(dir + "/plain", "a file, not a folder\n");
  writeFile(dir + "/doc.json", readFile(DEMO_DOCUMENT));
  ASSERT_EQ(mkdir((dir + "/folder.svb").c_str(), 0755), 0);
  ASSERT_EQ(symlink("/dev/full", (dir + "/full.svb").c_str()), 0);
  ASSERT_EQ(symlink("doc.json", (dir + "/link.json").c_str()), 0);
  const std::string doc = quote(dir + "/doc.json");
  struct Case {
    std::string what, commandLine, message;
  } const cases[] = {
      {"folder missing", doc + " Export --save-as " + quote(dir + "/missing/out.svb"),
       "could not open file: \"" + dir + "/missing/out.svb\": No such file or directory"},
      {"folder is a file", doc + " Export --save-as " + quote(dir + "/plain/out.svb"),
       "could not open file: \"" + dir + "/plain/out.svb\": Not a directory"},
      {"target is a folder", doc + " Export --save-as " + quote(dir + "/folder.svb"),
       "could not open file: \"" + dir + "/folder.svb\": Is a directory"},
      {"device full", doc + " Export --save-as " + quote(dir + "/full.svb"),
       "could not write file: \"" + dir + "/full.svb\": No space left on device"},
      // A write that fails part way (here a file size limit of 512 bytes): the old file stays.
      {"write fails",
       "trap '' XFSZ; ulimit -f 1; " + doc + " Export --save-as " + quote(dir + "/old.svb"),
       "could not write file: \"" + dir + "/old.svb\": File too large"},
      {"name not UTF-8", doc + " Export --save-as " + quote(dir + "/\xff.svb"),
       "the chosen file name cannot be converted to UTF-8"},
      {"the document itself", doc + " Export --save-as " + quote(dir + "/./doc.json"),
       "is the open document's own file"},
      {"the document through a link", doc + " Export --save-as " + quote(dir + "/link.json"),
       "is the open document's own file"},
  };
  const std::set<std::string> before = listing();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string line = c.commandLine;
    if (line.compare(0, 4, "trap") == 0) {
      line.insert(line.find(doc), host() + " ");
    } else {
      line = host() + " " + line;
    }
    Outcome exported = run(line);
    EXPECT_EQ(exported.status, 1) << exported.output;
    EXPECT_THAT(exported.output, HasSubstr(c.message));
    EXPECT_EQ(listing(), before);
  }
  EXPECT_EQ(readFile(dir + "/old.svb"), "old bytes\n");
  EXPECT_EQ(readFile(dir + "/doc.json"), readFile(DEMO_DOCUMENT));
}

// A reader that has gone makes writing the standard output fail: reported, not a death by
// SIGPIPE.
TEST_F(ExportEndToEnd, ClosedStandardOutputIsAFailedWriteNotASignal) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  close(ends[0]);
  Outcome exported = run("{ " + host() + " " + quote(DEMO_DOCUMENT) + " Export --save-as - 1>&" +
                         std::to_string(ends[1]) + "; }");
  close(ends[1]);
  EXPECT_EQ(exported.status, 1) << exported.output;
  EXPECT_THAT(exported.output, HasSubstr("could not write file: \"standard output\": Broken pipe"));
}

// A host killed while it writes leaves the old file whole and, at most, a temporary file whose
// name marks it as one.
TEST_F(ExportEndToEnd, KilledHostLeavesTheOldFileWhole) {
  const int size = 400;  // quadrangles per side: enough bytes to be caught writing
  std::string json = "{\"version\": 1, \"objects\": [{\"type\": \"polygon\", \"points\": [";
  for (int y = 0; y <= size; ++y)
    for (int x = 0; x <= size; ++x)
      json += (x || y ? ",[" : "[") + std::to_string(x) + "," + std::to_string(y) + ",0]";
  json += "], \"polygons\": [";
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const int a = y * (size + 1) + x;
      json += (x || y ? ",[" : "[") + std::to_string(a) + "," + std::to_string(a + 1) + "," +
              std::to_string(a + size + 2) + "," + std::to_string(a + size + 1) + "]";
    }
  json += "]}]}";
  const std::string big = dir + "/big.json";
  writeFile(big, json);
  const std::string target = dir + "/scene.svb";
  writeFile(target, "old bytes\n");

  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execl(C4DHOST, C4DHOST, "--plugin", SOLVANE_PLUGIN, big.c_str(), "Export", "--save-as",
          target.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  std::string temporary;
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (temporary.empty() && std::chrono::steady_clock::now() < limit) {
    for (const std::string& name : listing())
      if (name.compare(0, 11, ".scene.svb.") == 0) temporary = name;
    if (temporary.empty()) std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_FALSE(temporary.empty()) << "the export never started writing";
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(readFile(target), "old bytes\n");
  EXPECT_THAT(temporary, ::testing::MatchesRegex("\\.scene\\.svb\\.[a-z0-9]{6}\\.tmp"));
}

}  // namespace
