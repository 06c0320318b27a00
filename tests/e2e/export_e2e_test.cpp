// Export through the real runner and plug-in module: readable scenes, and every way an export
// can fail, with the user's files left as they were.
#include "command_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

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

// The demo file, the runner's embedded demo document, and the demo with the fields of every
// JSON object sorted by name (so that "type" follows the points, polygons and tags that
// depend on it) give the same readable scene, to a file and through standard output.
TEST_F(ExportEndToEnd, DemoDocumentBecomesAReadableSceneWhateverTheOrderOfFields) {
  std::ifstream in(DEMO_DOCUMENT);
  nlohmann::json sorted = nlohmann::json::parse(in);  // its objects keep their keys sorted
  ASSERT_EQ(std::prev(sorted["objects"][0].end()).key(), "type");
  sorted["folder"] = std::filesystem::path(DEMO_DOCUMENT).parent_path().string();
  writeFile(dir + "/sorted.json", sorted.dump(1));
  for (const std::string& document : {std::string(DEMO_DOCUMENT), dir + "/sorted.json"}) {
    const std::string out = dir + (document == DEMO_DOCUMENT ? "/demo.svb" : "/sorted.svb");
    Outcome exported = run(host() + " " + quote(document) + " Export --save-as " + quote(out));
    ASSERT_EQ(exported.status, 0) << exported.output;
  }
  // --quiet: the summary line would join the scene, since run() sends errors along.
  Outcome piped = run(host() + " --quiet Export --save-as - > " + quote(dir + "/embedded.svb"));
  ASSERT_EQ(piped.status, 0) << piped.output;
  const std::string scene = readFile(dir + "/demo.svb");
  EXPECT_GT(scene.size(), 1000u);
  EXPECT_TRUE(scene == readFile(dir + "/embedded.svb"));
  EXPECT_TRUE(scene == readFile(dir + "/sorted.svb"));
  Outcome info = run(quote(SVBINFO) + " " + quote(dir + "/demo.svb"));
  ASSERT_EQ(info.status, 0) << info.output;
  EXPECT_THAT(info.output, HasSubstr("version: 8\n"));
  EXPECT_EQ(listing(), (std::set<std::string>{".", "..", "demo.svb", "embedded.svb", "sorted.json",
                                              "sorted.svb"}));
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
  int ends[2];  // a pipe whose reader has gone
  ASSERT_EQ(pipe(ends), 0);
  close(ends[0]);
  struct Case {
    std::string what, shell, saveAs, message;  // shell: what runs before the host
  } const cases[] = {
      {"folder missing", "", quote(dir + "/missing/out.svb"),
       "could not open file: \"" + dir + "/missing/out.svb\": No such file or directory"},
      {"folder is a file", "", quote(dir + "/plain/out.svb"),
       "could not open file: \"" + dir + "/plain/out.svb\": Not a directory"},
      {"target is a folder", "", quote(dir + "/folder.svb"),
       "could not open file: \"" + dir + "/folder.svb\": Is a directory"},
      {"device full", "", quote(dir + "/full.svb"),
       "could not write file: \"" + dir + "/full.svb\": No space left on device"},
      // A write that fails part way (at a file size limit of 512 bytes): the old file stays.
      {"write fails", "trap '' XFSZ; ulimit -f 1; ", quote(dir + "/old.svb"),
       "could not write file: \"" + dir + "/old.svb\": File too large"},
      // Reported, not a death by SIGPIPE.
      {"reader gone", "", "- 1>&" + std::to_string(ends[1]),
       "could not write file: \"standard output\": Broken pipe"},
      {"name not UTF-8", "", quote(dir + "/\xff.svb"),
       "the chosen file name cannot be converted to UTF-8"},
      {"the document itself", "", quote(dir + "/./doc.json"), "is the open document's own file"},
      {"the document through a link", "", quote(dir + "/link.json"),
       "is the open document's own file"},
  };
  const std::set<std::string> before = listing();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Outcome exported = run(c.shell + "{ " + host() + " " + quote(dir + "/doc.json") +
                           " Export --save-as " + c.saveAs + "; }");
    EXPECT_EQ(exported.status, 1) << exported.output;
    EXPECT_THAT(exported.output, HasSubstr(c.message));
    EXPECT_EQ(listing(), before);
  }
  close(ends[1]);
  EXPECT_EQ(readFile(dir + "/old.svb"), "old bytes\n");
  EXPECT_EQ(readFile(dir + "/doc.json"), readFile(DEMO_DOCUMENT));
}

}  // namespace

// A host killed while it writes leaves the old file whole and, at most, a temporary file whose
// name marks it as one.
TEST_F(ExportEndToEnd, KilledHostLeavesTheOldFileWhole) {
  const std::string big = dir + "/big.json";
  const std::string target = dir + "/scene.svb";
  ASSERT_EQ(run(quote(DOCGEN) + " --grid 150 " + quote(big)).status, 0);
  writeFile(target, "old bytes\n");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    execl(C4DHOST, C4DHOST, "--quiet", "--plugin", SOLVANE_PLUGIN, big.c_str(), "Export",
          "--save-as", target.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  std::string temporary;
  for (int i = 0; i < 300000 && temporary.empty(); ++i) {
    for (const std::string& name : listing())
      if (name.rfind(".scene.svb.", 0) == 0) temporary = name;
    if (temporary.empty()) usleep(200);
  }
  kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_FALSE(temporary.empty()) << "the export never started writing";
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(readFile(target), "old bytes\n");
  EXPECT_THAT(temporary, ::testing::MatchesRegex("\\.scene\\.svb\\.[a-z0-9]{6}\\.tmp"));
}
