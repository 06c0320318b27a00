#include "solvane_system.h"

#include "live_test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

using livetest::InstallTree;
using livetest::TempDir;

namespace {

SolvaneSystem const& sys() { return SolvaneSystem::instance(); }

}  // namespace

// Regular installations count only inside the range, highest first; a
// floating one of 5 to 20 counts whatever the range, but only above the
// regular version found. The version output is left alone on a miss.
TEST(Discovery, InstallationFolderAndVersion) {
  struct Case {
    std::vector<int> regular, floating;
    int lowest, highest;
    std::string folder;  // below the tree's root, "" for none
    int foundVersion;    // 3: left as the test set it
    int newest;          // solvane_version
  } const cases[] = {
      {{8, 9}, {10}, 5, 20, "flt10/", 10, 9},
      {{8, 9}, {9}, 5, 20, "reg9/", 9, 9},
      {{}, {25}, 5, 30, "", 3, 25},
      {{}, {12}, 7, 8, "flt12/", 12, -1},
      {{}, {}, 5, 20, "", 3, -1},
      {{8}, {}, 9, 8, "", 3, -1},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE("expecting '" + c.folder + "' for " + std::to_string(c.lowest) + " to " +
                 std::to_string(c.highest));
    InstallTree tree;
    for (int v : c.regular) tree.addRegular(v);
    for (int v : c.floating) tree.addFloating(v);
    int version = 3;
    EXPECT_EQ(sys().find_bin_path(version, c.lowest, c.highest),
              c.folder.empty() ? "" : tree.root() + "/" + c.folder);
    EXPECT_EQ(version, c.foundVersion);
    EXPECT_EQ(sys().solvane_version(c.lowest, c.highest), c.newest);
  }
}

TEST(Discovery, BinaryNamesCarryTheVersionBelowSeven) {
  InstallTree tree;
  EXPECT_EQ(sys().find_binary_name(5, 20), "");
  tree.addRegular(6);
  EXPECT_EQ(sys().find_binary_name(5, 20), tree.regular(6) + "solvane6");
  EXPECT_EQ(sys().find_binary_name(9, 8), "");
  tree.addRegular(9);
  EXPECT_EQ(sys().find_binary_name(5, 20), tree.regular(9) + "solvane");
  EXPECT_EQ(sys().find_binary_name(5, 8), tree.regular(6) + "solvane6");

  InstallTree floating;
  floating.addFloating(5);
  EXPECT_EQ(sys().find_binary_name(5, 20), floating.floating(5) + "solvane5_floating");
  floating.addFloating(7);
  EXPECT_EQ(sys().find_binary_name(5, 20), floating.floating(7) + "solvane_floating");
  // The regular installation of a version comes before its floating one.
  floating.addRegular(7);
  EXPECT_EQ(sys().find_binary_name(5, 20), floating.regular(7) + "solvane");
}

TEST(Discovery, RegularFileCountsOnlyForTheBinaryName) {
  InstallTree tree;
  std::string noSlash = tree.root() + "/file%d";
  SolvaneSystem::solvaneNLPath = noSlash.c_str();
  livetest::writeFile(tree.root() + "/file8", "not a folder");
  int version = -1;
  EXPECT_EQ(sys().find_bin_path(version, 5, 20), "");
  EXPECT_EQ(sys().solvane_version(5, 20), -1);
  EXPECT_EQ(sys().find_binary_name(5, 20), tree.root() + "/file8solvane");
}

TEST(Discovery, ResourceFolderFollowsTheInstalledVersion) {
  InstallTree tree;
  std::string const missing = "/Library/Application Support/Solvane-1/";
  std::string base = sys().find_resource_path(0, 0);
  ASSERT_GE(base.size(), missing.size());
  EXPECT_EQ(base.substr(base.size() - missing.size()), missing);
  std::string prefix = base.substr(0, base.size() - missing.size());
  tree.addRegular(9);
  EXPECT_EQ(sys().find_resource_path(7, 8), prefix + "/Library/Application Support/Solvane9/");
}

