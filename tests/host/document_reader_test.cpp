// Reading document files: each kind of content arrives in the model, and every malformed
// file is refused with a message that names the place and the fault.
#include "document_reader.h"
#include "c4d.h"
#include "document_text.h"
#include "host_test_checks.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using c4ddoc::DocumentError;
using c4ddoc::DocumentPtr;

DocumentPtr read(std::string_view json, const std::string& base = "") {
  c4ddoc::ReadOptions options;
  options.baseFolder = base;
  return c4ddoc::readDocument(json, "test.json", options);
}

// A document with the given objects (and optional further top-level fields).
std::string objs(const std::string& objects, const std::string& more = "") {
  return R"({"version": 1, )" + more + (more.empty() ? "" : ", ") + R"("objects": [)" + objects +
         "]}";
}

std::string nameOf(const BaseList2D* e) { return e != nullptr ? e->GetName().GetUtf8() : "<none>"; }

// The whole message of the error reading gives, or "accepted".
template <typename Read>
std::string errorOf(Read&& readIt) {
  try {
    readIt();
    return "accepted";
  } catch (const DocumentError& e) {
    EXPECT_EQ(e.place().empty(), false);
    return e.what();
  }
}

// The parameters `ids` of an element as "id=value" words: numbers as printed by a stream,
// vectors as x,y,z, texts and files as written, links by the linked element's name.
std::string params(C4DAtom* atom, std::initializer_list<Int32> ids) {
  std::ostringstream out;
  for (Int32 id : ids) {
    const GeData d = param(atom, id);
    const Vector v = d.GetVector();
    out << (out.tellp() > 0 ? " " : "") << id << "=";
    if (d.GetType() == DA_LONG) out << d.GetInt32();
    if (d.GetType() == DA_REAL) out << d.GetFloat();
    if (d.GetType() == DA_VECTOR) out << v.x << "," << v.y << "," << v.z;
    if (d.GetType() == DA_STRING) out << d.GetString().GetUtf8();
    if (d.GetType() == DA_FILENAME) out << d.GetFilename().GetString().GetUtf8();
    if (d.GetType() == DA_ALIASLINK) out << "->" << nameOf(d.GetLink(nullptr));
  }
  return out.str();
}

TEST(DocumentReader, SettingsSelectionAndTheExamples) {
  DocumentPtr doc = read(objs(R"({"id": "a", "type": "null", "tags": [{"id": "t", "type": "phong"}],
                                  "children": [{"id": "b", "type": "null"}]}, {"id": "c", "type": "null"})",
                              R"("name": "shot.c4d", "folder": "scenes/../shots", "fps": 25,
                                 "minTime": 1, "maxTime": 4.5, "time": 2.0004,
                                 "materials": [{"id": "m"}], "selection": ["c", "b", "t", "m", "a"])"),
                         "/projects");
  EXPECT_EQ(doc->GetDocumentName().GetString().GetUtf8(), "shot.c4d");
  EXPECT_EQ(doc->GetDocumentPath().GetString().GetUtf8(), "/projects/shots");
  EXPECT_EQ(doc->GetFps(), 25);
  EXPECT_DOUBLE_EQ(doc->GetMinTime().Get(), 1.0);
  EXPECT_DOUBLE_EQ(doc->GetMaxTime().Get(), 4.5);
  EXPECT_DOUBLE_EQ(doc->GetTime().Get(), 2.0);  // whole milliseconds
  AtomArray selection;
  doc->GetSelection(selection);  // in tree order, an object before its tags; materials apart
  BaseObject* a = doc->GetFirstObject();
  ASSERT_EQ(selection.GetCount(), 4);
  EXPECT_EQ(selection.GetIndex(0), a);
  EXPECT_EQ(selection.GetIndex(1), a->GetFirstTag());
  EXPECT_EQ(selection.GetIndex(2), a->GetDown());
  EXPECT_EQ(selection.GetIndex(3), a->GetNext());
  EXPECT_TRUE(doc->GetFirstMaterial()->GetBit(BIT_ACTIVE));

  // Never saved: no folder. An absolute folder stays as written. The time starts at minTime.
  doc = read(R"({"version": 1, "minTime": 0.5})", "/projects");
  EXPECT_TRUE(doc->GetDocumentPath().IsEmpty());
  EXPECT_DOUBLE_EQ(doc->GetTime().Get(), 0.5);
  EXPECT_EQ(
      read(R"({"version": 1, "folder": "/abs/"})", "/p")->GetDocumentPath().GetString().GetUtf8(),
      "/abs");

  // The demo's folder is the examples folder, where its texture lies, also when read through
  // a relative path.
  const std::string relative = std::filesystem::relative(EXAMPLES_FOLDER "/demo.json").string();
  doc = c4ddoc::readDocumentFile(relative);
  EXPECT_EQ(doc->GetDocumentName().GetString().GetUtf8(), "demo.c4d");
  EXPECT_EQ(doc->GetDocumentPath().GetString().GetUtf8(), EXAMPLES_FOLDER);
}

