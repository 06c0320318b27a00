// The conversion driver and the traversal, run on documents built in code, with the
// content writers replaced by stand-ins that note their calls (driver_doubles.cpp).
#include "C4DLoader.h"
#include "documents.h"
#include "recording_scene_api.h"

#include "zelsceneapi_oo.h"

#include "c4d.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using solvane_test::RecordingFactory;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using namespace solvane_test;

namespace {

const char kFlip[] = "transform 1 0 0 0 0 1 0 0 0 0 -1 0 0 0 0 1";
const char kIdentity[] = "transform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1";

class Driver : public ::testing::Test {
 protected:
  // Runs load on a wrapper over the recorder, as a command does once its output is
  // open, and returns the calls that load made.
  std::vector<std::string> convert(BaseDocument* doc, bool selectionOnly = false) {
    loader.selectionOnly = selectionOnly;
    loader.sceneOO = new zel::zelSceneapi_oo(&factory);
    factory.api.calls.clear();
    loader.load(doc);
    delete loader.sceneOO;
    loader.sceneOO = nullptr;
    return factory.api.calls;
  }

  // Names of the objects whose polygon geometry was handed to the mesh writer.
  std::vector<std::string> meshes(const std::vector<std::string>& calls) {
    std::vector<std::string> names;
    const std::string prefix = "add_comment \"writePolygonObject ";
    for (const std::string& line : calls)
      if (line.compare(0, prefix.size(), prefix) == 0)
        names.push_back(line.substr(prefix.size(), line.find(' ', prefix.size()) - prefix.size()));
    return names;
  }

  std::vector<std::string> matching(const std::vector<std::string>& calls,
                                    const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& line : calls)
      if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
    return out;
  }

  RecordingFactory factory;
  C4DLoader loader;
};

TEST_F(Driver, EmptyDocumentGetsOnlyTheMirroredRootGroup) {
  DocumentPtr doc = emptyDocument();
  EXPECT_THAT(convert(doc.get()),
              ElementsAre("group_begin \"untitled\" placed", kFlip,
                          "set_attribute \"source file\" \"source file\"", "group_end"));
  EXPECT_EQ(loader.documentPath, "");
  EXPECT_FLOAT_EQ(loader.progress, 0.0f);
  EXPECT_EQ(loader.document, doc.get());
}

TEST_F(Driver, NullDocumentWritesNothing) {
  EXPECT_TRUE(convert(nullptr).empty());
  EXPECT_EQ(loader.document, nullptr);
}

struct RootName {
  const char* documentName;
  const char* rootName;
};

class RootNames : public Driver, public ::testing::WithParamInterface<RootName> {};

TEST_P(RootNames, CutBeforeTheLastDot) {
  DocumentPtr doc = savedDocument(GetParam().documentName, "/projects/shots");
  std::vector<std::string> calls = convert(doc.get());
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls[0], std::string("group_begin \"") + GetParam().rootName + "\" placed");
  EXPECT_EQ(loader.documentPath, "/projects/shots");
}

INSTANTIATE_TEST_SUITE_P(Driver, RootNames,
                         ::testing::Values(RootName{"", "untitled"}, RootName{"plain", "plain"},
                                           RootName{"scene.c4d", "scene"},
                                           RootName{"model.final.c4d", "model.final"},
                                           RootName{".c4d", ""}));

TEST_F(Driver, ConvertsAtTheFirstFrameAndRestoresTheTime) {
  DocumentPtr doc = emptyDocument();
  BaseObject* mover = animatedDocumentAtLaterTime(doc.get());
  ASSERT_DOUBLE_EQ(mover->GetRelPos().x, 50.0);

  std::vector<std::string> calls = convert(doc.get());
  // The group of "Mover" carries its transform at 0 s, where position X is 0.
  ASSERT_GE(calls.size(), 7u);
  EXPECT_EQ(calls[3], "set_progress \"Mover\" 0");
  EXPECT_EQ(calls[4], "group_begin \"Mover\" placed");
  EXPECT_EQ(calls[5], "set_flags 1");
  EXPECT_EQ(calls[6], kIdentity);

  EXPECT_TRUE(doc->GetTime() == BaseTime(1.0));
  EXPECT_DOUBLE_EQ(mover->GetRelPos().x, 50.0);
}

