// Matrix algebra of the host SDK against hand computations.
#include "c4d.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
constexpr double kEps = 1e-9;
const double kDeg = PI / 180.0;

void ExpectVec(const Vector& actual, double x, double y, double z) {
  EXPECT_NEAR(actual.x, x, kEps);
  EXPECT_NEAR(actual.y, y, kEps);
  EXPECT_NEAR(actual.z, z, kEps);
}

void ExpectVec(const Vector& actual, const Vector& expected) {
  ExpectVec(actual, expected.x, expected.y, expected.z);
}

void ExpectMatrix(const Matrix& a, const Matrix& b) {
  ExpectVec(a.off, b.off);
  ExpectVec(a.sqmat.v1, b.sqmat.v1);
  ExpectVec(a.sqmat.v2, b.sqmat.v2);
  ExpectVec(a.sqmat.v3, b.sqmat.v3);
}

// Single-axis rotations of a point, written out as the host's formulas.
Vector TurnX(const Vector& p, double w) {
  return Vector(p.x, p.y * std::cos(w) + p.z * std::sin(w), -p.y * std::sin(w) + p.z * std::cos(w));
}
Vector TurnY(const Vector& p, double w) {
  return Vector(p.x * std::cos(w) - p.z * std::sin(w), p.y, p.x * std::sin(w) + p.z * std::cos(w));
}
Vector TurnZ(const Vector& p, double w) {
  return Vector(p.x * std::cos(w) + p.y * std::sin(w), -p.x * std::sin(w) + p.y * std::cos(w), p.z);
}
}  // namespace

TEST(Matrix, PointTransformMoveScaleAndProducts) {
  ExpectMatrix(Matrix(),
               Matrix(Vector(0, 0, 0), Vector(1, 0, 0), Vector(0, 1, 0), Vector(0, 0, 1)));
  const Matrix m(Vector(10, 20, 30), Vector(1, 2, 0), Vector(0, 1, 0), Vector(0, 0, 2));
  ExpectVec(m * Vector(1, 2, 3), 11, 24, 36);     // off + v1*1 + v2*2 + v3*3
  ExpectVec(m.sqmat * Vector(1, 2, 3), 1, 4, 6);  // directions leave the offset out

  const Matrix move = MatrixMove(Vector(1, 2, 3));
  const Matrix scale = MatrixScale(Vector(2, 3, 4));
  ExpectMatrix(move, Matrix(Vector(1, 2, 3), Vector(1, 0, 0), Vector(0, 1, 0), Vector(0, 0, 1)));
  ExpectMatrix(scale, Matrix(Vector(), Vector(2, 0, 0), Vector(0, 3, 0), Vector(0, 0, 4)));
  // The left factor applies after the right one.
  ExpectMatrix(move * scale,
               Matrix(Vector(1, 2, 3), Vector(2, 0, 0), Vector(0, 3, 0), Vector(0, 0, 4)));
  ExpectVec((scale * move) * Vector(1, 1, 1), 4, 9, 16);
}

TEST(Matrix, Inverses) {
  ExpectMatrix(~MatrixMove(Vector(1, -2, 3)), MatrixMove(Vector(-1, 2, -3)));
  ExpectMatrix(~MatrixScale(Vector(2, 4, 8)), MatrixScale(Vector(0.5, 0.25, 0.125)));
  // A shear x' = x + y with an offset: inverse x = x' - y', offset undone.
  const Matrix shear(Vector(5, 0, 0), Vector(1, 0, 0), Vector(1, 1, 0), Vector(0, 0, 1));
  ExpectMatrix(~shear,
               Matrix(Vector(-5, 0, 0), Vector(1, 0, 0), Vector(-1, 1, 0), Vector(0, 0, 1)));
  const Matrix general = MatrixMove(Vector(3, -1, 7)) *
                         HPBToMatrix(Vector(0.3, -1.1, 2.0), ROTATIONORDER::HPB) *
                         MatrixScale(Vector(2, 0.5, 3));
  ExpectMatrix(general * ~general, Matrix());
  ExpectMatrix(~general * general, Matrix());
  // A singular matrix has no inverse: the identity stands in.
  ExpectMatrix(~(MatrixMove(Vector(4, 5, 6)) * MatrixScale(Vector(1, 1, 0))), Matrix());
}

