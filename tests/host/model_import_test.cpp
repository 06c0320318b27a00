// Opening model files: small files written here, one per feature, arrive in the document
// model converted to the host's left-handed space.
#include "c4d.h"
#include "c4dhost_runtime.h"
#include "document_open.h"
#include "host_test_checks.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class ModelImport : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/solvane-import-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    c4dhost::ClearMessages();
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string write(const std::string& name, const std::string& text) {
    std::ofstream(dir / name, std::ios::binary) << text;
    return (dir / name).string();
  }
  // Everything the import told the user, one line each.
  static std::string told() {
    std::string all;
    for (const c4dhost::HostMessage& m : c4dhost::Messages()) all += m.text + "\n";
    return all;
  }
  fs::path dir;
};

// Twice the area of the object's first `count` triangles in the xy plane, each counted
// positive: more than the polygon's own area when they overlap or reach outside it.
double doubleArea(const PolygonObject* op, Int32 count) {
  double sum = 0.0;
  for (Int32 i = 0; i < count; ++i) {
    const CPolygon& p = op->GetPolygonR()[i];
    const Vector* q = op->GetPointR();
    sum += std::abs(Vector::Cross(q[p.b] - q[p.a], q[p.c] - q[p.a]).z);
  }
  return sum;
}

// A U-shaped (concave) octagon, a quadrangle, a triangle with a normal and UVs, in two
// materials, plus a line and a point that the host cannot hold.
const char kShapesObj[] =
    "mtllib shapes.mtl\no Shapes\n"
    "v 0 0 0\nv 3 0 0\nv 3 2 0\nv 2 2 0\nv 2 1 0\nv 1 1 0\nv 1 2 0\nv 0 2 0\nv 1 2 3\n"
    "vt 0.25 0.25\nvn 0 0 1\n"
    "usemtl Red\nf 1 2 3 4 5 6 7 8\nf 1 2 3 4\n"
    "usemtl Blue\nf 1/1/1 2/1/1 9/1/1\nl 1 2\np 3\n";

TEST_F(ModelImport, ObjPolygonsAreMirroredReversedSplitAndSortedByMaterial) {
  write("shapes.mtl", "newmtl Red\nKd 1 0 0\nnewmtl Blue\nKd 0 0 1\nKs 0.5 0.5 0.5\n");
  const c4ddoc::DocumentPtr doc = c4ddoc::openDocumentFile(write("shapes.obj", kShapesObj));
  BaseObject* root = doc->GetFirstObject();
  EXPECT_EQ(root->GetName().GetUtf8(), "shapes.obj");
  auto* shapes = static_cast<PolygonObject*>(root->GetDown());
  ASSERT_EQ(shapes->GetType(), Opolygon);

  // The octagon gives six triangles that cover it (area 5) without overlap; the
  // quadrangle stays.
  ASSERT_EQ(shapes->GetPolygonCount(), 8);
  const CPolygon* polygons = shapes->GetPolygonR();
  for (Int32 i = 0; i < 6; ++i) EXPECT_TRUE(polygons[i].IsTriangle());
  EXPECT_NEAR(doubleArea(shapes, 6), 10.0, 1e-9);
  EXPECT_FALSE(polygons[6].IsTriangle());
  // z is mirrored and the corners reversed with the first kept: f 1 2 9 -> 1 9 2.
  ExpectVec(shapes->GetPointR()[polygons[7].b], 1, 2, -3);
  ExpectVec(shapes->GetPointR()[polygons[7].c], 3, 0, 0);

  // Two materials: each a texture tag restricted to a selection of its polygons.
  std::vector<std::string> tags;
  for (BaseTag* tag = shapes->GetFirstTag(); tag; tag = tag->GetNext()) {
    if (tag->GetType() == Ttexture)
      tags.push_back(param(tag, TEXTURETAG_RESTRICTION).GetString().GetUtf8() + "=" +
                     static_cast<TextureTag*>(tag)->GetMaterial()->GetName().GetUtf8());
    if (tag->GetType() == Tpolygonselection)
      tags.push_back(tag->GetName().GetUtf8() + ": " +
                     std::to_string(static_cast<SelectionTag*>(tag)->GetBaseSelect()->GetCount()));
  }
  std::sort(tags.begin(), tags.end());
  EXPECT_EQ(tags, (std::vector<std::string>{"Blue: 1", "Blue=Blue", "Red: 7", "Red=Red"}));
  ExpectVec(param(doc->SearchMaterial(String("Blue")), 3100).GetVector(), 0.5, 0.5, 0.5);

  // Normals mirrored like the points; v counted from the top of the image.
  auto* normals = static_cast<NormalTag*>(shapes->GetTag(Tnormal));
  auto* uvw = static_cast<UVWTag*>(shapes->GetTag(Tuvw));
  ASSERT_TRUE(normals != nullptr && uvw != nullptr);
  ExpectVec(normals->GetSlow(7).a, 0, 0, -1);
  ExpectVec(uvw->GetSlow(7).b, 0.25, 0.75, 0);
  EXPECT_NE(told().find("1 line and 1 point left out"), std::string::npos) << told();
}

