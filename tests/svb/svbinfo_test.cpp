// svbinfo end to end: a scene written by the scene file writer gives its
// summary; a truncated or missing file exits non-zero saying where and why.
#include "svb_reader.h"

#include "zelsceneapi_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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
    const std::string cmd = std::string("'") + SVBINFO_PROGRAM + "' " + args + " < '" + input + "' > '" + out +
                            "' 2> '" + err + "'";
    Outcome r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = slurp(out);
    r.err = slurp(err);
    return r;
  }

  // A small exported scene written by the scene file writer: a camera, and
  // a root group with a textured quad, a light mesh, a hair object and an
  // animation block. Returns false when the file cannot be written.
  bool write_scene(const std::string& file) const {
    FILE* f = std::fopen(file.c_str(), "wb");
    if (!f) return false;
    {
      zelScene_api_file w(f, true);
      w.add_comment("// This is a Solvane scene file\n\n");
      w.print("banner");
      w.set_version(8);
      w.module_begin("zelrtopt.so");
      w.set_parameter_bool("import_mode", 1);
      w.module_end();
      w.camera_begin("Camera");
      w.shader_begin(nullptr, "zel_envmap");
      w.set_parameter_float("radius", 25);
      zelShader* env = w.shader_get();
      w.shader_end();
      w.set_parameter("reflection map", TYPE_SHADER, &env);
      w.camera_end();

      zelMatrix flip;
      flip.make_identity();
      flip.m[10] = -1;
      w.group_begin("untitled", true);
      w.transform(flip);
      w.group_begin("Quad", true);
      w.object_begin("Quad", true);
      w.geometry_use("triangles");
      float vertices[12] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
      zelArray va{vertices, 4};
      w.set_parameter("vertices", zel_array_of(TYPE_COLOR), &va);
      int triangles[6] = {0, 3, 1, 2, 1, 3};
      zelArray ta{triangles, 6};
      w.set_parameter("triangles", zel_array_of(TYPE_INT), &ta);
      w.geometry_end();
      w.shader_begin(nullptr, "texture2_rgb");
      w.set_parameter("texture", TYPE_STRING, "wood.png");
      w.shader_end();
      zelShader* texture = w.shader_get();
      w.shader_begin(nullptr, "zel_advanced");
      w.set_subshader("diffuse", texture);
      w.shader_end();
      zelShader* surface = w.shader_get();
      w.material_begin("Wood", true);
      w.material_set_shader(SHADER_SURFACE, surface);
      w.material_end();
      w.object_end();
      zelMatrix samples[2];
      samples[0].make_identity();
      samples[1].make_identity();
      zelArray ma{samples, 2};
      w.animation_begin("fbx_animation", "Position . X");
      w.set_parameter("matrices", zel_array_of(TYPE_MATRIX), &ma);
      w.animation_end();
      w.group_end();

      w.group_begin("Light", true);
      w.object_begin("Light", true);
      w.shader_begin(nullptr, "zel_point_light");
      w.set_parameter_int("power", 100);
      w.shader_end();
      zelShader* emit = w.shader_get();
      w.material_begin("Light", true);
      w.material_set_shader(SHADER_SURFACE, emit);
      w.material_end();
      w.object_end();
      w.group_end();

      w.group_begin("Hair", true);
      w.object_begin("Hair", true);
      w.geometry_use("zel_bezier_curves");
      int nvertices[3] = {2, 2, 2};
      zelArray na{nvertices, 3};
      w.set_parameter("nvertices", zel_array_of(TYPE_INT), &na);
      w.geometry_end();
      w.object_end();
      w.group_end();
      w.group_end();
    }
    return std::fclose(f) == 0;
  }

  std::string dir_;
};

const char kExpectedSummary[] =
    "version: 8\n"
    "groups: 4\n"
    "models: 1\n"
    "objects: 3\n"
    "triangles: 2\n"
    "vertices: 4\n"
    "curves: 3\n"
    "materials: 2\n"
    "shaders: 4\n"
    "cameras: 1\n"
    "lights: 1\n"
    "animation blocks: 1\n"
    "modules: 1\n";

TEST_F(SvbInfo, PrintsTheSummaryOfAWrittenScene) {
  const std::string file = path("scene.svb");
  ASSERT_TRUE(write_scene(file));
  const std::string bytes = slurp(file);
  Outcome r = run("'" + file + "'");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_THAT(r.out, StartsWith("file: " + file + "\nbytes: " + std::to_string(bytes.size()) + "\n" +
                                kExpectedSummary + "statements: "));
  // "-" reads the same scene from standard input.
  r = run("-", file);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr(kExpectedSummary));
}

TEST_F(SvbInfo, TruncatedFileExitsWithTheOffset) {
  const std::string file = path("scene.svb");
  ASSERT_TRUE(write_scene(file));
  std::string bytes = slurp(file);
  // Cut inside the binary block of the quad's triangle indices.
  const std::size_t block = bytes.find("\"triangles\" [ ") + 14;
  ASSERT_NE(block, std::string::npos + 14);
  const std::string cut = path("cut.svb");
  std::ofstream(cut, std::ios::binary) << bytes.substr(0, block + 12);
  const Outcome r = run("'" + cut + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "svbinfo: " + cut + ": offset " + std::to_string(block) +
                       ": expected 24 bytes of binary array data (6 x \"i\"), only 4 bytes remain\n");
}

TEST_F(SvbInfo, UsageAndUnreadableFiles) {
  Outcome r = run("'" + path("missing.svb") + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "svbinfo: " + path("missing.svb") + ": cannot open: No such file or directory\n");
  r = run("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_THAT(r.out, StartsWith("usage: svbinfo FILE\n"));
  r = run("");
  EXPECT_EQ(r.status, 2);
  EXPECT_THAT(r.err, StartsWith("svbinfo: expected exactly one FILE argument\n"));
  r = run("--verbose");
  EXPECT_EQ(r.status, 2);
  EXPECT_THAT(r.err, StartsWith("svbinfo: unknown option \"--verbose\"\n"));
  // A directory opens but cannot be read.
  r = run("'" + dir_ + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr(": cannot read: "));
}

}  // namespace
