#pragma once

#include "ge_prepass.h"

// A point in time as a reduced fraction of seconds.
// BaseTime(seconds) rounds to whole milliseconds; BaseTime(z, n) rounds both
// to integers (a denominator below 1 becomes 1). Values are clamped to
// +-1e15; NaN counts as 0 seconds.
class BaseTime {
 public:
  BaseTime() = default;
  explicit BaseTime(Float seconds);
  BaseTime(Float z, Float n);

  // Seconds (0 for a zero denominator).
  Float Get() const { return denominator_ == 0.0 ? 0.0 : numerator_ / denominator_; }
  Float GetNumerator() const { return numerator_; }
  Float GetDenominator() const { return denominator_; }
  void SetNumerator(Float n) { numerator_ = n; }
  void SetDenominator(Float d) { denominator_ = d; }
  // The frame at fps frames per second, truncated.
  Int32 GetFrame(Float fps) const;
  // Snaps to the frame grid of fps.
  void Quantize(Float fps);

  friend BaseTime operator+(const BaseTime& a, const BaseTime& b);
  friend BaseTime operator-(const BaseTime& a, const BaseTime& b);
  friend bool operator==(const BaseTime& a, const BaseTime& b);
  friend bool operator!=(const BaseTime& a, const BaseTime& b) { return !(a == b); }
  friend bool operator<(const BaseTime& a, const BaseTime& b);
  friend bool operator>(const BaseTime& a, const BaseTime& b) { return b < a; }
  friend bool operator<=(const BaseTime& a, const BaseTime& b) { return !(b < a); }
  friend bool operator>=(const BaseTime& a, const BaseTime& b) { return !(a < b); }

 private:
  void Reduce();

  Float numerator_ = 0.0;
  Float denominator_ = 1.0;
};
