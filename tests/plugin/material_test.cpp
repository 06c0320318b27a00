// Material records: their ordering, how they are filled from tags, materials and
// shaders, the texture file lookup, the display colour and the material writer.
#include "content_capture.h"
#include "mesh_builders.h"

#include "c4d.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace mesh_test;
using solvane_test::LoaderHarness;

namespace {

ZelMat named(const char* name) {
  ZelMat mat;
  std::snprintf(mat.name, sizeof mat.name, "%s", name);
  return mat;
}

bool equivalent(const ZelMat& a, const ZelMat& b) { return !(a < b) && !(b < a); }

BaseShader* addShader(BaseList2D* owner, Int32 type) {
  BaseShader* shader = BaseShader::Alloc(type);
  BaseShader* last = owner->GetFirstShader();
  while (last && last->GetNext()) last = last->GetNext();
  owner->InsertShader(shader, last);
  return shader;
}

BaseShader* addColorShader(BaseList2D* owner, const Vector& color) {
  BaseShader* shader = addShader(owner, 5832);
  setParam(shader, 1000, GeData(color));
  return shader;
}

BaseShader* addBitmapShader(BaseList2D* owner, const char* path) {
  BaseShader* shader = addShader(owner, 5833);
  setParam(shader, 1000, GeData(Filename(path)));
  return shader;
}

BaseShader* addGradientShader(BaseList2D* owner, Int32 type, Int32 param, const Vector& first) {
  BaseShader* shader = addShader(owner, type);
  Gradient* gradient = Gradient::Alloc();
  GradientKnot knot;
  knot.col = first;
  gradient->InsertKnot(knot);
  knot.col = Vector(9, 9, 9);
  gradient->InsertKnot(knot);
  setParam(shader, param, GeData(CUSTOMDATATYPE_GRADIENT, *gradient));
  Gradient::Free(gradient);
  return shader;
}

// A temporary folder with files; removed with everything in it.
struct TempFolder {
  std::string path;
  TempFolder() {
    char pattern[] = "/tmp/mesh-test-XXXXXX";
    path = mkdtemp(pattern);
  }
  ~TempFolder() { std::system(("rm -rf '" + path + "'").c_str()); }
  std::string touch(const std::string& relative) {
    const std::string full = path + "/" + relative;
    const size_t slash = full.rfind('/');
    std::system(("mkdir -p '" + full.substr(0, slash) + "'").c_str());
    FILE* f = std::fopen(full.c_str(), "w");
    if (f) std::fclose(f);
    return full;
  }
};

}  // namespace

TEST(MaterialOrdering, NameFirstThenFieldsInOrderAndFieldsLeftOut) {
  ZelMat apple = named("Apple");
  ZelMat birch = named("Birch");
  apple.color = Vector(1, 1, 1);
  apple.texture = "z.png";
  EXPECT_TRUE(apple < birch);
  EXPECT_FALSE(birch < apple);

  ZelMat a = named("M");
  ZelMat b = named("M");
  b.color = Vector(0.65, 0.7, 0.0);  // green decides although blue is smaller
  EXPECT_TRUE(a < b);
  EXPECT_FALSE(b < a);

  ZelMat c = named("M");
  c.texture = "a.png";
  EXPECT_TRUE(a < c);  // the empty texture is a prefix of every other
  c.texture.clear();
  c.shiftV = -1.0;
  EXPECT_TRUE(c < a);
  c.shiftV = 0.0;
  c.scaleU = 2.0;
  EXPECT_TRUE(a < c);

  ZelMat untiled = named("M");
  untiled.tile = false;
  EXPECT_TRUE(untiled < a);
  EXPECT_FALSE(a < untiled);

  ZelMat other = named("M");
  other.specular = Vector(1, 1, 1);
  other.projection = 2;
  other.textureMatrix = MatrixMove(Vector(5, 5, 5));
  EXPECT_TRUE(equivalent(a, other));
}

TEST(MaterialOrdering, NanStopsTheComparisonWithoutOrder) {
  ZelMat a = named("M");
  ZelMat b = named("M");
  a.color.x = std::nan("");
  b.color.y = 0.0;  // would decide if red did not
  EXPECT_FALSE(a < b);
  EXPECT_FALSE(b < a);
  ZelMat c = named("M");
  ZelMat d = named("M");
  c.scaleV = std::nan("");
  d.tile = false;  // would decide if scaleV did not
  EXPECT_FALSE(c < d);
  EXPECT_FALSE(d < c);
}

