// Polygon objects: which polygons go to which material, and the triangle streams
// written for each group.
#include "content_capture.h"
#include "mesh_builders.h"

#include "c4d.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace mesh_test;
using solvane_test::LoaderHarness;

namespace {

// One renderer object as the capture saw it.
struct Written {
  std::string object;    // the object_begin line
  std::string material;  // the material_begin line
  std::vector<float> vertices;
  std::vector<int32_t> triangles;
};

std::vector<Written> writtenObjects(LoaderHarness& h) {
  std::vector<Written> out;
  size_t arrays = 0;
  const auto& all = h.api().arrays;
  for (const std::string& line : h.api().calls) {
    if (line.rfind("object_begin", 0) == 0) out.push_back({line, "", {}, {}});
    if (line.rfind("material_begin", 0) == 0 && !out.empty()) out.back().material = line;
    if (line.rfind("set_parameter", 0) == 0 && line.find("array(") != std::string::npos) {
      const auto& a = all.at(arrays++);
      if (a.name == "vertices") out.back().vertices = a.floats;
      if (a.name == "triangles") out.back().triangles = a.ints;
    }
  }
  return out;
}

std::vector<float> floatsOf(const LoaderHarness& h, const char* name, size_t index = 0) {
  auto found = h.factory.api.named(name);
  return index < found.size() ? found[index]->floats : std::vector<float>{};
}

std::vector<int32_t> intsOf(const LoaderHarness& h, const char* name, size_t index = 0) {
  auto found = h.factory.api.named(name);
  return index < found.size() ? found[index]->ints : std::vector<int32_t>{};
}

// The floats of points i, j, ... of numberedPoints, in that order.
std::vector<float> pointFloats(std::initializer_list<int> points) {
  std::vector<float> out;
  for (int i : points) out.insert(out.end(), {float(i), 10.0f * i, 100.0f * i});
  return out;
}

std::vector<float> vectorFloats(const Vector32* v, std::initializer_list<int> entries) {
  std::vector<float> out;
  for (int i : entries) out.insert(out.end(), {v[i].x, v[i].y, v[i].z});
  return out;
}

}  // namespace

// Stream layout for single groups: corner order, indices and the normals used.

TEST(TriangleStreams, QuadrangleWithUvwAndPhong) {
  Scene scene;
  PolygonObject* quad =
      makeMesh(scene, "Quad", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {CPolygon(0, 1, 2, 3)});
  addNumberedUvw(quad);
  addPhong(quad);
  LoaderHarness h;
  h.loader.writePolygonObject(quad, tagList({quad}), 1.0f);

  // Vertex and texture values are pinned by the file and round-trip tests.
  Vector32* phong = quad->CreatePhongNormals();
  ASSERT_NE(phong, nullptr);
  EXPECT_EQ(floatsOf(h, "normals"), vectorFloats(phong, {0, 1, 2, 3}));
  DeleteMem(phong);
  const std::vector<int32_t> split{0, 3, 1, 2, 1, 3};
  EXPECT_EQ(intsOf(h, "triangles"), split);
  EXPECT_EQ(intsOf(h, "triangles_norm"), split);
  EXPECT_EQ(intsOf(h, "triangles_uv"), split);

  // Order of the group's scene calls: streams, then the material inside the object.
  const std::vector<std::string> expected{
      "object_begin \"Quad\" placed",
      "geometry_use \"triangles\"",
      "set_parameter \"vertices\" array(0x8001) count 4",
      "set_parameter \"normals\" array(0x8001) count 4",
      "set_parameter \"triangles_norm\" array(0x8006) count 6",
      "set_parameter \"uv_tex\" array(0x8003) count 8",
      "set_parameter \"triangles_uv\" array(0x8006) count 6",
      "set_parameter \"triangles\" array(0x8006) count 6",
      "geometry_end",
  };
  ASSERT_GE(h.api().calls.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(h.api().calls.begin(),
                                     h.api().calls.begin() + long(expected.size())),
            expected);
  EXPECT_EQ(h.api().calls.back(), "object_end");
  EXPECT_EQ(h.api().with_prefix("material_begin").size(), 1u);
}

TEST(TriangleStreams, TwoTrianglesShareVerticesAndReverseCorners) {
  Scene scene;
  PolygonObject* mesh =
      makeMesh(scene, "Tris", numberedPoints(4), {CPolygon(0, 1, 2), CPolygon(2, 1, 3)});
  addNumberedUvw(mesh);
  LoaderHarness h;
  h.loader.writePolygonObject(mesh, tagList({mesh}), 1.0f);

  EXPECT_EQ(floatsOf(h, "vertices"), pointFloats({0, 1, 2, 3}));
  EXPECT_EQ(intsOf(h, "triangles"), (std::vector<int32_t>{0, 2, 1, 2, 3, 1}));
  EXPECT_EQ(intsOf(h, "triangles_uv"), (std::vector<int32_t>{0, 2, 1, 3, 5, 4}));
  // Neither normal tag nor Phong tag: no normals at all.
  EXPECT_TRUE(h.api().named("normals").empty());
  EXPECT_TRUE(h.api().named("triangles_norm").empty());
}