// One triangle (base64 buffer), a camera, a spot light, a turning animation and a
// material whose colour texture is an image embedded in the file.
const char kSceneGltf[] = R"({
 "asset": {"version": "2.0"},
 "extensionsUsed": ["KHR_lights_punctual"],
 "extensions": {"KHR_lights_punctual": {"lights": [
   {"name": "Spot", "type": "spot", "color": [1, 0.5, 0.25], "intensity": 2,
   "spot": {"outerConeAngle": 0.5}}]}},
 "scene": 0, "scenes": [{"nodes": [0]}],
 "nodes": [{"name": "Top", "children": [1, 2, 3]},
           {"name": "Mover", "translation": [1, 2, 3], "mesh": 0},
           {"name": "Eye", "camera": 0, "translation": [0, 0, 10]},
           {"name": "Spot", "translation": [0, 5, 0], "extensions": {"KHR_lights_punctual": {"light": 0}}}],
 "cameras": [{"type": "perspective", "perspective": {"yfov": 0.7, "aspectRatio": 1, "znear": 0.1}}],
 "meshes": [{"primitives": [{"attributes": {"POSITION": 0}, "material": 0}]}],
 "materials": [{"name": "Wood", "pbrMetallicRoughness": {
   "baseColorFactor": [0.5, 0.25, 0.125, 1], "baseColorTexture": {"index": 0}}}],
 "textures": [{"source": 0}],
 "images": [{"uri": "data:image/png;base64,iVBORw0KGgpXT09E", "mimeType": "image/png"}],
 "buffers": [{"byteLength": 76, "uri": "data:application/octet-stream;base64,AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAAAAAAAAAAgD8AAAAAAAAAAAAAAAAAAIA/AAAAAPMENT8AAAAA8wQ1Pw=="}],
 "bufferViews": [{"buffer": 0, "byteLength": 36}, {"buffer": 0, "byteOffset": 36, "byteLength": 8},
                 {"buffer": 0, "byteOffset": 44, "byteLength": 32}],
 "accessors": [
   {"bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3", "min": [0, 0, 0], "max": [1, 1, 0]},
   {"bufferView": 1, "componentType": 5126, "count": 2, "type": "SCALAR", "min": [0], "max": [1]},
   {"bufferView": 2, "componentType": 5126, "count": 2, "type": "VEC4"}],
 "animations": [{"name": "Turn", "samplers": [{"input": 1, "output": 2}],
                 "channels": [{"sampler": 0, "target": {"node": 1, "path": "rotation"}}]}]
})";
const char kPng[] = "\x89PNG\r\n\x1a\nWOOD";

BaseObject* child(BaseObject* parent, const std::string& name) {
  for (BaseObject* op = parent->GetDown(); op; op = op->GetNext())
    if (op->GetName().GetUtf8() == name) return op;
  ADD_FAILURE() << "no child " << name;
  return nullptr;
}

TEST_F(ModelImport, GltfCameraLightAnimationAndEmbeddedTextureFile) {
  const std::string gltf = write("scene.gltf", kSceneGltf);
  const std::string target = (dir / "out.svb").string();
  const c4ddoc::DocumentPtr doc = c4ddoc::openDocumentFile(gltf, {target});
  BaseObject* top = doc->GetFirstObject();
  ASSERT_EQ(top->GetName().GetUtf8(), "Top");

  BaseObject* mover = child(top, "Mover");
  ExpectVec(mover->GetRelPos(), 1, 2, -3);
  // A quarter turn about +y, counter-clockwise in the file's right-handed space, is a
  // heading of +90 degrees in the host's.
  const double heading[3] = {PI / 2, 0.0, 0.0};
  for (Int32 i = 0; i < 3; ++i) {
    CTrack* t = mover->FindCTrack(DescID(DescLevel(ID_BASEOBJECT_REL_ROTATION, DTYPE_VECTOR, 0),
                                         DescLevel(VECTOR_X + i, DTYPE_REAL, 0)));
    ASSERT_TRUE(t != nullptr && t->GetCurve()->GetKeyCount() == 2);
    EXPECT_DOUBLE_EQ(t->GetCurve()->GetKey(1)->GetTime().Get(), 1.0);
    EXPECT_NEAR(t->GetCurve()->GetKey(1)->GetValue(), heading[i], 1e-6);
  }
  EXPECT_DOUBLE_EQ(doc->GetMaxTime().Get(), 1.0);

  BaseObject* eye = child(top, "Eye");
  EXPECT_EQ(eye->GetType(), Ocamera);
  ExpectVec(eye->GetRelPos(), 0, 0, -10);
  EXPECT_NEAR(param(eye, 1008).GetFloat(), 0.7, 1e-6);
  BaseObject* spot = child(top, "Spot");
  EXPECT_EQ(spot->GetType(), Olight);
  ExpectVec(spot->GetRelPos(), 0, 5, 0);
  EXPECT_EQ(param(spot, 90002).GetInt32(), 1);
  ExpectVec(param(spot, 90000).GetVector(), 1, 0.5, 0.25);

  // The texture is written beside the save target, named after the material.
  BaseMaterial* wood = doc->SearchMaterial(String("Wood"));
  ExpectVec(param(wood, MATERIAL_COLOR_COLOR).GetVector(), 0.5, 0.25, 0.125);
  auto* bitmap = static_cast<BaseShader*>(param(wood, MATERIAL_COLOR_SHADER).GetLink(doc.get()));
  ASSERT_NE(bitmap, nullptr);
  const std::string file = param(bitmap, BITMAPSHADER_FILENAME).GetFilename().GetString().GetUtf8();
  EXPECT_EQ(file, (dir / "Wood.png").string());
  std::ifstream in(file, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), kPng);

  // Opened again, the same image is used as it is; a user's file of that name is never
  // replaced, and no temporary file is left behind.
  c4ddoc::openDocumentFile(gltf, {target});
  EXPECT_FALSE(fs::exists(dir / "Wood-2.png"));
  write("Wood.png", "the user's own picture");
  c4ddoc::openDocumentFile(gltf, {target});
  std::ifstream kept(dir / "Wood.png");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "the user's own picture");
  EXPECT_NE(told().find("written to " + (dir / "Wood-2.png").string()), std::string::npos);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3);
}

}  // namespace