class Materials : public ::testing::Test {
 protected:
  Scene scene;
  LoaderHarness h;
  Material* mat = Material::Alloc();

  Materials() {
    scene.doc->InsertMaterial(mat);
    h.loader.document = scene.doc;
  }
};

TEST_F(Materials, ColourChannelWithBrightness) {
  setParam(mat, 2100, GeData(Vector(0.8, 0.4, 0.2)));
  setParam(mat, 2101, GeData(0.5));
  ZelMat rec;
  EXPECT_TRUE(h.loader.getMaterial(mat, rec));
  EXPECT_EQ(rec.color, Vector(0.4, 0.2, 0.1));
}

TEST_F(Materials, ColourChannelShaderCanOverrideAndChannelCountsWithoutValue) {
  BaseShader* shader = addColorShader(mat, Vector(0, 0, 1));
  setParam(mat, 8000, GeData(static_cast<BaseList2D*>(shader)));
  ZelMat rec;
  EXPECT_TRUE(h.loader.getMaterial(mat, rec));
  EXPECT_EQ(rec.color, Vector(0, 0, 1));
}

TEST_F(Materials, LuminanceWhenColourIsOff) {
  mat->SetChannelState(CHANNEL_COLOR, false);
  mat->SetChannelState(CHANNEL_LUMINANCE, true);
  ZelMat rec;
  EXPECT_FALSE(h.loader.getMaterial(mat, rec));  // no luminance colour: shader walk, empty
  setParam(mat, 2300, GeData(Vector(0.1, 0.2, 0.3)));
  EXPECT_TRUE(h.loader.getMaterial(mat, rec));
  EXPECT_EQ(rec.color, Vector(0.1, 0.2, 0.3));
}

TEST_F(Materials, SpecularChannels) {
  mat->SetChannelState(CHANNEL_COLOR, false);
  BaseContainer* data = mat->GetDataInstance();
  data->SetVector(65, Vector(0.3, 0.3, 0.3));

  mat->SetChannelState(CHANNEL_REFLECTION, true);
  ZelMat rec;
  // Reflection without 3100: the container's 65, and no value found.
  EXPECT_FALSE(h.loader.getMaterial(mat, rec));
  EXPECT_EQ(rec.specular, Vector(0.3, 0.3, 0.3));

  setParam(mat, 3100, GeData(Vector(0.9, 0.8, 0.7)));
  ZelMat rec2;
  EXPECT_TRUE(h.loader.getMaterial(mat, rec2));
  EXPECT_EQ(rec2.specular, Vector(0.9, 0.8, 0.7));

  // The specular channel comes before reflection: without 3100 it gives nothing.
  mat->SetChannelState(CHANNEL_SPECULARCOLOR, true);
  data->SetData(3100, GeData());
  ZelMat rec3;
  EXPECT_FALSE(h.loader.getMaterial(mat, rec3));
  EXPECT_EQ(rec3.specular, Vector(0, 0, 0));
}

TEST_F(Materials, AlphaChannelLeavesOnlyTheShaderWalk) {
  mat->SetChannelState(CHANNEL_ALPHA, true);
  setParam(mat, 2100, GeData(Vector(1, 0, 0)));
  addBitmapShader(mat, "/nonexistent/first.png");
  addGradientShader(mat, 1011100, 1007, Vector(0.2, 0.2, 0.2));
  addBitmapShader(mat, "/nonexistent/second.png");
  addColorShader(mat, Vector(0, 1, 0));
  addColorShader(mat, Vector(0, 0, 1));  // never reached
  ZelMat rec;
  EXPECT_TRUE(h.loader.getMaterial(mat, rec));
  EXPECT_EQ(rec.color, Vector(0, 1, 0));
  EXPECT_EQ(rec.texture, "/nonexistent/second.png");
}

