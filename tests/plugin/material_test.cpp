// Material records: their order, how materials, shaders and texture tags fill them, where
// textures are found, and the names and surfaces the writer gives them.
#include "document_builders.h"
#include "scene_capture.h"

#include "c4d.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace {

using namespace plugin_test;
using ::testing::HasSubstr;

ZelMat record(const char* name, const std::function<void(ZelMat&)>& change = nullptr) {
  ZelMat mat;
  std::snprintf(mat.name, sizeof mat.name, "%s", name);
  if (change) change(mat);
  return mat;
}

// Name, colour, texture, shift u and v, scale u and v, then untiled first decide (a < b when
// `ordered`, else neither); a NaN gives no order; specular, projection, matrix take no part.
TEST(MaterialOrdering, FieldsInTheirOrder) {
  const double nan = std::nan("");
  const struct {
    const char* what;
    ZelMat a, b;
    bool ordered;
  } cases[] = {
      // clang-format off
      {"name first", record("A", [](ZelMat& m) { m.texture = "z.png"; }), record("B"), true},
      {"green decides though blue is smaller",
       record("M"), record("M", [](ZelMat& m) { m.color = Vector(0.65, 0.7, 0.0); }), true},
      {"empty texture first", record("M"), record("M", [](ZelMat& m) { m.texture = "a"; }), true},
      {"shift u before shift v", record("M", [](ZelMat& m) { m.shiftV = 1.0; }),
       record("M", [](ZelMat& m) { m.shiftU = 1.0; }), true},
      {"shift v before scale u", record("M", [](ZelMat& m) { m.scaleU = 2.0; }),
       record("M", [](ZelMat& m) { m.shiftV = 1.0; }), true},
      {"scale u before scale v", record("M", [](ZelMat& m) { m.scaleV = 2.0; }),
       record("M", [](ZelMat& m) { m.scaleU = 2.0; }), true},
      {"untiled first", record("M", [](ZelMat& m) { m.tile = false; }), record("M"), true},
      {"what takes no part", record("M", [](ZelMat& m) {
         m.specular = Vector(1, 1, 1); m.projection = 2; m.textureMatrix = MatrixMove(Vector(5));
       }), record("M"), false},
      {"NaN in the colour", record("M", [&](ZelMat& m) { m.color.x = nan; }),
       record("M", [](ZelMat& m) { m.color.y = 0.0; }), false},
      {"NaN in the placement", record("M", [&](ZelMat& m) { m.scaleV = nan; }),
       record("M", [](ZelMat& m) { m.tile = false; }), false},
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.a < c.b, c.ordered) << c.what;
    EXPECT_FALSE(c.b < c.a) << c.what;
  }
}

// A colour shader, a bitmap of `file`, or a gradient (-based) shader starting with `color`.
struct ShaderSpec {
  Int32 type;
  Vector color;
  const char* file;
};

void addShaderSpec(BaseList2D* owner, const ShaderSpec& spec) {
  if (spec.type == Xbitmap)
    addBitmapShader(owner, spec.file);
  else if (spec.type == Xcolor)
    addColorShader(owner, spec.color);
  else
    setGradient(addShader(owner, spec.type), spec.type == Xgradient ? 1007 : 10001,
                {spec.color, Vector(9, 9, 9)});
}

