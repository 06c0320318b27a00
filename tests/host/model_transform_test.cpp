// Matrices, rotation orders and the matrices of objects and texture tags, by the host's formulas.
#include "c4d.h"
#include "host_test_checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {
const double kDeg = PI / 180.0;

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

BaseObject* AddObject(BaseDocument* doc, Int32 type, BaseObject* parent = nullptr) {
  BaseObject* op = BaseObject::Alloc(type);
  doc->InsertObject(op, parent, nullptr);
  return op;
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
  }
}

// Decomposing gives angles that rebuild the matrix, also at the poles (pitch +-90 degrees) and
// with scaled axes, in the host's ranges. (Models are turned in heading-pitch-bank only.)
TEST(Rotation, MatrixToHPBRebuildsTheMatrix) {
  for (const Vector& a : {Vector(0.4, -0.9, 1.3), Vector(-2.5, 0.3, -3.0), Vector(0.7, PI / 2, 0.2),
                          Vector(0.7, -PI / 2, -1.1)}) {
    SCOPED_TRACE(testing::Message() << "angles " << a.x << " " << a.y << " " << a.z);
    const Matrix m = HPBToMatrix(a, ROTATIONORDER::HPB);
    const Vector back = MatrixToHPB(m * MatrixScale(Vector(2, 3, 0.5)), ROTATIONORDER::HPB);
    ExpectMatrix(HPBToMatrix(back, ROTATIONORDER::HPB), m);
  }
  ExpectVec(MatrixToHPB(HPBToMatrix(Vector(-0.5, 0.25, 0), ROTATIONORDER::HPB), ROTATIONORDER::HPB),
            Vector(2 * PI - 0.5, 0.25, 0));
}

TEST(ObjectMatrices, LocalMatricesUseTheirOwnRotationOrder) {
  AutoAlloc<BaseDocument> doc;
  BaseObject* op = AddObject(doc, Onull);
  op->SetRelPos(Vector(10, 0, 0));
  op->SetRelRot(Vector(90 * kDeg, 90 * kDeg, 0));
  op->SetRelScale(Vector(2, 2, 2));
  // Heading-pitch-bank: (1,0,0) scaled to (2,0,0), pitch leaves it, heading turns it to (0,0,2).
  ExpectVec(op->GetMl() * Vector(1, 0, 0), Vector(10, 0, 2));
  // The same angles as X=90, Y=90 in order YXZ (parameter value 0): Y first gives (0,0,2),
  // then X (0,2,0).
  EXPECT_TRUE(op->SetParameter(DescID(ID_BASEOBJECT_ROTATION_ORDER), GeData(Int32(0)),
                               DESCFLAGS_SET::NONE));
  ExpectVec(op->GetMl() * Vector(1, 0, 0), Vector(10, 2, 0));

  // A texture tag's size scales first, then its rotation (heading 90) turns, then it moves.
  TextureTag* tag = static_cast<TextureTag*>(op->MakeTag(Ttexture));
  tag->SetParameter(DescID(TEXTURETAG_POSITION), GeData(Vector(1, 2, 3)), DESCFLAGS_SET::NONE);
  tag->SetParameter(DescID(TEXTURETAG_ROTATION), GeData(Vector(90 * kDeg, 0, 0)),
                    DESCFLAGS_SET::NONE);
  tag->SetParameter(DescID(TEXTURETAG_SIZE), GeData(Vector(2, 3, 4)), DESCFLAGS_SET::NONE);
  ExpectVec(tag->GetMl() * Vector(1, 0, 0), Vector(1, 2, 5));
  ExpectVec(tag->GetMl() * Vector(0, 1, 0), Vector(1, 5, 3));
}

TEST(ObjectMatrices, GlobalMatricesMultiplyDownTheTree) {
  AutoAlloc<BaseDocument> doc;
  BaseObject* parent = AddObject(doc, Ocube);
  BaseObject* child = AddObject(doc, Onull, parent);
  BaseObject* grandchild = AddObject(doc, Onull, child);
  // The host's own example: P = 45 degrees at (0,200,0) moves (0,100,0) to (0,270.7,-70.7).
  parent->SetRelPos(Vector(0, 200, 0));
  parent->SetRelRot(Vector(0, 45 * kDeg, 0));
  child->SetRelPos(Vector(0, 100, 0));
  child->SetRelScale(Vector(2, 2, 2));
  grandchild->SetRelPos(Vector(0, 10, 0));
  const double y = 270.7106781186548, z = -70.71067811865476, d = 14.142135623730951;
  ExpectVec(child->GetMg().off, Vector(0, y, z));
  ExpectVec(grandchild->GetMg().off, Vector(0, y + d, z - d));  // 10 along the scaled y axis
}