TEST_F(Materials, ShaderWalkWithoutColourShader) {
  mat->SetChannelState(CHANNEL_COLOR, false);
  addGradientShader(mat, 1012158, 10001, Vector(0.5, 0.25, 0.125));
  ZelMat rec;
  EXPECT_FALSE(h.loader.getMaterial(mat, rec));
  EXPECT_EQ(rec.color, Vector(0.5, 0.25, 0.125));
  EXPECT_FALSE(h.loader.getMaterial(static_cast<BaseShader*>(nullptr), rec));
}

TEST_F(Materials, TextureTagFillsNameAndPlacement) {
  PolygonObject* mesh = makeMesh(scene, "M", numberedPoints(3), {CPolygon(0, 1, 2)});
  mat->SetName("Wood");
  TextureTag* tag = addTextureTag(mesh, mat);
  setParam(tag, 1000, GeData(0.25));
  setParam(tag, 1001, GeData(0.5));
  setParam(tag, 1002, GeData(2.0));
  setParam(tag, 1003, GeData(4.0));
  setParam(tag, 1004, GeData(Int32(2)));
  setParam(tag, 1007, GeData(Int32(0)));
  tag->SetPos(Vector(1, 2, 3));
  ZelMat rec;
  EXPECT_TRUE(h.loader.getMaterial(tag, rec));
  EXPECT_STREQ(rec.name, "Wood");
  EXPECT_EQ(rec.textureTag, tag);
  EXPECT_EQ(rec.shiftU, 0.25);
  EXPECT_EQ(rec.shiftV, 0.5);
  EXPECT_EQ(rec.scaleU, 2.0);
  EXPECT_EQ(rec.scaleV, 4.0);
  EXPECT_EQ(rec.projection, 2);
  EXPECT_FALSE(rec.tile);
  EXPECT_EQ(rec.textureMatrix.off, Vector(1, 2, 3));
}

TEST_F(Materials, TextureTagWithoutUsableMaterial) {
  PolygonObject* mesh = makeMesh(scene, "M", numberedPoints(3), {CPolygon(0, 1, 2)});
  ZelMat rec;
  EXPECT_FALSE(h.loader.getMaterial(addTextureTag(mesh, nullptr), rec));
  EXPECT_STREQ(rec.name, "");

  BaseMaterial* other = BaseMaterial::Alloc(1017730);
  other->SetName("Hair");
  scene.doc->InsertMaterial(other);
  EXPECT_FALSE(h.loader.getMaterial(addTextureTag(mesh, other), rec));
  EXPECT_STREQ(rec.name, "Hair");
  EXPECT_EQ(rec.textureTag, nullptr);

  // Not a texture tag at all.
  ZelMat untouched;
  EXPECT_FALSE(h.loader.getMaterial(mesh->MakeTag(Tphong), untouched));
}

TEST_F(Materials, LongNameIsCut) {
  const std::string longName(1500, 'n');
  mat->SetName(longName.c_str());
  PolygonObject* mesh = makeMesh(scene, "M", numberedPoints(3), {CPolygon(0, 1, 2)});
  ZelMat rec;
  h.loader.getMaterial(addTextureTag(mesh, mat), rec);
  EXPECT_EQ(std::string(rec.name), longName.substr(0, 1023));
}

TEST_F(Materials, TextureLookupInItsThreePlaces) {
  TempFolder folder;
  const std::string stored = folder.touch("elsewhere/stored.png");
  folder.touch("doc/tex/intex.png");
  folder.touch("doc/tex/both.png");
  folder.touch("doc/both.png");
  folder.touch("doc/beside.png");
  h.loader.documentPath = folder.path + "/doc";

  const auto lookup = [&](const std::string& path) {
    ZelMat rec;
    Material* m = Material::Alloc();
    scene.doc->InsertMaterial(m);
    m->SetChannelState(CHANNEL_COLOR, false);
    addBitmapShader(m, path.c_str());
    h.loader.getMaterial(m, rec);
    return rec.texture;
  };
  EXPECT_EQ(lookup(stored), stored);
  EXPECT_EQ(lookup("/gone/intex.png"), folder.path + "/doc/tex/intex.png");
  EXPECT_EQ(lookup("/gone/both.png"), folder.path + "/doc/tex/both.png");
  EXPECT_EQ(lookup("/gone/beside.png"), folder.path + "/doc/beside.png");
  EXPECT_EQ(lookup("/gone/missing.png"), "/gone/missing.png");
  // An empty name would name the folders themselves; folders are not textures.
  EXPECT_EQ(lookup(""), "");

  // A document never saved tries only the stored path.
  h.loader.documentPath.clear();
  EXPECT_EQ(lookup("/gone/intex.png"), "/gone/intex.png");
}

