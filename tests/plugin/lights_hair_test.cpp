// What the document test shows once, over the range of values: the power of lights, and the
// hair material tags and strand counts of hair objects.
#include "document_builders.h"
#include "scene_capture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

using namespace plugin_test;
using ::testing::HasSubstr;

// Power is the brightness in percent or the intensity (candela times 4 pi), truncated;
// values beyond the integer range saturate and NaN gives no power at all.
TEST(Lights, Power) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double value;
    bool intensity;
    Int32 unit;  // 1: candela
    const char* power;
  } cases[] = {
      {1.0, false, 0, "100"},         {0.005, false, 0, "0"},           {0.019, false, 0, "1"},
      {-0.019, false, 0, "-1"},       {100.0, true, 1, "1256"},         {100.0, true, 0, "100"},
      {1e30, false, 0, "2147483647"}, {-1e30, false, 0, "-2147483648"}, {nan, false, 0, "0"},
      {inf, true, 1, "2147483647"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.value << " intensity " << c.intensity);
    Document d;
    BaseObject* light = addObject(d, Olight, "Lamp");
    setParam(light, 90000, GeData(Vector(1.0, 0.5, 0.25)));
    setParam(light, c.intensity ? 90043 : 90001, GeData(c.value));
    setParam(light, 90046, GeData(Int32(c.intensity)));
    setParam(light, 90037, GeData(c.unit));
    Capture capture;
    capture.loader.writeLight("Lamp", light);
    EXPECT_THAT(capture.text(), HasSubstr("\"power\" " + std::string(c.power) +
                                          ",\n\"color\" 1 0.5 0.25,\n\"lumen\" " +
                                          (c.intensity ? "on" : "off") + ",\n"));
  }
}

struct Curves {
  std::string text;
  std::vector<double> p, pr, uv, nvertices;
};

Curves writeHair(HairObject* hair, const std::vector<BaseTag*>& tags = {nullptr}) {
  Capture capture;
  capture.loader.writeHairObject(hair, tags, 0.5f);
  EXPECT_FALSE(hair->IsLocked());
  Curves c;
  c.text = capture.text();
  if (c.text.empty()) return c;
  const svb::Scene scene = capture.scene();
  const std::vector<const svb::Node*> geometry = nodesOf(scene, svb::NodeKind::Geometry);
  if (geometry.size() != 1) {
    ADD_FAILURE() << c.text;
    return c;
  }
  c.p = valueOf(*geometry[0], "p").array().numbers;
  c.pr = valueOf(*geometry[0], "pr").array().numbers;
  c.uv = valueOf(*geometry[0], "curve_uv").array().numbers;
  c.nvertices = valueOf(*geometry[0], "nvertices").array().numbers;
  return c;
}

// Without points each strand still has its count and root; without strands nothing is written.
TEST(Hair, StrandsWithoutPointsAndHairWithoutStrands) {
  Document d;
  const Curves empty = writeHair(addHair(d, "Fur", 2, 0));
  EXPECT_TRUE(empty.p.empty());
  EXPECT_TRUE(empty.pr.empty());
  EXPECT_EQ(empty.nvertices, (std::vector<double>{0, 0}));
  EXPECT_EQ(empty.uv, (std::vector<double>{0, 0.5, 0.25, 0.5}));
  EXPECT_EQ(writeHair(append(d, HairObject::Alloc(), "Bald")).text, "");
}

// A hair material tag named `name` linking a hair material of the given thicknesses whose
// root colour is a colour shader of `shaderColor`, and, when `gradient`, whose gradient
// starts with `gradientColor`.
BaseTag* hairTag(Document& d, const char* name, double root, double tip, Vector shaderColor,
                 bool gradient, Vector gradientColor = Vector()) {
  BaseMaterial* mat = BaseMaterial::Alloc(Mhair);
  setParam(mat, HAIRMATERIAL_THICKNESS_ROOT, GeData(root));
  setParam(mat, HAIRMATERIAL_THICKNESS_TIP, GeData(tip));
  BaseShader* shader = BaseShader::Alloc(Xcolor);
  setParam(shader, COLORSHADER_COLOR, GeData(shaderColor));
  mat->InsertShader(shader);
  setParam(mat, HAIRMATERIAL_COLOR_HAIR_ROOTS_SHADER, GeData(static_cast<BaseList2D*>(shader)));
  if (gradient) {
    Gradient* g = Gradient::Alloc();
    GradientKnot knot;
    knot.col = gradientColor;
    g->InsertKnot(knot);
    mat->SetParameter(DescID(HAIRMATERIAL_COLOR_GRADIENT), GeData(CUSTOMDATATYPE_GRADIENT, *g),
                      DESCFLAGS_SET::NONE);
    Gradient::Free(g);
  }
  d.doc->InsertMaterial(mat);
  BaseTag* tag = BaseTag::Alloc(Thairmaterial);
  tag->SetName(String(name));
  setParam(tag, 1000, GeData(static_cast<BaseList2D*>(mat)));
  return tag;
}

// The tag's material gives the radii from root to tip thickness and the colour: its
// gradient's first knot over its shader. Of inherited tags, the front-most (the outermost
// ancestor's) decides everything; the curve radius and order never change.
TEST(Hair, MaterialTagsGiveRadiiNameAndColour) {
  Document d;
  BaseTag* thick = hairTag(d, "Thick", 3.0, 2.0, Vector(1, 0, 0), false);
  BaseTag* blond = hairTag(d, "Blond", 1.0, 0.5, Vector(1, 0, 0), true, Vector(0, 0.5, 1));
  BaseTag* parent = hairTag(d, "Parent", 2.0, 1.0, Vector(0, 1, 0), false);
  BaseTag* own = hairTag(d, "Own", 4.0, 3.0, Vector(0, 0, 1), true, Vector(1, 1, 0));
  const struct {
    std::vector<BaseTag*> tags;
    std::vector<double> radii;
    const char* material;
  } cases[] = {
      {{nullptr, thick},
       {3, 2},
       "material \"Thick\" {\nsurface \"zel_diffuse\" {\n\"diffuse\" 1 0 0,"},
      {{nullptr, blond},
       {1, 0.5},
       "material \"Blond\" {\nsurface \"zel_diffuse\" {\n\"diffuse\" 0 0.5 1,"},
      {{nullptr, parent, own},
       {2, 1},
       "material \"Parent\" {\nsurface \"zel_diffuse\" {\n\"diffuse\" 0 1 0,"},
  };
  for (const auto& c : cases) {
    const Curves curves = writeHair(addHair(d, "Fur", 1, 1), c.tags);
    EXPECT_EQ(curves.pr, c.radii);
    EXPECT_THAT(curves.text, HasSubstr("\"radius\" 0.5,\n\"order\" 2,\n"));
    EXPECT_THAT(curves.text, HasSubstr(c.material));
  }
  for (BaseTag* tag : {thick, blond, parent, own}) BaseTag::Free(tag);
}

}  // namespace
