// Polygon objects and materials written through the text scene writer: exact bytes of
// small cases, and a round trip of the triangle streams through the svb reader.
#include "C4DLoader.h"
#include "LightFactory.h"
#include "LightFileFactory.h"
#include "mesh_builders.h"
#include "svb_reader.h"
#include "zelsceneapi_file.h"
#include "zelsceneapi_oo.h"

#include "c4d.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace mesh_test;

namespace {

// The text writer (binary arrays on) over a memory stream.
class MemoryFactory : public zel::LightFactory {
 public:
  MemoryFactory() : stream_(open_memstream(&buffer_, &size_)), writer_(stream_, true) {}
  ~MemoryFactory() override {
    std::fclose(stream_);
    std::free(buffer_);
  }
  zelScene_api* getApi() override { return &writer_; }
  void init(zel::zelSceneapi_oo*) override {}
  bool shutdown() override { return true; }
  std::string const& message() const override { return message_; }
  std::string bytes() {
    std::fflush(stream_);
    return std::string(buffer_, size_);
  }

 private:
  char* buffer_ = nullptr;
  size_t size_ = 0;
  FILE* stream_;
  zelScene_api_file writer_;
  std::string message_;
};

// A driver writing into a MemoryFactory; bytes() leaves out the wrapper's opening.
struct FileHarness {
  MemoryFactory factory;
  C4DLoader loader;
  size_t opening = 0;
  FileHarness() {
    loader.sceneOO = new zel::zelSceneapi_oo(&factory);
    opening = factory.bytes().size();
  }
  ~FileHarness() { delete loader.sceneOO; }
  std::string bytes() { return factory.bytes().substr(opening); }
};

// Binary array block: 01 02 03, the letter, the count, then the values.
template <typename T>
std::string block(char letter, const std::vector<T>& values) {
  std::string out("\x01\x02\x03", 3);
  out += letter;
  const uint32_t count = uint32_t(values.size());
  out.append(reinterpret_cast<const char*>(&count), 4);
  out.append(reinterpret_cast<const char*>(values.data()), values.size() * 4);
  return out;
}

// Offset of the first difference, for readable failures.
std::string firstDifference(const std::string& a, const std::string& b) {
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  return "first difference at byte " + std::to_string(i) + " of " + std::to_string(a.size()) +
         " / " + std::to_string(b.size());
}

}  // namespace

TEST(MeshFile, QuadrangleObjectBytes) {
  Scene scene;
  PolygonObject* quad =
      makeMesh(scene, "Q", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {CPolygon(0, 1, 2, 3)});
  FileHarness f;
  f.loader.writePolygonObject(quad, tagList({quad}), 1.0f);
  const std::string expected =
      "object \"Q\" {\n"
      "geometry \"triangles\" {\n"
      "\"vertices\" [ " +
      block<float>('c', {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}) +
      "] ,\n"
      "\"triangles\" [ " +
      block<int32_t>('i', {0, 3, 1, 2, 1, 3}) +
      "] ,\n"
      "}\n"
      "material \"Display color\" {\n"
      "surface \"zel_diffuse\" {\n"
      "\"diffuse\" 0.65 0.65 0.65,\n"
      "}\n"
      "}\n"
      "}\n";
  const std::string got = f.bytes();
  EXPECT_EQ(got, expected) << firstDifference(got, expected);
}

