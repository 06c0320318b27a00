#pragma once

#include <cmath>
#include <cstdint>

// Three-component vectors of the host SDK. The stride parameter exists only
// to match the SDK's template signature; it has no effect here.
namespace maxon {
using Int = int64_t;
using Int32 = int32_t;
using Float = double;
using Float32 = float;
using Float64 = double;

template <typename T, Int STRIDE = 1>
struct Vec3 {
  T x = T(0);
  T y = T(0);
  T z = T(0);

  constexpr Vec3() = default;
  constexpr explicit Vec3(T in) : x(in), y(in), z(in) {}
  constexpr Vec3(T ix, T iy, T iz) : x(ix), y(iy), z(iz) {}
  template <typename T2, Int S2>
  constexpr explicit Vec3(const Vec3<T2, S2>& v) : x(T(v.x)), y(T(v.y)), z(T(v.z)) {}

  T& operator[](Int i) { return i == 0 ? x : (i == 1 ? y : z); }
  const T& operator[](Int i) const { return i == 0 ? x : (i == 1 ? y : z); }

  Vec3& operator+=(const Vec3& v) {
    x += v.x;
    y += v.y;
    z += v.z;
    return *this;
  }
  Vec3& operator-=(const Vec3& v) {
    x -= v.x;
    y -= v.y;
    z -= v.z;
    return *this;
  }
  Vec3& operator*=(T s) {
    x *= s;
    y *= s;
    z *= s;
    return *this;
  }
  Vec3& operator/=(T s) {
    x /= s;
    y /= s;
    z /= s;
    return *this;
  }

  friend Vec3 operator+(const Vec3& a, const Vec3& b) {
    return Vec3(a.x + b.x, a.y + b.y, a.z + b.z);
  }
  friend Vec3 operator-(const Vec3& a, const Vec3& b) {
    return Vec3(a.x - b.x, a.y - b.y, a.z - b.z);
  }
  friend Vec3 operator-(const Vec3& a) { return Vec3(-a.x, -a.y, -a.z); }
  friend Vec3 operator*(const Vec3& a, T s) { return Vec3(a.x * s, a.y * s, a.z * s); }
  friend Vec3 operator*(T s, const Vec3& a) { return Vec3(a.x * s, a.y * s, a.z * s); }
  friend Vec3 operator/(const Vec3& a, T s) { return Vec3(a.x / s, a.y / s, a.z / s); }
  // Component-wise product, as the SDK's Vec3 * Vec3.
  friend Vec3 operator*(const Vec3& a, const Vec3& b) {
    return Vec3(a.x * b.x, a.y * b.y, a.z * b.z);
  }
  friend bool operator==(const Vec3& a, const Vec3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
  }
  friend bool operator!=(const Vec3& a, const Vec3& b) { return !(a == b); }

  T GetSquaredLength() const { return x * x + y * y + z * z; }
  T GetLength() const { return T(std::sqrt(GetSquaredLength())); }
  // A zero vector stays zero.
  Vec3 GetNormalized() const {
    const T len = GetLength();
    return len > T(0) ? *this / len : Vec3();
  }
  void Normalize() { *this = GetNormalized(); }
  bool IsZero() const { return x == T(0) && y == T(0) && z == T(0); }
  void SetZero() { x = y = z = T(0); }

  static T Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
  static Vec3 Cross(const Vec3& a, const Vec3& b) {
    return Vec3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
  }
};

template <typename T, Int S>
inline T Dot(const Vec3<T, S>& a, const Vec3<T, S>& b) {
  return Vec3<T, S>::Dot(a, b);
}

template <typename T, Int S>
inline Vec3<T, S> Cross(const Vec3<T, S>& a, const Vec3<T, S>& b) {
  return Vec3<T, S>::Cross(a, b);
}

using Vector32 = Vec3<Float32>;
using Vector64 = Vec3<Float64>;
using Vector = Vec3<Float>;

}  // namespace maxon
