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

namespace {

Float ClampedAcos(Float v) { return std::acos(v < -1.0 ? -1.0 : (v > 1.0 ? 1.0 : v)); }

// The host's own decomposition for heading, pitch and bank.
Vector MatrixToHPBAngles(const Vector& v1, const Vector& v3) {
  const Float l = std::sqrt(v3.x * v3.x + v3.z * v3.z);
  Float h = 0.0;
  Float p = 0.0;
  Float b = 0.0;
  if (l < 1e-5) {
    b = ClampedAcos(v1.x);
    if (v3.y > 0.0) {
      p = PI / 2.0;
      if (v1.z < 0.0) b = 2.0 * PI - b;
    } else {
      p = -PI / 2.0;
      if (v1.z > 0.0) b = 2.0 * PI - b;
    }
    return Vector(h, p, b);
  }
  h = v3.z > 0.0 ? -std::asin(v3.x / l) : PI + std::asin(v3.x / l);
  if (h < 0.0) h += 2.0 * PI;
  p = std::atan(v3.y / l);
  b = ClampedAcos(Vector::Dot(v1, Vector(std::cos(h), 0.0, std::sin(h))));
  if (v1.y > 0.0) b = 2.0 * PI - b;
  return Vector(h, p, b);
}

}  // namespace

Vector MatrixToHPB(const Matrix& m, ROTATIONORDER rot_order) {
  const Vector axes[3] = {m.sqmat.v1.GetNormalized(), m.sqmat.v2.GetNormalized(),
                          m.sqmat.v3.GetNormalized()};
  if (rot_order == ROTATIONORDER::HPB) return MatrixToHPBAngles(axes[0], axes[2]);
  // The axes in the order they act on a point (first, second, third), per order 0..5.
  static const int kAxes[6][3] = {{1, 0, 2}, {1, 2, 0}, {2, 1, 0}, {2, 0, 1}, {0, 2, 1}, {0, 1, 2}};
  const auto order = static_cast<Int32>(rot_order);
  const int* axis = kAxes[order >= 0 && order < 6 ? order : 3];
  const int i = axis[0];
  const int j = axis[1];
  const int k = axis[2];
  // Row r, column c of the rotation; the host's rotations turn by the negative
  // angle of the textbook ones, whose decomposition this is.
  auto at = [&](int r, int c) { return axes[c][r]; };
  const Float s = (j - i + 3) % 3 == 1 ? 1.0 : -1.0;  // cyclic axis order or not
  const Float sinMiddle = -s * at(k, i);
  Float first = 0.0;
  Float middle = std::asin(sinMiddle < -1.0 ? -1.0 : (sinMiddle > 1.0 ? 1.0 : sinMiddle));
  Float last = 0.0;
  if (std::abs(sinMiddle) < 1.0 - 1e-7) {
    first = std::atan2(s * at(k, j), at(k, k));
    last = std::atan2(s * at(j, i), at(i, i));
  } else {
    first = std::atan2(-s * at(j, k), at(j, j));
  }
  Vector angles;
  angles[i] = -first;
  angles[j] = -middle;
  angles[k] = -last;
  return angles;
}