TEST(MeshFile, TexturedMaterialBytesForProjections) {
  ZelMat mat;
  std::strcpy(mat.name, "Wood");
  mat.color = Vector(0.5, 0.25, 1.0);
  mat.texture = "wood.png";
  mat.shiftU = 0.125;
  mat.scaleV = 2.0;
  mat.tile = false;
  {
    FileHarness f;
    f.loader.writeMaterial(mat);
    const std::string expected =
        "material \"Wood\" {\n"
        "surface \"zel_advanced\" {\n"
        "\"diffuse\" 0.5 0.25 1,\n"
        "\"specular\" 0 0 0,\n"
        "\"fresnel\" on,\n"
        "\"roughness\" 0,\n"
        "\"ior\" 1.5,\n"
        "\"glossy\" on,\n"
        "\"glossy_samples\" 9,\n"
        "\"alpha\" 1,\n"
        "\"diffuse\" ! \"texture2_rgb\" {\n"
        "\"texture\" \"wood.png\",\n"
        "\"default_color\" 0 0 0,\n"
        "\"wrap\" off,\n"
        "\"uv_projection\" 4,\n"
        "\"scale_u\" 1,\n"
        "\"scale_v\" 2,\n"
        "\"shift_u\" 0.125,\n"
        "\"shift_v\" 0,\n"
        "\"uv_flags\" 62,\n"
        "},\n"
        "}\n"
        "}\n";
    const std::string got = f.bytes();
    EXPECT_EQ(got, expected) << firstDifference(got, expected);
  }
  {
    // Flat projection: the halved inverse of the tag's matrix instead of the flags.
    // Tag matrix: offset (2, 8, 4), axes scaled by 2, 4 and 8.
    mat.projection = 2;
    mat.textureMatrix = MatrixMove(Vector(2, 8, 4)) * MatrixScale(Vector(2, 4, 8));
    FileHarness f;
    f.loader.writeMaterial(mat);
    const std::string texture =
        "\"texture2_rgb\" {\n"
        "\"texture\" \"wood.png\",\n"
        "\"default_color\" 0 0 0,\n"
        "\"wrap\" off,\n"
        "\"uv_projection\" 5,\n"
        "\"scale_u\" 1,\n"
        "\"scale_v\" 2,\n"
        "\"shift_u\" 0.125,\n"
        "\"shift_v\" 0,\n"
        "\"transform_obj_to_uv\" 0.25 0 0 0 0 0.125 0 0 0 0 0.0625 0 -0.5 -1 -0.25 1,\n"
        "}";
    const std::string got = f.bytes();
    EXPECT_NE(got.find("\"diffuse\" ! " + texture + ",\n}\n}\n"), std::string::npos) << got;
    EXPECT_EQ(got.find("uv_flags"), std::string::npos);
    EXPECT_EQ(got.rfind("material \"Wood\" {\n", 0), 0u) << got;
  }
}

// Reads the streams back and checks every written triangle against the host polygons:
// (a, b, c) comes back as (a, c, b), a quadrangle (a, b, c, d) as (a, d, b) and (c, b, d).
// A grid big enough that every stream goes to the writer in several pieces, with triangles
// among the quadrangles so that pieces end inside a polygon's corners.
TEST(MeshFile, TriangleStreamsReadBackGiveThePolygonCorners) {
  Scene scene;
  const int side = 250;
  std::vector<Vector> points;
  for (int i = 0; i < (side + 1) * (side + 1); ++i)
    points.emplace_back(i % (side + 1), i / (side + 1), 0.5 * i);
  std::vector<CPolygon> polygons;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const int a = y * (side + 1) + x;
      if ((x + y) % 3 == 1)
        polygons.emplace_back(a, a + 1, a + side + 2);
      else
        polygons.emplace_back(a, a + 1, a + side + 2, a + side + 1);
    }
  }
  PolygonObject* mesh = makeMesh(scene, "Grid", points, polygons);
  addNumberedUvw(mesh);
  addPhong(mesh);
  FileHarness f;
  f.loader.writePolygonObject(mesh, tagList({mesh}), 1.0f);

  const svb::Scene read = svb::parse(f.bytes());
  ASSERT_EQ(read.nodes.size(), 1u);
  const svb::Node& object = read.nodes[0];
  ASSERT_EQ(object.kind, svb::NodeKind::Object);
  const svb::Node* geometry = object.child(svb::NodeKind::Geometry, "triangles");
  ASSERT_NE(geometry, nullptr);
  const auto stream = [&](const char* name) -> const svb::Array& {
    const svb::Node* p = geometry->param(name);
    EXPECT_NE(p, nullptr) << name;
    static const svb::Array none;
    return p ? p->value.array() : none;
  };
  const std::vector<float>& vertices = stream("vertices").floats;
  const std::vector<int32_t>& tris = stream("triangles").ints;
  const std::vector<int32_t>& cornersUv = stream("triangles_uv").ints;
  const std::vector<float>& uv = stream("uv_tex").floats;
  EXPECT_EQ(stream("triangles_norm").ints, cornersUv);
  EXPECT_EQ(stream("normals").floats.size(), uv.size() / 2 * 3);

  struct Corner {
    int polygon;
    int corner;  // 0 = a .. 3 = d
  };
  std::vector<Corner> expected;
  for (int p = 0; p < int(polygons.size()); ++p) {
    if (polygons[p].IsTriangle())
      expected.insert(expected.end(), {{p, 0}, {p, 2}, {p, 1}});
    else
      expected.insert(expected.end(), {{p, 0}, {p, 3}, {p, 1}, {p, 2}, {p, 1}, {p, 3}});
  }
  ASSERT_EQ(tris.size(), expected.size());
  ASSERT_EQ(cornersUv.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const CPolygon& polygon = polygons[size_t(expected[i].polygon)];
    const Vector& point = points[size_t(polygon[expected[i].corner])];
    const size_t v = size_t(tris[i]);
    ASSERT_LT(3 * v + 2, vertices.size());
    EXPECT_EQ(vertices[3 * v], float(point.x)) << "corner " << i;
    EXPECT_EQ(vertices[3 * v + 1], float(point.y)) << "corner " << i;
    EXPECT_EQ(vertices[3 * v + 2], float(point.z)) << "corner " << i;
    const size_t c = size_t(cornersUv[i]);
    ASSERT_LT(2 * c + 1, uv.size());
    EXPECT_EQ(uv[2 * c], float(expected[i].polygon + expected[i].corner / 10.0)) << "corner " << i;
    EXPECT_EQ(uv[2 * c + 1], float(-expected[i].polygon - expected[i].corner / 10.0))
        << "corner " << i;
  }
  // Every point once.
  EXPECT_EQ(vertices.size(), 3 * points.size());
}