// The colour channel (with brightness and shader), else the luminance channel, and the specular
// colour decide; without them, or with alpha, the shaders are walked: colour shaders end the
// walk, bitmaps and gradients leave their texture and colour. Parameters: 2100 colour, 2101
// brightness, 2300 luminance, 3100 specular colour, 65 the reflection channel's fallback.
TEST(MaterialRecords, FromTheChannelsOrTheShaders) {
  const Vector grey(0.65, 0.65, 0.65), none;
  const ShaderSpec blue{Xcolor, Vector(0, 0, 1), nullptr};
  const struct {
    std::vector<Int32> on, off;  // channels switched on and off
    std::vector<std::pair<Int32, GeData>> params;
    std::vector<ShaderSpec> shaders;
    bool colorShader;  // the first shader is the colour channel's
    bool found;
    Vector color, specular;
    const char* texture;
  } cases[] = {
      // clang-format off
      {{}, {}, {{2100, Vector(0.8, 0.4, 0.2)}, {2101, 0.5}}, {}, false,
       true, Vector(0.4, 0.2, 0.1), none, ""},
      {{}, {}, {}, {blue}, true, true, Vector(0, 0, 1), none, ""},
      {{CHANNEL_LUMINANCE}, {CHANNEL_COLOR}, {}, {}, false, false, grey, none, ""},
      {{CHANNEL_LUMINANCE}, {CHANNEL_COLOR}, {{2300, Vector(0.1, 0.2, 0.3)}}, {}, false,
       true, Vector(0.1, 0.2, 0.3), none, ""},
      {{CHANNEL_REFLECTION}, {CHANNEL_COLOR}, {{65, Vector(0.3, 0.3, 0.3)}}, {}, false,
       false, grey, Vector(0.3, 0.3, 0.3), ""},
      {{CHANNEL_REFLECTION}, {CHANNEL_COLOR}, {{3100, Vector(0.9, 0.8, 0.7)}}, {}, false,
       true, grey, Vector(0.9, 0.8, 0.7), ""},
      // A reflection layer channel comes first and has no fallback.
      {{CHANNEL_REFLECTION, CHANNEL_SPECULARCOLOR}, {CHANNEL_COLOR}, {{65, Vector(0.3, 0.3, 0.3)}},
       {}, false, false, grey, none, ""},
      // Alpha: the colour is not read; the walk stops at the first colour shader.
      {{CHANNEL_ALPHA}, {}, {{2100, Vector(1, 0, 0)}},
       {{Xbitmap, none, "/nonexistent/first.png"}, {Xgradient, Vector(0.2, 0.2, 0.2), nullptr},
        {Xbitmap, none, "/nonexistent/second.png"}, {Xcolor, Vector(0, 1, 0), nullptr}, blue},
       false, true, Vector(0, 1, 0), none, "/nonexistent/second.png"},
      {{}, {CHANNEL_COLOR}, {}, {{1012158, Vector(0.5, 0.25, 0.125), nullptr}}, false,
       false, Vector(0.5, 0.25, 0.125), none, ""},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    Document d;
    Material* mat = Material::Alloc();
    d.doc->InsertMaterial(mat);
    for (Int32 channel : c.on) mat->SetChannelState(channel, true);
    for (Int32 channel : c.off) mat->SetChannelState(channel, false);
    for (const auto& param : c.params) setParam(mat, param.first, param.second);
    for (const ShaderSpec& shader : c.shaders) addShaderSpec(mat, shader);
    if (c.colorShader)
      setParam(mat, MATERIAL_COLOR_SHADER, GeData(static_cast<BaseList2D*>(mat->GetFirstShader())));
    C4DLoader loader;
    ZelMat rec;
    EXPECT_EQ(loader.getMaterial(mat, rec), c.found);
    EXPECT_EQ(rec.color, c.color);
    EXPECT_EQ(rec.specular, c.specular);
    EXPECT_EQ(rec.texture, c.texture);
  }
}

// A flat projection places the texture by the halved inverse of the tag's matrix instead of uv
// flags. Names are cut to 1023 bytes; without a standard material, only the name.
TEST(MaterialRecords, FromATextureTag) {
  Document d;
  PolygonObject* mesh = addTriangle(d, "M");
  Material* wood = addTexturedMaterial(d, "Wood", Vector(1, 1, 1), "wood.png");
  TextureTag* tag = addTextureTag(mesh, wood);
  setParam(tag, TEXTURETAG_OFFSETY, GeData(0.5));
  setParam(tag, TEXTURETAG_LENGTHX, GeData(4.0));
  setParam(tag, TEXTURETAG_PROJECTION, GeData(Int32(TEXTURETAG_PROJECTION_FLAT)));
  tag->SetPos(Vector(2, 8, 4));
  tag->SetScale(Vector(2, 4, 8));
  Capture capture;
  capture.loader.writePolygonObject(mesh, {nullptr}, 1.0f);
  EXPECT_THAT(capture.text(),
              HasSubstr("\"wrap\" on,\n\"uv_projection\" 5,\n\"scale_u\" 4,\n\"scale_v\" 1,\n"
                        "\"shift_u\" 0,\n\"shift_v\" 0.5,\n\"transform_obj_to_uv\" 0.25 0 0 0 0 "
                        "0.125 0 0 0 0 0.0625 0 -0.5 -1 -0.25 1,\n}"));

  C4DLoader loader;
  ZelMat rec;
  wood->SetName(std::string(1500, 'n').c_str());
  EXPECT_TRUE(loader.getMaterial(tag, rec));
  EXPECT_EQ(std::string(rec.name), std::string(1023, 'n'));
  ZelMat none;
  EXPECT_FALSE(loader.getMaterial(addTextureTag(mesh, nullptr), none));
  BaseMaterial* hair = BaseMaterial::Alloc(Mhair);
  hair->SetName("Hair");
  d.doc->InsertMaterial(hair);
  EXPECT_FALSE(loader.getMaterial(addTextureTag(mesh, hair), none));
  EXPECT_STREQ(none.name, "Hair");
  EXPECT_FALSE(loader.getMaterial(mesh->MakeTag(Tphong), none));
}

