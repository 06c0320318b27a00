// Keyframed tracks are baked into matrices sampled 30 times a second, each the
// change since the first key seen from the scene's frame.
#include "content_capture.h"

#include "c4dhost_runtime.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

using solvane_test::LoaderHarness;
using solvane_test::RecordingSceneApi;

namespace {

CTrack* addTrack(BaseObject* op, Int32 channel, Int32 component, const char* name,
                 std::vector<std::pair<double, double>> keys) {
  CTrack* track = CTrack::Alloc(op, DescID(DescLevel(channel, DTYPE_VECTOR, 0),
                                           DescLevel(VECTOR_X + component, DTYPE_REAL, 0)));
  track->SetName(String(name));
  op->InsertTrackSorted(track);
  CCurve* curve = track->GetCurve();
  for (const auto& key : keys) curve->AddKey(BaseTime(key.first))->SetValue(curve, key.second);
  return track;
}

// The object's animation relative to its own rest transform, as the traversal writes it.
void writeObjectTracks(LoaderHarness& h, BaseObject* op, bool camera = false) {
  h.loader.writeAnimation("Obj", op, op->GetRelPos(), op->GetRelRot(), op->GetRotationOrder(),
                          op->GetRelScale(), camera);
}

struct Block {
  std::string name;
  std::string startTime;
  std::string duration;
  std::vector<zelMatrix> matrices;
  std::vector<int32_t> timestamps;
};

std::vector<Block> blocks(const RecordingSceneApi& api) {
  std::vector<Block> out;
  for (const std::string& line : api.calls) {
    if (line.rfind("animation_begin \"fbx_animation\" ", 0) == 0) {
      out.push_back(Block{});
      out.back().name = line.substr(32);
    } else if (line.rfind("set_parameter \"start_time\" ", 0) == 0 && !out.empty()) {
      out.back().startTime = line.substr(27);
    } else if (line.rfind("set_parameter \"duration\" ", 0) == 0 && !out.empty()) {
      out.back().duration = line.substr(25);
    }
  }
  const auto matrices = api.named("matrices");
  const auto timestamps = api.named("timestamps");
  for (size_t i = 0; i < out.size() && i < matrices.size() && i < timestamps.size(); ++i) {
    out[i].matrices = matrices[i]->matrices;
    out[i].timestamps = timestamps[i]->ints;
  }
  return out;
}

Block onlyBlock(double t0, double t1) {
  BaseObject* op = BaseObject::Alloc(Onull);
  addTrack(op, ID_BASEOBJECT_REL_POSITION, 0, "X", {{t0, 0.0}, {t1, 1.0}});
  LoaderHarness h;
  writeObjectTracks(h, op);
  BaseObject::Free(op);
  auto all = blocks(h.api());
  EXPECT_EQ(all.size(), 1u);
  return all.empty() ? Block{} : all[0];
}

// Sampling ----------------------------------------------------------------

// Samples every 1/30 s from the first key to just before the last, timestamps in whole
// milliseconds from the first key. So far out that one step no longer moves a float time:
// one sample, and the start time saturates instead of overflowing.
TEST(AnimationSampling, CountsAndTimestamps) {
  struct Case {
    double t0, t1;
    size_t count;
    const char* startTime;
    const char* duration;  // null: not checked
    std::vector<int32_t> head;
    int32_t last;
  };
  const Case cases[] = {
      {0.0, 1.0, 30, "int 0", "float 1", {0, 33, 66, 100, 133, 166}, 966},
      {0.0, 2.0, 61, "int 0", "float 2", {0, 33, 66}, 1999},
      {1.5, 3.0, 46, "int 1", "float 1.5", {0, 33, 66, 99}, 1499},
      {3e9, 4e9, 1, "int 2147483647", nullptr, {0}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "keys at " << c.t0 << " and " << c.t1);
    const Block b = onlyBlock(c.t0, c.t1);
    EXPECT_EQ(b.name, "\"X\"");
    EXPECT_EQ(b.startTime, c.startTime);
    if (c.duration) {
      EXPECT_EQ(b.duration, c.duration);
    }
    ASSERT_EQ(b.timestamps.size(), c.count);
    ASSERT_EQ(b.matrices.size(), c.count);
    EXPECT_EQ(
        std::vector<int32_t>(b.timestamps.begin(), b.timestamps.begin() + long(c.head.size())),
        c.head);
    EXPECT_EQ(b.timestamps.back(), c.last);
  }
}

TEST(AnimationSampling, TracksThatDoNotQualifyWriteNothing) {
  BaseObject* op = BaseObject::Alloc(Onull);
  addTrack(op, ID_BASEOBJECT_REL_POSITION, 0, "one key", {{0.0, 1.0}});
  addTrack(op, ID_BASEOBJECT_REL_POSITION, 1, "no keys", {});
  addTrack(op, ID_BASEOBJECT_REL_SCALE, 0, "same time", {{0.5, 1.0}});
  CTrack* off =
      addTrack(op, ID_BASEOBJECT_REL_ROTATION, 2, "switched off", {{0.0, 0.0}, {1.0, 1.0}});
  ASSERT_TRUE(off->SetParameter(DescID(ID_CTRACK_ANIMOFF), GeData(Int32(0)), DESCFLAGS_SET::NONE));
  // Not a transform channel (the visibility parameter), and a fourth component.
  addTrack(op, ID_BASEOBJECT_VISIBILITY_EDITOR, 0, "other channel", {{0.0, 0.0}, {1.0, 1.0}});
  addTrack(op, ID_BASEOBJECT_REL_POSITION, 3, "fourth", {{0.0, 0.0}, {1.0, 1.0}});
  // Too many samples: left out, and the user is told.
  addTrack(op, ID_BASEOBJECT_REL_SCALE, 1, "long", {{0.0, 1.0}, {1e6, 2.0}});

  c4dhost::ClearMessages();
  LoaderHarness h;
  writeObjectTracks(h, op);
  EXPECT_TRUE(h.api().calls.empty()) << h.api().joined();
  ASSERT_EQ(c4dhost::Messages().size(), 1u);
  // About 30 samples a second until a float time stops moving by 1/30 s, near 2^20 s.
  const std::string& warning = c4dhost::Messages()[0].text;
  EXPECT_THAT(warning, testing::StartsWith("Warning: the Scale track \"long\" of \"Obj\" (keys "
                                           "from 0 s to 1e+06 s) would need 2"));
  EXPECT_THAT(warning, testing::EndsWith(
                           " samples; tracks of more than 1048576 samples are left out."));
  BaseObject::Free(op);
}

// Block order ---------------------------------------------------------------

std::vector<std::string> rotationBlockOrder(ROTATIONORDER order) {
  BaseObject* op = BaseObject::Alloc(Onull);
  op->SetRotationOrder(order);
  addTrack(op, ID_BASEOBJECT_REL_ROTATION, 0, "R0", {{0.0, 0.0}, {0.1, 1.0}});
  addTrack(op, ID_BASEOBJECT_REL_ROTATION, 1, "R1", {{0.0, 0.0}, {0.1, 1.0}});
  addTrack(op, ID_BASEOBJECT_REL_ROTATION, 2, "R2", {{0.0, 0.0}, {0.1, 1.0}});
  LoaderHarness h;
  writeObjectTracks(h, op);
  BaseObject::Free(op);
  std::vector<std::string> names;
  for (const Block& b : blocks(h.api())) names.push_back(b.name);
  return names;
}

TEST(AnimationOrder, ComponentsAreWrittenInReverseOfTheRotationOrder) {
  EXPECT_EQ(rotationBlockOrder(ROTATIONORDER::ZYXGLOBAL),
            (std::vector<std::string>{"\"R2\"", "\"R1\"", "\"R0\""}));
  EXPECT_EQ(rotationBlockOrder(ROTATIONORDER::YXZGLOBAL),
            (std::vector<std::string>{"\"R1\"", "\"R0\"", "\"R2\""}));
  EXPECT_EQ(rotationBlockOrder(ROTATIONORDER::XZYGLOBAL),
            (std::vector<std::string>{"\"R0\"", "\"R2\"", "\"R1\""}));
}

// Matrices ------------------------------------------------------------------

// Column-vector 4x4 matrices built from the host's definitions of the axis
// rotations, independent of the SDK's matrix code.
struct M4 {
  double a[4][4];
};

M4 identity() {
  M4 m{};
  for (int i = 0; i < 4; ++i) m.a[i][i] = 1.0;
  return m;
}
M4 operator*(const M4& x, const M4& y) {
  M4 m{};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      for (int k = 0; k < 4; ++k) m.a[r][c] += x.a[r][k] * y.a[k][c];
  return m;
}
M4 move(double x, double y, double z) {
  M4 m = identity();
  m.a[0][3] = x;
  m.a[1][3] = y;
  m.a[2][3] = z;
  return m;
}
M4 scale(double x, double y, double z) {
  M4 m = identity();
  m.a[0][0] = x;
  m.a[1][1] = y;
  m.a[2][2] = z;
  return m;
}
// The host's axis rotations: about x, p' = (x, y cos w + z sin w, -y sin w + z cos w),
// and likewise about y (p' = (x cos w - z sin w, y, x sin w + z cos w)) and z.
M4 rot(int axis, double w) {
  const int i = axis == 0 ? 1 : axis == 1 ? 2 : 0;
  const int j = axis == 0 ? 2 : axis == 1 ? 0 : 1;
  M4 m = identity();
  m.a[i][i] = m.a[j][j] = std::cos(w);
  m.a[i][j] = std::sin(w);
  m.a[j][i] = -std::sin(w);
  return m;
}
M4 rotX(double w) { return rot(0, w); }
M4 rotY(double w) { return rot(1, w); }
M4 rotZ(double w) { return rot(2, w); }

void expectMatrix(const zelMatrix& got, const M4& want, const std::string& what) {
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 3; ++r)
      EXPECT_NEAR(got[c * 4 + r], want.a[r][c], 1e-9) << what << " column " << c << " row " << r;
  EXPECT_EQ(got[3], 0.0) << what;
  EXPECT_EQ(got[7], 0.0) << what;
  EXPECT_EQ(got[11], 0.0) << what;
  EXPECT_EQ(got[15], 1.0) << what;
}