TEST(DocumentReader, ObjectTreeTransformsLayerAndCaches) {
  DocumentPtr doc = read(objs(
      R"({"type": "cube", "name": "Root", "layer": "L", "bits": 512,
          "position": [1, 2, 3], "rotation": [0.1, 0.2, 0.3], "scale": [2, 2, 2],
          "rotationOrder": "XYZGLOBAL",
          "cache": [ {"type": "polygon", "name": "Piece 1",
                      "children": [ {"type": "polygon", "name": "Piece 1a"} ]},
                     {"type": "null", "name": "Piece 2"} ],
          "deformCache": {"type": "polygon", "name": "Deformed"},
          "children": [ {"type": "null", "name": "A"},
                        {"type": 5140, "name": "A", "children": [ {"type": "null", "name": "C"} ]} ]},
         {"type": "sphere", "name": "Next", "rotationOrder": 3})",
      R"("layers": [ {"id": "L", "name": "Props", "view": false, "color": [1, 0, 0]} ])"));
  BaseObject* root = doc->GetFirstObject();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(params(root, {903, 904, 905, 928}), "903=1,2,3 904=0.1,0.2,0.3 905=2,2,2 928=5");
  EXPECT_EQ(root->GetAllBits(), 512);
  LayerObject* layer = root->GetLayerObject(doc.get());
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(layer->GetName().GetUtf8(), "Props");
  EXPECT_EQ(params(layer, {1001, 1002, 1009}), "1001=0 1002=1 1009=1,0,0");  // 1002: default

  // Children in order, names repeating; caches apart from them, placed by the generator.
  BaseObject* a = root->GetDown();
  ASSERT_TRUE(a != nullptr && a->GetNext() != nullptr);
  EXPECT_EQ(nameOf(a->GetNext()->GetDown()), "C");
  EXPECT_EQ(a->GetNext()->GetNext(), nullptr);
  BaseObject* cache = root->GetCache();
  ASSERT_NE(cache, nullptr);
  EXPECT_EQ(nameOf(cache->GetDown()) + ", " + nameOf(cache->GetNext()), "Piece 1a, Piece 2");
  EXPECT_EQ(cache->GetMg().off, Vector(1, 2, 3));
  EXPECT_EQ(nameOf(root->GetDeformCache()), "Deformed");
  EXPECT_EQ(root->GetDeformCache()->GetMg().off, Vector(1, 2, 3));

  BaseObject* next = root->GetNext();
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->GetType(), Osphere);
  EXPECT_EQ(next->GetRotationOrder(), ROTATIONORDER::ZXYGLOBAL);
  EXPECT_EQ(next->GetLayerObject(doc.get()), nullptr);
}

TEST(DocumentReader, ParametersOfEveryValueKindAndTracks) {
  DocumentPtr doc = read(objs(
      R"({"id": "o", "type": "null", "name": "Self", "params": {
            "901": {"int": 1}, "1002": {"float": 0.25}, "1001": true, "1003": {"bool": false},
            "908": [0.5, 0.25, 1], "909": {"vector": [1, 2, 3]}, "1006": "sel",
            "1007": {"string": "two"}, "1000": {"file": "tex/wood.png"},
            "1010": {"link": "o"}, "3139": {"gradient": {"mode": 0, "knots": [
                {"color": [1, 0, 0], "position": 0.25, "bias": 0.4, "brightness": 0.5},
                {"color": [0, 0, 1], "position": 1, "interpolation": 3}]}} },
          "tracks": [
           {"param": "rotation.p", "keys": [[0, 0], [1, 1]]},
           {"param": "position.x", "name": "Slide", "enabled": false,
            "keys": [{"time": 0, "value": 0, "interpolation": "step"}, {"time": 0.5, "value": 10}]},
           {"descId": [[1100, 23], 1001], "keys": []}]})"));
  BaseObject* op = doc->GetFirstObject();
  // The host keeps bools as integers.
  EXPECT_EQ(params(op, {901, 1002, 1001, 1003, 908, 909, 1006, 1007, 1000, 1010}),
            "901=1 1002=0.25 1001=1 1003=0 908=0.5,0.25,1 909=1,2,3 1006=sel 1007=two "
            "1000=tex/wood.png 1010=->Self");
  const GeData g = param(op, 3139);
  auto* gradient = static_cast<Gradient*>(g.GetCustomDataType(CUSTOMDATATYPE_GRADIENT));
  ASSERT_TRUE(gradient != nullptr && gradient->GetKnotCount() == 2);
  const GradientKnot k0 = gradient->GetKnot(0);
  EXPECT_EQ(k0.col, Vector(1, 0, 0));
  EXPECT_EQ(Vector(k0.pos, k0.bias, k0.brightness), Vector(0.25, 0.4, 0.5));
  EXPECT_EQ(k0.interpolation, GRADIENT_INTERPOLATION_SMOOTHKNOT);  // not given
  EXPECT_EQ(gradient->GetKnot(1).interpolation, GRADIENT_INTERPOLATION_LINEARKNOT);

  CTrack* pos =
      op->FindCTrack(DescID(DescLevel(903, DTYPE_VECTOR, 0), DescLevel(1000, DTYPE_REAL, 0)));
  ASSERT_NE(pos, nullptr);
  EXPECT_EQ(pos->GetName().GetUtf8() + " " + params(pos, {904}), "Slide 904=0");  // switched off
  CCurve* curve = pos->GetCurve();
  ASSERT_EQ(curve->GetKeyCount(), 2);
  EXPECT_DOUBLE_EQ(curve->GetKey(1)->GetTime().Get(), 0.5);
  EXPECT_DOUBLE_EQ(curve->GetKey(1)->GetValue(), 10);
  EXPECT_EQ(curve->GetKey(0)->GetInterpolation(), CINTERPOLATION::STEP);
  EXPECT_EQ(curve->GetKey(1)->GetInterpolation(), CINTERPOLATION::LINEAR);
  CTrack* rot =
      op->FindCTrack(DescID(DescLevel(904, DTYPE_VECTOR, 0), DescLevel(1001, DTYPE_REAL, 0)));
  ASSERT_NE(rot, nullptr);
  EXPECT_DOUBLE_EQ(rot->GetValue(doc.get(), BaseTime(0.5)), 0.5);
  CTrack* size = op->FindCTrack(DescID(DescLevel(1100), DescLevel(1001)));
  ASSERT_NE(size, nullptr);
  EXPECT_EQ(size->GetDescriptionID()[0].dtype, DTYPE_VECTOR);
  EXPECT_EQ(size->GetCurve()->GetKeyCount(), 0);
}