TEST_F(Driver, GroupTransformIsTheLocalMatrix) {
  DocumentPtr doc = emptyDocument();
  BaseObject* parent = addObject(doc.get(), Onull, "Parent");
  parent->SetRelPos(Vector(100.0, 0.0, 0.0));
  BaseObject* child = addObject(doc.get(), Onull, "Child", parent);
  child->SetRelPos(Vector(1.0, 2.0, 3.0));
  child->SetRelScale(Vector(2.0, 2.0, 2.0));
  std::vector<std::string> transforms = matching(convert(doc.get()), "transform ");
  EXPECT_THAT(transforms, ElementsAre(kFlip, "transform 1 0 0 0 0 1 0 0 0 0 1 0 100 0 0 1",
                                      "transform 2 0 0 0 0 2 0 0 0 0 2 0 1 2 3 1"));
}

// Visibility: 0 on, 1 off, 2 inherit, through three nested polygon objects.
struct Visibility {
  Int32 editor[3];
  Int32 render[3];
  std::vector<std::string> written;
};

class Visibilities : public Driver, public ::testing::WithParamInterface<Visibility> {};

TEST_P(Visibilities, DecideGeometryButNotGroups) {
  DocumentPtr doc = emptyDocument();
  visibilityChain(doc.get(), GetParam().editor, GetParam().render);
  std::vector<std::string> calls = convert(doc.get());
  EXPECT_THAT(meshes(calls), ElementsAreArray(GetParam().written));
  EXPECT_THAT(matching(calls, "group_begin"),
              ElementsAre("group_begin \"untitled\" placed", "group_begin \"A\" placed",
                          "group_begin \"B\" placed", "group_begin \"C\" placed"));
}

INSTANTIATE_TEST_SUITE_P(
    Driver, Visibilities,
    ::testing::Values(
        Visibility{{2, 2, 2}, {2, 2, 2}, {"A", "B", "C"}},
        // Hidden in the editor, shown in the render: no geometry, also for inheriting children.
        Visibility{{1, 2, 2}, {0, 2, 2}, {}},
        // A child switched back on overrides its hidden parent; its own child inherits that.
        Visibility{{2, 2, 2}, {1, 0, 2}, {"B", "C"}}, Visibility{{0, 1, 0}, {0, 2, 2}, {"A", "C"}},
        Visibility{{2, 2, 2}, {2, 1, 2}, {"A"}}, Visibility{{0, 2, 2}, {2, 2, 1}, {"A", "B"}}));

TEST_F(Driver, Bit0x200KeepsTheGroupButNotTheGeometry) {
  DocumentPtr doc = emptyDocument();
  const Int32 undef[3] = {2, 2, 2};
  Chain chain = visibilityChain(doc.get(), undef, undef);
  chain.b->SetBit(0x200);
  std::vector<std::string> calls = convert(doc.get());
  EXPECT_THAT(meshes(calls), ElementsAre("A", "C"));
  EXPECT_EQ(matching(calls, "group_begin \"B\"").size(), 1u);
}

TEST_F(Driver, LightsAndHairAreWrittenWhenHiddenOrNotSelected) {
  DocumentPtr doc = emptyDocument();
  SelectionScene scene = selectionScene(doc.get());
  setVisibility(scene.light, MODE_OFF, MODE_OFF);
  setVisibility(scene.hair, MODE_OFF, MODE_OFF);
  doc->SetSelection(scene.parent);
  std::vector<std::string> calls = convert(doc.get(), true);
  EXPECT_EQ(matching(calls, "add_comment \"writeLight Light\"").size(), 1u);
  EXPECT_EQ(matching(calls, "add_comment \"writeHairObject Hair [-] share 0.125\"").size(), 1u)
      << factory.api.joined();
}