const Block& find(const std::vector<Block>& all, const std::string& name) {
  for (const Block& b : all)
    if (b.name == "\"" + name + "\"") return b;
  ADD_FAILURE() << "no block " << name;
  static const Block none;
  return none;
}

// Rest transform of the animated objects below, in HPB order.
const double kH = 0.3, kP = -0.2, kB = 0.5;
const double kSx = 2.0, kSy = 3.0, kSz = 4.0;
const double kPx = 10.0, kPy = -1.0, kPz = 5.0;

BaseObject* restObject() {
  BaseObject* op = BaseObject::Alloc(Onull);
  op->SetRotationOrder(ROTATIONORDER::HPB);
  op->SetRelPos(Vector(kPx, kPy, kPz));
  op->SetRelRot(Vector(kH, kP, kB));
  op->SetRelScale(Vector(kSx, kSy, kSz));
  return op;
}

// Every track runs linearly from 0.2 at 0 s to 1.0 at 1 s (scale from 1 to 3);
// sample 15 lies at 0.5 s.
double halfwayAngle() {
  return static_cast<double>(static_cast<float>(0.6)) -
         static_cast<double>(static_cast<float>(0.2));
}

std::vector<Block> animate(BaseObject* op, bool camera) {
  addTrack(op, ID_BASEOBJECT_REL_ROTATION, 0, "H", {{0.0, 0.2}, {1.0, 1.0}});
  addTrack(op, ID_BASEOBJECT_REL_ROTATION, 1, "P", {{0.0, 0.2}, {1.0, 1.0}});
  addTrack(op, ID_BASEOBJECT_REL_ROTATION, 2, "B", {{0.0, 0.2}, {1.0, 1.0}});
  addTrack(op, ID_BASEOBJECT_REL_SCALE, 1, "SY", {{0.0, 1.0}, {1.0, 3.0}});
  addTrack(op, ID_BASEOBJECT_REL_POSITION, 0, "PX", {{0.0, 0.2}, {1.0, 1.0}});
  LoaderHarness h;
  writeObjectTracks(h, op, camera);
  BaseObject::Free(op);
  return blocks(h.api());
}

