// Hair strands become Bezier curves in the hair object's own space, with
// radii running from root to tip thickness and the material of the front-most
// hair material tag.
#include "content_capture.h"

#include <gtest/gtest.h>

using solvane_test::LoaderHarness;

namespace {

// A hair object at (0, 10, 0) holding `count` strands of `segments` segments;
// point k of strand g lies at (g, k, 0.5 k) in object space, strand g's root
// coordinate is (0.25 g, 0.5).
HairObject* makeHair(Int32 count, Int32 segments) {
  HairObject* hair = HairObject::Alloc();
  hair->SetName(String("Fur"));
  hair->SetRelPos(Vector(0.0, 10.0, 0.0));
  HairGuides* guides = HairGuides::Alloc(count, segments);
  const Int32 per = guides->GetGuidePointCount();
  for (Int32 g = 0; g < count; ++g) {
    for (Int32 k = 0; k < per; ++k) guides->GetPoints()[g * per + k] = Vector(g, k, 0.5 * k);
    guides->SetRootUV(g, Vector(0.25 * g, 0.5, 0.0));
  }
  hair->SetGuides(guides);
  return hair;
}

struct HairResult {
  std::vector<std::string> calls;
  std::vector<float> p, pr, uv;
  std::vector<int32_t> nvertices;
};

HairResult write(HairObject* hair, std::vector<BaseTag*> tags = {nullptr}) {
  LoaderHarness h;
  h.loader.writeHairObject(hair, tags, 0.5f);
  EXPECT_FALSE(hair->IsLocked());
  HairResult r;
  r.calls = h.api().calls;
  for (const auto* a : h.api().named("p")) r.p = a->floats;
  for (const auto* a : h.api().named("pr")) r.pr = a->floats;
  for (const auto* a : h.api().named("curve_uv")) r.uv = a->floats;
  for (const auto* a : h.api().named("nvertices")) r.nvertices = a->ints;
  return r;
}

std::string line(const HairResult& r, const std::string& prefix) {
  for (const std::string& l : r.calls)
    if (l.rfind(prefix, 0) == 0) return l;
  return "(none)";
}

// Radii run from root (0.5) to tip (0.1); the step is added up in single precision.
TEST(Hair, RadiiRunFromRootToTip) {
  HairObject* five = makeHair(1, 4);
  const std::vector<float> radii = {0.5f, 0.400000006f, 0.300000012f, 0.200000018f, 0.100000016f};
  EXPECT_EQ(write(five).pr, radii);
  HairObject::Free(five);

  HairObject* four = makeHair(1, 3);
  const HairResult r = write(four);
  ASSERT_EQ(r.pr.size(), 4u);
  EXPECT_NEAR(r.pr[0], 0.5, 5e-7);
  EXPECT_NEAR(r.pr[1], 0.366667, 5e-7);
  EXPECT_NEAR(r.pr[2], 0.233333, 5e-7);
  EXPECT_NEAR(r.pr[3], 0.1, 5e-7);
  HairObject::Free(four);
}

TEST(Hair, TwoThreePointStrandsInObjectSpace) {
  HairObject* hair = makeHair(2, 2);
  const HairResult r = write(hair);
  const std::vector<std::string> expected = {
      "object_begin \"Fur\" placed",
      "geometry_use \"zel_bezier_curves\"",
      "set_parameter \"radius\" float 0.5",
      "set_parameter \"order\" int 2",
      "set_parameter \"p\" array(0x8001) count 6",
      "set_parameter \"pr\" array(0x8003) count 6",
      "set_parameter \"curve_uv\" array(0x8003) count 4",
      "set_parameter \"nvertices\" array(0x8006) count 2",
      "geometry_end",
  };
  ASSERT_GE(r.calls.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(r.calls.begin(), r.calls.begin() + 9), expected);
  EXPECT_EQ(r.calls.back(), "object_end");
  // The host hands out strands moved by the object's placement; they come
  // back to the object's own space.
  const std::vector<float> points = {0, 0, 0, 0, 1, 0.5f, 0, 2, 1, 1, 0, 0, 1, 1, 0.5f, 1, 2, 1};
  EXPECT_EQ(r.p, points);
  EXPECT_EQ(r.uv, (std::vector<float>{0, 0.5f, 0.25f, 0.5f}));
  EXPECT_EQ(r.nvertices, (std::vector<int32_t>{3, 3}));
  HairObject::Free(hair);
}

TEST(Hair, StrandsWithoutPointsKeepTheirCountsAndRoots) {
  HairObject* hair = makeHair(2, 0);
  const HairResult r = write(hair);
  EXPECT_TRUE(r.p.empty());
  EXPECT_TRUE(r.pr.empty());
  EXPECT_EQ(r.nvertices, (std::vector<int32_t>{0, 0}));
  EXPECT_EQ(r.uv.size(), 4u);
  HairObject::Free(hair);
}

TEST(Hair, NoStrandsWriteNothing) {
  HairObject* hair = HairObject::Alloc();
  const HairResult r = write(hair);
  EXPECT_TRUE(r.calls.empty());
  HairObject::Free(hair);
}

// Hair material tags ----------------------------------------------------

struct HairMaterialDoc {
  BaseDocument* doc = BaseDocument::Alloc();
  std::vector<BaseTag*> owned;

