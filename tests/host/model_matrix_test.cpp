// Matrix algebra of the host SDK against hand computations.
#include "c4d.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
constexpr double kEps = 1e-9;
const double kDeg = PI / 180.0;

void ExpectVec(const Vector& actual, double x, double y, double z, double eps = kEps)
{
  EXPECT_NEAR(actual.x, x, eps);
  EXPECT_NEAR(actual.y, y, eps);
  EXPECT_NEAR(actual.z, z, eps);
}

void ExpectMatrix(const Matrix& a, const Matrix& b, double eps = kEps)
{
  ExpectVec(a.off, b.off.x, b.off.y, b.off.z, eps);
  ExpectVec(a.sqmat.v1, b.sqmat.v1.x, b.sqmat.v1.y, b.sqmat.v1.z, eps);
  ExpectVec(a.sqmat.v2, b.sqmat.v2.x, b.sqmat.v2.y, b.sqmat.v2.z, eps);
  ExpectVec(a.sqmat.v3, b.sqmat.v3.x, b.sqmat.v3.y, b.sqmat.v3.z, eps);
}

// Single-axis rotations of a point, written out as the host's formulas.
Vector TurnX(const Vector& p, double w)
{
  return Vector(p.x, p.y * std::cos(w) + p.z * std::sin(w), -p.y * std::sin(w) + p.z * std::cos(w));
}
Vector TurnY(const Vector& p, double w)
{
  return Vector(p.x * std::cos(w) - p.z * std::sin(w), p.y, p.x * std::sin(w) + p.z * std::cos(w));
}
Vector TurnZ(const Vector& p, double w)
{
  return Vector(p.x * std::cos(w) + p.y * std::sin(w), -p.x * std::sin(w) + p.y * std::cos(w), p.z);
}
}  // namespace

TEST(Matrix, DefaultIsIdentityAndPointTransformUsesOffsetAndAxes)
{
  const Matrix id;
  ExpectMatrix(id, Matrix(Vector(0, 0, 0), Vector(1, 0, 0), Vector(0, 1, 0), Vector(0, 0, 1)));
  const Matrix m(Vector(10, 20, 30), Vector(1, 2, 0), Vector(0, 1, 0), Vector(0, 0, 2));
  // off + v1*1 + v2*2 + v3*3
  ExpectVec(m * Vector(1, 2, 3), 11, 24, 36);
  // Directions leave the offset out.
  ExpectVec(m.sqmat * Vector(1, 2, 3), 1, 4, 6);
}

TEST(Matrix, MoveAndScale)
{
  const Matrix move = MatrixMove(Vector(1, 2, 3));
  ExpectMatrix(move, Matrix(Vector(1, 2, 3), Vector(1, 0, 0), Vector(0, 1, 0), Vector(0, 0, 1)));
  const Matrix scale = MatrixScale(Vector(2, 3, 4));
  ExpectMatrix(scale, Matrix(Vector(), Vector(2, 0, 0), Vector(0, 3, 0), Vector(0, 0, 4)));
  ExpectVec(scale * Vector(1, 1, -1), 2, 3, -4);
}

TEST(Matrix, ProductMeansLeftAfterRight)
{
  const Matrix move = MatrixMove(Vector(1, 2, 3));
  const Matrix scale = MatrixScale(Vector(2, 3, 4));
  // Scale first, then move.
  ExpectVec((move * scale) * Vector(1, 1, 1), 3, 5, 7);
  // Move first, then scale.
  ExpectVec((scale * move) * Vector(1, 1, 1), 4, 9, 16);
  const Matrix ms = move * scale;
  ExpectMatrix(ms, Matrix(Vector(1, 2, 3), Vector(2, 0, 0), Vector(0, 3, 0), Vector(0, 0, 4)));
  const Matrix sm = scale * move;
  ExpectVec(sm.off, 2, 6, 12);
}

TEST(Matrix, InverseOfMoveScaleAndGeneralMatrix)
{
  ExpectMatrix(~MatrixMove(Vector(1, -2, 3)), MatrixMove(Vector(-1, 2, -3)));
  ExpectMatrix(~MatrixScale(Vector(2, 4, 8)), MatrixScale(Vector(0.5, 0.25, 0.125)));
  // A shear x' = x + y with an offset: inverse x = x' - y', offset undone.
  const Matrix shear(Vector(5, 0, 0), Vector(1, 0, 0), Vector(1, 1, 0), Vector(0, 0, 1));
  const Matrix inv = ~shear;
  ExpectMatrix(inv, Matrix(Vector(-5, 0, 0), Vector(1, 0, 0), Vector(-1, 1, 0), Vector(0, 0, 1)));
  const Matrix general = MatrixMove(Vector(3, -1, 7)) * HPBToMatrix(Vector(0.3, -1.1, 2.0), ROTATIONORDER::HPB) *
                         MatrixScale(Vector(2, 0.5, 3));
  ExpectMatrix(general * ~general, Matrix());
  ExpectMatrix(~general * general, Matrix());
}

TEST(Matrix, InverseOfSingularMatrixIsIdentity)
{
  const Matrix flat = MatrixMove(Vector(4, 5, 6)) * MatrixScale(Vector(1, 1, 0));
  ExpectMatrix(~flat, Matrix());
}