TEST(AnimationMatrices, FirstSampleIsTheIdentity) {
  for (bool camera : {false, true}) {
    const std::vector<Block> all = animate(restObject(), camera);
    ASSERT_EQ(all.size(), 5u);
    for (const Block& b : all) {
      ASSERT_FALSE(b.matrices.empty());
      expectMatrix(b.matrices[0], identity(), (camera ? "camera " : "object ") + b.name);
    }
  }
}

TEST(AnimationMatrices, PositionUnderRestPositionMovesByTheChangeOnly) {
  BaseObject* op = BaseObject::Alloc(Onull);
  op->SetRelPos(Vector(10.0, 0.0, 0.0));
  addTrack(op, ID_BASEOBJECT_REL_POSITION, 0, "PX", {{0.0, 2.0}, {1.0, 5.0}});
  LoaderHarness h;
  writeObjectTracks(h, op);
  BaseObject::Free(op);
  const std::vector<Block> all = blocks(h.api());
  ASSERT_EQ(all.size(), 1u);
  ASSERT_EQ(all[0].matrices.size(), 30u);
  // 0.5 s: value 3.5, change 1.5; last sample at 0.967 s: value 4.901.
  expectMatrix(all[0].matrices[15], move(1.5, 0, 0), "sample 15");
  const double last = static_cast<double>(static_cast<float>(4.901)) - 2.0;
  expectMatrix(all[0].matrices[29], move(last, 0, 0), "sample 29");
}

