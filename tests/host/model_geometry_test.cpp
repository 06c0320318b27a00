// Meshes, Phong normals, selections, texture coordinates, normal tags and hair.
#include "c4d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace {
struct MemDeleter {
  void operator()(Vector32* p) const {
    Vector32* q = p;
    DeleteMem(q);
  }
};
using Normals = std::unique_ptr<Vector32, MemDeleter>;

void ExpectVec(const Vector32& v, double x, double y, double z) {
  EXPECT_NEAR(v.x, x, 1e-6);
  EXPECT_NEAR(v.y, y, 1e-6);
  EXPECT_NEAR(v.z, z, 1e-6);
}

// Two unit quads sharing the edge of points 1 and 2 (x = 1), folded by
// foldDegrees: the first lies in the xz plane facing +y, the second is
// turned about the shared edge.
PolygonObject* FoldedQuads(BaseDocument* doc, double foldDegrees) {
  PolygonObject* op = PolygonObject::Alloc(6, 2);
  doc->InsertObject(op, nullptr, nullptr);
  Vector* p = op->GetPointW();
  const double a = foldDegrees * PI / 180.0;
  p[0] = Vector(0, 0, 0);
  p[1] = Vector(1, 0, 0);
  p[2] = Vector(1, 0, 1);
  p[3] = Vector(0, 0, 1);
  p[4] = Vector(1 + std::cos(a), std::sin(a), 0);
  p[5] = Vector(1 + std::cos(a), std::sin(a), 1);
  CPolygon* v = op->GetPolygonW();
  v[0] = CPolygon(0, 3, 2, 1);
  v[1] = CPolygon(1, 2, 5, 4);
  return op;
}
}  // namespace

TEST(PhongNormals, NoneWithoutAPhongTagAndFaceNormalsOnAFlatMesh) {
  AutoAlloc<BaseDocument> doc;
  PolygonObject* op = FoldedQuads(doc, 0);
  op->MakeTag(Ttexture);
  EXPECT_EQ(op->CreatePhongNormals(), nullptr);
  op->MakeTag(Tphong);
  Normals n(op->CreatePhongNormals());
  ASSERT_NE(n, nullptr);
  for (int i = 0; i < 8; ++i) ExpectVec(n.get()[i], 0, 1, 0);
}

TEST(PhongNormals, SmoothingFollowsTheAngleLimit) {
  AutoAlloc<BaseDocument> doc;
  // Folded up by 90 degrees: the second face points to -x.
  PolygonObject* op = FoldedQuads(doc, 90);
  BaseTag* phong = op->MakeTag(Tphong);
  BaseContainer* bc = phong->GetDataInstance();
  bc->SetBool(PHONGTAG_PHONG_ANGLELIMIT, true);
  bc->SetFloat(PHONGTAG_PHONG_ANGLE, 80.0 * PI / 180.0);
  {
    Normals n(op->CreatePhongNormals());
    ASSERT_NE(n, nullptr);
    // 90 degrees is over the limit: every corner keeps its face normal.
    ExpectVec(n.get()[2], 0, 1, 0);   // polygon 0, corner c (point 2, shared)
    ExpectVec(n.get()[4], -1, 0, 0);  // polygon 1, corner a (point 1, shared)
  }
  const double h = std::sqrt(0.5);
  bc->SetFloat(PHONGTAG_PHONG_ANGLE, 100.0 * PI / 180.0);
  {
    Normals n(op->CreatePhongNormals());
    ExpectVec(n.get()[2], -h, h, 0);  // shared corner: the mean of both faces
    ExpectVec(n.get()[0], 0, 1, 0);   // unshared corner: its own face
    ExpectVec(n.get()[4], -h, h, 0);
    ExpectVec(n.get()[6], -1, 0, 0);
  }
  bc->SetBool(PHONGTAG_PHONG_ANGLELIMIT, false);
  bc->SetFloat(PHONGTAG_PHONG_ANGLE, 0.0);
  {
    Normals n(op->CreatePhongNormals());
    ExpectVec(n.get()[3], -h, h, 0);  // polygon 0, corner d (point 1, shared)
  }
}

TEST(PhongNormals, TrianglesFillTheFourthSlotAndBadIndicesAreSkipped) {
  AutoAlloc<BaseDocument> doc;
  PolygonObject* op = PolygonObject::Alloc(3, 2);
  doc->InsertObject(op, nullptr, nullptr);
  Vector* p = op->GetPointW();
  p[0] = Vector(0, 0, 0);
  p[1] = Vector(0, 0, 2);
  p[2] = Vector(2, 0, 0);
  op->GetPolygonW()[0] = CPolygon(0, 1, 2);
  op->GetPolygonW()[1] = CPolygon(0, 1, 9);  // point 9 does not exist
  op->MakeTag(Tphong);
  Normals n(op->CreatePhongNormals());
  ASSERT_NE(n, nullptr);
  for (int i = 0; i < 4; ++i) ExpectVec(n.get()[i], 0, 1, 0);
  for (int i = 4; i < 8; ++i) ExpectVec(n.get()[i], 0, 0, 0);
}

