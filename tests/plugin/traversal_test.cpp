// The traversal's decisions, read from the scene a conversion writes: which objects get
// geometry (visibility, the update's selection, the no-geometry bit), the names of the root
// group and of the groups, and the deepest hierarchy a scene can hold.
#include "document_builders.h"
#include "scene_capture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

// Update writes the geometry of the selected objects and their descendants only; no
// selection, or only a selected texture tag, means everything. Render and Export ignore it.
// Objects with the no-geometry bit never get geometry. Lights, hair and cameras are written
// hidden or not, selected or not.
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
                 << "pick " << c.pick << " update " << c.update << " bit " << c.insideBit);
    // Parent (null) > Inside > hidden camera Cam; Outside with a texture tag; a hidden light
    // and a hidden hair object.
    Document d;
    BaseObject* parent = addObject(d, Onull, "Parent");
    BaseObject* inside = addTriangle(d, "Inside", parent);
    BaseObject* cam = addObject(d, Ocamera, "Cam", inside);
    BaseObject* outside = addTriangle(d, "Outside");
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
    // Every object keeps its group.
    EXPECT_EQ(nodesOf(scene, svb::NodeKind::Group).size(), 7u);
  }
}

// The root group is the document's name cut before its last dot; labels are cut to 1023
// bytes, and what has no readable name is "object" (a camera "Camera").
TEST(Traversal, NamesOfTheRootTheGroupsAndTheObjects) {
  const struct {
    const char* document;
    const char* root;
  } roots[] = {{"", "untitled"},
               {"plain", "plain"},
               {"scene.c4d", "scene"},
               {"model.final.c4d", "model.final"},
               {".c4d", ""}};
  for (const auto& c : roots) {
    Document d;
    d.doc->SetDocumentName(Filename(c.document));
    d.doc->SetDocumentPath(Filename("/projects/shots"));
    Capture capture;
    capture.loader.load(d.doc);
    EXPECT_THAT(namesOf(capture.scene(), svb::NodeKind::Group), ElementsAreArray({c.root}));
    EXPECT_EQ(capture.loader.documentPath, "/projects/shots");
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

// What the exporter writes, the scene reader reads: a textured mesh at the deepest level the
// exporter allows parses; one level deeper, and a hierarchy of 100,000 levels built through
// the host's API, are refused before anything is written.
TEST(Traversal, HierarchyDepthIsLimitedToWhatTheReaderReads) {
  for (int levels : {C4DLoader::kMaxHierarchyDepth, C4DLoader::kMaxHierarchyDepth + 1, 100000}) {
    SCOPED_TRACE(levels);
    Document d;
    BaseObject* parent = nullptr;
    for (int level = 1; level < levels; ++level) parent = addObject(d, Onull, "", parent);
    PolygonObject* mesh = addTriangle(d, "Deep", parent);
    appendTag(mesh, UVWTag::Alloc(1));
    Material* wood = addMaterial(d, "Wood", Vector(0.5, 0.25, 1.0));
    BaseShader* bitmap = BaseShader::Alloc(Xbitmap);
    setParam(bitmap, BITMAPSHADER_FILENAME, GeData(Filename("wood.png")));
    wood->InsertShader(bitmap);
    setParam(wood, MATERIAL_COLOR_SHADER, GeData(bitmap));
    addTextureTag(mesh, wood);
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

}  // namespace
