#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// Truncates toward zero to a 32-bit integer for every input, so that host values
// far out of range cannot make the conversion undefined: values beyond the range
// give its nearest limit, NaN gives 0.
inline int32_t truncToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}
