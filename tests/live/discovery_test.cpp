#include "solvane_system.h"
#include "zel_sys.h"

#include "live_test_support.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

using livetest::InstallTree;
using livetest::TempDir;

namespace {

SolvaneSystem const& sys() { return SolvaneSystem::instance(); }

}  // namespace

TEST(ZelSys, JoinPathAddsOneSlashWhateverIsThere) {
  EXPECT_EQ(zel_sys::joinPath("a", "b"), "a/b");
  EXPECT_EQ(zel_sys::joinPath("/dir/", "x.so"), "/dir//x.so");
  EXPECT_EQ(zel_sys::joinPath(".", "x.so"), "./x.so");
}

TEST(Discovery, FloatingWinsOnlyAboveTheRegularVersion) {
  InstallTree tree;
  tree.addRegular(8);
  tree.addRegular(9);
  tree.addFloating(10);
  int version = -1;
  EXPECT_EQ(sys().find_bin_path(version, 5, 20), tree.floating(10));
  EXPECT_EQ(version, 10);

  InstallTree other;
  other.addRegular(8);
  other.addRegular(9);
  other.addFloating(9);
  version = -1;
  EXPECT_EQ(sys().find_bin_path(version, 5, 20), other.regular(9));
  EXPECT_EQ(version, 9);
}

TEST(Discovery, FloatingScanIgnoresTheRangeButStopsAtTwenty) {
  InstallTree tree;
  tree.addFloating(25);
  int version = -1;
  EXPECT_EQ(sys().find_bin_path(version, 5, 30), "");
  EXPECT_EQ(version, -1);
  EXPECT_EQ(sys().solvane_version(5, 30), 25);

  tree.addFloating(12);
  EXPECT_EQ(sys().find_bin_path(version, 7, 8), tree.floating(12));
  EXPECT_EQ(version, 12);
}

TEST(Discovery, NothingInstalledOrEmptyRange) {
  InstallTree tree;
  int version = 3;
  EXPECT_EQ(sys().find_bin_path(version, 5, 20), "");
  EXPECT_EQ(version, 3);
  EXPECT_EQ(sys().find_binary_name(5, 20), "");
  EXPECT_EQ(sys().solvane_version(5, 20), -1);

  tree.addRegular(8);
  EXPECT_EQ(sys().find_binary_name(9, 8), "");
  EXPECT_EQ(sys().solvane_version(9, 8), -1);
  version = -1;
  EXPECT_EQ(sys().find_bin_path(version, 9, 8), "");
}

TEST(Discovery, BinaryNamesCarryTheVersionBelowSeven) {
  InstallTree tree;
  tree.addRegular(6);
  EXPECT_EQ(sys().find_binary_name(5, 20), tree.regular(6) + "solvane6");
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
  std::string path = SolvaneSystem::formatPath(longTemplate.c_str(), 8);
  EXPECT_EQ(path, "/" + std::string(3000, 'x') + "/Solvane8.app/");
  EXPECT_EQ(SolvaneSystem::formatPath("/A/S%d_%%/%s/%d", 12), "/A/S12_%/%s/%d");
  EXPECT_EQ(SolvaneSystem::formatPath("/Applications/Solvane%d.app/Contents/MacOS/", -1),
            "/Applications/Solvane-1.app/Contents/MacOS/");

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
  ASSERT_TRUE(sys().launch_solvane(7, 8));
  std::string line;
  for (int i = 0; i < 200 && line.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::ifstream in(marker);
    std::getline(in, line);
  }
  EXPECT_EQ(line, "0 " + dir + "solvane");
  while (waitpid(-1, nullptr, WNOHANG) > 0) {
  }
}

// Without an installation the child cannot exec; it must end at once and
// must not run this process's exit handlers or flush its buffers again.
TEST(Launch, FailedExecEndsTheChildQuietly) {
  InstallTree tree;
  TempDir out;
  std::string path = out / "stdout";
  pid_t tester = fork();
  ASSERT_NE(tester, -1);
  if (tester == 0) {
    FILE* redirected = std::freopen(path.c_str(), "w", stdout);
    if (!redirected) _exit(2);
    std::fputs("buffered once\n", stdout);  // still in the stdio buffer
    bool launched = SolvaneSystem::instance().launch_solvane(7, 8);
    int status = 0;
    wait(&status);
    bool childFailed = WIFEXITED(status) && WEXITSTATUS(status) == 127;
    std::exit(launched && childFailed ? 0 : 1);  // flushes the buffer here
  }
  int status = 0;
  ASSERT_EQ(waitpid(tester, &status, 0), tester);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  std::ifstream in(path);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "buffered once\n");
}
