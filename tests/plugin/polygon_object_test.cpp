// Polygon objects: which texture tag claims which polygons, and the triangle streams of
// each group read back through the svb reader against the host's polygons.
#include "document_builders.h"
#include "scene_capture.h"

#include "c4d.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using namespace plugin_test;

// Two materials and "Mesh", four triangles on numberedPoints(6): polygon p uses points p,
// p + 1 and p + 2.
struct Groups {
  Document d;
  Material* red = addMaterial(d, "Red", {1, 0, 0});
  Material* green = addMaterial(d, "Green", {0, 1, 0});
  PolygonObject* mesh =
      addMesh(d, "Mesh", numberedPoints(6),
              {CPolygon(0, 1, 2), CPolygon(1, 2, 3), CPolygon(2, 3, 4), CPolygon(3, 4, 5)});

  void tag(Material* mat, const char* restriction = nullptr) {
    addTextureTag(mesh, mat, restriction);
  }
  // Puts the mesh on a layer shown in the editor and in the render as given.
  void layer(Int32 view, Int32 render) {
    LayerObject* layer = LayerObject::Alloc();
    d.doc->InsertLayer(layer);
    mesh->SetLayerObject(layer);
    setParam(layer, ID_LAYER_VIEW, GeData(view));
    setParam(layer, ID_LAYER_RENDER, GeData(render));
  }
};

// Each written object as "object material:points", the points named by their x.
std::vector<std::string> written(Document& d) {
  Capture capture;
  capture.loader.load(d.doc);
  const svb::Scene scene = capture.scene();
  std::vector<std::string> out;
  for (const svb::Node* object : nodesOf(scene, svb::NodeKind::Object)) {
    const svb::Node* geometry = object->child(svb::NodeKind::Geometry);
    const svb::Node* material = object->child(svb::NodeKind::Material);
    std::string line =
        std::string(object->name()) + " " + std::string(material ? material->name() : "-") + ":";
    const std::vector<double>& xyz = valueOf(*geometry, "vertices").array().numbers;
    for (size_t i = 0; i < xyz.size(); i += 3) line += (i ? "," : "") + std::to_string(int(xyz[i]));
    out.push_back(line);
  }
  return out;
}

