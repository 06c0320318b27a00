// The model's meshes, times, animation curves and the evaluation of a document at a time.
#include "c4d.h"
#include "host_test_checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {
DescID Component(Int32 param, Int32 component) {
  return DescID(DescLevel(param, DTYPE_VECTOR, 0), DescLevel(component, DTYPE_REAL, 0));
}

// A track on op for the parameter id with (seconds, value) keys.
CTrack* AddTrack(BaseList2D* op, const DescID& id,
                 std::initializer_list<std::pair<double, double>> keys,
                 CINTERPOLATION interpolation = CINTERPOLATION::LINEAR) {
  CTrack* track = CTrack::Alloc(op, id);
  op->InsertTrackSorted(track);
  CCurve* curve = track->GetCurve();
  for (const auto& k : keys) {
    CKey* key = curve->AddKey(BaseTime(k.first));
    key->SetValue(curve, k.second);
    key->SetInterpolation(curve, interpolation);
  }
  return track;
}
}  // namespace

// Four normals per polygon of two unit quads sharing the edge of points 1 and 2, the second
// folded up by 90 degrees: corners on the shared edge take the mean of both faces when the
// fold is within the Phong angle (or there is no limit), their own face's normal otherwise.
TEST(PhongNormals, SmoothingFollowsTheAngleLimit) {
  AutoAlloc<BaseDocument> doc;
  PolygonObject* op = PolygonObject::Alloc(6, 2);
  doc->InsertObject(op, nullptr, nullptr);
  const Vector points[] = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}, {1, 1, 0}, {1, 1, 1}};
  for (int i = 0; i < 6; ++i) op->GetPointW()[i] = points[i];
  op->GetPolygonW()[0] = CPolygon(0, 3, 2, 1);  // faces +y
  op->GetPolygonW()[1] = CPolygon(1, 2, 5, 4);  // faces -x
  op->MakeTag(Ttexture);
  EXPECT_EQ(op->CreatePhongNormals(), nullptr);  // no Phong tag
  BaseContainer* bc = op->MakeTag(Tphong)->GetDataInstance();
  const double h = std::sqrt(0.5);
  const struct {
    bool limit;
    double degrees;
    double corner2[3], corner4[3];  // polygon 0 corner c and polygon 1 corner a: point 1, 2
  } cases[] = {{true, 80, {0, 1, 0}, {-1, 0, 0}},
               {true, 100, {-h, h, 0}, {-h, h, 0}},
               {false, 0, {-h, h, 0}, {-h, h, 0}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.degrees);
    bc->SetBool(PHONGTAG_PHONG_ANGLELIMIT, c.limit);
    bc->SetFloat(PHONGTAG_PHONG_ANGLE, c.degrees * PI / 180.0);
    Vector32* n = op->CreatePhongNormals();
    ASSERT_NE(n, nullptr);
    ExpectVec(n[2], c.corner2[0], c.corner2[1], c.corner2[2]);
    ExpectVec(n[4], c.corner4[0], c.corner4[1], c.corner4[2]);
    ExpectVec(n[0], 0, 1, 0);  // unshared corners keep their face's normal
    ExpectVec(n[6], -1, 0, 0);
    DeleteMem(n);
  }

  // A triangle fills the fourth slot; a polygon with a missing point gets zero normals.
  ASSERT_TRUE(op->ResizeObject(3, 2));
  op->GetPolygonW()[0] = CPolygon(0, 2, 1);  // (0,0,0) (1,0,1) (1,0,0) faces +y
  op->GetPolygonW()[1] = CPolygon(0, 1, 9);
  Vector32* n = op->CreatePhongNormals();
  ASSERT_NE(n, nullptr);
  for (int i = 0; i < 4; ++i) ExpectVec(n[i], 0, 1, 0);
  for (int i = 4; i < 8; ++i) ExpectVec(n[i], 0, 0, 0);
  DeleteMem(n);
}

// Selections come as segments of consecutive elements, cut to the element count the caller
// gives.
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
  AutoAlloc<NormalTag> normals(2);
  normals->SetSlow(
      0, NormalStruct(Vector(0.5, -1, 0), Vector(0.123456, 0, 1), Vector(2, -2, 0), Vector()));
  const NormalStruct ns = normals->GetSlow(0);
  EXPECT_DOUBLE_EQ(ns.a.y, -1.0);
  EXPECT_DOUBLE_EQ(ns.b.x, 3951.0 / 32000.0);
  EXPECT_DOUBLE_EQ(ns.c.x, 32767.0 / 32000.0);  // clamped to the 16-bit range
  EXPECT_DOUBLE_EQ(ns.c.y, -32768.0 / 32000.0);
}

