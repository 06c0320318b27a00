// The traversal's decisions read from the scene it writes (geometry, names, depth), which texture
// tag claims which polygons, and the triangle streams against the host's polygons.
#include "document_builders.h"
#include "scene_capture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace plugin_test;
using ::testing::ElementsAreArray;
using Names = std::vector<std::string>;

// The scene of one conversion: an update writes only the selection when `update`.
svb::Scene convert(Document& d, bool update = false) {
  Capture capture;
  capture.loader.selectionOnly = update;
  capture.loader.load(d.doc);
  return capture.scene();
}

// Editor and render modes (0 on, 1 off, 2 inherit) of three nested triangles A > B > C.
TEST(Traversal, VisibilityDecidesTheGeometryThroughThreeLevels) {
  const struct {
    Int32 editor[3];
    Int32 render[3];
    Names written;
  } cases[] = {
      {{2, 2, 2}, {2, 2, 2}, {"A", "B", "C"}},
      // Hidden in the editor, shown in the render: no geometry, also for inheriting children.
      {{1, 2, 2}, {0, 2, 2}, {}},
      // A child switched back on overrides its hidden parent; its own child inherits that.
      {{2, 2, 2}, {1, 0, 2}, {"B", "C"}},
      {{0, 1, 0}, {0, 2, 2}, {"A", "C"}},
      {{2, 2, 2}, {2, 1, 2}, {"A"}},
      {{0, 2, 2}, {2, 2, 1}, {"A", "B"}},
  };
  for (const auto& c : cases) {
    Document d;
    BaseObject* parent = nullptr;
    for (int level = 0; level < 3; ++level) {
      const char name[2] = {char('A' + level), 0};
      parent = addTriangle(d, name, parent);
      parent->SetEditorMode(c.editor[level]);
      parent->SetRenderMode(c.render[level]);
    }
    SCOPED_TRACE(::testing::PrintToString(c.written));
    EXPECT_THAT(namesOf(convert(d), svb::NodeKind::Object), ElementsAreArray(c.written));
  }
}