  ~HairMaterialDoc() {
    for (BaseTag*& t : owned) BaseTag::Free(t);
    BaseDocument::Free(doc);
  }

  // A hair material tag named `name` linking a hair material with the given
  // thicknesses, a colour shader of `shaderColor` and optionally a gradient
  // whose first knot is `gradientColor`.
  BaseTag* tag(const char* name, double root, double tip, Vector shaderColor, bool withGradient,
               Vector gradientColor = Vector()) {
    BaseMaterial* mat = BaseMaterial::Alloc(Mhair);
    mat->SetParameter(DescID(HAIRMATERIAL_THICKNESS_ROOT), GeData(root), DESCFLAGS_SET::NONE);
    mat->SetParameter(DescID(HAIRMATERIAL_THICKNESS_TIP), GeData(tip), DESCFLAGS_SET::NONE);
    BaseShader* shader = BaseShader::Alloc(Xcolor);
    shader->SetParameter(DescID(COLORSHADER_COLOR), GeData(shaderColor), DESCFLAGS_SET::NONE);
    mat->InsertShader(shader);
    mat->SetParameter(DescID(HAIRMATERIAL_COLOR_HAIR_ROOTS_SHADER),
                      GeData(static_cast<BaseList2D*>(shader)), DESCFLAGS_SET::NONE);
    if (withGradient) {
      Gradient* gradient = Gradient::Alloc();
      GradientKnot knot;
      knot.col = gradientColor;
      gradient->InsertKnot(knot);
      mat->SetParameter(DescID(HAIRMATERIAL_COLOR_GRADIENT),
                        GeData(CUSTOMDATATYPE_GRADIENT, *gradient), DESCFLAGS_SET::NONE);
      Gradient::Free(gradient);
    }
    doc->InsertMaterial(mat);
    BaseTag* t = BaseTag::Alloc(Thairmaterial);
    t->SetName(String(name));
    t->SetParameter(DescID(1000), GeData(static_cast<BaseList2D*>(mat)), DESCFLAGS_SET::NONE);
    owned.push_back(t);
    return t;
  }
};

TEST(HairMaterial, RadiusAndOrderStayConstantWhateverTheThickness) {
  HairMaterialDoc d;
  HairObject* hair = makeHair(1, 1);
  const HairResult r = write(hair, {nullptr, d.tag("Thick", 3.0, 2.0, Vector(1, 0, 0), false)});
  EXPECT_EQ(line(r, "set_parameter \"radius\""), "set_parameter \"radius\" float 0.5");
  EXPECT_EQ(line(r, "set_parameter \"order\""), "set_parameter \"order\" int 2");
  EXPECT_EQ(r.pr, (std::vector<float>{3.0f, 2.0f}));
  EXPECT_EQ(line(r, "material_begin"), "material_begin \"Thick\" placed");
  EXPECT_EQ(line(r, "set_parameter \"diffuse\""), "set_parameter \"diffuse\" color 1 0 0");
  HairObject::Free(hair);
}

TEST(HairMaterial, GradientColourWinsOverTheShader) {
  HairMaterialDoc d;
  HairObject* hair = makeHair(1, 1);
  const HairResult r =
      write(hair, {nullptr, d.tag("Blond", 1.0, 0.5, Vector(1, 0, 0), true, Vector(0, 0.5, 1))});
  EXPECT_EQ(line(r, "set_parameter \"diffuse\""), "set_parameter \"diffuse\" color 0 0.5 1");
  HairObject::Free(hair);
}

// The parent's tag comes first in the inherited list and decides every value.
TEST(HairMaterial, FrontMostTagDecides) {
  HairMaterialDoc d;
  HairObject* hair = makeHair(1, 1);
  BaseTag* parents = d.tag("Parent", 2.0, 1.0, Vector(0, 1, 0), false);
  BaseTag* own = d.tag("Own", 4.0, 3.0, Vector(0, 0, 1), true, Vector(1, 1, 0));
  const HairResult r = write(hair, {nullptr, parents, own});
  EXPECT_EQ(line(r, "material_begin"), "material_begin \"Parent\" placed");
  EXPECT_EQ(r.pr, (std::vector<float>{2.0f, 1.0f}));
  // The parent's shader colour replaces the own tag's gradient colour.
  EXPECT_EQ(line(r, "set_parameter \"diffuse\""), "set_parameter \"diffuse\" color 0 1 0");
  HairObject::Free(hair);
}

}  // namespace
