// From the library's right-handed space to the host's left-handed one: mirrored in z.
#include "model_import.h"

#include <cmath>

namespace c4ddoc::model {
namespace {

constexpr double kTiny = 1e-12;

// The host vector of a library vector.
Vector mirrored(const aiVector3D& v) { return Vector(v.x, v.y, -v.z); }

// The angle equal to `a` in (-pi, pi].
double wrapped(double a) {
  const double r = std::remainder(a, 2.0 * PI);
  return r <= -PI ? r + 2.0 * PI : r;
}

}  // namespace

Vec3 hostPoint(const aiVector3D& p) { return Vec3{p.x, p.y, -p.z}; }

Matrix hostMatrix(const aiMatrix4x4& m) {
  // The library's columns are its axes and offset; S * M * S with S = diag(1, 1, -1)
  // flips the z row and the z column.
  return Matrix(Vector(m.a4, m.b4, -m.c4), Vector(m.a1, m.b1, -m.c1), Vector(m.a2, m.b2, -m.c2),
                Vector(-m.a3, -m.b3, m.c3));
}

Placement decompose(const Matrix& m) {
  Vector v1 = m.sqmat.v1;
  Vector v2 = m.sqmat.v2;
  Vector v3 = m.sqmat.v3;
  Placement p;
  p.position = Vec3{m.off.x, m.off.y, m.off.z};
  p.scale = Vec3{v1.GetLength(), v2.GetLength(), v3.GetLength()};
  // A flattened axis has no direction of its own: the others give the rotation.
  if (p.scale.z < kTiny) v3 = Vector::Cross(v1, v2);
  if (p.scale.x < kTiny) v1 = Vector::Cross(v2, v3);
  if (p.scale.y < kTiny) v2 = Vector::Cross(v3, v1);
  if (Vector::Dot(v1, Vector::Cross(v2, v3)) < 0.0) {
    p.scale.z = -p.scale.z;
    v3 = -v3;
  }
  const Vector hpb = MatrixToHPB(Matrix(Vector(), v1, v2, v3), ROTATIONORDER::HPB);
  p.rotation = Vec3{wrapped(hpb.x), wrapped(hpb.y), wrapped(hpb.z)};
  return p;
}

Matrix viewFrame(const aiVector3D& position, const aiVector3D& forward, const aiVector3D& up) {
  Vector f = mirrored(forward);
  f = f.GetLength() < kTiny ? Vector(0.0, 0.0, 1.0) : f.GetNormalized();
  Vector u;
  for (const Vector& candidate : {mirrored(up), Vector(0.0, 1.0, 0.0), Vector(0.0, 0.0, 1.0)}) {
    u = candidate - f * Vector::Dot(candidate, f);
    if (u.GetLength() > 1e-6) break;
  }
  u = u.GetNormalized();
  return Matrix(mirrored(position), Vector::Cross(u, f), u, f);
}

}  // namespace c4ddoc::model