const std::string kQuadAndTriangle = R"({"type": "polygon",
    "points": [[0, 0, 0], [1, 0, 0], [1, 1, 0], [0, 1, 0], [2, 0, 0]],
    "polygons": [[0, 1, 2, 3], [1, 4, 2]], )";
const std::string kOnePoint = R"({"type": "polygon", "points": [[0,0,0]], )";
const std::string kOneTriangle = kOnePoint + R"("polygons": [[0,0,0]], )";

TEST(DocumentReader, PolygonObjectWithItsTags) {
  DocumentPtr doc = read(
      objs(kQuadAndTriangle + R"("tags": [
          {"type": "uvw", "uvw": [[[0, 0], [1, 0], [1, 1], [0, 1, 0.5]], [[0.5, 0], [1, 0], [1, 1]]]},
          {"type": "normal", "normals": [[[0, 0, 1], [0, 0, -1], [1, 0, 0], [0, 0.5, 0]],
                                         [[0, 1, 0], [0, 1, 0], [-1, 0, 0]]]},
          {"type": "polygonSelection", "name": "Top", "polygons": [1]},
          {"type": "phong", "angleLimit": true, "angle": 0.5, "useEdges": false},
          {"type": "texture", "material": "second", "restriction": "Top", "projection": "cubic",
           "offset": [0.1, 0.2], "length": [0.5, 0.25], "tile": false, "seamless": true,
           "position": [1, 2, 3], "size": [2, 2, 2], "rotation": [0, 0, 0]},
          {"type": "texture", "material": "first", "projection": 6},
          {"type": "display"}]})",
           R"("materials": [ {"id": "first", "name": "One"}, {"id": "second", "name": "Two"} ])"));
  auto* mesh = static_cast<PolygonObject*>(doc->GetFirstObject());
  ASSERT_EQ(mesh->GetPointCount(), 5);
  EXPECT_EQ(mesh->GetPointR()[4], Vector(2, 0, 0));
  ASSERT_EQ(mesh->GetPolygonCount(), 2);
  EXPECT_EQ(mesh->GetPolygonR()[0].d, 3);
  EXPECT_TRUE(mesh->GetPolygonR()[1].IsTriangle());
  EXPECT_EQ(mesh->GetPolygonR()[1].b, 4);

  BaseTag* tag = mesh->GetFirstTag();
  ASSERT_EQ(tag->GetType(), Tuvw);
  EXPECT_EQ(static_cast<UVWTag*>(tag)->GetSlow(0).d, Vector(0, 1, 0.5));
  EXPECT_EQ(static_cast<UVWTag*>(tag)->GetSlow(1).a, Vector(0.5, 0, 0));
  EXPECT_EQ(static_cast<UVWTag*>(tag)->GetSlow(1).d, Vector(1, 1, 0));  // repeats the third
  tag = tag->GetNext();
  ASSERT_EQ(tag->GetType(), Tnormal);
  EXPECT_EQ(static_cast<NormalTag*>(tag)->GetSlow(0).d, Vector(0, 0.5, 0));
  EXPECT_EQ(static_cast<NormalTag*>(tag)->GetSlow(1).d, Vector(-1, 0, 0));
  tag = tag->GetNext();
  ASSERT_EQ(tag->GetType(), Tpolygonselection);
  EXPECT_EQ(tag->GetName().GetUtf8(), "Top");
  EXPECT_EQ(static_cast<SelectionTag*>(tag)->GetBaseSelect()->GetCount(), 1);
  EXPECT_TRUE(static_cast<SelectionTag*>(tag)->GetBaseSelect()->IsSelected(1));
  tag = tag->GetNext();
  ASSERT_EQ(tag->GetType(), Tphong);
  EXPECT_EQ(params(tag, {1001, 1002, 1003}), "1001=1 1002=0.5 1003=0");

  // Texture tags link materials by id; the first one's placement.
  auto* texture = static_cast<TextureTag*>(tag->GetNext());
  ASSERT_EQ(texture->GetType(), Ttexture);
  EXPECT_EQ(params(texture, {1010, 1006, 1004, 1000, 1001, 1002, 1003, 1007, 1008}),
            "1010=->Two 1006=Top 1004=3 1000=0.1 1001=0.2 1002=0.5 1003=0.25 1007=0 1008=1");
  EXPECT_EQ(texture->GetScale(), Vector(2, 2, 2));
  EXPECT_EQ(texture->GetMl().off, Vector(1, 2, 3));
  texture = static_cast<TextureTag*>(texture->GetNext());
  EXPECT_EQ(params(texture, {1010, 1004}), "1010=->One 1004=6");
  EXPECT_EQ(texture->GetNext()->GetType(), 5613);
}