TEST(TriangleStreams, GroupIndicesAreLocalAndPhongEntriesFollowThePolygon) {
  Scene scene;
  std::vector<CPolygon> polygons(6, CPolygon(0, 1, 2));
  polygons[5] = CPolygon(7, 8, 9, 9);
  PolygonObject* mesh = makeMesh(scene, "Six", numberedPoints(10), polygons);
  addPhong(mesh);
  addSelection(mesh, "five", {5});
  addTextureTag(mesh, makeMaterial(scene, "Red", {1, 0, 0}), "five");
  LoaderHarness h;
  h.loader.writePolygonObject(mesh, tagList({mesh}), 1.0f);

  // First group: polygon 5 alone.
  EXPECT_EQ(floatsOf(h, "vertices", 0), pointFloats({7, 8, 9}));
  EXPECT_EQ(intsOf(h, "triangles", 0), (std::vector<int32_t>{0, 2, 1}));
  Vector32* phong = mesh->CreatePhongNormals();
  ASSERT_NE(phong, nullptr);
  EXPECT_EQ(floatsOf(h, "normals", 0), vectorFloats(phong, {20, 21, 22}));
  DeleteMem(phong);
  // No UVW tag: no texture coordinates.
  EXPECT_TRUE(h.api().named("uv_tex").empty());
  EXPECT_TRUE(h.api().named("triangles_uv").empty());
  // The same host points, written again for the second group.
  EXPECT_EQ(floatsOf(h, "vertices", 1), pointFloats({0, 1, 2}));
}

