// Real model files through c4dhost and the plug-in: the scene file holds what the Open
// Asset Import Library itself reads in each model, and a small hand-made model comes out
// where it was, neither mirrored nor turned inside out.
#include "command_run.h"
#include "svb_reader.h"

#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <assimp/Importer.hpp>

#include <array>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <string_view>

namespace {

namespace fs = std::filesystem;
using solvane_test::quote;
using solvane_test::run;

solvane_test::Outcome exportModel(const std::string& model, const std::string& out) {
  return run(quote(C4DHOST) + " --plugin " + quote(SOLVANE_PLUGIN) + " " + quote(model) +
             " Export --save-as " + quote(out));
}

using Matrix4 = std::array<double, 16>;  // the scene's layout: x, y, z axes, then offset

Matrix4 times(const Matrix4& a, const Matrix4& b) {
  Matrix4 r{};
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 4; ++row)
      for (int k = 0; k < 4; ++k) r[col * 4 + row] += a[k * 4 + row] * b[col * 4 + k];
  return r;
}

bool endsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// A material's name without the " #2" of its variants.
std::string withoutVariantNumber(std::string_view name) {
  const std::size_t mark = name.rfind(" #");
  const bool numbered = mark != std::string_view::npos && mark + 2 < name.size() &&
                        name.find_first_not_of("0123456789", mark + 2) == std::string_view::npos;
  return std::string(numbered ? name.substr(0, mark) : name);
}

// What the scene file holds in its mesh objects (lights, written as small meshes, aside).
struct Meshes {
  std::size_t triangles = 0;
  std::set<std::string> materials;  // without the " #2" of material variants
  int depth = 0;                    // deepest group that holds a mesh
  // World-space corners of every triangle, in order.
  std::vector<std::array<double, 9>> corners;
};

void collect(const svb::Node& node, const Matrix4& parent, int depth, Meshes& out) {
  Matrix4 world = parent;
  if (const svb::Node* t = node.child(svb::NodeKind::Transform)) {
    Matrix4 local;
    for (int i = 0; i < 16; ++i) local[i] = t->value.number(i);
    world = times(parent, local);
  }
  for (const svb::Node& c : node.children) {
    if (c.kind == svb::NodeKind::Group) collect(c, world, depth + 1, out);
    if (c.kind != svb::NodeKind::Object) continue;
    const svb::Node* material = c.child(svb::NodeKind::Material);
    const svb::Node* surface = material ? material->child(svb::NodeKind::MaterialShader) : nullptr;
    const svb::Node* shader = surface ? surface->value.shader() : nullptr;
    if (shader && endsWith(shader->shader_type(), "_light")) continue;
    const svb::Node* geometry = c.child(svb::NodeKind::Geometry);
    const std::vector<double> v = geometry->param("vertices")->value.array().as_doubles();
    const std::vector<double> t = geometry->param("triangles")->value.array().as_doubles();
    out.triangles += t.size() / 3;
    out.materials.insert(withoutVariantNumber(material->name()));
    out.depth = std::max(out.depth, depth);
    for (std::size_t i = 0; i + 2 < t.size(); i += 3) {
      std::array<double, 9> tri;
      for (int k = 0; k < 3; ++k) {
        const double* p = &v[static_cast<std::size_t>(t[i + k]) * 3];
        for (int r = 0; r < 3; ++r)
          tri[k * 3 + r] =
              world[12 + r] + world[r] * p[0] + world[4 + r] * p[1] + world[8 + r] * p[2];
      }
      out.corners.push_back(tri);
    }
  }
}

Meshes meshesOf(const std::string& svbPath, svb::Summary& summary) {
  std::ifstream in(svbPath, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const svb::Scene scene = svb::parse(bytes);
  summary = svb::summarize(scene);
  Meshes meshes;
  Matrix4 identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  for (const svb::Node* group : scene.groups()) collect(*group, identity, 1, meshes);
  return meshes;
}

// The library's own reading: triangles (split by the library), materials of the meshes
// and depth of the deepest node with polygons, over every node.
void expected(const aiScene& s, const aiNode& n, int depth, Meshes& out) {
  for (unsigned k = 0; k < n.mNumMeshes; ++k) {
    const aiMesh& m = *s.mMeshes[n.mMeshes[k]];
    std::size_t triangles = 0;
    for (unsigned f = 0; f < m.mNumFaces; ++f) triangles += m.mFaces[f].mNumIndices == 3;
    if (triangles == 0) continue;
    out.triangles += triangles;
    const std::string name = s.mMaterials[m.mMaterialIndex]->GetName().C_Str();
    out.materials.insert(name.empty() ? "Material" : name);
    out.depth = std::max(out.depth, depth);
  }
  for (unsigned c = 0; c < n.mNumChildren; ++c) expected(s, *n.mChildren[c], depth + 1, out);
}

class ModelEndToEnd : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/solvane-model-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path dir;
};