TEST(DocumentReader, MaterialsShadersAndHair) {
  DocumentPtr doc = read(objs(
      R"({"type": "hair", "tags": [ {"type": "hairMaterial", "material": "fur"} ],
          "strands": [ {"points": [[0, 0, 0], [0, 1, 0], [0, 2, 0]], "rootUV": [0.25, 0.75]},
                       {"points": [[1, 0, 0], [1, 1, 0], [1, 2, 1]]} ]})",
      R"("materials": [
      {"name": "Plain"},
      {"name": "Layered", "channels": ["specular", 3], "color": [0.5, 0.5, 0.5],
       "brightness": 0.5, "specular": [1, 1, 1], "params": {"8000": {"link": "bmp"}},
       "shaders": [
         {"id": "bmp", "type": "bitmap", "name": "Image", "file": "wood.png"},
         {"type": "color", "color": [0, 1, 0]},
         {"type": "gradient", "gradient": {"knots": [{"color": [0.2, 0.3, 0.4]}]}},
         {"type": "fusion", "shaders": [ {"type": "color", "name": "Inner"} ]}]},
      {"id": "fur", "type": "hairMaterial", "name": "Fur", "rootThickness": 0.4,
       "tipThickness": 0.05, "params": {"3000": {"link": "fur-color"}},
       "shaders": [ {"id": "fur-color", "type": 5832, "name": "Yellow", "color": [1, 1, 0]} ]}])"));
  auto* plain = static_cast<Material*>(doc->GetFirstMaterial());
  ASSERT_EQ(plain->GetType(), Mmaterial);
  EXPECT_TRUE(plain->GetChannelState(CHANNEL_COLOR));  // the host's default
  auto* layered = static_cast<Material*>(plain->GetNext());
  EXPECT_FALSE(layered->GetChannelState(CHANNEL_COLOR));
  EXPECT_TRUE(layered->GetChannelState(CHANNEL_SPECULAR));
  EXPECT_TRUE(layered->GetChannelState(CHANNEL_REFLECTION));
  EXPECT_EQ(params(layered, {2100, 2101, 3100, 8000}),
            "2100=0.5,0.5,0.5 2101=0.5 3100=1,1,1 8000=->Image");
  BaseShader* shader = layered->GetFirstShader();
  ASSERT_NE(shader, nullptr);
  EXPECT_EQ(params(shader, {1000}), "1000=wood.png");
  shader = shader->GetNext();
  ASSERT_EQ(shader->GetType(), Xcolor);
  EXPECT_EQ(params(shader, {1000}), "1000=0,1,0");
  shader = shader->GetNext();
  ASSERT_EQ(shader->GetType(), Xgradient);
  EXPECT_NE(param(shader, 1007).GetCustomDataType(CUSTOMDATATYPE_GRADIENT), nullptr);
  shader = shader->GetNext();
  ASSERT_EQ(shader->GetType(), Xfusion);
  EXPECT_EQ(nameOf(shader->GetDown()), "Inner");
  BaseMaterial* fur = layered->GetNext();
  ASSERT_EQ(fur->GetType(), Mhair);
  EXPECT_EQ(params(fur, {3009, 3010, 3000}), "3009=0.4 3010=0.05 3000=->Yellow");

  auto* hair = static_cast<HairObject*>(doc->GetFirstObject());
  ASSERT_EQ(hair->GetType(), Ohair);
  HairGuides* guides = hair->GetGuides();
  ASSERT_TRUE(guides != nullptr && guides->GetPointCount() == 6);
  EXPECT_EQ(guides->GetPoints()[5], Vector(1, 2, 1));
  EXPECT_EQ(guides->GetRootUV(0), Vector(0.25, 0.75, 0));
  EXPECT_EQ(guides->GetRootUV(1), Vector(0, 0, 0));
  ASSERT_EQ(hair->GetFirstTag()->GetType(), Thairmaterial);
  EXPECT_EQ(params(hair->GetFirstTag(), {1000}), "1000=->Fur");
}

