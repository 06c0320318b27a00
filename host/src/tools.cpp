#include "c4d_tools.h"

#include <cmath>

Matrix MatrixMove(const Vector& t) {
  Matrix m;
  m.off = t;
  return m;
}

Matrix MatrixScale(const Vector& s) {
  Matrix m;
  m.sqmat.v1 = Vector(s.x, 0.0, 0.0);
  m.sqmat.v2 = Vector(0.0, s.y, 0.0);
  m.sqmat.v3 = Vector(0.0, 0.0, s.z);
  return m;
}

Matrix MatrixScale(Float s) { return MatrixScale(Vector(s, s, s)); }

Matrix MatrixRotX(Float w) {
  const Float c = std::cos(w);
  const Float s = std::sin(w);
  return Matrix(Vector(), Vector(1.0, 0.0, 0.0), Vector(0.0, c, -s), Vector(0.0, s, c));
}

Matrix MatrixRotY(Float w) {
  const Float c = std::cos(w);
  const Float s = std::sin(w);
  return Matrix(Vector(), Vector(c, 0.0, s), Vector(0.0, 1.0, 0.0), Vector(-s, 0.0, c));
}

Matrix MatrixRotZ(Float w) {
  const Float c = std::cos(w);
  const Float s = std::sin(w);
  return Matrix(Vector(), Vector(c, -s, 0.0), Vector(s, c, 0.0), Vector(0.0, 0.0, 1.0));
}

Matrix HPBToMatrix(const Vector& hpb, ROTATIONORDER rot_order) {
  if (hpb.IsZero()) return Matrix();
  const Matrix rx = MatrixRotX(hpb.x);
  const Matrix ry = MatrixRotY(hpb.y);
  const Matrix rz = MatrixRotZ(hpb.z);
  // The rightmost factor acts first on a point.
  switch (rot_order) {
    case ROTATIONORDER::YXZGLOBAL:
      return rz * rx * ry;
    case ROTATIONORDER::YZXGLOBAL:
      return rx * rz * ry;
    case ROTATIONORDER::ZYXGLOBAL:
      return rx * ry * rz;
    case ROTATIONORDER::XZYGLOBAL:
      return ry * rz * rx;
    case ROTATIONORDER::XYZGLOBAL:
      return rz * ry * rx;
    case ROTATIONORDER::HPB:
      // Heading about Y, pitch about X, bank about Z; bank acts first.
      return MatrixRotY(hpb.x) * MatrixRotX(hpb.y) * MatrixRotZ(hpb.z);
    case ROTATIONORDER::ZXYGLOBAL:
    default:
      return ry * rx * rz;
  }
}
