#include "c4d_basetime.h"

#include <cmath>

namespace {
constexpr Float kLimit = 1e15;

Float Clamp(Float v) { return v > kLimit ? kLimit : (v < -kLimit ? -kLimit : v); }

Float Gcd(Float a, Float b) {
  a = std::fabs(a);
  b = std::fabs(b);
  while (b > 0.0) {
    const Float r = std::fmod(a, b);
    a = b;
    b = r;
  }
  return a;
}
}  // namespace

BaseTime::BaseTime(Float seconds) {
  if (std::isnan(seconds)) seconds = 0.0;
  numerator_ = Clamp(std::floor(seconds * 1000.0 + 0.5));
  denominator_ = 1000.0;
  Reduce();
}

BaseTime::BaseTime(Float z, Float n) {
  if (std::isnan(z)) z = 0.0;
  if (std::isnan(n)) n = 1.0;
  numerator_ = Clamp(std::floor(z + 0.5));
  denominator_ = std::floor(n + 0.5);
  if (denominator_ < 1.0) denominator_ = 1.0;
  denominator_ = Clamp(denominator_);
  Reduce();
}

void BaseTime::Reduce() {
  if (denominator_ == 0.0) return;
  if (numerator_ == 0.0) {
    denominator_ = 1.0;
    return;
  }
  const Float g = Gcd(numerator_, denominator_);
  if (g > 1.0) {
    numerator_ /= g;
    denominator_ /= g;
  }
}

Int32 BaseTime::GetFrame(Float fps) const {
  if (denominator_ == 0.0) return 0;
  return Int32(std::floor(numerator_ * fps) / std::floor(denominator_));
}

void BaseTime::Quantize(Float fps) {
  if (fps <= 0.0) return;
  *this = BaseTime(Float(GetFrame(fps)), fps);
}

BaseTime operator+(const BaseTime& a, const BaseTime& b) {
  BaseTime r;
  r.numerator_ = a.numerator_ * b.denominator_ + b.numerator_ * a.denominator_;
  r.denominator_ = a.denominator_ * b.denominator_;
  r.Reduce();
  return r;
}

BaseTime operator-(const BaseTime& a, const BaseTime& b) {
  BaseTime r;
  r.numerator_ = a.numerator_ * b.denominator_ - b.numerator_ * a.denominator_;
  r.denominator_ = a.denominator_ * b.denominator_;
  r.Reduce();
  return r;
}

bool operator==(const BaseTime& a, const BaseTime& b) {
  return a.numerator_ * b.denominator_ == b.numerator_ * a.denominator_;
}

bool operator<(const BaseTime& a, const BaseTime& b) {
  return a.numerator_ * b.denominator_ < b.numerator_ * a.denominator_;
}