std::string repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// Every malformed file is refused with the whole message: the file, the place and the fault.
TEST(DocumentReader, MalformedFilesAreRefusedWithTheirPlaceAndFault) {
  // 101 null objects, each the only child of the one before.
  const std::string deep = repeat(R"({"type": "null", "children": [)", 101) + repeat("]}", 101);
  const std::string deepPlace = "objects[0]" + repeat(".children[0]", 100);
  const std::string texture = R"({"type": "null", "tags": [{"type": "texture", )";
  const std::string material = R"("materials": [{"id": "m"}])";
  const std::string twice =
      "objects[0].tags[0].params.1010: parameter 1010 is already given at "
      "objects[0].tags[0].material";
  const struct {
    const char* name;
    std::string json;
    std::string message;  // what() after "test.json: "
  } cases[] = {
      {"Syntax", "{\"version\": 1,\n \"objects\": [\n  {\"type\": \"null\",}\n]}",
       "line 3, column 19: syntax error while parsing object key - unexpected '}'; expected string "
       "literal"},
      {"TextTooDeep", std::string(300, '['),
       "line 1, column 257: the text nests deeper than 256 levels"},
      {"FieldTwice", objs(R"({"type": "null"},
                           {"type": "null", "tags": [{"type": "phong", "name": "a", "name": "b"}]})"),
       "objects[1].tags[0]: the field \"name\" is given twice"},
      {"NotAnObject", "[1, 2]", "document: must be a JSON object"},
      {"NoVersion", "{}", "document: needs \"version\": 1"},
      {"WrongVersion", R"({"version": 2})", "version: this reader understands version 1, not 2"},
      {"VersionAsText", R"({"version": "1"})",
       "version: this reader understands version 1, not \"1\""},
      // A fault of the text comes first, wherever it lies.
      {"SyntaxAfterAContentFault", "{\"version\": 1, \"fps\": 0,\n \"objects\": [}",
       "line 2, column 14: syntax error while parsing value - unexpected '}'; expected '[', '{', "
       "or a literal"},
      {"FieldTwiceAfterAContentFault",
       objs(R"({"type": "cub"}, {"type": "null", "name": "a", "name": "b"})"),
       "objects[1]: the field \"name\" is given twice"},
      {"TrailingContent", R"({"version": 1} {})",
       "line 1, column 16: syntax error while parsing value - unexpected '{'; expected end of "
       "input"},
      {"UnknownObjectField", objs(R"({"type": "null", "postion": [0, 0, 0]})"),
       "objects[0]: unknown field \"postion\""},
      {"ControlCharacterInAField", objs(R"({"type": "null", "na\tme": "x"})"),
       "objects[0]: unknown field \"na\\u0009me\""},
      {"UnknownObjectKind", objs(R"({"type": "cub"})"),
       "objects[0].type: unknown object kind \"cub\" (known: polygon, spline, light, camera, "
       "floor, sky, environment, loft, extrude, lathe, sweep, instance, null, symmetry, array, "
       "cube, sphere, plane, subdivisionSurface, boole, connector, hair; other kinds by their type "
       "id)"},
      {"NegativeTypeId", objs(R"({"type": -5})"),
       "objects[0].type: a type id is a positive number"},
      {"MissingType", objs(R"({"name": "x"})"),
       "objects[0]: needs a \"type\": a kind name or a type id"},
      {"PolygonPointOutOfRange",
       objs(R"({"type": "null"}, {"type": "polygon", "points": [[0,0,0], [0,0,0]],
                                  "polygons": [[0,1,1], [0,2,1]]})"),
       "objects[1].polygons[1]: polygon 1 uses point 2, but the object has 2 points"},
      {"NegativePointIndex", objs(kOnePoint + R"("polygons": [[0, 0, -1]]})"),
       "objects[0].polygons[0]: polygon 0 uses point -1, but the object has 1 point"},
      // The first fault of a polygon, also when a later index is no number at all.
      {"PointIndexOutOfRangeBeforeText", objs(kOnePoint + R"("polygons": [[1, "0", 0]]})"),
       "objects[0].polygons[0]: polygon 0 uses point 1, but the object has 1 point"},
      {"PolygonOfFivePoints", objs(kOnePoint + R"("polygons": [[0,0,0,0,0]]})"),
       "objects[0].polygons[0]: a polygon is an array of three or four point indices"},
      {"PointsOnANull", objs(R"({"type": "null", "points": [[0, 0, 0]]})"),
       "objects[0].points: only a polygon object (type 5100) has points and polygons, not type "
       "5140"},
      // Fields in any order: the type decides after the fact.
      {"PointsBeforeTheTypeOfANull", objs(R"({"points": [[0, 0, 0]], "type": "null"})"),
       "objects[0].points: only a polygon object (type 5100) has points and polygons, not type "
       "5140"},
      {"PointNotANumber", objs(R"({"type": "polygon", "points": [[0, "1", 0]]})"),
       "objects[0].points[0][1]: must be a number"},
      {"PolygonIndexNotWhole", objs(kOnePoint + R"("polygons": [[0, 1.5, 0]]})"),
       "objects[0].polygons[0][1]: must be a whole number from -2147483648 to 2147483647"},
      {"SelectionOutOfRange",
       objs(kOneTriangle + R"("tags": [{"type": "polygonSelection", "polygons": [0, 4]}]})"),
       "objects[0].tags[0].polygons[1]: selects polygon 4, but the object has 1 polygon"},
      {"UvwCountMismatch", objs(kOneTriangle + R"("tags": [{"type": "uvw", "uvw": [
                                   [[0,0],[0,0],[0,0]], [[0,0],[0,0],[0,0]]]}]})"),
       "objects[0].tags[0].uvw: has 2 UVW entries, but the object has 1 polygon"},
      {"UvwMissing", objs(kOneTriangle + R"("tags": [{"type": "uvw"}]})"),
       "objects[0].tags[0]: needs \"uvw\" with one entry per polygon (the object has 1 polygon)"},
      {"UvwThreeCornersForAQuad", objs(kQuadAndTriangle + R"("tags": [{"type": "uvw", "uvw": [
                                          [[0,0],[0,0],[0,0]], [[0,0],[0,0],[0,0]]]}]})"),
       "objects[0].tags[0].uvw[0]: polygon 0 is a quadrangle and needs four UVW corners, not "
       "three"},
      {"UvwCornerNotANumber", objs(kQuadAndTriangle + R"("tags": [{"type": "uvw", "uvw": [
                                      [[0,0],[0,0],["x",0],[0,0]], [[0,0],[0,0],[0,0]]]}]})"),
       "objects[0].tags[0].uvw[0][2][0]: must be a number"},
      {"NormalOutOfRange", objs(kOneTriangle + R"("tags": [{"type": "normal",
                                   "normals": [[[0,0,1], [0,2,0], [0,0,1]]]}]})"),
       "objects[0].tags[0].normals[0][1]: a normal component lies between -1 and 1, not 2"},
      {"DanglingMaterial", objs(texture + R"("material": "blue"}]})"),
       "objects[0].tags[0].material: nothing has the id \"blue\" (a material)"},
      {"MaterialIdOfAnObject", objs(texture + R"("material": "box"}], "id": "box"})"),
       "objects[0].tags[0].material: \"box\" is an object (objects[0]), not a material"},
      {"DanglingLink", objs(R"({"type": "null", "params": {"1010": {"link": "zz"}}})"),
       "objects[0].params.1010.link: nothing has the id \"zz\""},
      {"DuplicateId", objs(R"({"id": "a", "type": "null"}, {"id": "a", "type": "null"})"),
       "objects[1].id: \"a\" is already the id of objects[0]"},
      // The number's own place, not that of the same text earlier in the file.
      {"HugeNumberAfterItsText", R"({"version": 1, "name": "1e999", "time": 1e999})",
       "line 1, column 41: the number 1e999 is too large"},
      // A NUL byte ends nothing: the text after it is not silently dropped.
      {"NulByteAfterTheDocument", std::string("{\"version\": 1}\n\0{\"objects\": 5}", 30),
       "line 2, column 1: a NUL byte; a document file is text and never holds one"},
      {"NulByteInAString", std::string("{\"version\": 1, \"name\": \"a\0b\"}", 29),
       "line 1, column 26: a NUL byte; a document file is text and never holds one"},
      {"NulEscapeInAName", objs(R"({"type": "null", "name": "Cube\u0000 old"})"),
       "objects[0].name: must not contain the character U+0000 (\\u0000)"},
      // Quoted text from the file is cut short, however long it is.
      {"LongFieldName", objs(R"({"type": "null", ")" + repeat("\u00fc", 50000) + R"(": 1})"),
       "objects[0]: unknown field \"" + repeat("\u00fc", 40) + "...\""},
      {"LongUnterminatedString", R"({"version": 1, "name": ")" + std::string(100000, 'y'),
       "line 1, column 100025: syntax error while parsing value - invalid string: missing closing "
       "quote; last read: '\"" +
           std::string(39, 'y') + "...'"},
      {"BareWholeNumberParameter", objs(R"({"type": "null", "params": {"901": 2}})"),
       "objects[0].params.901: a number needs its kind, as {\"int\": 2} or {\"float\": 2}"},
      {"IntegerTooLarge", objs(R"({"type": "null", "params": {"12": {"int": 3000000000}}})"),
       "objects[0].params.12.int: must be a whole number from -2147483648 to 2147483647"},
      {"UnknownValueKind", objs(R"({"type": "null", "params": {"12": {"double": 1}}})"),
       "objects[0].params.12: unknown value kind \"double\" (known: int, float, bool, vector, "
       "string, file, link, gradient)"},
      {"ParameterNotById", objs(R"({"type": "null", "params": {"color": [1, 0, 0]}})"),
       "objects[0].params.color: a parameter is named by its numeric id, not \"color\""},
      {"ParameterTwice",
       objs(texture + R"("material": "m", "params": {"1010": {"link": "m"}}}]})", material), twice},
      {"ParameterTwiceParamsFirst",
       objs(texture + R"("params": {"1010": {"link": "m"}}, "material": "m"}]})", material), twice},
      {"ShortVector", objs(R"({"type": "null", "position": [1, 2]})"),
       "objects[0].position: must be an array of three numbers"},
      {"StrandsDiffer", objs(R"({"type": "hair", "strands": [{"points": [[0,0,0], [0,1,0]]},
                              {"points": [[0,0,0], [0,1,0], [0,2,0]]}]})"),
       "objects[0].strands[1].points: strand 1 has 3 points, but strand 0 has 2; every strand of "
       "an object has the same number"},
      {"StrandOfOnePoint", objs(R"({"type": "hair", "strands": [{"points": [[0,0,0]]}]})"),
       "objects[0].strands[0].points: a strand needs at least two points"},
      {"KeysInOneMillisecond", objs(R"({"type": "null", "tracks": [
                                     {"param": "position.x", "keys": [[1, 0], [1.0004, 2]]}]})"),
       "objects[0].tracks[0].keys[1]: key 1 at 1.0004 s does not come after the key before it at 1 "
       "s; key times count in whole milliseconds"},
      {"UnknownTrackParameter", objs(R"({"type": "null", "tracks": [{"param": "position.w"}]})"),
       "objects[0].tracks[0].param: unknown parameter \"position.w\" (known: position.x/y/z, "
       "rotation.h/p/b, scale.x/y/z; others by \"descId\")"},
      {"UnknownInterpolation", objs(R"({"type": "null", "tracks": [{"param": "scale.y", "keys": [
                                     {"time": 0, "value": 1, "interpolation": "cubic"}]}]})"),
       "objects[0].tracks[0].keys[0].interpolation: unknown interpolation \"cubic\" (known: "
       "linear, step, spline)"},
      {"DeformCacheNotPolygon", objs(R"({"type": "cube", "deformCache": {"type": "null"}})"),
       "objects[0].deformCache: a deform cache is a polygon object (type 5100), not type 5140"},
      {"ChannelsOnHairMaterial",
       R"({"version": 1, "materials": [{"type": "hairMaterial", "channels": [0]}]})",
       "materials[0].channels: only a standard material (type 5703) has channels, not type "
       "1017730"},
      {"UnknownChannel", R"({"version": 1, "materials": [{"channels": ["colour"]}]})",
       "materials[0].channels[0]: unknown channel \"colour\" (known: color, luminance, "
       "transparency, reflection, environment, fog, bump, alpha, specular, specularColor, glow, "
       "displacement, diffusion, normal; others by number)"},
      {"TimeRangeReversed", R"({"version": 1, "minTime": 2, "maxTime": 1})",
       "maxTime: the time range ends at 1 s, before it starts at 2 s"},
      {"NoFrames", R"({"version": 1, "fps": 0})", "fps: the frame rate is at least 1"},
      // Refused by the model while building: what was built so far is freed.
      {"ModelRefusesAValue",
       objs(R"({"type": "null", "children": [)" + kOneTriangle + R"("tags": [{"type": "phong"}]}]},
            {"type": "null", "params": {"903": "text"}})"),
       "objects[1].params.903: the host cannot store this value as parameter 903"},
      {"ObjectsTooDeep", objs(deep), deepPlace + ": objects nest deeper than 100 levels"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(errorOf([&] { read(c.json); }), "test.json: " + c.message) << c.name;
}

