// svbinfo end to end: a scene written by the scene file writer gives its
// summary; a truncated or missing file exits non-zero saying where and why.
#include "svb_reader.h"

#include "zelsceneapi_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
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

  // Runs svbinfo with `args` (already quoted), standard input from `input`.
  Outcome run(const std::string& args, const std::string& input = "/dev/null") const {
    const std::string out = path("stdout.txt");
    const std::string err = path("stderr.txt");
    const std::string cmd = std::string("'") + SVBINFO_PROGRAM + "' " + args + " < '" + input +
                            "' > '" + out + "' 2> '" + err + "'";
    Outcome r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = slurp(out);
    r.err = slurp(err);
    return r;
  }

  // A small scene written by the scene file writer: a camera, and a root
  // group with a textured quad, a light mesh and a hair object.
  bool write_scene(const std::string& file) const {
    FILE* f = std::fopen(file.c_str(), "wb");
    if (!f) return false;
    {
      zelScene_api_file w(f, true);
      w.print("banner");
      w.set_version(8);
      w.camera_begin("Camera");
      w.camera_end();
      w.group_begin("untitled", true);
      auto object = [&w](const char* name, const char* geometry, const char* array, int count,
                         const char* shader) {
        w.group_begin(name, true);
        w.object_begin(name, true);
        w.geometry_use(geometry);
        int indices[6] = {0, 3, 1, 2, 1, 3};
        zelArray a{indices, static_cast<uint32_t>(count)};
        w.set_parameter(array, zel_array_of(TYPE_INT), &a);
        w.geometry_end();
        w.shader_begin(nullptr, shader);
        w.shader_end();
        zelShader* s = w.shader_get();
        w.material_begin(name, true);
        w.material_set_shader(SHADER_SURFACE, s);
        w.material_end();
        w.object_end();
        w.animation_begin("fbx_animation", "Position . X");
        w.animation_end();
        w.group_end();
      };
      object("Quad", "triangles", "triangles", 6, "zel_diffuse");
      object("Light", "triangles", "triangles", 3, "zel_point_light");
      object("Hair", "zel_bezier_curves", "nvertices", 4, "zel_diffuse");
      w.group_end();
    }
    return std::fclose(f) == 0;
  }

  std::string dir_;
};

const char kExpectedSummary[] =
    "version: 8\ngroups: 4\nmodels: 1\nobjects: 3\ntriangles: 3\nvertices: 0\ncurves: "
    "4\nmaterials: 3\n"
    "shaders: 3\ncameras: 1\nlights: 1\nanimation blocks: 3\nmodules: 0\n";

TEST_F(SvbInfo, SummaryOfAWrittenSceneAndWhereItsTruncationBreaks) {
  const std::string file = path("scene.svb");
  ASSERT_TRUE(write_scene(file));
  const std::string bytes = slurp(file);
  Outcome r = run("'" + file + "'");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_THAT(r.out, StartsWith("file: " + file + "\nbytes: " + std::to_string(bytes.size()) +
                                "\n" + kExpectedSummary + "statements: "));
  // "-" reads the same scene from standard input.
  r = run("-", file);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr(kExpectedSummary));

  // Cut inside the binary block of the quad's triangle indices.
  const std::size_t block = bytes.find("\"triangles\" [ ") + 14;
  ASSERT_NE(block, std::string::npos + 14);
  const std::string cut = path("cut.svb");
  std::ofstream(cut, std::ios::binary) << bytes.substr(0, block + 12);
  r = run("'" + cut + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "svbinfo: " + cut + ": offset " + std::to_string(block) +
                ": expected 24 bytes of binary array data (6 x \"i\"), only 4 bytes remain\n");
}

TEST_F(SvbInfo, TreeAndJsonOfAWrittenScene) {
  const std::string file = path("scene.svb");
  ASSERT_TRUE(write_scene(file));
  Outcome r = run("--tree '" + file + "'");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(r.out.find("group \"untitled\"")),
            "group \"untitled\"\n"
            "  group \"Quad\"\n"
            "    object \"Quad\": 2 triangles, material \"Quad\"\n"
            "  group \"Light\"\n"
            "    object \"Light\": 1 triangles, material \"Light\"\n"
            "  group \"Hair\"\n"
            "    object \"Hair\": 0 triangles, 4 curves, material \"Hair\"\n");
  r = run("--json -", file);
  EXPECT_EQ(r.status, 0) << r.err;
  const nlohmann::json j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["file"], "standard input");
  EXPECT_EQ(j["version"], 8);
  EXPECT_EQ(j["triangles"], 3);
  EXPECT_EQ(j["animation_blocks"], 3);
  EXPECT_EQ(run("--json --tree '" + file + "'").status, 2);
}

// Input that is no scene, or malformed where it says: line and column in the text, the byte
// offset in a binary block.
TEST_F(SvbInfo, RefusesBadInputSayingWhere) {
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
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::ofstream(path("bad.svb"), std::ios::binary) << c.bytes;
    const Outcome r = run("'" + path("bad.svb") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "svbinfo: " + path("bad.svb") + ": " + c.error + "\n");
  }
}

TEST_F(SvbInfo, UsageAndUnreadableFiles) {
  Outcome r = run("'" + path("missing.svb") + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "svbinfo: " + path("missing.svb") + ": cannot open: No such file or directory\n");
  r = run("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_THAT(r.out, StartsWith("usage: svbinfo [--tree | --json] FILE\n"));
  r = run("");
  EXPECT_EQ(r.status, 2);
  EXPECT_THAT(r.err, StartsWith("svbinfo: expected exactly one FILE argument\n"));
  // The command-line library's own wording.
  r = run("--verbose");
  EXPECT_EQ(r.status, 2);
  EXPECT_THAT(r.err, StartsWith("svbinfo: The following argument was not expected: --verbose\n"));
  // A directory opens but cannot be read.
  r = run("'" + dir_ + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr(": cannot read: "));
}

}  // namespace
