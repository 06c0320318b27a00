// Keyframed tracks are baked into matrices sampled 30 times a second, each the change since the
// first key seen from the scene's frame, read back from their text form (six digits).
#include "document_builders.h"
#include "scene_capture.h"

#include "c4dhost_runtime.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace plugin_test;

struct Block {
  std::string track;
  std::string folder;
  double startTime = 0.0;
  double duration = 0.0;
  std::vector<double> matrices;  // sixteen numbers a sample
  std::vector<double> timestamps;
  const double* matrix(size_t sample) const { return &matrices.at(16 * sample); }
};

// The blocks of the object's tracks relative to its rest transform, as the traversal writes
// them. Frees the object.
std::vector<Block> blocksOf(BaseObject* op, bool camera = false) {
  Capture capture;
  capture.loader.writeAnimation("Obj", op, op->GetRelPos(), op->GetRelRot(), op->GetRotationOrder(),
                                op->GetRelScale(), camera);
  BaseObject::Free(op);
  const svb::Scene scene = capture.scene();
  std::vector<Block> out;
  for (const svb::Node* n : nodesOf(scene, svb::NodeKind::Animation)) {
    Block b;
    b.track = n->names.at(1);
    b.folder = valueOf(*n, "folder").text;
    b.startTime = valueOf(*n, "start_time").number();
    b.duration = valueOf(*n, "duration").number();
    b.matrices = valueOf(*n, "matrices").array().numbers;
    b.timestamps = valueOf(*n, "timestamps").array().numbers;
    EXPECT_EQ(b.matrices.size(), 16 * b.timestamps.size()) << b.track;
    out.push_back(b);
  }
  return out;
}

