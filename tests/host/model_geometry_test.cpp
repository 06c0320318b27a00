// Meshes: Phong normals, polygon selections and the rounding of normal tags. (Hair strands
// are exercised through the plug-in's own tests.)
#include "c4d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace {
struct MemDeleter {
  void operator()(Vector32* p) const { DeleteMem(p); }
};
using Normals = std::unique_ptr<Vector32, MemDeleter>;

void ExpectVec(const Vector32& v, double x, double y, double z) {
  EXPECT_NEAR(v.x, x, 1e-6);
  EXPECT_NEAR(v.y, y, 1e-6);
  EXPECT_NEAR(v.z, z, 1e-6);
}

// Two unit quads sharing the edge of points 1 and 2 (x = 1): the first lies in the xz plane
// facing +y, the second is folded up about the shared edge by 90 degrees and faces -x.
PolygonObject* FoldedQuads(BaseDocument* doc) {
  PolygonObject* op = PolygonObject::Alloc(6, 2);
  doc->InsertObject(op, nullptr, nullptr);
  Vector* p = op->GetPointW();
  p[0] = Vector(0, 0, 0);
  p[1] = Vector(1, 0, 0);
  p[2] = Vector(1, 0, 1);
  p[3] = Vector(0, 0, 1);
  p[4] = Vector(1, 1, 0);
  p[5] = Vector(1, 1, 1);
  op->GetPolygonW()[0] = CPolygon(0, 3, 2, 1);
  op->GetPolygonW()[1] = CPolygon(1, 2, 5, 4);
  return op;
}
}  // namespace

// Four normals per polygon; corners on the shared edge take the mean of both faces when the
// fold is within the Phong angle (or there is no limit), their own face's normal otherwise.
TEST(PhongNormals, SmoothingFollowsTheAngleLimit) {
  AutoAlloc<BaseDocument> doc;
  PolygonObject* op = FoldedQuads(doc);
  op->MakeTag(Ttexture);
  EXPECT_EQ(op->CreatePhongNormals(), nullptr);  // no Phong tag
  BaseContainer* bc = op->MakeTag(Tphong)->GetDataInstance();
  const double h = std::sqrt(0.5);
  const struct {
    bool limit;
    double degrees;
    double corner2[3], corner4[3];  // polygon 0 corner c and polygon 1 corner a: point 1, 2
  } cases[] = {
      {true, 80, {0, 1, 0}, {-1, 0, 0}},
      {true, 100, {-h, h, 0}, {-h, h, 0}},
      {false, 0, {-h, h, 0}, {-h, h, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.degrees);
    bc->SetBool(PHONGTAG_PHONG_ANGLELIMIT, c.limit);
    bc->SetFloat(PHONGTAG_PHONG_ANGLE, c.degrees * PI / 180.0);
    Normals n(op->CreatePhongNormals());
    ASSERT_NE(n, nullptr);
    ExpectVec(n.get()[2], c.corner2[0], c.corner2[1], c.corner2[2]);
    ExpectVec(n.get()[4], c.corner4[0], c.corner4[1], c.corner4[2]);
    ExpectVec(n.get()[0], 0, 1, 0);  // unshared corners keep their face's normal
    ExpectVec(n.get()[6], -1, 0, 0);
  }

  // A triangle fills the fourth slot; a polygon with a missing point gets zero normals.
  ASSERT_TRUE(op->ResizeObject(3, 2));
  op->GetPolygonW()[0] = CPolygon(0, 2, 1);  // (0,0,0) (1,0,1) (1,0,0) faces +y
  op->GetPolygonW()[1] = CPolygon(0, 1, 9);
  Normals n(op->CreatePhongNormals());
  ASSERT_NE(n, nullptr);
  for (int i = 0; i < 4; ++i) ExpectVec(n.get()[i], 0, 1, 0);
  for (int i = 4; i < 8; ++i) ExpectVec(n.get()[i], 0, 0, 0);
}

// Selections come as segments of consecutive elements, cut to the element count the caller
// gives (the plug-in indexes its polygons with them).
TEST(BaseSelect, SegmentsCutToTheElementCount) {
  AutoAlloc<BaseSelect> sel;
  for (Int32 i : {5, 3, 4, 0, 10, 11, 12}) sel->Select(i);
  EXPECT_FALSE(sel->Select(-1));
  auto ranges = [&](Int32 max) {
    std::string out;
    Int32 a = -1, b = -1;
    for (Int32 seg = 0; seg < sel->GetSegments(); ++seg)
      out += sel->GetRange(seg, max, &a, &b) ? std::to_string(a) + "-" + std::to_string(b) + " "
                                             : "none ";
    return out;
  };
  EXPECT_EQ(ranges(LIMIT_MAXINT32), "0-0 3-5 10-12 ");
  EXPECT_EQ(ranges(12), "0-0 3-5 10-11 ");
  EXPECT_EQ(ranges(10), "0-0 3-5 none ");
}

// Normal tags keep the host's 16-bit values of component * 32000.
TEST(Tags, NormalsKeepTheHostsRounding) {
  AutoAlloc<BaseDocument> doc;
  PolygonObject* op = PolygonObject::Alloc(4, 2);
  doc->InsertObject(op, nullptr, nullptr);
  NormalTag* normals = NormalTag::Alloc(2);
  op->InsertTag(normals);
  normals->SetSlow(
      0, NormalStruct(Vector(0.5, -1, 0), Vector(0.123456, 0, 1), Vector(2, -2, 0), Vector()));
  const NormalStruct ns = normals->GetSlow(0);
  EXPECT_DOUBLE_EQ(ns.a.y, -1.0);
  EXPECT_DOUBLE_EQ(ns.b.x, 3951.0 / 32000.0);
  EXPECT_DOUBLE_EQ(ns.c.x, 32767.0 / 32000.0);  // clamped to the 16-bit range
  EXPECT_DOUBLE_EQ(ns.c.y, -32768.0 / 32000.0);
}