// A file cut short anywhere (a partly written or partly copied file) is a syntax error,
// never a crash or a document.
TEST(DocumentReader, EveryTruncationOfTheDemoIsRefused) {
  std::ifstream in(EXAMPLES_FOLDER "/demo.json", std::ios::binary);
  const std::string demo(std::istreambuf_iterator<char>(in), {});
  const std::size_t end = demo.rfind('}');
  ASSERT_NE(end, std::string::npos);
  for (std::size_t n = 0; n < end; n += 7) {
    const std::string message = errorOf([&] { read(demo.substr(0, n)); });
    EXPECT_EQ(message.rfind("test.json: line ", 0), 0u) << n << ": " << message;
  }
}

// An n x n grid object whose polygons come before its points, so that the reader goes back
// over text it has given back while reading the points; `lastPolygon` ends the list. Point
// k is (k % n, 0.5, k / n).
std::string backwardGrid(int n, const std::string& lastPolygon) {
  std::string polygons;
  std::string points;
  for (int a = 0; a + n + 1 < n * n; ++a) {
    if (a % n == n - 1) continue;
    polygons += "[" + std::to_string(a) + ", " + std::to_string(a + n) + ", " +
                std::to_string(a + n + 1) + ", " + std::to_string(a + 1) + "],\n";
  }
  for (int k = 0; k < n * n; ++k)
    points += "[" + std::to_string(k % n) + ", 0.5, " + std::to_string(k / n) + "],\n";
  points.resize(points.size() - 2);
  return objs(R"({"id": "g", "type": "polygon", "polygons": [)" + polygons + lastPolygon +
              R"(], "points": [)" + points + "]}");
}

