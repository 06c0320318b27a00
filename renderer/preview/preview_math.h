// Vectors and matrices of the preview renderer, in the scene's own conventions.
#pragma once

#include <algorithm>
#include <cmath>

namespace svb_preview {

inline constexpr double kPi = 3.14159265358979323846;

struct Vec3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 operator*(Vec3 a, Vec3 b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }
inline double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(Vec3 a) { return std::sqrt(dot(a, a)); }
// The unit vector along `a`; `a` itself when it has no length.
inline Vec3 normalize(Vec3 a) {
  const double l = length(a);
  return l > 0.0 ? a * (1.0 / l) : a;
}

// An axis-aligned box; empty() until a point was added. Points with an infinite or
// NaN coordinate are passed over: they can be drawn nowhere.
struct Bounds {
  Vec3 low{1e300, 1e300, 1e300};
  Vec3 high{-1e300, -1e300, -1e300};
  bool empty() const { return low.x > high.x; }
  Vec3 centre() const { return (low + high) * 0.5; }
  void add(Vec3 p) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return;
    low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
  }
};

// A matrix in the scene's layout: elements 0 to 2 the x axis, 4 to 6 the y axis, 8 to
// 10 the z axis, 12 to 14 the offset. Points are row vectors, p' = p * M, so in a
// product A * B the matrix A acts first: a child's world matrix is its own transform
// times its parent's world matrix. Element 3, 7, 11 and 15 are taken as written
// (0, 0, 0, 1 for the affine matrices the scenes hold) and ignored when mapping.
struct Mat4 {
  double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

  // The 16 elements in index order.
  static Mat4 from(const double* elements) {
    Mat4 r;
    for (int i = 0; i < 16; ++i) r.m[i] = elements[i];
    return r;
  }
};

inline Mat4 operator*(const Mat4& a, const Mat4& b) {
  Mat4 r;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      double s = 0.0;
      for (int k = 0; k < 4; ++k) s += a.m[row * 4 + k] * b.m[k * 4 + column];
      r.m[row * 4 + column] = s;
    }
  }
  return r;
}

inline Vec3 mapPoint(const Mat4& a, Vec3 p) {
  const double* m = a.m;
  return {p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12],
          p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13],
          p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14]};
}

inline Vec3 mapVector(const Mat4& a, Vec3 v) {
  const double* m = a.m;
  return {v.x * m[0] + v.y * m[4] + v.z * m[8], v.x * m[1] + v.y * m[5] + v.z * m[9],
          v.x * m[2] + v.y * m[6] + v.z * m[10]};
}

// The matrix that maps normals along with `a`: the inverse transpose of its 3 x 3
// part (as a matrix for mapVector). A singular part gives the part itself, which
// keeps normals pointing somewhere sensible for flattened objects.
inline Mat4 normalMatrix(const Mat4& a) {
  const double* m = a.m;
  // Cofactors of the 3 x 3 part; divided by the determinant they are the inverse
  // transposed.
  const double c[9] = {
      m[5] * m[10] - m[6] * m[9], m[6] * m[8] - m[4] * m[10], m[4] * m[9] - m[5] * m[8],
      m[2] * m[9] - m[1] * m[10], m[0] * m[10] - m[2] * m[8], m[1] * m[8] - m[0] * m[9],
      m[1] * m[6] - m[2] * m[5],  m[2] * m[4] - m[0] * m[6],  m[0] * m[5] - m[1] * m[4]};
  const double det = m[0] * c[0] + m[1] * c[1] + m[2] * c[2];
  Mat4 r;
  if (std::fabs(det) < 1e-300) {
    for (int row = 0; row < 3; ++row)
      for (int column = 0; column < 3; ++column) r.m[row * 4 + column] = m[row * 4 + column];
    return r;
  }
  // Row i of the inverse transpose holds cofactor row i of the original.
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column) r.m[row * 4 + column] = c[row * 3 + column] / det;
  return r;
}

}  // namespace svb_preview