TEST(Discovery, LongTemplatesAreNotCut) {
  std::string longTemplate = "/" + std::string(3000, 'x') + "/Solvane%d.app/";
  EXPECT_EQ(SolvaneSystem::formatPath(longTemplate.c_str(), 8),
            "/" + std::string(3000, 'x') + "/Solvane8.app/");
  EXPECT_EQ(SolvaneSystem::formatPath("/A/S%d_%%/%s/%d", 12), "/A/S12_%/%s/%d");

  InstallTree tree;
  std::string nested;
  for (int i = 0; i < 15; ++i) nested += "/" + std::string(100, 'd');
  std::string deep = tree.root() + nested + "%d/";
  SolvaneSystem::solvaneNLPath = deep.c_str();
  std::string made = tree.root() + nested + "7/";
  livetest::fs::create_directories(made);
  int version = -1;
  EXPECT_EQ(sys().find_bin_path(version, 5, 20), made);
  EXPECT_EQ(sys().find_binary_name(5, 20), made + "solvane");
}

// The launched program gets exactly one argument, its own path.
TEST(Launch, StartsTheInstalledProgramWithItsPathOnly) {
  InstallTree tree;
  std::string dir = tree.addRegular(8);
  std::string marker = tree.root() + "/ran";
  livetest::writeFile(dir + "solvane", "#!/bin/sh\necho \"$# $0\" > '" + marker + "'\n");
  livetest::fs::permissions(dir + "solvane", livetest::fs::perms::owner_all);
  SolvaneLaunch launched;
  ASSERT_TRUE(sys().launch_solvane(7, 8, launched)) << launched.error;
  EXPECT_GT(launched.processId, 0);
  EXPECT_EQ(launched.program, dir + "solvane");
  int status = 0;
  ASSERT_EQ(waitpid(launched.processId, &status, 0), launched.processId);
  std::ifstream in(marker);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "0 " + dir + "solvane");
}

// A launch that cannot start says so at once, naming the program (or where an installation
// was looked for) and the system's reason.
TEST(Launch, FailuresNameTheProgramAndTheReason) {
  struct Case {
    const char* what;
    const char* program;  // written into the version 8 folder; null: the folder stays empty
    bool installed;
    const char* reason;
  };
  const Case cases[] = {
      {"no installation", nullptr, false, "no renderer installation found in "},
      {"program missing", nullptr, true, "solvane: No such file or directory"},
      {"not executable", "#!/bin/sh\n", true, "solvane: Permission denied"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    InstallTree tree;
    if (c.installed) {
      std::string dir = tree.addRegular(8);
      if (c.program) livetest::writeFile(dir + "solvane", c.program);
    }
    SolvaneLaunch launched;
    EXPECT_FALSE(sys().launch_solvane(7, 8, launched));
    EXPECT_EQ(launched.processId, -1);
    EXPECT_THAT(launched.error, testing::HasSubstr(c.reason));
    if (!c.installed) {
      EXPECT_THAT(launched.error, testing::HasSubstr(tree.root()));
    }
  }
}

// A child whose exec fails must end at once, without running this process's exit handlers
// or flushing its buffers again.
TEST(Launch, FailedExecEndsTheChildQuietly) {
  InstallTree tree;
  tree.addRegular(8);  // an installation folder without the program
  TempDir out;
  std::string path = out / "stdout";
  pid_t tester = fork();
  ASSERT_NE(tester, -1);
  if (tester == 0) {
    FILE* redirected = std::freopen(path.c_str(), "w", stdout);
    if (!redirected) _exit(2);
    std::fputs("buffered once\n", stdout);  // still in the stdio buffer
    SolvaneLaunch launched;
    bool started = SolvaneSystem::instance().launch_solvane(7, 8, launched);
    std::exit(started ? 1 : 0);  // flushes the buffer here
  }
  int status = 0;
  ASSERT_EQ(waitpid(tester, &status, 0), tester);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  std::ifstream in(path);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "buffered once\n");
}
