#pragma once

#include "maxon/vec.h"

// Affine matrices of the host SDK: an offset and three axis vectors (the
// matrix columns). Transforming a point p gives off + v1*p.x + v2*p.y + v3*p.z.
namespace maxon {
// The 3x3 part: three axis vectors.
template <typename V>
struct SqMat3 {
  using ValueType = decltype(V().x);

  V v1 = V(1, 0, 0);
  V v2 = V(0, 1, 0);
  V v3 = V(0, 0, 1);

  constexpr SqMat3() = default;
  constexpr SqMat3(const V& a, const V& b, const V& c) : v1(a), v2(b), v3(c) {}

  // Transforms a direction.
  V operator*(const V& p) const { return v1 * p.x + v2 * p.y + v3 * p.z; }
  // "this after m".
  SqMat3 operator*(const SqMat3& m) const {
    return SqMat3(*this * m.v1, *this * m.v2, *this * m.v3);
  }
  SqMat3 operator*(ValueType s) const { return SqMat3(v1 * s, v2 * s, v3 * s); }
  ValueType GetDeterminant() const { return V::Dot(v1, V::Cross(v2, v3)); }
  friend bool operator==(const SqMat3& a, const SqMat3& b) {
    return a.v1 == b.v1 && a.v2 == b.v2 && a.v3 == b.v3;
  }
  friend bool operator!=(const SqMat3& a, const SqMat3& b) { return !(a == b); }
};

template <typename V>
struct Mat3 {
  using ValueType = decltype(V().x);

  V off;
  SqMat3<V> sqmat;

  constexpr Mat3() = default;
  constexpr Mat3(const V& off_in, const V& v1, const V& v2, const V& v3)
      : off(off_in), sqmat(v1, v2, v3) {}
  constexpr Mat3(const V& off_in, const SqMat3<V>& m) : off(off_in), sqmat(m) {}

  // Transforms a point (offset included).
  V operator*(const V& p) const { return off + sqmat * p; }
  // "this after m": (A * B) * p == A * (B * p).
  Mat3 operator*(const Mat3& m) const { return Mat3(off + sqmat * m.off, sqmat * m.sqmat); }
  // Scales every part, offset included.
  Mat3 operator*(ValueType s) const { return Mat3(off * s, sqmat * s); }
  // Full affine inverse; the identity when the 3x3 determinant is exactly 0.
  Mat3 operator~() const {
    const ValueType det = sqmat.GetDeterminant();
    if (det == ValueType(0)) return Mat3();
    const V& a = sqmat.v1;
    const V& b = sqmat.v2;
    const V& c = sqmat.v3;
    // Rows of the inverse are the cross products of the columns over det.
    const V r1 = V::Cross(b, c) / det;
    const V r2 = V::Cross(c, a) / det;
    const V r3 = V::Cross(a, b) / det;
    SqMat3<V> inv(V(r1.x, r2.x, r3.x), V(r1.y, r2.y, r3.y), V(r1.z, r2.z, r3.z));
    return Mat3(-(inv * off), inv);
  }
  friend bool operator==(const Mat3& a, const Mat3& b) {
    return a.off == b.off && a.sqmat == b.sqmat;
  }
  friend bool operator!=(const Mat3& a, const Mat3& b) { return !(a == b); }
};

using Matrix32 = Mat3<Vector32>;
using Matrix64 = Mat3<Vector64>;
using Matrix = Mat3<Vector>;

}  // namespace maxon
