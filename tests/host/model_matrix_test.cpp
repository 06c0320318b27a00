// Matrix algebra and rotation orders of the host SDK against the host's own formulas.
#include "c4d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {
void ExpectVec(const Vector& a, const Vector& b) {
  EXPECT_NEAR(a.x, b.x, 1e-9);
  EXPECT_NEAR(a.y, b.y, 1e-9);
  EXPECT_NEAR(a.z, b.z, 1e-9);
}

void ExpectMatrix(const Matrix& a, const Matrix& b) {
  ExpectVec(a.off, b.off);
  ExpectVec(a.sqmat.v1, b.sqmat.v1);
  ExpectVec(a.sqmat.v2, b.sqmat.v2);
  ExpectVec(a.sqmat.v3, b.sqmat.v3);
}

// A turn of a point about one axis, written out as the host's formula.
Vector Turn(char axis, const Vector& p, double w) {
  const double c = std::cos(w), s = std::sin(w);
  if (axis == 'X') return Vector(p.x, p.y * c + p.z * s, -p.y * s + p.z * c);
  if (axis == 'Y') return Vector(p.x * c - p.z * s, p.y, p.x * s + p.z * c);
  return Vector(p.x * c + p.y * s, -p.x * s + p.y * c, p.z);
}
}  // namespace

TEST(Matrix, ProductsApplyTheRightFactorFirstAndInvert) {
  const Matrix m(Vector(10, 20, 30), Vector(1, 2, 0), Vector(0, 1, 0), Vector(0, 0, 2));
  ExpectVec(m * Vector(1, 2, 3), Vector(11, 24, 36));     // off + v1*1 + v2*2 + v3*3
  ExpectVec(m.sqmat * Vector(1, 2, 3), Vector(1, 4, 6));  // directions leave the offset out
  const Matrix move = MatrixMove(Vector(1, 2, 3));
  const Matrix scale = MatrixScale(Vector(2, 3, 4));
  ExpectVec((move * scale) * Vector(1, 1, 1), Vector(3, 5, 7));
  ExpectVec((scale * move) * Vector(1, 1, 1), Vector(4, 9, 16));
  // A shear x' = x + y with an offset: the inverse is x = x' - y', the offset undone.
  const Matrix shear(Vector(5, 0, 0), Vector(1, 0, 0), Vector(1, 1, 0), Vector(0, 0, 1));
  ExpectMatrix(~shear,
               Matrix(Vector(-5, 0, 0), Vector(1, 0, 0), Vector(-1, 1, 0), Vector(0, 0, 1)));
  const Matrix general = move * HPBToMatrix(Vector(0.3, -1.1, 2.0), ROTATIONORDER::HPB) * scale;
  ExpectMatrix(general * ~general, Matrix());
  // A singular matrix has no inverse: the identity stands in.
  ExpectMatrix(~(move * MatrixScale(Vector(1, 1, 0))), Matrix());
}

// Quarter turns pin the handedness of the formulas; every order then applies its axes in
// sequence, heading-pitch-bank being bank (Z) first, then pitch (X), then heading (Y).
TEST(Rotation, EveryOrderAppliesItsAxesInSequence) {
  ExpectVec(MatrixRotX(PI / 2) * Vector(0, 1, 0), Vector(0, 0, -1));
  ExpectVec(MatrixRotY(PI / 2) * Vector(1, 0, 0), Vector(0, 0, 1));
  ExpectVec(MatrixRotZ(PI / 2) * Vector(1, 0, 0), Vector(0, -1, 0));
  const Vector angles(0.4, -0.9, 1.3);
  const Vector p(1.5, -2.0, 0.75);
  const struct {
    ROTATIONORDER order;
    const char* sequence;
  } cases[] = {
      {ROTATIONORDER::YXZGLOBAL, "YXZ"}, {ROTATIONORDER::YZXGLOBAL, "YZX"},
      {ROTATIONORDER::ZYXGLOBAL, "ZYX"}, {ROTATIONORDER::ZXYGLOBAL, "ZXY"},
      {ROTATIONORDER::XZYGLOBAL, "XZY"}, {ROTATIONORDER::XYZGLOBAL, "XYZ"},
      {ROTATIONORDER::HPB, "ZXY"},  // angles (H, P, B) about (Y, X, Z)
      {ROTATIONORDER(9), "ZXY"},    // an order the host does not have reads as ZXYGLOBAL
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sequence);
    const bool hpb = c.order == ROTATIONORDER::HPB;
    Vector q = p;
    for (const char* s = c.sequence; *s; ++s) {
      const double w = *s == 'Z' ? angles.z : (*s == 'X') != hpb ? angles.x : angles.y;
      q = Turn(*s, q, w);
    }
    const Matrix m = HPBToMatrix(angles, c.order);
    ExpectVec(m * p, q);
    ExpectVec(m.off, Vector());
  }
}

// Decomposing gives angles that rebuild the matrix, in every order, also at the poles
// (middle angle +-90 degrees) and with scaled axes; heading-pitch-bank keeps the host's ranges.
TEST(Rotation, MatrixToHPBRebuildsTheMatrixInEveryOrder) {
  const Vector angleSets[] = {Vector(0.4, -0.9, 1.3), Vector(-2.5, 0.3, -3.0),
                              Vector(0.7, PI / 2, 0.2), Vector(0.7, -PI / 2, -1.1)};
  for (Int32 order = 0; order <= 6; ++order) {
    for (const Vector& a : angleSets) {
      SCOPED_TRACE("order " + std::to_string(order) + ", angles " + std::to_string(a.x) + " " +
                   std::to_string(a.y) + " " + std::to_string(a.z));
      const Matrix m = HPBToMatrix(a, ROTATIONORDER(order));
      const Vector back = MatrixToHPB(m * MatrixScale(Vector(2, 3, 0.5)), ROTATIONORDER(order));
      ExpectMatrix(HPBToMatrix(back, ROTATIONORDER(order)), m);
    }
  }
  ExpectVec(MatrixToHPB(HPBToMatrix(Vector(-0.5, 0.25, 0), ROTATIONORDER::HPB), ROTATIONORDER::HPB),
            Vector(2 * PI - 0.5, 0.25, 0));
}