// The texture tags from the object's own last back to the outermost ancestor's each take the
// polygons of their selection that no later tag took; the display colour takes the rest.
TEST(PolygonGroups, TextureTagsClaimPolygonsFromTheLastTagBack) {
  const struct {
    const char* what;
    void (*setup)(Groups&);
    std::vector<std::string> written;
  } cases[] = {
      // clang-format off
      {"no texture tags", [](Groups&) {},
       {"Mesh Display color:0,1,2,3,4,5"}},
      {"the later unrestricted tag wins",
       [](Groups& g) { g.tag(g.red); g.tag(g.green); },
       {"Mesh Green:0,1,2,3,4,5"}},
      {"unrestricted after restricted takes everything",
       [](Groups& g) { addSelection(g.mesh, "top", {1, 3}); g.tag(g.green, "top"); g.tag(g.red); },
       {"Mesh Red:0,1,2,3,4,5"}},
      {"restricted after unrestricted splits the object",
       [](Groups& g) { addSelection(g.mesh, "top", {1, 3}); g.tag(g.red); g.tag(g.green, "top"); },
       {"Mesh Green:1,2,3,4,5", "Mesh Red:0,1,2,3,4"}},
      {"a restriction naming no selection is unrestricted",
       [](Groups& g) { addSelection(g.mesh, "top", {1}); g.tag(g.red, "elsewhere"); },
       {"Mesh Red:0,1,2,3,4,5"}},
      {"an empty restriction names the unnamed selection",
       [](Groups& g) { addSelection(g.mesh, "", {2}); g.tag(g.red, ""); },
       {"Mesh Red:2,3,4", "Mesh Display color:0,1,2,3,4,5"}},
      {"a tag without material leaves its polygons to earlier ones",
       [](Groups& g) { g.tag(g.red); g.tag(nullptr); },
       {"Mesh Red:0,1,2,3,4,5"}},
      {"an empty selection skips its tag",
       [](Groups& g) { addSelection(g.mesh, "none", {}); g.tag(g.green, "none"); },
       {"Mesh Display color:0,1,2,3,4,5"}},
      {"selected indices beyond the polygons are dropped",
       [](Groups& g) { addSelection(g.mesh, "wide", {3, 4, 100000}); g.tag(g.green, "wide"); },
       {"Mesh Green:3,4,5", "Mesh Display color:0,1,2,3,4"}},
      {"the parent's tag covers what the child's leaves free",
       [](Groups& g) {
         g.tag(g.red);
         PolygonObject* child = addMesh(g.d, "Child", numberedPoints(4),
                                        {CPolygon(0, 1, 2), CPolygon(1, 2, 3)}, g.mesh);
         addSelection(child, "one", {1});
         addTextureTag(child, g.green, "one");
       },
       {"Mesh Red:0,1,2,3,4,5", "Child Green:1,2,3", "Child Red:0,1,2"}},
      {"the child's tag beats the parent's",
       [](Groups& g) { g.tag(g.red); addTextureTag(addTriangle(g.d, "Child", g.mesh), g.green); },
       {"Mesh Red:0,1,2,3,4,5", "Child Green:0,1,2"}},
      {"an object without polygons writes nothing",
       [](Groups& g) { addTextureTag(addMesh(g.d, "Empty", numberedPoints(3), {}), g.red); },
       {"Mesh Display color:0,1,2,3,4,5"}},
      {"a layer shown everywhere changes nothing", [](Groups& g) { g.layer(1, 1); },
       {"Mesh Display color:0,1,2,3,4,5"}},
      {"a layer hidden in the editor writes nothing", [](Groups& g) { g.layer(0, 1); }, {}},
      {"a layer left out of the render writes nothing", [](Groups& g) { g.layer(1, 0); }, {}},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Groups g;
    c.setup(g);
    EXPECT_EQ(written(g.d), c.written);
  }
}