TEST(BaseSelect, SegmentsRangesAndEdits) {
  AutoAlloc<BaseSelect> sel;
  sel->Select(5);
  sel->Select(3);
  sel->Select(4);
  sel->SelectAll(10, 12);
  sel->Select(0);
  EXPECT_FALSE(sel->Select(-1));
  EXPECT_EQ(sel->GetCount(), 7);
  ASSERT_EQ(sel->GetSegments(), 3);
  // Segment (index, element count) gives first and last, or false.
  auto range = [&](Int32 seg, Int32 max) {
    Int32 a = -1, b = -1;
    return sel->GetRange(seg, max, &a, &b) ? std::to_string(a) + "-" + std::to_string(b) : "none";
  };
  EXPECT_EQ(range(0, LIMIT_MAXINT32), "0-0");
  EXPECT_EQ(range(1, LIMIT_MAXINT32), "3-5");
  EXPECT_EQ(range(2, LIMIT_MAXINT32), "10-12");
  EXPECT_EQ(range(3, LIMIT_MAXINT32), "none");
  EXPECT_EQ(range(2, 12), "10-11");  // cut to the element count
  EXPECT_EQ(range(2, 10), "none");

  // Joining and splitting segments.
  sel->SelectAll(1, 2);
  EXPECT_EQ(sel->GetSegments(), 2);
  sel->Deselect(4);
  EXPECT_EQ(range(1, LIMIT_MAXINT32), "5-5");
  sel->DeselectAll();
  EXPECT_EQ(sel->GetSegments(), 0);
  EXPECT_EQ(sel->GetCount(), 0);
}

TEST(Tags, UvwAndNormalData) {
  AutoAlloc<BaseDocument> doc;
  PolygonObject* op = PolygonObject::Alloc(4, 2);
  doc->InsertObject(op, nullptr, nullptr);
  UVWTag* uvw = UVWTag::Alloc(2);
  op->InsertTag(uvw);
  EXPECT_EQ(uvw->GetSlow(5).a, Vector());  // past the end: zero

  NormalTag* normals = NormalTag::Alloc(2);
  op->InsertTag(normals, uvw);
  EXPECT_EQ(op->GetLastTag(), normals);
  // Kept as 16-bit values of component * 32000.
  normals->SetSlow(
      0, NormalStruct(Vector(0.5, -1, 0), Vector(0.123456, 0, 1), Vector(2, -2, 0), Vector()));
  NormalStruct ns;
  NormalTag::Get(normals->GetDataAddressR(), 0, ns);
  EXPECT_DOUBLE_EQ(ns.a.x, 0.5);
  EXPECT_DOUBLE_EQ(ns.a.y, -1.0);
  EXPECT_DOUBLE_EQ(ns.b.x, 3951.0 / 32000.0);
  EXPECT_DOUBLE_EQ(ns.c.x, 32767.0 / 32000.0);  // clamped to the 16-bit range
  EXPECT_DOUBLE_EQ(ns.c.y, -32768.0 / 32000.0);
}

TEST(Hair, GeneratedStrandsAreInWorldSpace) {
  AutoAlloc<BaseDocument> doc;
  BaseObject* parent = BaseObject::Alloc(Onull);
  doc->InsertObject(parent, nullptr, nullptr);
  parent->SetRelPos(Vector(0, 10, 0));
  HairObject* hair = static_cast<HairObject*>(BaseObject::Alloc(Ohair));
  hair->InsertUnder(parent);
  hair->SetRelPos(Vector(1, 0, 0));
  EXPECT_TRUE(hair->Lock(doc, nullptr, false, 0));
  EXPECT_EQ(hair->GenerateHair(), nullptr);
  hair->Unlock();

  HairGuides* stored = HairGuides::Alloc(2, 2);
  ASSERT_EQ(stored->GetPointCount(), 6);  // two strands of two segments
  Vector* p = stored->GetPoints();
  for (int i = 0; i < 6; ++i) p[i] = Vector(0, i, 0);
  stored->SetRootUV(1, Vector(0.25, 0.75, 0));
  hair->SetGuides(stored);

  HairGuides* g = hair->GenerateHair(0, NOTOK, NOTOK, nullptr, nullptr);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->GetCount(), 2);
  EXPECT_EQ(g->GetPoints()[4], Vector(1, 14, 0));  // strand 1, point 1
  EXPECT_EQ(g->GetRootUV(1), Vector(0.25, 0.75, 0));
  EXPECT_EQ(g->GetRootUV(2), Vector());
  // The stored strands stay in object space.
  EXPECT_EQ(hair->GetGuides()->GetPoints()[4], Vector(0, 4, 0));
  HairGuides* local = hair->GenerateHair(HAIR_GENERATE_FLAGS_NO_TRANSFORM);
  EXPECT_EQ(local->GetPoints()[4], Vector(0, 4, 0));

  HairGuides* empty = HairGuides::Alloc(3, 0);
  EXPECT_EQ(empty->GetGuidePointCount(), 0);
  EXPECT_EQ(empty->GetPoints(), nullptr);
  HairGuides::Free(empty);
}
