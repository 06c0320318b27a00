// Export through the real runner and plug-in module, checked with svbinfo.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <string>

#include "command_run.h"

namespace {

using solvane_test::Outcome;
using solvane_test::quote;
using solvane_test::run;

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
