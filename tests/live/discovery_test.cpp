#include "solvane_system.h"

#include "live_test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

using livetest::InstallTree;

namespace {

SolvaneSystem const& sys() { return SolvaneSystem::instance(); }

}  // namespace

// Regular installations count only inside the range, highest first; a floating one of 5 to
// 20 counts whatever the range, but only above the regular version found. The version output
// is left alone on a miss. The program is the regular one of the highest version in the
// range, else its floating one, named with the version below 7. The resource folder follows
// the newest version of 5 to 20.
TEST(Discovery, InstallationFolderVersionAndProgram) {
  struct Case {
    std::vector<int> regular, floating;
    int lowest, highest;
    std::string folder;   // below the tree's root, "" for none
    int foundVersion;     // 3: left as the test set it
    int newest;           // solvane_version
    std::string program;  // below the tree's root, "" for none
    int resource;         // the version in the resource folder's name
  } const cases[] = {
      {{8, 9}, {10}, 5, 20, "flt10/", 10, 9, "flt10/solvane_floating", 9},
      {{8, 9}, {9}, 5, 20, "reg9/", 9, 9, "reg9/solvane", 9},
      {{}, {25}, 5, 30, "", 3, 25, "flt25/solvane_floating", -1},
      {{}, {12}, 7, 8, "flt12/", 12, -1, "", 12},
      {{}, {}, 5, 20, "", 3, -1, "", -1},
      {{8}, {}, 9, 8, "", 3, -1, "", 8},
      {{6}, {}, 5, 20, "reg6/", 6, 6, "reg6/solvane6", 6},
      {{}, {5}, 5, 20, "flt5/", 5, 5, "flt5/solvane5_floating", 5},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE("expecting '" + c.folder + "' for " + std::to_string(c.lowest) + " to " +
                 std::to_string(c.highest));
    InstallTree tree;
    for (int v : c.regular) tree.addRegular(v);
    for (int v : c.floating) tree.addFloating(v);
    auto below = [&](std::string const& p) { return p.empty() ? "" : tree.root() + "/" + p; };
    int version = 3;
    EXPECT_EQ(sys().find_bin_path(version, c.lowest, c.highest), below(c.folder));
    EXPECT_EQ(version, c.foundVersion);
    EXPECT_EQ(sys().solvane_version(c.lowest, c.highest), c.newest);
    EXPECT_EQ(sys().find_binary_name(c.lowest, c.highest), below(c.program));
    EXPECT_THAT(sys().find_resource_path(7, 8),
                testing::EndsWith("/Library/Application Support/Solvane" +
                                  std::to_string(c.resource) + "/"));
  }
}

// Only the first %d is the version, and a template is not cut, however long.
TEST(Discovery, LongTemplatesAreNotCut) {
  std::string const x(3000, 'x');
  EXPECT_EQ(SolvaneSystem::formatPath(("/" + x + "/Solvane%d.app/").c_str(), 8),
            "/" + x + "/Solvane8.app/");
  EXPECT_EQ(SolvaneSystem::formatPath("/A/S%d_%%/%s/%d", 12), "/A/S12_%/%s/%d");
}

// Without an installation the launch says where it looked. A child whose exec fails ends at
// once, without running this process's exit handlers or flushing its buffers again.
TEST(Launch, FailuresAreReportedAndTheFailedChildEndsQuietly) {
  InstallTree tree;
  SolvaneLaunch launched;
  EXPECT_FALSE(sys().launch_solvane(7, 8, launched));
  EXPECT_EQ(launched.processId, -1);
  EXPECT_THAT(launched.error,
              testing::HasSubstr("no renderer installation found in " + tree.root() + "/reg%d/"));

  tree.addRegular(8);  // an installation folder without the program
  std::string path = tree.root() + "/stdout";
  pid_t tester = fork();
  ASSERT_NE(tester, -1);
  if (tester == 0) {
    if (!std::freopen(path.c_str(), "w", stdout)) _exit(2);
    std::fputs("buffered once\n", stdout);  // still in the stdio buffer
    bool started = sys().launch_solvane(7, 8, launched);
    std::exit(started ? 1 : 0);  // flushes the buffer here
  }
  int status = 0;
  ASSERT_EQ(waitpid(tester, &status, 0), tester);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  std::ifstream in(path);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "buffered once\n");
}
