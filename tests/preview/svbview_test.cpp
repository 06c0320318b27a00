// svbview end to end: a scene from standard input becomes a picture of the asked
// size; a malformed scene gives the reader's error and leaves the picture alone.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class SvbView : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ::testing::TempDir() + "svbview_test_" + std::to_string(getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_EQ(std::system(("mkdir -p '" + dir_ + "'").c_str()), 0);
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string path(const char* name) const { return dir_ + "/" + name; }

  // Runs svbview with `args`; returns the exit status, standard error in `err`.
  int run(const std::string& args, std::string& err) const {
    const std::string command =
        std::string("'") + SVBVIEW_PROGRAM + "' " + args + " 2> '" + path("stderr.txt") + "'";
    const int raw = std::system(command.c_str());
    err = slurp(path("stderr.txt"));
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }

  std::string dir_;
};

TEST_F(SvbView, SceneFromStandardInputBecomesAPictureOfTheAskedSize) {
  std::ofstream(path("in.svb")) << "group \"g\" {\nobject \"o\" {\ngeometry \"triangles\" {\n"
                                   "\"vertices\" [ 0 0 0, 1 0 0, 0 1 0 ] ,\n"
                                   "\"triangles\" [ 0 1 2 ] ,\n}\n}\n}\n";
  std::string err;
  ASSERT_EQ(run("- -o '" + path("out.png") + "' --size 64x32 < '" + path("in.svb") + "'", err), 0)
      << err;
  EXPECT_EQ(err, "");
  const std::string png = slurp(path("out.png"));
  ASSERT_GE(png.size(), 24u);
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
  // The header chunk: width and height, big-endian.
  EXPECT_EQ(png.substr(16, 8), std::string("\0\0\0\x40\0\0\0\x20", 8));

  EXPECT_EQ(run("'" + path("in.svb") + "' -o x.png --size 0x10", err), 2);
  EXPECT_EQ(err.rfind("svbview: --size takes WxH, each 1 to 16384, not \"0x10\"\n", 0), 0u) << err;
  EXPECT_EQ(run("'" + path("in.svb") + "'", err), 2);
  EXPECT_EQ(err.rfind("svbview: expected -o PICTURE.png\n", 0), 0u) << err;
}

TEST_F(SvbView, MalformedScenesGiveTheReadersErrorAndNoPicture) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string error;  // after "svbview: FILE: "
  };
  const Case cases[] = {
      {"a stray brace", "}\n", "offset 0: unexpected \"}\" outside of any block"},
      {"an unknown directive", "version 8\n#bogus\n",
       "offset 10: expected a statement, found \"#bogus\""},
      {"a binary block cut short",
       std::string("group \"g\" {\n\"a\" [ \x01\x02\x03i\x05\0\0\0", 26),
       "offset 18: expected 20 bytes of binary array data (5 x \"i\"), only 0 bytes remain"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::ofstream(path("bad.svb"), std::ios::binary) << c.bytes;
    std::ofstream(path("bad.png")) << "kept";
    std::string err;
    EXPECT_EQ(run("'" + path("bad.svb") + "' -o '" + path("bad.png") + "'", err), 1);
    EXPECT_EQ(err, "svbview: " + path("bad.svb") + ": " + c.error + "\n");
    EXPECT_EQ(slurp(path("bad.png")), "kept");
  }
  std::string err;
  EXPECT_EQ(run("'" + path("none.svb") + "' -o '" + path("none.png") + "'", err), 1);
  EXPECT_EQ(err, "svbview: " + path("none.svb") + ": cannot open: No such file or directory\n");
  EXPECT_NE(access(path("none.png").c_str(), F_OK), 0);
}

}  // namespace