// A bumpy grid big enough that every stream goes to the writer in several pieces, with triangles
// among the quadrangles so that pieces end inside a polygon's corners. Polygons 2 and 3
// (quadrangles, whose Phong normals are handed on in place) have a material of their own;
// the last polygon names a point that does not exist and is left out; the UVW tag holds ten
// records fewer than there are polygons, and those read as zero. Every written corner must
// give the point, the texture coordinate and the Phong normal of its host polygon's corner:
// (a, b, c) comes back as (a, c, b), a quadrangle (a, b, c, d) as (a, d, b) and (c, b, d).
TEST(PolygonStreams, EveryCornerReadsBackAsTheHostPolygonsCorner) {
  Document d;
  const int side = 250;
  std::vector<Vector> points;
  for (int i = 0; i < (side + 1) * (side + 1); ++i)
    points.emplace_back(i % (side + 1), i / (side + 1), 0.1 * ((i % 101) * (i % 103) % 7));
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
  polygons.emplace_back(0, 1, int(points.size()) + 5);
  PolygonObject* grid = addMesh(d, "Grid", points, polygons);
  const int uvRecords = int(polygons.size()) - 10;
  UVWTag* uvw = UVWTag::Alloc(uvRecords);
  const auto uvOf = [](int p, int k) { return Vector(p + k / 10.0, -p - k / 10.0, 0.0); };
  for (int p = 0; p < uvRecords; ++p)
    UVWTag::Set(uvw->GetDataAddressW(), p,
                UVWStruct(uvOf(p, 0), uvOf(p, 1), uvOf(p, 2), uvOf(p, 3)));
  appendTag(grid, uvw);
  grid->MakeTag(Tphong, grid->GetLastTag());
  addSelection(grid, "pair", {2, 3});
  addTextureTag(grid, addMaterial(d, "Red", {1, 0, 0}), "pair");
  Vector32* phong = grid->CreatePhongNormals();
  ASSERT_NE(phong, nullptr);

  Capture capture(true);
  capture.loader.document = d.doc;
  capture.loader.writePolygonObject(grid, {nullptr}, 1.0f);
  const svb::Scene scene = capture.scene();
  const std::vector<const svb::Node*> objects = nodesOf(scene, svb::NodeKind::Object);
  ASSERT_EQ(objects.size(), 2u);

  std::vector<int> rest;
  for (int p = 0; p + 1 < int(polygons.size()); ++p)
    if (p != 2 && p != 3) rest.push_back(p);
  const std::vector<int> groups[2] = {{2, 3}, rest};
  for (int g = 0; g < 2; ++g) {
    SCOPED_TRACE(g == 0 ? "the pair" : "the rest");
    const svb::Node* geometry = objects[size_t(g)]->child(svb::NodeKind::Geometry, "triangles");
    ASSERT_NE(geometry, nullptr);
    const auto stream = [&](const char* name) { return valueOf(*geometry, name).array(); };
    const std::vector<float> vertices = stream("vertices").floats;
    const std::vector<float> normals = stream("normals").floats;
    const std::vector<float> uv = stream("uv_tex").floats;
    const std::vector<int32_t> tris = stream("triangles").ints;
    const std::vector<int32_t> cornersNorm = stream("triangles_norm").ints;
    const std::vector<int32_t> cornersUv = stream("triangles_uv").ints;

    std::vector<std::pair<int, int>> corners;  // polygon, corner (0 = a .. 3 = d)
    std::set<int> used;
    for (int p : groups[g]) {
      const CPolygon& polygon = polygons[size_t(p)];
      for (int k :
           polygon.IsTriangle() ? std::vector<int>{0, 2, 1} : std::vector<int>{0, 3, 1, 2, 1, 3})
        corners.emplace_back(p, k);
      for (int k = 0; k < (polygon.IsTriangle() ? 3 : 4); ++k) used.insert(polygon[k]);
    }
    ASSERT_EQ(tris.size(), corners.size());
    ASSERT_EQ(cornersNorm.size(), corners.size());
    ASSERT_EQ(cornersUv.size(), corners.size());
    EXPECT_EQ(vertices.size(), 3 * used.size());  // every point once
    size_t wrong = 0;
    std::string first;
    for (size_t i = 0; i < corners.size(); ++i) {
      const int p = corners[i].first;
      const int k = corners[i].second;
      const Vector& point = points[size_t(polygons[size_t(p)][k])];
      const Vector uvWanted = p < uvRecords ? uvOf(p, k) : Vector();
      const Vector32& normal = phong[4 * p + k];
      const size_t v = size_t(tris[i]), n = size_t(cornersNorm[i]), t = size_t(cornersUv[i]);
      const bool right = 3 * v + 2 < vertices.size() && 3 * n + 2 < normals.size() &&
                         2 * t + 1 < uv.size() && vertices[3 * v] == float(point.x) &&
                         vertices[3 * v + 1] == float(point.y) &&
                         vertices[3 * v + 2] == float(point.z) && normals[3 * n] == normal.x &&
                         normals[3 * n + 1] == normal.y && normals[3 * n + 2] == normal.z &&
                         uv[2 * t] == float(uvWanted.x) && uv[2 * t + 1] == float(uvWanted.y);
      if (!right && wrong++ == 0)
        first = "corner " + std::to_string(i) + " (polygon " + std::to_string(p) + ", corner " +
                std::to_string(k) + ")";
    }
    EXPECT_EQ(wrong, 0u) << "first wrong: " << first;
  }
  DeleteMem(phong);
}

}  // namespace