// Samples every 1/30 s from the first key to just before the last, timestamps in whole
// milliseconds; where a step no longer moves a float time, one sample, start time saturated.
TEST(AnimationSampling, CountsAndTimestamps) {
  const struct {
    double t0, t1;
    size_t count;
    double startTime;
    double duration;  // 0: not checked
    std::vector<double> head;
    double last;
  } cases[] = {
      {0.0, 1.0, 30, 0, 1, {0, 33, 66, 100, 133, 166}, 966},
      {0.0, 2.0, 61, 0, 2, {0, 33, 66}, 1999},
      {1.5, 3.0, 46, 1, 1.5, {0, 33, 66, 99}, 1499},
      {3e9, 4e9, 1, 2147483647, 0, {0}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "keys at " << c.t0 << " and " << c.t1);
    BaseObject* op = BaseObject::Alloc(Onull);
    addTrack(op, ID_BASEOBJECT_REL_POSITION, 0, "X", {{c.t0, 0.0}, {c.t1, 1.0}});
    const std::vector<Block> all = blocksOf(op);
    ASSERT_EQ(all.size(), 1u);
    const Block& b = all[0];
    EXPECT_EQ(b.track + " " + b.folder, "X Obj/Position");
    EXPECT_EQ(b.startTime, c.startTime);
    if (c.duration != 0) {
      EXPECT_EQ(b.duration, c.duration);
    }
    ASSERT_EQ(b.timestamps.size(), c.count);
    EXPECT_EQ(std::vector<double>(b.timestamps.begin(), b.timestamps.begin() + long(c.head.size())),
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
  EXPECT_TRUE(blocksOf(op).empty());
  ASSERT_EQ(c4dhost::Messages().size(), 1u);
  // About 30 samples a second until a float time stops moving by 1/30 s, near 2^20 s.
  const std::string& warning = c4dhost::Messages()[0].text;
  EXPECT_THAT(warning, testing::StartsWith("Warning: the Scale track \"long\" of \"Obj\" (keys "
                                           "from 0 s to 1e+06 s) would need 2"));
  EXPECT_THAT(warning,
              testing::EndsWith(" samples; tracks of more than 1048576 samples are left out."));
}

// The blocks of the three rotation tracks come in the reverse of the rotation order.
TEST(AnimationSampling, RotationBlocksInReverseOfTheRotationOrder) {
  const struct {
    ROTATIONORDER order;
    std::vector<std::string> tracks;
  } cases[] = {{ROTATIONORDER::ZYXGLOBAL, {"R2", "R1", "R0"}},
               {ROTATIONORDER::YXZGLOBAL, {"R1", "R0", "R2"}},
               {ROTATIONORDER::XZYGLOBAL, {"R0", "R2", "R1"}}};
  for (const auto& c : cases) {
    BaseObject* op = BaseObject::Alloc(Onull);
    op->SetRotationOrder(c.order);
    for (const char* r : {"R0", "R1", "R2"})
      addTrack(op, ID_BASEOBJECT_REL_ROTATION, r[1] - '0', r, {{0.0, 0.0}, {0.1, 1.0}});
    std::vector<std::string> tracks;
    for (const Block& b : blocksOf(op)) tracks.push_back(b.track);
    EXPECT_EQ(tracks, c.tracks);
  }
}

// Column-vector 4x4 matrices from the host's definitions of the axis rotations, independent of
// the SDK's matrix code.
struct M4 {
  double a[4][4];
};

M4 scale(double x, double y, double z) {
  return M4{{{x, 0, 0, 0}, {0, y, 0, 0}, {0, 0, z, 0}, {0, 0, 0, 1}}};
}
M4 move(double x, double y, double z) {
  return M4{{{1, 0, 0, x}, {0, 1, 0, y}, {0, 0, 1, z}, {0, 0, 0, 1}}};
}
M4 identity() { return scale(1, 1, 1); }
M4 operator*(const M4& x, const M4& y) {
  M4 m{};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      for (int k = 0; k < 4; ++k) m.a[r][c] += x.a[r][k] * y.a[k][c];
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

// Column-major, translation in elements 12 to 14; within what six digits keep.
void expectMatrix(const double* got, const M4& want, const std::string& what) {
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r)
      EXPECT_NEAR(got[c * 4 + r], want.a[r][c], 1e-5 * std::max(1.0, std::fabs(want.a[r][c])))
          << what << " column " << c << " row " << r;
}

// Rest transform of the animated objects below, in HPB order.
const double kH = 0.3, kP = -0.2, kB = 0.5;
const double kSx = 2.0, kSy = 3.0, kSz = 4.0;
const double kPx = 10.0, kPy = -1.0, kPz = 5.0;

// Tracks from 0.2 at 0 s to 1.0 at 1 s (scale 1 to 3) on an object at rest in the transform
// above; sample 15 lies at 0.5 s.
std::vector<Block> animate(bool camera) {
  BaseObject* op = BaseObject::Alloc(Onull);
  op->SetRotationOrder(ROTATIONORDER::HPB);
  op->SetRelPos(Vector(kPx, kPy, kPz));
  op->SetRelRot(Vector(kH, kP, kB));
  op->SetRelScale(Vector(kSx, kSy, kSz));
  addTrack(op, ID_BASEOBJECT_REL_ROTATION, 0, "H", {{0.0, 0.2}, {1.0, 1.0}});
  addTrack(op, ID_BASEOBJECT_REL_ROTATION, 1, "P", {{0.0, 0.2}, {1.0, 1.0}});
  addTrack(op, ID_BASEOBJECT_REL_ROTATION, 2, "B", {{0.0, 0.2}, {1.0, 1.0}});
  addTrack(op, ID_BASEOBJECT_REL_SCALE, 1, "SY", {{0.0, 1.0}, {1.0, 3.0}});
  addTrack(op, ID_BASEOBJECT_REL_POSITION, 0, "PX", {{0.0, 0.2}, {1.0, 1.0}});
  std::vector<Block> all = blocksOf(op, camera);
  EXPECT_EQ(all.size(), 5u);
  return all;
}

const Block& find(const std::vector<Block>& all, const std::string& track) {
  for (const Block& b : all)
    if (b.track == track) return b;
  ADD_FAILURE() << "no block " << track;
  static const Block none{"", "", 0, 0, std::vector<double>(16 * 16), {}};
  return none;
}

// The first sample is the identity; later object samples are conjugated with the rest transform,
// camera samples the other way round and mirrored. HPB: heading about y, pitch about x, bank
// about z, bank applied first.
TEST(AnimationMatrices, SamplesAreConjugatedWithTheRestTransform) {
  const double d = static_cast<double>(static_cast<float>(0.6)) -
                   static_cast<double>(static_cast<float>(0.2));  // change at 0.5 s
  const M4 mirror = scale(1, 1, -1);
  const M4 S = scale(kSx, kSy, kSz), iS = scale(1 / kSx, 1 / kSy, 1 / kSz);
  const M4 P = move(kPx, kPy, kPz), iP = move(-kPx, -kPy, -kPz);
  const M4 Rh = rotY(kH), Rp = rotX(kP), Rb = rotZ(kB);
  const M4 iRh = rotY(-kH), iRp = rotX(-kP), iRb = rotZ(-kB);
  const M4 R = Rh * Rp * Rb, iR = iRb * iRp * iRh;

  const std::vector<Block> all = animate(false);
  for (const Block& b : all) expectMatrix(b.matrix(0), identity(), b.track + " first");
  expectMatrix(find(all, "H").matrix(15), iRb * iRp * iRh * iS * rotY(d) * S * Rh * Rp * Rb, "H");
  expectMatrix(find(all, "P").matrix(15), iRb * iRp * iS * rotX(d) * S * Rp * Rb, "P");
  expectMatrix(find(all, "B").matrix(15), iRb * iS * rotZ(d) * S * Rb, "B");
  expectMatrix(find(all, "SY").matrix(15), iS * scale(1, 2, 1) * S, "SY");
  expectMatrix(find(all, "PX").matrix(15), iP * iR * iS * move(d, 0, 0) * S * R * P, "PX");

  const std::vector<Block> cam = animate(true);
  for (const Block& b : cam) expectMatrix(b.matrix(0), identity(), "camera " + b.track + " first");
  EXPECT_EQ(find(cam, "H").folder, "Obj/Camera Rotation");
  EXPECT_EQ(find(cam, "SY").folder, "Obj/Camera Scale");
  EXPECT_EQ(find(cam, "PX").folder, "Obj/Camera Position");
  expectMatrix(find(cam, "H").matrix(15), mirror * P * Rh * rotY(d) * iRh * iP * mirror,
               "camera H");
  expectMatrix(find(cam, "P").matrix(15), mirror * P * Rh * Rp * rotX(d) * iRp * iRh * iP * mirror,
               "camera P");
  expectMatrix(find(cam, "B").matrix(15),
               mirror * P * Rh * Rp * Rb * rotZ(d) * iRb * iRp * iRh * iP * mirror, "camera B");
  expectMatrix(find(cam, "SY").matrix(15),
               mirror * P * R * S * scale(1, 2, 1) * iS * iR * iP * mirror, "camera SY");
  expectMatrix(find(cam, "PX").matrix(15), mirror * P * move(d, 0, 0) * iP * mirror, "camera PX");
}

}  // namespace
