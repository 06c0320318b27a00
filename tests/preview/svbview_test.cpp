// svbview end to end: a scene from standard input becomes a picture of the asked size; a
// malformed scene gives the reader's error and leaves the picture alone.
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
}

// A wrong command line exits 2; a scene that cannot be read exits 1 with the reader's error
// and leaves the picture alone.
TEST_F(SvbView, RefusesWhatItCannotDraw) {
  std::ofstream(path("bad.svb"), std::ios::binary) << "version 8\n#bogus\n";
  const std::string bad = path("bad.svb");
  const struct {
    std::string args;
    int status;
    std::string error;
  } cases[] = {
      {"'" + bad + "' -o x.png --size 0x10", 2,
       "svbview: --size takes WxH, each 1 to 16384, not \"0x10\"\n"},
      {"'" + bad + "'", 2, "svbview: expected -o PICTURE.png\n"},
      {"'" + bad + "' -o '" + path("bad.png") + "'", 1,
       "svbview: " + bad + ": offset 10: expected a statement, found \"#bogus\"\n"},
      {"'" + path("none.svb") + "' -o '" + path("bad.png") + "'", 1,
       "svbview: " + path("none.svb") + ": cannot open: No such file or directory\n"},
  };
  for (const auto& c : cases) {
    std::ofstream(path("bad.png")) << "kept";
    std::string err;
    EXPECT_EQ(run(c.args, err), c.status) << c.args;
    // Usage errors go on with a hint; read errors are the whole message.
    EXPECT_EQ(c.status == 2 ? err.substr(0, c.error.size()) : err, c.error) << c.args;
    EXPECT_EQ(slurp(path("bad.png")), "kept") << c.args;
  }
}

}  // namespace