TEST_F(Materials, DisplayColourByMode) {
  PolygonObject* mesh = makeMesh(scene, "M", numberedPoints(3), {CPolygon(0, 1, 2)});
  const Vector grey(0.65, 0.65, 0.65);
  setParam(mesh, 908, GeData(Vector(1, 0, 0)));
  EXPECT_EQ(h.loader.getDefaultColor(mesh), grey);  // mode 0
  setParam(mesh, 907, GeData(Int32(1)));
  EXPECT_EQ(h.loader.getDefaultColor(mesh), Vector(1, 0, 0));
  setParam(mesh, 907, GeData(Int32(2)));
  EXPECT_EQ(h.loader.getDefaultColor(mesh), grey);
  setParam(mesh, 907, GeData(Int32(3)));
  EXPECT_EQ(h.loader.getDefaultColor(mesh), grey);  // no layer
  LayerObject* layer = LayerObject::Alloc();
  scene.doc->InsertLayer(layer);
  setParam(layer, 1009, GeData(Vector(0, 0, 1)));
  mesh->SetLayerObject(layer);
  EXPECT_EQ(h.loader.getDefaultColor(mesh), Vector(0, 0, 1));
}

// The material writer.

TEST(MaterialWriter, VariantNamesAndTheirStability) {
  LoaderHarness h;
  const auto write = [&](const ZelMat& m) {
    h.api().calls.clear();
    h.loader.writeMaterial(m);
    const auto lines = h.api().with_prefix("material_begin");
    return lines.empty() ? std::string() : lines[0];
  };
  ZelMat wood = named("Wood");
  ZelMat oak = named("Wood");
  oak.texture = "oak.png";
  ZelMat grey;
  ZelMat blue;
  blue.color = Vector(0, 0, 1);
  EXPECT_EQ(write(wood), "material_begin \"Wood\" placed");
  EXPECT_EQ(write(oak), "material_begin \"Wood #1\" placed");
  EXPECT_EQ(write(wood), "material_begin \"Wood\" placed");
  EXPECT_EQ(write(grey), "material_begin \"Display color\" placed");
  EXPECT_EQ(write(blue), "material_begin \"Display color #1\" placed");
  EXPECT_EQ(h.loader.materialCounter, 5);

  // A second output by the same driver names them as the first did, in any order.
  delete h.loader.sceneOO;
  h.loader.sceneOO = new zel::zelSceneapi_oo(&h.factory);
  EXPECT_EQ(write(blue), "material_begin \"Display color #1\" placed");
  EXPECT_EQ(write(oak), "material_begin \"Wood #1\" placed");
  EXPECT_EQ(write(grey), "material_begin \"Display color\" placed");
}

TEST(MaterialWriter, SurfaceShaderChoice) {
  LoaderHarness h;
  ZelMat faint;
  faint.specular = Vector(1e-7, 0, 0);
  h.loader.writeMaterial(faint);
  EXPECT_EQ(h.api().calls, (std::vector<std::string>{
                               "shader_begin null \"zel_diffuse\"",
                               "set_parameter \"diffuse\" color 0.65 0.65 0.65",
                               "shader_end",
                               "shader_get",
                               "material_begin \"Display color\" placed",
                               "material_set_shader 0 shader#1",
                               "material_end",
                           }));

  // Any specular colour above the threshold gives the advanced surface (its parameters are
  // pinned byte for byte in the file tests); the specular colour is no part of the name.
  h.api().calls.clear();
  ZelMat shiny;
  shiny.specular = Vector(0, 2e-6, 0);
  h.loader.writeMaterial(shiny);
  EXPECT_EQ(h.api().with_prefix("shader_begin"),
            std::vector<std::string>{"shader_begin null \"zel_advanced\""});
  EXPECT_EQ(h.api().with_prefix("set_parameter \"specular\""),
            std::vector<std::string>{"set_parameter \"specular\" color 0 2e-06 0"});
  EXPECT_EQ(h.api().with_prefix("material_begin"),
            std::vector<std::string>{"material_begin \"Display color\" placed"});
}
