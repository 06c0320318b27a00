// svbinfo end to end: a scene file gives its summary, tree and JSON; input that is no scene, is
// malformed or cannot be read exits non-zero saying where and why.
#include "svb_test_bytes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

class SvbInfo : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ::testing::TempDir() + "svbinfo_test_" + std::to_string(getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_EQ(std::system(("mkdir -p '" + dir_ + "'").c_str()), 0);
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string path(const char* name) const { return dir_ + "/" + name; }

  // Writes `bytes` to a file of the test's folder and returns its path.
  std::string file(const char* name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary) << bytes;
    return path(name);
  }

  // Runs svbinfo with `args` (already quoted), standard input from `input`.
  Outcome run(const std::string& args, const std::string& input = "/dev/null") const {
    const std::string cmd = std::string("'") + SVBINFO_PROGRAM + "' " + args + " < '" + input +
                            "' > '" + path("out.txt") + "' 2> '" + path("err.txt") + "'";
    const int raw = std::system(cmd.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(path("out.txt")), slurp(path("err.txt"))};
  }

  std::string dir_;
};

// The counts of svbtest::exported_scene().
const char kSummary[] =
    "version: 8\ngroups: 4\nmodels: 1\nobjects: 3\ntriangles: 3\nvertices: 7\ncurves: 2\n"
    "materials: 3\nshaders: 5\ncameras: 1\nlights: 1\nanimation blocks: 1\nmodules: 1\n"
    "statements: 66\n";

TEST_F(SvbInfo, SummaryTreeAndJsonOfAScene) {
  const std::string bytes = svbtest::exported_scene();
  const std::string scene = file("scene.svb", bytes);
  Outcome r = run("'" + scene + "'");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "file: " + scene + "\nbytes: " + std::to_string(bytes.size()) + "\n" + kSummary);

  r = run("--tree '" + scene + "'");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(r.out.find("group \"untitled\"")),
            "group \"untitled\"\n"
            "  group \"Quad\"\n"
            "    object \"Quad\": 2 triangles, material \"Wood\"\n"
            "  group \"Light\"\n"
            "    object \"Light\": 1 triangles, material \"Light\"\n"
            "  group \"Hair\"\n"
            "    object \"Hair\": 0 triangles, 2 curves, material \"Display color\"\n");

  // "-" reads standard input.
  r = run("--json -", scene);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\n  \"file\": \"standard input\",\n  \"bytes\": " + std::to_string(bytes.size()) +
                ",\n  \"version\": 8,\n  \"groups\": 4,\n  \"models\": 1,\n"
                "  \"objects\": 3,\n  \"triangles\": 3,\n  \"vertices\": 7,\n"
                "  \"curves\": 2,\n  \"materials\": 3,\n  \"shaders\": 5,\n"
                "  \"cameras\": 1,\n  \"lights\": 1,\n  \"animation_blocks\": 1,\n"
                "  \"modules\": 1,\n  \"statements\": 66\n}\n");
}

// Input that is no scene, or malformed where it says: line and column in the text, the byte
// offset in a binary block.
TEST_F(SvbInfo, RefusesBadInputSayingWhere) {
  const std::string scene = svbtest::exported_scene();
  const std::size_t block = scene.find("\"triangles\" [ ") + 14;  // the quad's indices
  ASSERT_NE(block, std::string::npos + 14);
  struct Case {
    const char* what;
    std::string bytes;
    std::string error;  // after "svbinfo: FILE: "
  } const cases[] = {
      {"empty", "", "empty file: a scene holds at least a version statement or a block"},
      {"blank lines", "\n\n", "not a scene: no version statement and no block"},
      {"plain text", "svbinfo checks a scene\nand prints its summary.\n",
       "not a scene: no version statement and no block"},
      {"a README", "# Tools\n", "line 1, column 1: expected a statement, found \"# Tools\""},
      {"a stray brace", "version 8\ngroup \"g\" {\n}\n  }\n",
       "line 4, column 3: unexpected \"}\" outside of any block"},
      {"an unknown directive", "version 8\n#bogus\n",
       "line 2, column 1: expected a statement, found \"#bogus\""},
      {"a binary block cut short",
       std::string("group \"g\" {\n\"a\" [ \x01\x02\x03i\x05\0\0\0", 26),
       "offset 18: expected 20 bytes of binary array data (5 x \"i\"), only 0 bytes remain"},
      {"a binary block of no type",
       std::string("group \"g\" {\n\"a\" [ \x01\x02\x03z\x05\0\0\0", 26),
       "offset 21: expected a binary array type letter (f, i, c or r), found \"z\""},
      {"a scene cut in a binary block", scene.substr(0, block + 12),
       "offset " + std::to_string(block) +
           ": expected 24 bytes of binary array data (6 x \"i\"), only 4 bytes remain"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string bad = file("bad.svb", c.bytes);
    const Outcome r = run("'" + bad + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "svbinfo: " + bad + ": " + c.error + "\n");
  }
}

TEST_F(SvbInfo, UsageAndUnreadableFiles) {
  Outcome r = run("'" + path("missing.svb") + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "svbinfo: " + path("missing.svb") + ": cannot open: No such file or directory\n");
  r = run("'" + dir_ + "'");  // a folder opens but cannot be read
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr(": cannot read: "));
  r = run("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_THAT(r.out, StartsWith("usage: svbinfo [--tree | --json] FILE\n"));
  const struct {
    const char* args;
    const char* error;
  } usage[] = {
      {"", "svbinfo: expected exactly one FILE argument\n"},
      {"--verbose", "svbinfo: The following argument was not expected: --verbose\n"},
      {"--json --tree x.svb", "svbinfo: "},
  };
  for (const auto& u : usage) {
    r = run(u.args);
    EXPECT_EQ(r.status, 2) << u.args;
    EXPECT_THAT(r.err, StartsWith(u.error)) << u.args;
  }
}

}  // namespace
