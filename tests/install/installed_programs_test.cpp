// The programs as "cmake --install" lays them out, run from the installed tree: each names
// its version; c4dhost finds the installed plug-in by itself, reads a document from standard
// input, and ends a command with one summary line that agrees with the file it wrote.
#include "command_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

using solvane_test::Outcome;
using solvane_test::quote;
using solvane_test::run;

// The number svbinfo prints after "NAME: " at the start of a line.
unsigned long count(const std::string& summary, const std::string& name) {
  const std::size_t at = summary.find("\n" + name + ": ");
  return at == std::string::npos ? 0 : std::stoul(summary.substr(at + name.size() + 3));
}

std::string program(const std::string& name) {
  return quote(std::string(INSTALLED_BIN) + "/" + name);
}

TEST(Installed, EveryProgramNamesTheProjectsVersion) {
  for (const char* name : {"c4dhost", "svbinfo", "svbview", "docgen", "solvane"}) {
    const Outcome r = run(program(name) + " --version");
    EXPECT_EQ(r.status, 0) << name;
    EXPECT_EQ(r.output, std::string(name) + " " + PROJECT_VERSION + "\n");
  }
}

class InstalledHost : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/solvane-installed-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
  }
  void TearDown() override { run("rm -rf " + quote(dir)); }
  std::string dir;
};

TEST_F(InstalledHost, CommandsEndWithTheirSummaryUnlessQuiet) {
  const std::string triangle = quote(std::string(EXAMPLES_FOLDER) + "/triangle.json");
  const std::string time = " in [0-9]+\\.[0-9]{2} s\n";
  struct Case {
    std::string what, arguments, output;  // output: a pattern for stdout and stderr together
  } const cases[] = {
      // One object with one triangle of one material; the dialog adds the suffix.
      {"a document from standard input",
       "- Export --save-as " + quote(dir + "/tri") + " < " + triangle,
       "Export: 1 object, 1 triangle, 1 material, [0-9]+ bytes written to " + dir + "/tri\\.svb" +
           time},
      {"--quiet", "--quiet " + triangle + " Export --save-as=" + quote(dir + "/quiet.svb"), ""},
      {"no --save-as", triangle + " Export",
       "c4dhost: the save dialog was cancelled \\(no --save-as given\\); nothing was saved\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Outcome r = run(program("c4dhost") + " " + c.arguments);
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_THAT(r.output, testing::MatchesRegex(c.output));
  }
  struct stat info;
  EXPECT_EQ(stat((dir + "/quiet.svb").c_str(), &info), 0);
}

// On a terminal (here the one `script` makes) the progress is drawn on one line, rewritten
// with carriage returns and cleared before the summary; elsewhere it never shows.
TEST_F(InstalledHost, ProgressIsDrawnOnATerminalOnly) {
  const std::string command = program("c4dhost") + " Export --save-as " + quote(dir + "/t.svb");
  const Outcome terminal = run("script -qec \"" + command + "\" /dev/null");
  ASSERT_EQ(terminal.status, 0) << terminal.output;
  EXPECT_NE(terminal.output.find("\r[####################] 100% Hair\033[K\r\033[KExport: "),
            std::string::npos)
      << terminal.output;
  const Outcome file = run(command);
  EXPECT_EQ(file.output.find('\r'), std::string::npos) << file.output;
}

// The counts of the summary are those of the file: every host object a group inside the
// document's root group, and the file's bytes (the demo's lights are meshes and materials
// of their own, not counted as triangles and materials).
TEST_F(InstalledHost, TheSummaryOfTheDemoAgreesWithItsFile) {
  const std::string file = dir + "/demo.svb";
  const Outcome exported = run(program("c4dhost") + " Export --save-as " + quote(file));
  ASSERT_EQ(exported.status, 0) << exported.output;
  unsigned long objects = 0, bytes = 0;
  char written[4096] = "";
  ASSERT_EQ(std::sscanf(exported.output.c_str(),
                        "Export: %lu objects, %*u triangles, %*u materials, %lu bytes written to "
                        "%4095s in ",
                        &objects, &bytes, written),
            3)
      << exported.output;
  EXPECT_THAT(exported.output, testing::EndsWith(" s\n"));
  const Outcome info = run(program("svbinfo") + " " + quote(file));
  ASSERT_EQ(info.status, 0) << info.output;
  EXPECT_EQ(objects, count(info.output, "groups") - count(info.output, "models"));
  EXPECT_EQ(bytes, count(info.output, "bytes"));
  EXPECT_EQ(written, file);
}

}  // namespace