TEST(Rotation, QuarterTurnsAreLeftHandedAndShowTheOrderOfAxes) {
  const double q = 90 * kDeg;
  ExpectVec(MatrixRotX(q) * Vector(0, 1, 0), 0, 0, -1);
  ExpectVec(MatrixRotY(q) * Vector(1, 0, 0), 0, 0, 1);
  ExpectVec(MatrixRotZ(q) * Vector(1, 0, 0), 0, -1, 0);
  // (1,0,0) by 90 about X and Y. Y then X: (0,0,1) then (0,1,0). X then Y: stays, then (0,0,1).
  ExpectVec(HPBToMatrix(Vector(q, q, 0), ROTATIONORDER::YXZGLOBAL) * Vector(1, 0, 0), 0, 1, 0);
  ExpectVec(HPBToMatrix(Vector(q, q, 0), ROTATIONORDER::XYZGLOBAL) * Vector(1, 0, 0), 0, 0, 1);
  // (0,1,0) by 90 about X and Z. Z then X: (1,0,0), kept. X then Z: (0,0,-1), kept.
  ExpectVec(HPBToMatrix(Vector(q, 0, q), ROTATIONORDER::ZXYGLOBAL) * Vector(0, 1, 0), 1, 0, 0);
  ExpectVec(HPBToMatrix(Vector(q, 0, q), ROTATIONORDER::XZYGLOBAL) * Vector(0, 1, 0), 0, 0, -1);
  // HPB: heading turns about Y, pitch about X.
  ExpectVec(HPBToMatrix(Vector(q, 0, 0), ROTATIONORDER::HPB) * Vector(1, 0, 0), 0, 0, 1);
  ExpectVec(HPBToMatrix(Vector(0, q, 0), ROTATIONORDER::HPB) * Vector(0, 1, 0), 0, 0, -1);
}

TEST(Rotation, EveryOrderAppliesItsAxesInSequence) {
  const Vector angles(0.4, -0.9, 1.3);
  const Vector p(1.5, -2.0, 0.75);
  struct Case {
    ROTATIONORDER order;
    const char* sequence;
  };
  const Case cases[] = {
      {ROTATIONORDER::YXZGLOBAL, "YXZ"}, {ROTATIONORDER::YZXGLOBAL, "YZX"},
      {ROTATIONORDER::ZYXGLOBAL, "ZYX"}, {ROTATIONORDER::ZXYGLOBAL, "ZXY"},
      {ROTATIONORDER::XZYGLOBAL, "XZY"}, {ROTATIONORDER::XYZGLOBAL, "XYZ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sequence);
    Vector q = p;
    for (const char* s = c.sequence; *s; ++s)
      q = *s == 'X' ? TurnX(q, angles.x) : *s == 'Y' ? TurnY(q, angles.y) : TurnZ(q, angles.z);
    const Matrix m = HPBToMatrix(angles, c.order);
    ExpectVec(m * p, q);
    ExpectVec(m.off, 0, 0, 0);
  }
  // HPB: bank (Z) first, then pitch (X), then heading (Y).
  ExpectVec(HPBToMatrix(angles, ROTATIONORDER::HPB) * p,
            TurnY(TurnX(TurnZ(p, angles.z), angles.y), angles.x));
  // An order the host does not have reads as ZXYGLOBAL.
  ExpectMatrix(HPBToMatrix(angles, ROTATIONORDER(9)),
               HPBToMatrix(angles, ROTATIONORDER::ZXYGLOBAL));
}

// Decomposing gives angles that rebuild the matrix, in every order, also at the poles
// (middle angle +-90 degrees) and with scaled axes; HPB keeps the host's ranges.
TEST(Rotation, MatrixToHPBRebuildsTheMatrixInEveryOrder) {
  const Vector angleSets[] = {Vector(0.4, -0.9, 1.3), Vector(-2.5, 0.3, -3.0),
                              Vector(0.7, PI / 2, 0.2), Vector(0.7, -PI / 2, -1.1),
                              Vector(PI / 2, PI / 2, 0.5)};
  for (Int32 order = 0; order <= 6; ++order) {
    for (const Vector& angles : angleSets) {
      SCOPED_TRACE("order " + std::to_string(order) + " angles " + std::to_string(angles.x) + " " +
                   std::to_string(angles.y) + " " + std::to_string(angles.z));
      const Matrix m = HPBToMatrix(angles, ROTATIONORDER(order));
      const Vector back = MatrixToHPB(m * MatrixScale(Vector(2.0, 3.0, 0.5)), ROTATIONORDER(order));
      ExpectMatrix(HPBToMatrix(back, ROTATIONORDER(order)), m);
      if (order == 6) {
        EXPECT_GE(back.x, 0.0);
        EXPECT_LT(back.x, 2 * PI);
        EXPECT_LE(std::abs(back.y), PI / 2 + kEps);
      }
    }
  }
  ExpectVec(
      MatrixToHPB(HPBToMatrix(Vector(-0.5, 0.25, 0.0), ROTATIONORDER::HPB), ROTATIONORDER::HPB),
      2 * PI - 0.5, 0.25, 0.0);
}