// A big file's text is given back while it is read: read again where the reader goes back,
// whole again for a message, and refused once the file has changed meanwhile.
TEST(DocumentReader, BigFileReadAgainWhereTheReaderGoesBack) {
  const int n = 200;
  const std::string path = testing::TempDir() + "backward-grid.json";
  const std::string text = backwardGrid(n, "[0, 1, 2]");
  ASSERT_GT(text.size(),
            c4ddoc::DocumentText::kReleasableSize + 2 * c4ddoc::DocumentText::kReleaseStep);
  std::ofstream(path, std::ios::binary) << text;
  {
    const DocumentPtr doc = c4ddoc::readDocumentFile(path);
    auto* grid = static_cast<PolygonObject*>(doc->GetFirstObject());
    ASSERT_EQ(grid->GetPointCount(), n * n);
    ASSERT_EQ(grid->GetPolygonCount(), (n - 1) * (n - 1) + 1);
    int wrong = 0;
    for (Int32 k = 0; k < n * n; ++k)
      wrong += grid->GetPointR()[k] != Vector(k % n, 0.5, k / n) ? 1 : 0;
    for (Int32 i = 0; i < (n - 1) * (n - 1); ++i) {
      const CPolygon& p = grid->GetPolygonR()[i];
      const Int32 a = i + i / (n - 1);
      wrong += p.a == a && p.b == a + n && p.c == a + n + 1 && p.d == a + 1 ? 0 : 1;
    }
    EXPECT_EQ(wrong, 0);
  }

  // A fault at the end is named, not one of the pages given back (they would read as NULs).
  std::ofstream(path, std::ios::binary | std::ios::trunc) << backwardGrid(n, "[0, 1, 40000]");
  EXPECT_EQ(errorOf([&] { c4ddoc::readDocumentFile(path); }),
            path +
                ": objects[0].polygons[39601]: polygon 39601 uses point 40000, but the object "
                "has 40000 points");

  // The same number of bytes, written after the text was read.
  c4ddoc::DocumentText earlier = c4ddoc::DocumentText::readFile(path);
  std::ofstream(path, std::ios::binary | std::ios::in) << "{\"version\": 2";
  const struct timespec times[2] = {{0, UTIME_OMIT}, {1, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  EXPECT_EQ(errorOf([&] { c4ddoc::parseDocumentText(earlier, path, {}); }),
            path + ": file: was changed while it was being read; open it again");
  std::filesystem::remove(path);
}

// Files that are no document are refused by name and reason before anything is read, never
// read until memory runs out (a device, a pipe, a file over the limit).
TEST(DocumentReader, FilesThatAreNoDocument) {
  const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "no-document";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::string fifo = (folder / "pipe.json").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // Sparse: one byte over the limit costs no disk space.
  const std::string huge = (folder / "huge.json").string();
  std::ofstream(huge).close();
  std::filesystem::resize_file(huge, c4ddoc::kMaxDocumentSize + 1);
  const struct {
    std::string path;
    std::string message;
  } cases[] = {
      {"/nonexistent/scene.json", "cannot be opened for reading: No such file or directory"},
      {EXAMPLES_FOLDER, "is a folder, not a document file"},
      {"/dev/zero", "is a character device, not a document file"},
      {fifo, "is a FIFO, not a document file"},
      {huge, "is 2147483649 bytes, more than the 2 GiB (2147483648 bytes) a document may have"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(errorOf([&] { c4ddoc::readDocumentFile(c.path); }), c.path + ": file: " + c.message);
  }
  std::filesystem::remove_all(folder);

  // Text in memory over the limit, in pages that are never touched.
  const std::size_t size = c4ddoc::kMaxDocumentSize + 1;
  void* pages = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(pages, MAP_FAILED);
  EXPECT_EQ(errorOf([&] { read(std::string_view(static_cast<const char*>(pages), size)); }),
            "test.json: document: the text is 2147483649 bytes, more than the 2 GiB (2147483648 "
            "bytes) a document may have");
  munmap(pages, size);
}

}  // namespace