// The rest transform's parts and their inverses, and the change at sample 15.
// HPB order: heading about y, pitch about x, bank about z, bank applied first.
struct Rest {
  const double d = halfwayAngle();
  const M4 S = scale(kSx, kSy, kSz), iS = scale(1 / kSx, 1 / kSy, 1 / kSz);
  const M4 P = move(kPx, kPy, kPz), iP = move(-kPx, -kPy, -kPz);
  const M4 Rh = rotY(kH), Rp = rotX(kP), Rb = rotZ(kB);
  const M4 iRh = rotY(-kH), iRp = rotX(-kP), iRb = rotZ(-kB);
  const M4 R = Rh * Rp * Rb, iR = iRb * iRp * iRh;
};

// Object samples are conjugated with the rest transform; camera samples the other way
// round and mirrored.
TEST(AnimationMatrices, SamplesAreConjugatedWithTheRestTransform) {
  const Rest r;
  const double d = r.d;
  const M4 mirror = scale(1, 1, -1);
  const M4 &S = r.S, &iS = r.iS, &P = r.P, &iP = r.iP, &R = r.R, &iR = r.iR;
  const M4 &Rh = r.Rh, &Rp = r.Rp, &Rb = r.Rb, &iRh = r.iRh, &iRp = r.iRp, &iRb = r.iRb;

  const std::vector<Block> all = animate(restObject(), false);
  ASSERT_EQ(all.size(), 5u);
  expectMatrix(find(all, "H").matrices.at(15), iRb * iRp * iRh * iS * rotY(d) * S * Rh * Rp * Rb,
               "H");
  expectMatrix(find(all, "P").matrices.at(15), iRb * iRp * iS * rotX(d) * S * Rp * Rb, "P");
  expectMatrix(find(all, "B").matrices.at(15), iRb * iS * rotZ(d) * S * Rb, "B");
  expectMatrix(find(all, "SY").matrices.at(15), iS * scale(1, 2, 1) * S, "SY");
  expectMatrix(find(all, "PX").matrices.at(15), iP * iR * iS * move(d, 0, 0) * S * R * P, "PX");

  const std::vector<Block> cam = animate(restObject(), true);
  ASSERT_EQ(cam.size(), 5u);
  expectMatrix(find(cam, "H").matrices.at(15), mirror * P * Rh * rotY(d) * iRh * iP * mirror,
               "camera H");
  expectMatrix(find(cam, "P").matrices.at(15),
               mirror * P * Rh * Rp * rotX(d) * iRp * iRh * iP * mirror, "camera P");
  expectMatrix(find(cam, "B").matrices.at(15),
               mirror * P * Rh * Rp * Rb * rotZ(d) * iRb * iRp * iRh * iP * mirror, "camera B");
  expectMatrix(find(cam, "SY").matrices.at(15),
               mirror * P * R * S * scale(1, 2, 1) * iS * iR * iP * mirror, "camera SY");
  expectMatrix(find(cam, "PX").matrices.at(15), mirror * P * move(d, 0, 0) * iP * mirror,
               "camera PX");
}

}  // namespace
