#include "solvanelive_loader.h"

#include "live_test_support.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <string>

using livetest::FakeLibrary;
using livetest::InstallTree;

namespace {

// Runs the test inside an empty current folder, so the current-folder
// fallback finds only what a test puts there.
class LoaderTest : public testing::Test {
 protected:
  void SetUp() override {
    char buffer[4096];
    ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
    savedCwd_ = buffer;
    ASSERT_EQ(chdir(cwd_.path().c_str()), 0);
  }
  void TearDown() override {
    zel_free_scene_api_linked();
    EXPECT_EQ(chdir(savedCwd_.c_str()), 0);
  }

  static void link(std::string const& library, std::string const& as) {
    livetest::fs::create_symlink(library, as);
  }
  static bool loaded(char const* library) {
    void* handle = dlopen(library, RTLD_LAZY | RTLD_NOLOAD);
    if (handle) dlclose(handle);
    return handle != nullptr;
  }
  bool logged(std::string const& line) const { return log_.text().find(line) != std::string::npos; }

  livetest::TempDir cwd_;
  InstallTree tree_;
  livetest::LogCapture log_;

 private:
  std::string savedCwd_;
};

}  // namespace

// The current folder is tried after the installation's library, only for an installed
// version, with a warning.
TEST_F(LoaderTest, CurrentFolderComesLastWithAWarning) {
  FakeLibrary fake;
  ASSERT_TRUE(fake.ok());
  link(FAKE_LIVE_LIBRARY, cwd_ / "zelsolvanelive6.so");
  EXPECT_EQ(zel_get_query_api(7, 8), nullptr);
  EXPECT_FALSE(logged("shared_library_open"));

  tree_.addRegular(8);
  EXPECT_NE(zel_get_query_api(7, 8), nullptr);
  EXPECT_EQ(fake->entryCalls, 1);
  EXPECT_TRUE(
      logged(" WARNING:  link library loaded from the current folder: "
             "./zelsolvanelive6.so (not found as " +
             tree_.regular(8) + "/zelsolvanelive6.so)\n"))
      << log_.text();
}

// Both APIs come from one load, whatever range a later request names, until it is freed;
// the next request loads again, and the library goes when nobody holds it any more.
TEST_F(LoaderTest, OneLoadServesBothApisUntilFreed) {
  link(FAKE_LIVE_LIBRARY, tree_.addRegular(8) + "zelsolvanelive6.so");
  {
    FakeLibrary fake;
    ASSERT_TRUE(fake.ok());
    zelScene_api* scene = zel_get_scene_api_linked(7, 8);
    ASSERT_NE(scene, nullptr);
    EXPECT_NE(zel_get_query_api(1, 2), nullptr);
    EXPECT_EQ(zel_get_scene_api_linked(7, 8), scene);
    EXPECT_EQ(fake->entryCalls, 1);
    EXPECT_EQ(fake->liveObjects, 1);
    zel_free_scene_api_linked();
    EXPECT_EQ(solvane_live_loader, nullptr);
    EXPECT_EQ(fake->liveObjects, 0);
    zel_free_scene_api_linked();  // harmless twice
    ASSERT_NE(zel_get_query_api(7, 8), nullptr);
    EXPECT_EQ(fake->entryCalls, 2);
    zel_free_scene_api_linked();
  }
  EXPECT_FALSE(loaded(FAKE_LIVE_LIBRARY));
  ASSERT_NE(zel_get_query_api(7, 8), nullptr);
  EXPECT_TRUE(loaded(FAKE_LIVE_LIBRARY));
  zel_free_scene_api_linked();
  EXPECT_FALSE(loaded(FAKE_LIVE_LIBRARY));
}

TEST_F(LoaderTest, LibraryWithoutEntryPointGivesNoApi) {
  link(NO_ENTRY_LIBRARY, tree_.addRegular(8) + "zelsolvanelive6.so");
  EXPECT_EQ(zel_get_scene_api_linked(7, 8), nullptr);
  EXPECT_EQ(solvane_live_loader, nullptr);
  EXPECT_FALSE(loaded(NO_ENTRY_LIBRARY));
}