TEST(Matrix, AxisRotationsAreLeftHanded)
{
  const double w = 90 * kDeg;
  ExpectVec(MatrixRotX(w) * Vector(0, 1, 0), 0, 0, -1);
  ExpectVec(MatrixRotY(w) * Vector(1, 0, 0), 0, 0, 1);
  ExpectVec(MatrixRotZ(w) * Vector(1, 0, 0), 0, -1, 0);
  const double a = 0.7;
  const Vector p(0.3, -1.2, 2.5);
  const Vector rx = MatrixRotX(a) * p;
  const Vector ex = TurnX(p, a);
  ExpectVec(rx, ex.x, ex.y, ex.z);
  const Vector ry = MatrixRotY(a) * p;
  const Vector ey = TurnY(p, a);
  ExpectVec(ry, ey.x, ey.y, ey.z);
  const Vector rz = MatrixRotZ(a) * p;
  const Vector ez = TurnZ(p, a);
  ExpectVec(rz, ez.x, ez.y, ez.z);
}

TEST(HPBToMatrix, QuarterTurnsShowTheOrderOfAxes)
{
  // (1,0,0) turned 90 degrees about X and Y. Y then X: (0,0,1) then (0,1,0).
  const Vector xy(90 * kDeg, 90 * kDeg, 0);
  ExpectVec(HPBToMatrix(xy, ROTATIONORDER::YXZGLOBAL) * Vector(1, 0, 0), 0, 1, 0);
  // X then Y: (1,0,0) stays, then (0,0,1).
  ExpectVec(HPBToMatrix(xy, ROTATIONORDER::XYZGLOBAL) * Vector(1, 0, 0), 0, 0, 1);
  // (0,1,0) about Z then X by 90: Z gives (1,0,0), X leaves it.
  const Vector xz(90 * kDeg, 0, 90 * kDeg);
  ExpectVec(HPBToMatrix(xz, ROTATIONORDER::ZXYGLOBAL) * Vector(0, 1, 0), 1, 0, 0);
  // X first gives (0,0,-1), Z leaves it.
  ExpectVec(HPBToMatrix(xz, ROTATIONORDER::XZYGLOBAL) * Vector(0, 1, 0), 0, 0, -1);
  // HPB: heading 90 about Y turns (1,0,0) to (0,0,1).
  ExpectVec(HPBToMatrix(Vector(90 * kDeg, 0, 0), ROTATIONORDER::HPB) * Vector(1, 0, 0), 0, 0, 1);
  // Pitch 90 about X turns (0,1,0) to (0,0,-1).
  ExpectVec(HPBToMatrix(Vector(0, 90 * kDeg, 0), ROTATIONORDER::HPB) * Vector(0, 1, 0), 0, 0, -1);
}

TEST(HPBToMatrix, EveryOrderAppliesItsAxesInSequence)
{
  const Vector angles(0.4, -0.9, 1.3);
  const Vector p(1.5, -2.0, 0.75);
  struct Case
  {
    ROTATIONORDER order;
    const char* sequence;
  };
  const Case cases[] = {
    {ROTATIONORDER::YXZGLOBAL, "YXZ"}, {ROTATIONORDER::YZXGLOBAL, "YZX"}, {ROTATIONORDER::ZYXGLOBAL, "ZYX"},
    {ROTATIONORDER::ZXYGLOBAL, "ZXY"}, {ROTATIONORDER::XZYGLOBAL, "XZY"}, {ROTATIONORDER::XYZGLOBAL, "XYZ"},
  };
  for (const Case& c : cases)
  {
    Vector q = p;
    for (const char* s = c.sequence; *s; ++s)
    {
      if (*s == 'X')
        q = TurnX(q, angles.x);
      else if (*s == 'Y')
        q = TurnY(q, angles.y);
      else
        q = TurnZ(q, angles.z);
    }
    SCOPED_TRACE(c.sequence);
    const Matrix m = HPBToMatrix(angles, c.order);
    ExpectVec(m * p, q.x, q.y, q.z);
    ExpectVec(m.off, 0, 0, 0);
  }
  // HPB: bank (Z) first, then pitch (X), then heading (Y).
  const Vector hpb = TurnY(TurnX(TurnZ(p, angles.z), angles.y), angles.x);
  const Vector got = HPBToMatrix(angles, ROTATIONORDER::HPB) * p;
  ExpectVec(got, hpb.x, hpb.y, hpb.z);
  // HPB(h, p, b) equals ZXYGLOBAL of (p, h, b).
  ExpectMatrix(HPBToMatrix(angles, ROTATIONORDER::HPB),
               HPBToMatrix(Vector(angles.y, angles.x, angles.z), ROTATIONORDER::ZXYGLOBAL));
}

TEST(HPBToMatrix, ZeroAnglesAndUnknownOrders)
{
  for (Int32 order = 0; order <= 6; ++order)
    ExpectMatrix(HPBToMatrix(Vector(), ROTATIONORDER(order)), Matrix());
  const Vector angles(0.2, 0.5, -0.3);
  ExpectMatrix(HPBToMatrix(angles, ROTATIONORDER(9)), HPBToMatrix(angles, ROTATIONORDER::ZXYGLOBAL));
}

TEST(HPBToMatrix, PitchedParentMovesChildAsTheHostDoes)
{
  // Parent at (0,200,0) pitched 45 degrees; child offset (0,100,0).
  const Matrix parent = MatrixMove(Vector(0, 200, 0)) * HPBToMatrix(Vector(0, 45 * kDeg, 0), ROTATIONORDER::HPB);
  ExpectVec(parent * Vector(0, 100, 0), 0, 270.7106781, -70.7106781, 1e-6);
}