class TestModel : public ModelEndToEnd, public testing::WithParamInterface<const char*> {};

TEST_P(TestModel, ExportHoldsWhatTheLibraryReads) {
  const fs::path model = fs::path(ASSIMP_TEST_MODELS) / GetParam();
  if (!fs::exists(model))
    GTEST_SKIP() << model << " is missing: install Debian's assimp-testmodels to run this test";
  const std::string out = (dir / "model.svb").string();
  const solvane_test::Outcome exported = exportModel(model.string(), out);
  ASSERT_EQ(exported.status, 0) << exported.output;
  const solvane_test::Outcome info = run(quote(SVBINFO) + " " + quote(out));
  EXPECT_EQ(info.status, 0) << info.output;

  Assimp::Importer importer;
  const aiScene* scene =
      importer.ReadFile(model.string(), aiProcess_Triangulate | aiProcess_ValidateDataStructure);
  ASSERT_NE(scene, nullptr) << importer.GetErrorString();
  Meshes want;
  expected(*scene, *scene->mRootNode, 1, want);
  svb::Summary summary;
  const Meshes got = meshesOf(out, summary);
  EXPECT_EQ(got.triangles, want.triangles);
  EXPECT_EQ(got.materials, want.materials);
  // One group per node, inside the model's own group.
  EXPECT_EQ(got.depth, want.depth + 1);
  EXPECT_EQ(summary.cameras, scene->mNumCameras);
  EXPECT_EQ(summary.lights, scene->mNumLights);
}

INSTANTIATE_TEST_SUITE_P(Formats, TestModel,
                         testing::Values("glTF2/BoxTextured-glTF-Binary/BoxTextured.glb",
                                         "glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb",
                                         "FBX/spider.fbx", "OBJ/spider.obj", "Collada/duck.dae",
                                         "3DS/cubes_with_alpha.3DS", "STL/Spider_binary.stl",
                                         "PLY/cube.ply"));

// A file's triangle comes out at its own place with its own turning sense, so its front
// stays the front: the scene's mirror and the host's mirror cancel.
TEST_F(ModelEndToEnd, AModelIsNeitherMirroredNorTurnedInsideOut) {
  std::ofstream(dir / "tri.obj") << "o Tri\nv 0 0 0\nv 1 0 0\nv 0 1 3\nf 1 2 3\n";
  const std::string out = (dir / "tri.svb").string();
  const solvane_test::Outcome exported = exportModel((dir / "tri.obj").string(), out);
  ASSERT_EQ(exported.status, 0) << exported.output;
  svb::Summary summary;
  const Meshes got = meshesOf(out, summary);
  ASSERT_EQ(got.corners.size(), 1u);
  const std::array<double, 9> file = {0, 0, 0, 1, 0, 0, 0, 1, 3};
  bool found = false;
  for (int start = 0; start < 3; ++start) {
    std::array<double, 9> turned;
    for (int k = 0; k < 9; ++k) turned[k] = got.corners[0][(start * 3 + k) % 9];
    found = found || turned == file;
  }
  EXPECT_TRUE(found) << "the triangle's corners in the scene are not the file's, in its order";
}

// A file the library refuses, or of a type it does not read: a failure with the reason.
TEST_F(ModelEndToEnd, UnreadableFilesFailWithTheReason) {
  const std::pair<const char*, const char*> cases[] = {
      {"broken.obj", "broken.obj: file: cannot be read: "},
      {"notes.txt", "notes.txt: file: is neither a document (.json) nor a model file"}};
  for (const auto& [name, reason] : cases) {
    std::ofstream(dir / name) << "v 0 0 0\nf 1 2 9\n";
    const solvane_test::Outcome exported =
        exportModel((dir / name).string(), (dir / "x.svb").string());
    EXPECT_EQ(exported.status, 1);
    EXPECT_THAT(exported.output, testing::HasSubstr((dir / reason).string()));
    EXPECT_FALSE(fs::exists(dir / "x.svb"));
  }
}

}  // namespace
