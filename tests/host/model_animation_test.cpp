// Time values, animation curves and the evaluation of a document at a time.
#include "c4d.h"

#include <gtest/gtest.h>

#include <cmath>

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

// Times are whole milliseconds, rounded to the nearest; frames are truncated.
TEST(BaseTime, WholeMillisecondsAndFrames) {
  const struct {
    double seconds, kept;
  } cases[] = {
      {1.0 / 3.0, 0.333}, {0.0625, 0.063}, {-0.0004, 0.0},      {2.0004, 2.0},
      {1e20, 1e12},       {-1e20, -1e12},  {std::nan(""), 0.0},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(BaseTime(c.seconds).Get(), c.kept) << c.seconds;
  EXPECT_DOUBLE_EQ(BaseTime(1.0 / 3.0).GetDenominator(), 1000.0);
  EXPECT_EQ(BaseTime(0.999).GetFrame(30), 29);
  EXPECT_EQ(BaseTime(1.0).GetFrame(30), 30);
  BaseTime q(0.999);
  q.Quantize(30);
  EXPECT_DOUBLE_EQ(q.Get(), 29.0 / 30.0);
  EXPECT_TRUE(BaseTime(1, 3) < BaseTime(0.334));
  EXPECT_TRUE(BaseTime(1, 3) + BaseTime(1, 6) == BaseTime(0.5));
}

TEST(Curves, LinearStepAndSplineKeys) {
  AutoAlloc<BaseDocument> doc;
  BaseObject* op = BaseObject::Alloc(Onull);
  doc->InsertObject(op, nullptr, nullptr);
  CTrack* rotY = AddTrack(op, Component(ID_BASEOBJECT_REL_ROTATION, VECTOR_Y), {});
  CTrack* spline = AddTrack(op, Component(ID_BASEOBJECT_REL_POSITION, VECTOR_Z),
                            {{0.0, 0.0}, {1.0, 8.0}}, CINTERPOLATION::SPLINE);
  CTrack* linear =
      AddTrack(op, Component(ID_BASEOBJECT_REL_POSITION, VECTOR_X), {{1.0, 10.0}, {3.0, 30.0}});
  CTrack* step = AddTrack(op, Component(ID_BASEOBJECT_REL_POSITION, VECTOR_Y),
                          {{1.0, 10.0}, {3.0, 30.0}}, CINTERPOLATION::STEP);
  const struct {
    CTrack* track;
    double time, value;
  } cases[] = {
      {linear, 2.0, 20.0},
      {linear, 1.5, 15.0},
      {linear, 0.0, 10.0},
      {linear, 5.0, 30.0},
      {step, 2.999, 10.0},
      {step, 3.0, 30.0},
      // Eased: halfway in time is halfway in value, a quarter is 5/32 of it.
      {spline, 0.5, 4.0},
      {spline, 0.25, 8.0 * 5.0 / 32.0},
  };
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(c.track->GetValue(doc, BaseTime(c.time)), c.value) << c.time;

  // Keys stay ordered by time, one per time; each span interpolates between its own keys.
  CCurve* curve = linear->GetCurve();
  Int32 index = -1;
  curve->AddKey(BaseTime(2.0), &index)->SetValue(curve, 0.0);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(curve->AddKey(BaseTime(2.0)), curve->GetKey(1));
  ASSERT_EQ(curve->GetKeyCount(), 3);
  EXPECT_DOUBLE_EQ(curve->GetKey(2)->GetTime().Get(), 3.0);
  EXPECT_DOUBLE_EQ(curve->GetValue(BaseTime(1.5)), 5.0);
  EXPECT_DOUBLE_EQ(curve->GetValue(BaseTime(2.5)), 15.0);

  // Tracks are ordered by parameter id, whatever the order they came in, and found by it.
  EXPECT_EQ(op->GetFirstCTrack(), linear);
  EXPECT_EQ(linear->GetNext(), step);
  EXPECT_EQ(spline->GetNext(), rotY);
  EXPECT_EQ(op->FindCTrack(Component(ID_BASEOBJECT_REL_POSITION, VECTOR_Z)), spline);
  EXPECT_EQ(op->FindCTrack(Component(ID_BASEOBJECT_REL_SCALE, VECTOR_Z)), nullptr);
}

// Only evaluating the document moves animated values: positions of objects and of cache
// objects, and float parameters; switched-off tracks and integers stay.
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
  EXPECT_DOUBLE_EQ(op->GetRelPos().x, 0.0);
  EXPECT_TRUE(doc->ExecutePasses(nullptr, true, true, true, BUILDFLAGS::NONE));
  EXPECT_EQ(op->GetRelPos(), Vector(50, 5, 0));
  EXPECT_DOUBLE_EQ(bc->GetFloat(90001), 2.0);
  EXPECT_EQ(bc->GetData(90002).GetType(), DA_LONG);
  EXPECT_DOUBLE_EQ(cache->GetRelPos().y, 2.0);
  // Heading 90 degrees on the parent turns the child's offset (50,5,0) to (0,5,50).
  EXPECT_NEAR(op->GetMg().off.z, 50.0, 1e-9);
  // Without animation the values stay.
  doc->SetTime(BaseTime(0.0));
  doc->ExecutePasses(nullptr, false, true, true, BUILDFLAGS::NONE);
  EXPECT_DOUBLE_EQ(op->GetRelPos().x, 50.0);
}
