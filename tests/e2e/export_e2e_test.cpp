// Export through the real runner and plug-in module, checked with svbinfo.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

struct Outcome {
  int status;
  std::string output;  // standard output and standard error together
};

// Runs a shell command line, collecting what it prints; status is the exit status.
Outcome run(const std::string& commandLine) {
  Outcome result{-1, ""};
  FILE* pipe = popen((commandLine + " 2>&1").c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string quote(const std::string& s) { return "'" + s + "'"; }

std::string host() { return quote(C4DHOST) + " --plugin " + quote(SOLVANE_PLUGIN); }

class ExportEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/solvane-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    std::remove((dir + "/demo.svb").c_str());
    std::remove((dir + "/embedded.svb").c_str());
    std::remove((dir + "/sorted.json").c_str());
    std::remove((dir + "/sorted.svb").c_str());
    rmdir(dir.c_str());
  }
  bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
  }
  std::string dir;
};

// The demo file and the runner's embedded demo document give the same readable scene.
TEST_F(ExportEndToEnd, DemoDocumentBecomesAReadableSceneFile) {
  const std::string fromFile = dir + "/demo.svb";
  const std::string embedded = dir + "/embedded.svb";
  Outcome exported =
      run(host() + " " + quote(DEMO_DOCUMENT) + " Export --save-as " + quote(fromFile));
  ASSERT_EQ(exported.status, 0) << exported.output;
  exported = run(host() + " Export --save-as " + quote(embedded));
  ASSERT_EQ(exported.status, 0) << exported.output;
  Outcome a = run(quote(SVBINFO) + " " + quote(fromFile));
  ASSERT_EQ(a.status, 0) << a.output;
  EXPECT_THAT(a.output, ::testing::HasSubstr("version: 8\n"));
  Outcome b = run(quote(SVBINFO) + " " + quote(embedded));
  ASSERT_EQ(b.status, 0) << b.output;
  // The summaries differ only in the file name line.
  EXPECT_EQ(a.output.substr(a.output.find("\nbytes:")), b.output.substr(b.output.find("\nbytes:")));
}

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Fields may come in any order: the demo with the fields of every JSON object sorted by name
// (so that "type" follows the points, polygons and tags that depend on it) exports to the
// same bytes as the demo.
TEST_F(ExportEndToEnd, TheOrderOfFieldsDoesNotChangeTheScene) {
  std::ifstream in(DEMO_DOCUMENT);
  nlohmann::json sorted = nlohmann::json::parse(in);  // its objects keep their keys sorted
  ASSERT_EQ(std::prev(sorted["objects"][0].end()).key(), "type");
  sorted["folder"] = std::filesystem::path(DEMO_DOCUMENT).parent_path().string();
  std::ofstream(dir + "/sorted.json") << sorted.dump(1);
  Outcome exported =
      run(host() + " " + quote(DEMO_DOCUMENT) + " Export --save-as " + quote(dir + "/demo.svb"));
  ASSERT_EQ(exported.status, 0) << exported.output;
  exported = run(host() + " " + quote(dir + "/sorted.json") + " Export --save-as " +
                 quote(dir + "/sorted.svb"));
  ASSERT_EQ(exported.status, 0) << exported.output;
  const std::string scene = contents(dir + "/demo.svb");
  EXPECT_GT(scene.size(), 1000u);
  EXPECT_TRUE(scene == contents(dir + "/sorted.svb"));
}

TEST_F(ExportEndToEnd, ExportToStandardOutputFeedsSvbinfo) {
  Outcome piped =
      run(host() + " " + quote(DEMO_DOCUMENT) + " Export --save-as - | " + quote(SVBINFO) + " -");
  ASSERT_EQ(piped.status, 0) << piped.output;
  EXPECT_THAT(piped.output, ::testing::HasSubstr("version: 8\n"));
}

TEST_F(ExportEndToEnd, UnopenableFileIsReportedWithAFailingStatus) {
  const std::string out = dir + "/no-such-folder/demo.svb";
  Outcome exported = run(host() + " " + quote(DEMO_DOCUMENT) + " Export --save-as " + quote(out));
  EXPECT_NE(exported.status, 0);
  EXPECT_THAT(exported.output, ::testing::HasSubstr("could not open file: \"" + out + "\""));
  EXPECT_FALSE(exists(out));
}

}  // namespace