// Update writes the geometry of the selected objects and their descendants only; no
// selection, or only a selected texture tag, means everything. Render and Export ignore it.
TEST_F(Driver, SelectionDecidesTheMeshesOfAnUpdateOnly) {
  enum Pick { None, Parent, Outside, TextureTag };
  struct Case {
    Pick pick;
    bool update;
    std::vector<std::string> meshes;
  };
  const Case cases[] = {{None, true, {"Inside", "Outside"}},
                        {Parent, true, {"Inside"}},
                        {Outside, true, {"Outside"}},
                        {TextureTag, true, {"Inside", "Outside"}},
                        {Parent, false, {"Inside", "Outside"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "pick " << c.pick << " update " << c.update);
    DocumentPtr doc = emptyDocument();
    SelectionScene scene = selectionScene(doc.get());
    if (c.pick == Parent) doc->SetSelection(scene.parent);
    if (c.pick == Outside) doc->SetSelection(scene.outside);
    if (c.pick == TextureTag) doc->SetActiveTag(scene.outsideTexture);
    std::vector<std::string> calls = convert(doc.get(), c.update);
    EXPECT_THAT(meshes(calls), ElementsAreArray(c.meshes));
    // Every object still gets its group.
    EXPECT_EQ(matching(calls, "group_begin").size(), 6u);
    if (c.pick == Parent && c.update) {
      EXPECT_THAT(loader.selectedGuids, ElementsAre(scene.parent->GetGUID()));
    } else if (c.pick != Outside) {
      EXPECT_TRUE(loader.selectedGuids.empty());
    }
  }
}

TEST_F(Driver, TextureTagsReachDescendantsButNotParentsOrSiblings) {
  DocumentPtr doc = emptyDocument();
  tagInheritanceScene(doc.get());
  EXPECT_THAT(
      matching(convert(doc.get()), "add_comment \"writePolygonObject"),
      ElementsAre(
          "add_comment \"writePolygonObject Child [-,ParentTex,ChildTex,ChildHairMat] share 0.25\"",
          "add_comment \"writePolygonObject Grandchild [-,ParentTex,ChildTex,ChildHairMat] share "
          "0.125\"",
          "add_comment \"writePolygonObject Sibling [-,ParentTex,SiblingTex] share 0.25\""));
}

TEST_F(Driver, DeformCacheAndChildSplitTheShare) {
  DocumentPtr doc = emptyDocument();
  deformedGeneratorScene(doc.get());
  std::vector<std::string> calls = convert(doc.get());
  EXPECT_THAT(matching(calls, "add_comment"),
              ElementsAre("add_comment \"writePolygonObject Deformed [-,DeformedTex] share 0.25\"",
                          "add_comment \"writePolygonObject Child [-] share 0.25\""));
  EXPECT_THAT(matching(calls, "set_progress"),
              ElementsAre("set_progress \"Gen\" 0", "set_progress \"Deformed\" 0",
                          "set_progress \"Deformed\" 0.5", "set_progress \"Child\" 0.5",
                          "set_progress \"Child\" 1"));
  EXPECT_FLOAT_EQ(loader.progress, 1.0f);
}

TEST_F(Driver, CacheNestsInsideTheGeneratorAndChildrenFollow) {
  DocumentPtr doc = emptyDocument();
  cachedGeneratorScene(doc.get());
  std::vector<std::string> calls = convert(doc.get());
  std::vector<std::string> structure;
  for (const std::string& line : calls)
    if (line.compare(0, 11, "group_begin") == 0 || line == "group_end" ||
        line.compare(0, 11, "add_comment") == 0)
      structure.push_back(line);
  EXPECT_THAT(structure,
              ElementsAre("group_begin \"untitled\" placed", "group_begin \"Gen\" placed",
                          "group_begin \"CacheA\" placed",
                          "add_comment \"writePolygonObject CacheA [-] share 0.25\"",
                          "group_begin \"CacheChild\" placed",
                          "add_comment \"writePolygonObject CacheChild [-] share 0.125\"",
                          "group_end", "group_end", "group_begin \"Child\" placed",
                          "add_comment \"writePolygonObject Child [-] share 0.25\"", "group_end",
                          "group_end", "group_end"));
  EXPECT_FLOAT_EQ(loader.progress, 1.0f);
}

TEST_F(Driver, ProgressReachesEntryPlusShareForEveryObject) {
  DocumentPtr doc = emptyDocument();
  BaseObject* first = addObject(doc.get(), Onull, "First");
  addObject(doc.get(), Onull, "One", first);
  addObject(doc.get(), Onull, "Two", first);
  addObject(doc.get(), Onull, "Three", first);
  addObject(doc.get(), Opolygon, "Second");
  std::vector<std::string> progress = matching(convert(doc.get()), "set_progress");
  EXPECT_THAT(progress,
              ElementsAre("set_progress \"First\" 0", "set_progress \"One\" 0",
                          "set_progress \"One\" 0.166667", "set_progress \"Two\" 0.166667",
                          "set_progress \"Two\" 0.333333", "set_progress \"Three\" 0.333333",
                          "set_progress \"Three\" 0.5", "set_progress \"Second\" 0.5",
                          "set_progress \"Second\" 1"));
  EXPECT_FLOAT_EQ(loader.progress, 1.0f);
}

TEST_F(Driver, LabelsAreCutTo1023BytesAndDefaultToObject) {
  DocumentPtr doc = emptyDocument();
  addObject(doc.get(), Onull, std::string(1500, 'n'));
  addObject(doc.get(), Onull, std::string(1023, 'k'));
  BaseObject* unreadable = addObject(doc.get(), Onull, "");
  String bad;
  bad.SetRawBytes("\xff\xfe");
  unreadable->SetName(bad);
  EXPECT_THAT(matching(convert(doc.get()), "group_begin"),
              ElementsAre("group_begin \"untitled\" placed",
                          "group_begin \"" + std::string(1023, 'n') + "\" placed",
                          "group_begin \"" + std::string(1023, 'k') + "\" placed",
                          "group_begin \"object\" placed"));
}

TEST_F(Driver, AnimationIsWrittenAfterTheChildrenInsideTheGroup) {
  DocumentPtr doc = emptyDocument();
  BaseObject* mover = animatedDocumentAtLaterTime(doc.get());
  addObject(doc.get(), Onull, "Kid", mover);
  std::vector<std::string> calls = convert(doc.get());
  ASSERT_GE(calls.size(), 5u);
  std::vector<std::string> tail(calls.end() - 5, calls.end());
  EXPECT_THAT(tail,
              ElementsAre("group_end", "set_progress \"Kid\" 1",
                          "add_comment \"writeAnimation Mover 1\"", "group_end", "group_end"));
}

// browseTag as the polygon writer uses it: the last UVW and normal tags win, a repeated
// selection name keeps the later tag, texture and hair material tags are collected.
TEST_F(Driver, BrowseTagKeepsTheLastTagOfEachKind) {
  DocumentPtr doc = emptyDocument();
  BaseObject* mesh = addObject(doc.get(), Opolygon, "Mesh");
  addTag(mesh, Tuvw, "uvw1");
  BaseTag* uvw2 = addTag(mesh, Tuvw, "uvw2");
  addTag(mesh, Tnormal, "normal1");
  BaseTag* normal2 = addTag(mesh, Tnormal, "normal2");
  addTag(mesh, Tpolygonselection, "Front");
  BaseTag* front2 = addTag(mesh, Tpolygonselection, "Front");
  BaseTag* back = addTag(mesh, Tpolygonselection, "Back");
  BaseTag* unnamed = addTag(mesh, Tpolygonselection, "");
  String bad;
  bad.SetRawBytes("\xc3");
  unnamed->SetName(bad);
  BaseTag* texture = addTag(mesh, Ttexture, "Tex");
  BaseTag* hairMaterial = addTag(mesh, Thairmaterial, "HairMat");
  addTag(mesh, Tphong, "Phong");

  UVWTag* uvw = nullptr;
  NormalTag* normal = nullptr;
  std::map<std::string, SelectionTag*> selections;
  std::vector<BaseTag*> tags(1, nullptr);
  for (BaseTag* tag = mesh->GetFirstTag(); tag; tag = tag->GetNext())
    loader.browseTag(tag, &uvw, &normal, &selections, tags);

  EXPECT_EQ(uvw, uvw2);
  EXPECT_EQ(normal, normal2);
  ASSERT_EQ(selections.size(), 3u);
  EXPECT_EQ(selections["Front"], front2);
  EXPECT_EQ(selections["Back"], back);
  EXPECT_EQ(selections[""], unnamed);
  EXPECT_THAT(tags, ElementsAre(nullptr, texture, hairMaterial));

  // The traversal's form: only the tag list is filled.
  std::vector<BaseTag*> traversal;
  for (BaseTag* tag = mesh->GetFirstTag(); tag; tag = tag->GetNext())
    loader.browseTag(tag, nullptr, nullptr, nullptr, traversal);
  EXPECT_THAT(traversal, ElementsAre(texture, hairMaterial));
}

}  // namespace