// Times are whole milliseconds, rounded to the nearest.
TEST(BaseTime, WholeMilliseconds) {
  const struct {
    double seconds, kept;
  } cases[] = {{1.0 / 3.0, 0.333}, {0.0625, 0.063}, {-0.0004, 0.0},     {2.0004, 2.0},
               {1e20, 1e12},       {-1e20, -1e12},  {std::nan(""), 0.0}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(BaseTime(c.seconds).Get(), c.kept) << c.seconds;
}

TEST(Curves, LinearStepAndSplineKeys) {
  AutoAlloc<BaseDocument> doc;
  BaseObject* op = BaseObject::Alloc(Onull);
  doc->InsertObject(op, nullptr, nullptr);
  CTrack* rotY = AddTrack(op, Component(ID_BASEOBJECT_REL_ROTATION, VECTOR_Y), {});
  CTrack* spline = AddTrack(op, Component(ID_BASEOBJECT_REL_POSITION, VECTOR_Z),
                            {{0.0, 0.0}, {1.0, 8.0}}, CINTERPOLATION::SPLINE);
  CTrack* linear = AddTrack(op, Component(ID_BASEOBJECT_REL_POSITION, VECTOR_X),
                            {{1.0, 10.0}, {3.0, 30.0}, {4.0, 0.0}});
  CTrack* step = AddTrack(op, Component(ID_BASEOBJECT_REL_POSITION, VECTOR_Y),
                          {{1.0, 10.0}, {3.0, 30.0}}, CINTERPOLATION::STEP);
  // Linear: each span between its own keys, before the first and after the last key their
  // values. Spline: eased, halfway in time is halfway in value, a quarter is 5/32 of it.
  const struct {
    CTrack* track;
    double time, value;
  } cases[] = {{linear, 2.0, 20.0}, {linear, 1.5, 15.0}, {linear, 3.5, 15.0},
               {linear, 0.0, 10.0}, {linear, 5.0, 0.0},  {step, 2.999, 10.0},
               {step, 3.0, 30.0},   {spline, 0.5, 4.0},  {spline, 0.25, 8.0 * 5.0 / 32.0}};
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(c.track->GetValue(doc, BaseTime(c.time)), c.value) << c.time;

  // Tracks are ordered by parameter id, whatever the order they came in, and found by it.
  EXPECT_EQ(op->GetFirstCTrack(), linear);
  EXPECT_EQ(linear->GetNext(), step);
  EXPECT_EQ(spline->GetNext(), rotY);
  EXPECT_EQ(op->FindCTrack(Component(ID_BASEOBJECT_REL_POSITION, VECTOR_Z)), spline);
  EXPECT_EQ(op->FindCTrack(Component(ID_BASEOBJECT_REL_SCALE, VECTOR_Z)), nullptr);
}

// Evaluating the document moves animated values: positions of objects and of cache objects,
// and float parameters; switched-off tracks and integers stay.
TEST(ExecutePasses, AnimatedValuesFollowTheTime) {
  AutoAlloc<BaseDocument> doc;
  BaseObject* parent = BaseObject::Alloc(Onull);
  BaseObject* op = BaseObject::Alloc(Onull);
  doc->InsertObject(parent, nullptr, nullptr);
  doc->InsertObject(op, parent, nullptr);
  op->SetRelPos(Vector(0, 5, 0));
  AddTrack(op, Component(ID_BASEOBJECT_REL_POSITION, VECTOR_X), {{0.0, 0.0}, {2.0, 100.0}});
  AddTrack(parent, Component(ID_BASEOBJECT_REL_ROTATION, VECTOR_X), {{0.0, 0.0}, {2.0, PI}});
  AddTrack(op, Component(ID_BASEOBJECT_REL_POSITION, VECTOR_Z), {{0.0, 7.0}, {2.0, 9.0}})
      ->SetParameter(DescID(ID_CTRACK_ANIMOFF), GeData(Int32(0)), DESCFLAGS_SET::NONE);
  BaseContainer* bc = op->GetDataInstance();
  bc->SetFloat(90001, 5.0);
  bc->SetInt32(90002, 0);
  AddTrack(op, DescID(DescLevel(90001, DTYPE_REAL, 0)), {{0.0, 0.0}, {2.0, 4.0}});
  AddTrack(op, DescID(DescLevel(90002, DTYPE_LONG, 0)), {{0.0, 0.0}, {2.0, 8.0}});
  BaseObject* cache = BaseObject::Alloc(Onull);
  AddTrack(cache, Component(ID_BASEOBJECT_REL_POSITION, VECTOR_Y), {{0.0, 0.0}, {2.0, 4.0}});
  parent->SetCache(cache);

  doc->SetTime(BaseTime(1.0));
  EXPECT_TRUE(doc->ExecutePasses(nullptr, true, true, true, BUILDFLAGS::NONE));
  EXPECT_EQ(op->GetRelPos(), Vector(50, 5, 0));
  EXPECT_DOUBLE_EQ(bc->GetFloat(90001), 2.0);
  EXPECT_EQ(bc->GetData(90002).GetType(), DA_LONG);
  EXPECT_DOUBLE_EQ(cache->GetRelPos().y, 2.0);
  // Heading 90 degrees on the parent turns the child's offset (50,5,0) to (0,5,50).
  EXPECT_NEAR(op->GetMg().off.z, 50.0, 1e-9);
}