// What the exporter writes, the scene reader reads: a textured mesh at the deepest level the
// exporter allows parses; one level deeper, and a hierarchy of 100,000 levels built through
// the host's API, are refused before any file is touched.
TEST(MeshFile, HierarchyDepthIsLimitedToWhatTheReaderReads) {
  char folder[] = "/tmp/solvane-depth-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string path = std::string(folder) + "/deep.svb";
  for (int levels : {C4DLoader::kMaxHierarchyDepth, C4DLoader::kMaxHierarchyDepth + 1, 100000}) {
    SCOPED_TRACE(levels);
    Scene scene;
    BaseObject* parent = nullptr;
    for (int level = 1; level < levels; ++level) {
      BaseObject* null = BaseObject::Alloc(Onull);
      scene.doc->InsertObject(null, parent, nullptr);
      parent = null;
    }
    PolygonObject* mesh = makeMesh(scene, "Deep", numberedPoints(3), {CPolygon(0, 1, 2)}, parent);
    addNumberedUvw(mesh);
    Material* wood = makeMaterial(scene, "Wood", Vector(0.5, 0.25, 1.0));
    BaseShader* bitmap = BaseShader::Alloc(Xbitmap);
    setParam(bitmap, BITMAPSHADER_FILENAME, GeData(Filename("wood.png")));
    wood->InsertShader(bitmap);
    setParam(wood, MATERIAL_COLOR_SHADER, GeData(bitmap));
    addTextureTag(mesh, wood);
    ASSERT_EQ(C4DLoader::hierarchyDepth(scene.doc), levels);

    C4DLoader loader;
    zel::LightFileFactory factory(path);
    const std::string failure = loader.convertInto(scene.doc, factory);
    if (levels <= C4DLoader::kMaxHierarchyDepth) {
      ASSERT_EQ(failure, "");
      std::ifstream in(path, std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
      EXPECT_NO_THROW(svb::parse(bytes));
      std::remove(path.c_str());
    } else {
      EXPECT_EQ(failure, "The object hierarchy is " + std::to_string(levels) +
                             " levels deep; a scene holds at most " +
                             std::to_string(C4DLoader::kMaxHierarchyDepth) + ". Nothing was sent.");
      EXPECT_NE(access(path.c_str(), F_OK), 0);
    }
  }
  rmdir(folder);
}