// Update writes the selection and its descendants (no selection, or only a texture tag: all);
// the no-geometry bit always wins; lights, hair and cameras are written anyway.
TEST(Traversal, SelectionAndTheNoGeometryBitDecideTheGeometry) {
  enum Pick { kNothing, kParent, kOutside, kTextureTag };
  const struct {
    Pick pick;
    bool update;
    bool insideBit;
    Names written;
  } cases[] = {
      {kNothing, true, false, {"Inside", "Outside", "Light", "Hair"}},
      {kParent, true, false, {"Inside", "Light", "Hair"}},
      {kOutside, true, false, {"Outside", "Light", "Hair"}},
      {kTextureTag, true, false, {"Inside", "Outside", "Light", "Hair"}},
      {kParent, false, false, {"Inside", "Outside", "Light", "Hair"}},
      {kParent, true, true, {"Light", "Hair"}},
      {kNothing, false, true, {"Outside", "Light", "Hair"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << c.pick << " update " << c.update << " bit " << c.insideBit);
    Document d;  // Parent > Inside > Cam; Outside with a texture tag; Light; Hair
    BaseObject* parent = addObject(d, Onull, "Parent");
    BaseObject* inside = addTriangle(d, "Inside", parent);
    BaseObject* cam = addObject(d, Ocamera, "Cam", inside);
    BaseObject* outside = addObject(d, Ocube, "Outside");  // a generator and its cache
    outside->SetCache(newMesh("Outside", numberedPoints(3), {CPolygon(0, 1, 2)}));
    TextureTag* tag = addTextureTag(outside, nullptr);
    BaseObject* light = addObject(d, Olight, "Light");
    BaseObject* hair = addHair(d, "Hair", 1, 1);
    for (BaseObject* hidden : {cam, light, hair}) {
      hidden->SetEditorMode(MODE_OFF);
      hidden->SetRenderMode(MODE_OFF);
    }
    if (c.insideBit) inside->SetBit(0x200);
    if (c.pick == kParent) d.doc->SetSelection(parent);
    if (c.pick == kOutside) d.doc->SetSelection(outside);
    if (c.pick == kTextureTag) d.doc->SetActiveTag(tag);

    const svb::Scene scene = convert(d, c.update);
    EXPECT_THAT(namesOf(scene, svb::NodeKind::Object), ElementsAreArray(c.written));
    EXPECT_THAT(namesOf(scene, svb::NodeKind::Camera), ElementsAreArray({"Cam"}));
    EXPECT_EQ(nodesOf(scene, svb::NodeKind::Group).size(), 8u);  // every object keeps its group
  }
}

// The root group is the document's name cut before its last dot; labels are cut to 1023
// bytes, and what has no readable name is "object" (a camera "Camera").
TEST(Traversal, NamesOfTheRootTheGroupsAndTheObjects) {
  const struct {
    const char* document;
    const char* root;
  } roots[] = {
      {"", "untitled"},       {"plain", "plain"},
      {"scene.c4d", "scene"}, {"model.final.c4d", "model.final"},
      {".c4d", ""},
  };
  for (const auto& c : roots) {
    Document d;
    d.doc->SetDocumentName(Filename(c.document));
    EXPECT_THAT(namesOf(convert(d), svb::NodeKind::Group), ElementsAreArray({c.root}));
  }

  Document d;
  addObject(d, Ocamera, "Inner", addObject(d, Onull, std::string(1500, 'n').c_str()));
  addObject(d, Onull, std::string(1023, 'k').c_str());
  String bad;
  bad.SetRawBytes("\xff\xfe");
  addTriangle(d, nullptr)->SetName(bad);
  addObject(d, Ocamera, "");
  const svb::Scene scene = convert(d);
  EXPECT_THAT(namesOf(scene, svb::NodeKind::Group),
              ElementsAreArray({"untitled", std::string(1023, 'n').c_str(), "Inner",
                                std::string(1023, 'k').c_str(), "object", ""}));
  EXPECT_THAT(namesOf(scene, svb::NodeKind::Object), ElementsAreArray({"object"}));
  // Cameras depth first, ancestors' descendants before later objects.
  EXPECT_THAT(namesOf(scene, svb::NodeKind::Camera), ElementsAreArray({"Inner", "Camera"}));
}

// A textured mesh at the deepest level allowed parses; one level deeper, or 100,000 levels,
// are refused before anything is written.
TEST(Traversal, HierarchyDepthIsLimitedToWhatTheReaderReads) {
  for (int levels : {C4DLoader::kMaxHierarchyDepth, C4DLoader::kMaxHierarchyDepth + 1, 100000}) {
    SCOPED_TRACE(levels);
    Document d;
    BaseObject* parent = nullptr;
    for (int level = 1; level < levels; ++level) parent = addObject(d, Onull, "", parent);
    PolygonObject* mesh = addTriangle(d, "Deep", parent);
    appendTag(mesh, UVWTag::Alloc(1));
    addTextureTag(mesh, addTexturedMaterial(d, "Wood", Vector(0.5, 0.25, 1.0), "wood.png"));
    ASSERT_EQ(C4DLoader::hierarchyDepth(d.doc), levels);

    C4DLoader loader;
    MemoryFactory factory(true);
    const std::string failure = loader.convertInto(d.doc, factory);
    if (levels <= C4DLoader::kMaxHierarchyDepth) {
      ASSERT_EQ(failure, "");
      EXPECT_NO_THROW(svb::parse(factory.bytes()));
    } else {
      EXPECT_EQ(failure, "The object hierarchy is " + std::to_string(levels) +
                             " levels deep; a scene holds at most " +
                             std::to_string(C4DLoader::kMaxHierarchyDepth) + ". Nothing was sent.");
      EXPECT_EQ(factory.bytes(), "");
    }
  }
}

// Two materials and "Mesh", four triangles on numberedPoints(6), polygon p on points p to p + 2.
struct Groups {
  Document d;
  Material* red = addMaterial(d, "Red", {1, 0, 0});
  Material* green = addMaterial(d, "Green", {0, 1, 0});
  PolygonObject* mesh =
      addMesh(d, "Mesh", numberedPoints(6),
              {CPolygon(0, 1, 2), CPolygon(1, 2, 3), CPolygon(2, 3, 4), CPolygon(3, 4, 5)});

  void tag(Material* mat, const char* only = nullptr) { addTextureTag(mesh, mat, only); }
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
Names written(Document& d) {
  const svb::Scene scene = convert(d);
  Names out;
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

// Tags from the object's last back to the outermost ancestor's take their selection's polygons
// no later tag took; the display colour takes the rest.
TEST(PolygonGroups, TextureTagsClaimPolygonsFromTheLastTagBack) {
  static const std::string grey = "Mesh Display color:0,1,2,3,4,5";
  const struct {
    const char* what;
    void (*setup)(Groups&);
    Names written;
  } cases[] = {
      // clang-format off
      {"no texture tags", [](Groups&) {}, {grey}},
      {"later wins", [](Groups& g) { g.tag(g.red); g.tag(g.green); }, {"Mesh Green:0,1,2,3,4,5"}},
      {"unrestricted after restricted takes all",
       [](Groups& g) { addSelection(g.mesh, "top", {1, 3}); g.tag(g.green, "top"); g.tag(g.red); },
       {"Mesh Red:0,1,2,3,4,5"}},
      {"restricted after unrestricted splits the object",
       [](Groups& g) { addSelection(g.mesh, "top", {1, 3}); g.tag(g.red); g.tag(g.green, "top"); },
       {"Mesh Green:1,2,3,4,5", "Mesh Red:0,1,2,3,4"}},
      {"restricted to no selection: unrestricted",
       [](Groups& g) { addSelection(g.mesh, "top", {1}); g.tag(g.red, "elsewhere"); },
       {"Mesh Red:0,1,2,3,4,5"}},
      {"an empty restriction names the unnamed selection",
       [](Groups& g) { addSelection(g.mesh, "", {2}); g.tag(g.red, ""); },
       {"Mesh Red:2,3,4", grey}},
      {"no material", [](Groups& g) { g.tag(g.red); g.tag(nullptr); }, {"Mesh Red:0,1,2,3,4,5"}},
      {"an empty selection skips its tag",
       [](Groups& g) { addSelection(g.mesh, "none", {}); g.tag(g.green, "none"); }, {grey}},
      {"selected indices beyond the polygons are dropped",
       [](Groups& g) { addSelection(g.mesh, "wide", {3, 4, 100000}); g.tag(g.green, "wide"); },
       {"Mesh Green:3,4,5", "Mesh Display color:0,1,2,3,4"}},
      {"the parent's tag covers what the child's leaves free", [](Groups& g) {
         g.tag(g.red);
         PolygonObject* child = addMesh(g.d, "Child", numberedPoints(4),
                                        {CPolygon(0, 1, 2), CPolygon(1, 2, 3)}, g.mesh);
         addSelection(child, "one", {1});
         addTextureTag(child, g.green, "one");
       }, {"Mesh Red:0,1,2,3,4,5", "Child Green:1,2,3", "Child Red:0,1,2"}},
      {"the child's tag beats the parent's",
       [](Groups& g) { g.tag(g.red); addTextureTag(addTriangle(g.d, "Child", g.mesh), g.green); },
       {"Mesh Red:0,1,2,3,4,5", "Child Green:0,1,2"}},
      {"no polygons",
       [](Groups& g) { addTextureTag(addMesh(g.d, "E", numberedPoints(3), {}), g.red); }, {grey}},
      {"layer shown everywhere", [](Groups& g) { g.layer(1, 1); }, {grey}},
      {"layer hidden in the editor", [](Groups& g) { g.layer(0, 1); }, {}},
      {"layer left out of the render", [](Groups& g) { g.layer(1, 0); }, {}},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Groups g;
    c.setup(g);
    EXPECT_EQ(written(g.d), c.written);
  }
}

// A bumpy grid written in several pieces that end inside polygons; polygons 2 and 3 have their
// own material, the last names a missing point, the UVW tag is ten records short (zeros).
TEST(PolygonStreams, EveryCornerReadsBackAsTheHostPolygonsCorner) {
  Document d;
  const int side = 250;
  std::vector<Vector> points;
  for (int i = 0; i < (side + 1) * (side + 1); ++i)
    points.emplace_back(i % (side + 1), i / (side + 1), 0.1 * ((i % 101) * (i % 103) % 7));
  std::vector<CPolygon> polygons;
  for (int y = 0; y < side; ++y) {
    for (int x = 0, a = y * (side + 1); x < side; ++x, ++a)
      polygons.push_back((x + y) % 3 == 1 ? CPolygon(a, a + 1, a + side + 2)
                                          : CPolygon(a, a + 1, a + side + 2, a + side + 1));
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

  for (int g = 0; g < 2; ++g) {
    SCOPED_TRACE(g == 0 ? "the pair" : "the rest");
    const svb::Node* geometry = objects[size_t(g)]->child(svb::NodeKind::Geometry, "triangles");
    ASSERT_NE(geometry, nullptr);
    const auto stream = [&](const char* name) { return valueOf(*geometry, name).array(); };
    const std::vector<float> xyz = stream("vertices").floats, normals = stream("normals").floats,
                             uv = stream("uv_tex").floats;
    const std::vector<int32_t> tris = stream("triangles").ints,
                               norms = stream("triangles_norm").ints,
                               uvs = stream("triangles_uv").ints;
    // Point, Phong normal and uv per corner: (a, b, c) as (a, c, b), (a, b, c, d) as (a, d, b),
    // (c, b, d).
    std::vector<std::array<float, 8>> want, got;
    std::set<int> used;
    for (int p = 0; p + 1 < int(polygons.size()); ++p) {
      if ((p == 2 || p == 3) != (g == 0)) continue;  // the pair, then the rest
      const CPolygon& polygon = polygons[size_t(p)];
      for (int k :
           polygon.IsTriangle() ? std::vector<int>{0, 2, 1} : std::vector<int>{0, 3, 1, 2, 1, 3}) {
        const Vector& point = points[size_t(polygon[k])];
        const Vector32& n = phong[4 * p + k];
        const Vector t = p < uvRecords ? uvOf(p, k) : Vector();
        want.push_back({float(point.x), float(point.y), float(point.z), n.x, n.y, n.z, float(t.x),
                        float(t.y)});
      }
      for (int k = 0; k < (polygon.IsTriangle() ? 3 : 4); ++k) used.insert(polygon[k]);
    }
    EXPECT_EQ(xyz.size(), 3 * used.size());  // every point once
    ASSERT_TRUE(norms.size() == tris.size() && uvs.size() == tris.size());
    for (size_t i = 0; i < tris.size(); ++i) {
      const size_t v = 3 * size_t(tris[i]), n = 3 * size_t(norms[i]), t = 2 * size_t(uvs[i]);
      got.push_back({xyz.at(v), xyz.at(v + 1), xyz.at(v + 2), normals.at(n), normals.at(n + 1),
                     normals.at(n + 2), uv.at(t), uv.at(t + 1)});
    }
    ASSERT_EQ(got.size(), want.size());
    const size_t first =
        size_t(std::mismatch(got.begin(), got.end(), want.begin()).first - got.begin());
    EXPECT_EQ(first, got.size()) << "first wrong corner";
  }
  DeleteMem(phong);
}

}  // namespace