// A bitmap is looked for at its stored path, in the document's tex folder, then beside it.
TEST(MaterialRecords, TextureLookupInItsThreePlaces) {
  char pattern[] = "/tmp/solvane-textures-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string folder = pattern;
  for (const char* file : {"elsewhere/stored.png", "doc/tex/intex.png", "doc/tex/both.png",
                           "doc/both.png", "doc/beside.png"}) {
    std::filesystem::create_directories(std::filesystem::path(folder + "/" + file).parent_path());
    ASSERT_TRUE(std::ofstream(folder + "/" + file) << "png");
  }
  Document d;
  d.doc->SetDocumentPath(Filename((folder + "/doc").c_str()));
  Capture capture;  // a conversion takes the document's folder
  C4DLoader& loader = capture.loader;
  loader.load(d.doc);
  const auto lookup = [&](const std::string& path) {
    Material* m = addMaterial(d, "T", Vector());
    m->SetChannelState(CHANNEL_COLOR, false);
    addBitmapShader(m, path.c_str());
    ZelMat rec;
    loader.getMaterial(m, rec);
    return rec.texture;
  };
  EXPECT_EQ(lookup(folder + "/elsewhere/stored.png"), folder + "/elsewhere/stored.png");
  EXPECT_EQ(lookup("/gone/intex.png"), folder + "/doc/tex/intex.png");
  EXPECT_EQ(lookup("/gone/both.png"), folder + "/doc/tex/both.png");
  EXPECT_EQ(lookup("/gone/beside.png"), folder + "/doc/beside.png");
  EXPECT_EQ(lookup("/gone/missing.png"), "/gone/missing.png");
  // An empty name would name the folders themselves; folders are not textures.
  EXPECT_EQ(lookup(""), "");
  // A document never saved tries only the stored path.
  loader.documentPath.clear();
  EXPECT_EQ(lookup("/gone/intex.png"), "/gone/intex.png");
  std::filesystem::remove_all(folder);
}

// Mode 0 and 2 grey, 1 the object's colour, 3 its layer's (grey without a layer).
TEST(MaterialRecords, DisplayColourByMode) {
  Document d;
  PolygonObject* mesh = addTriangle(d, "M");
  C4DLoader loader;
  loader.document = d.doc;
  const Vector grey(0.65, 0.65, 0.65);
  setParam(mesh, 908, GeData(Vector(1, 0, 0)));
  EXPECT_EQ(loader.getDefaultColor(mesh), grey);
  const Vector byMode[] = {grey, Vector(1, 0, 0), grey, grey};
  for (Int32 mode : {1, 2, 3}) {
    setParam(mesh, 907, GeData(mode));
    EXPECT_EQ(loader.getDefaultColor(mesh), byMode[mode]) << mode;
  }
  LayerObject* layer = LayerObject::Alloc();
  d.doc->InsertLayer(layer);
  setParam(layer, 1009, GeData(Vector(0, 0, 1)));
  mesh->SetLayerObject(layer);
  EXPECT_EQ(loader.getDefaultColor(mesh), Vector(0, 0, 1));
}

// Records that differ under one name get "#1", "#2", ... in the order first written, the
// same for every output of the driver.
TEST(MaterialWriter, VariantNamesStayTheSameAcrossOutputs) {
  Capture capture;
  const auto write = [&](const ZelMat& m) {
    const size_t before = capture.text().size();
    capture.loader.writeMaterial(m);
    return namesOf(svb::parse(capture.text().substr(before)), svb::NodeKind::Material).at(0);
  };
  const ZelMat wood = record("Wood");
  const ZelMat oak = record("Wood", [](ZelMat& m) { m.texture = "oak.png"; });
  const ZelMat grey;
  const ZelMat blue = record("", [](ZelMat& m) { m.color = Vector(0, 0, 1); });
  EXPECT_EQ(write(wood), "Wood");
  EXPECT_EQ(write(oak), "Wood #1");
  EXPECT_EQ(write(wood), "Wood");
  EXPECT_EQ(write(grey), "Display color");
  EXPECT_EQ(write(blue), "Display color #1");

  // A second output, as the next command opens it.
  delete capture.loader.sceneOO;
  capture.loader.sceneOO = new zel::zelSceneapi_oo(&capture.factory);
  EXPECT_EQ(write(blue), "Display color #1");
  EXPECT_EQ(write(oak), "Wood #1");
  EXPECT_EQ(write(grey), "Display color");
}

// A plain diffuse surface unless the record has a texture or a specular colour above 1e-6.
TEST(MaterialWriter, SpecularColourChoosesTheAdvancedSurface) {
  for (double specular : {1e-7, 2e-6}) {
    Capture capture;
    capture.loader.writeMaterial(record("", [&](ZelMat& m) { m.specular.y = specular; }));
    EXPECT_THAT(
        capture.text(),
        HasSubstr(specular < 1e-6 ? "surface \"zel_diffuse\" {\n\"diffuse\" 0.65 0.65 0.65,\n}"
                                  : "surface \"zel_advanced\" {\n\"diffuse\" 0.65 0.65 "
                                    "0.65,\n\"specular\" 0 2e-06 0,\n"));
  }
}

}  // namespace