TEST(TriangleStreams, PhongEntriesOfQuadranglesInsideTheObject) {
  Scene scene;
  std::vector<CPolygon> polygons;
  for (int i = 0; i < 4; ++i) polygons.emplace_back(2 * i, 2 * i + 1, 2 * i + 3, 2 * i + 2);
  PolygonObject* strip = makeMesh(scene, "Strip", numberedPoints(10), polygons);
  for (int i = 0; i < 10; ++i) strip->GetPointW()[i] = Vector(i % 2, 0.1 * i * i, i / 2);
  addPhong(strip);
  addSelection(strip, "middle", {1, 2});
  addTextureTag(strip, makeMaterial(scene, "Red", {1, 0, 0}), "middle");
  LoaderHarness h;
  h.loader.writePolygonObject(strip, tagList({strip}), 1.0f);
  Vector32* phong = strip->CreatePhongNormals();
  ASSERT_NE(phong, nullptr);
  EXPECT_EQ(floatsOf(h, "normals", 0), vectorFloats(phong, {4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(floatsOf(h, "normals", 1), vectorFloats(phong, {0, 1, 2, 3, 12, 13, 14, 15}));
  DeleteMem(phong);
  EXPECT_EQ(intsOf(h, "triangles_norm", 1),
            (std::vector<int32_t>{0, 3, 1, 2, 1, 3, 4, 7, 5, 6, 5, 7}));
}

TEST(TriangleStreams, NormalTagIsUsedInsteadOfPhong) {
  Scene scene;
  PolygonObject* mesh = makeMesh(scene, "N", numberedPoints(4), {CPolygon(0, 1, 2, 3)});
  addPhong(mesh);
  NormalTag* normals = NormalTag::Alloc(1);
  // Values that the host's 16-bit storage keeps exactly.
  NormalTag::Set(
      normals->GetDataAddressW(), 0,
      NormalStruct(Vector(0, 0, 1), Vector(0, 0.5, 0.5), Vector(-0.25, 0, 1), Vector(1, 0, 0)));
  appendTag(mesh, normals);
  LoaderHarness h;
  h.loader.writePolygonObject(mesh, tagList({mesh}), 1.0f);
  EXPECT_EQ(floatsOf(h, "normals"),
            (std::vector<float>{0, 0, 1, 0, 0.5f, 0.5f, -0.25f, 0, 1, 1, 0, 0}));
  EXPECT_EQ(intsOf(h, "triangles_norm"), (std::vector<int32_t>{0, 3, 1, 2, 1, 3}));
}

TEST(TriangleStreams, ShortUvwTagReadsZeroBeyondItsRecords) {
  Scene scene;
  PolygonObject* mesh =
      makeMesh(scene, "Short", numberedPoints(4), {CPolygon(0, 1, 2), CPolygon(1, 2, 3)});
  UVWTag* uvw = UVWTag::Alloc(1);
  UVWTag::Set(uvw->GetDataAddressW(), 0,
              UVWStruct(Vector(1, 2, 0), Vector(3, 4, 0), Vector(5, 6, 0), Vector(5, 6, 0)));
  appendTag(mesh, uvw);
  LoaderHarness h;
  h.loader.writePolygonObject(mesh, tagList({mesh}), 1.0f);
  EXPECT_EQ(floatsOf(h, "uv_tex"), (std::vector<float>{1, 2, 3, 4, 5, 6, 0, 0, 0, 0, 0, 0}));
}

TEST(TriangleStreams, NamesOfTheObjects) {
  Scene scene;
  PolygonObject* unnamed = makeMesh(scene, nullptr, numberedPoints(3), {CPolygon(0, 1, 2)});
  String bad;
  bad.SetRawBytes("\xff\xfe");  // not UTF-8: no C string
  PolygonObject* undecodable = makeMesh(scene, nullptr, numberedPoints(3), {CPolygon(0, 1, 2)});
  undecodable->SetName(bad);
  LoaderHarness h;
  h.loader.writePolygonObject(unnamed, tagList({unnamed}), 1.0f);
  h.loader.writePolygonObject(undecodable, tagList({undecodable}), 1.0f);
  EXPECT_EQ(
      h.api().with_prefix("object_begin"),
      (std::vector<std::string>{"object_begin \"\" placed", "object_begin \"object\" placed"}));
}

// Which texture tag claims which polygons.

// Two materials and a mesh of four triangles, written through a fresh driver.
struct GroupScene {
  Scene scene;
  Material* red = makeMaterial(scene, "Red", {1, 0, 0});
  Material* green = makeMaterial(scene, "Green", {0, 1, 0});
  // Four triangles on points 0..5: polygon p uses points p, p + 1, p + 2.
  PolygonObject* mesh =
      makeMesh(scene, "Mesh", numberedPoints(6),
               {CPolygon(0, 1, 2), CPolygon(1, 2, 3), CPolygon(2, 3, 4), CPolygon(3, 4, 5)});
  LoaderHarness h;

  std::vector<std::string> materials() { return h.api().with_prefix("material_begin"); }
};

class MaterialGroups : public ::testing::Test, public GroupScene {};

// Cases where one entry ends up owning every polygon: the whole mesh is one object.
// Own tags arrive twice: once from the traversal, once from the object's own scan.
TEST_F(MaterialGroups, OneEntryTakesAllPolygons) {
  const struct {
    const char* what;
    const char* material;
    void (*setup)(GroupScene&);
  } cases[] = {
      {"no texture tags", "Display color", [](GroupScene&) {}},
      {"the later unrestricted tag wins", "Green",
       [](GroupScene& t) {
         addTextureTag(t.mesh, t.red);
         addTextureTag(t.mesh, t.green);
       }},
      {"unrestricted after restricted takes everything", "Red",
       [](GroupScene& t) {
         addSelection(t.mesh, "top", {1, 3});
         addTextureTag(t.mesh, t.green, "top");
         addTextureTag(t.mesh, t.red);
       }},
      {"a restriction naming no selection is unrestricted", "Red",
       [](GroupScene& t) {
         addSelection(t.mesh, "top", {1});
         addTextureTag(t.mesh, t.red, "elsewhere");
       }},
      {"a tag without material leaves its polygons to later entries", "Red",
       [](GroupScene& t) {
         addTextureTag(t.mesh, t.red);
         addTextureTag(t.mesh, nullptr);
       }},
      {"an empty selection skips its tag", "Display color",
       [](GroupScene& t) {
         addSelection(t.mesh, "none", {});
         addTextureTag(t.mesh, t.green, "none");
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    GroupScene t;
    c.setup(t);
    t.h.loader.writePolygonObject(t.mesh, tagList({t.mesh}), 1.0f);
    const auto objects = writtenObjects(t.h);
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0].material, std::string("material_begin \"") + c.material + "\" placed");
    EXPECT_EQ(objects[0].triangles.size(), 12u);
  }
}

TEST_F(MaterialGroups, RestrictedAfterUnrestrictedSplitsTheObject) {
  addSelection(mesh, "top", {1, 3});
  addTextureTag(mesh, red);
  addTextureTag(mesh, green, "top");
  h.loader.writePolygonObject(mesh, tagList({mesh}), 1.0f);
  const auto objects = writtenObjects(h);
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_EQ(objects[0].material, "material_begin \"Green\" placed");
  EXPECT_EQ(objects[0].vertices, pointFloats({1, 2, 3, 4, 5}));
  EXPECT_EQ(objects[0].triangles, (std::vector<int32_t>{0, 2, 1, 2, 4, 3}));
  EXPECT_EQ(objects[1].material, "material_begin \"Red\" placed");
  EXPECT_EQ(objects[1].vertices, pointFloats({0, 1, 2, 3, 4}));
  EXPECT_EQ(objects[1].triangles, (std::vector<int32_t>{0, 2, 1, 2, 4, 3}));
  EXPECT_EQ(objects[0].object, "object_begin \"Mesh\" placed");
  EXPECT_EQ(objects[1].object, "object_begin \"Mesh\" placed");
}

TEST_F(MaterialGroups, EmptyRestrictionMatchesAnUnnamedSelection) {
  addSelection(mesh, "", {2});
  addTextureTag(mesh, red, "");
  h.loader.writePolygonObject(mesh, tagList({mesh}), 1.0f);
  const auto objects = writtenObjects(h);
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_EQ(objects[0].material, "material_begin \"Red\" placed");
  EXPECT_EQ(objects[0].vertices, pointFloats({2, 3, 4}));
  EXPECT_EQ(objects[1].material, "material_begin \"Display color\" placed");
}

TEST_F(MaterialGroups, ParentTagCoversWhatTheChildLeavesFree) {
  PolygonObject* child =
      makeMesh(scene, "Child", numberedPoints(4), {CPolygon(0, 1, 2), CPolygon(1, 2, 3)}, mesh);
  addTextureTag(mesh, red);
  addSelection(child, "one", {1});
  addTextureTag(child, green, "one");
  h.loader.writePolygonObject(child, tagList({mesh, child}), 1.0f);
  const auto objects = writtenObjects(h);
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_EQ(objects[0].material, "material_begin \"Green\" placed");
  EXPECT_EQ(objects[0].vertices, pointFloats({1, 2, 3}));
  EXPECT_EQ(objects[1].material, "material_begin \"Red\" placed");
  EXPECT_EQ(objects[1].vertices, pointFloats({0, 1, 2}));
}

TEST_F(MaterialGroups, ChildTagBeatsParentTag) {
  PolygonObject* child = makeMesh(scene, "Child", numberedPoints(3), {CPolygon(0, 1, 2)}, mesh);
  addTextureTag(mesh, red);
  addTextureTag(child, green);
  h.loader.writePolygonObject(child, tagList({mesh, child}), 1.0f);
  EXPECT_EQ(materials(), (std::vector<std::string>{"material_begin \"Green\" placed"}));
}

TEST_F(MaterialGroups, SelectionIndicesBeyondThePolygonsAreDropped) {
  addSelection(mesh, "wide", {3, 4, 100000});
  addTextureTag(mesh, green, "wide");
  h.loader.writePolygonObject(mesh, tagList({mesh}), 1.0f);
  const auto objects = writtenObjects(h);
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_EQ(objects[0].vertices, pointFloats({3, 4, 5}));
  EXPECT_EQ(objects[0].triangles, (std::vector<int32_t>{0, 2, 1}));
  EXPECT_EQ(objects[1].triangles.size(), 9u);
}

TEST_F(MaterialGroups, LayerSwitchedOffWritesNothing) {
  LayerObject* layer = LayerObject::Alloc();
  scene.doc->InsertLayer(layer);
  mesh->SetLayerObject(layer);
  h.loader.document = scene.doc;

  setParam(layer, 1002, GeData(Int32(0)));
  h.loader.writePolygonObject(mesh, tagList({mesh}), 1.0f);
  EXPECT_TRUE(h.api().calls.empty());

  setParam(layer, 1002, GeData(Int32(1)));
  setParam(layer, 1001, GeData(Int32(0)));
  h.loader.writePolygonObject(mesh, tagList({mesh}), 1.0f);
  EXPECT_TRUE(h.api().calls.empty());

  setParam(layer, 1001, GeData(Int32(1)));
  h.loader.writePolygonObject(mesh, tagList({mesh}), 1.0f);
  EXPECT_EQ(materials().size(), 1u);
}

TEST_F(MaterialGroups, ObjectWithoutPolygonsWritesNothing) {
  PolygonObject* empty = makeMesh(scene, "Empty", numberedPoints(3), {});
  addTextureTag(empty, red);
  h.loader.writePolygonObject(empty, tagList({empty}), 1.0f);
  EXPECT_TRUE(h.api().calls.empty());
}

TEST_F(MaterialGroups, PolygonWithAPointBeyondThePointsIsLeftOut) {
  PolygonObject* broken =
      makeMesh(scene, "Broken", numberedPoints(3), {CPolygon(0, 1, 7), CPolygon(0, 1, 2)});
  h.loader.writePolygonObject(broken, tagList({broken}), 1.0f);
  const auto objects = writtenObjects(h);
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(objects[0].vertices, pointFloats({0, 1, 2}));
  EXPECT_EQ(objects[0].triangles, (std::vector<int32_t>{0, 2, 1}));
}
