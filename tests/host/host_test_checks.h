#pragma once
// Checks shared by the host's tests.
#include "c4d.h"

#include <gtest/gtest.h>

// The parameter `id` of an element.
inline GeData param(C4DAtom* atom, Int32 id) {
  GeData d;
  atom->GetParameter(DescID(DescLevel(id)), d, DESCFLAGS_GET::NONE);
  return d;
}

// Each component within `within`: about 1e-6 for single-precision values.
template <typename V>
void ExpectVec(const V& v, double x, double y, double z, double within = 1e-6) {
  EXPECT_NEAR(v.x, x, within);
  EXPECT_NEAR(v.y, y, within);
  EXPECT_NEAR(v.z, z, within);
}

inline void ExpectVec(const Vector& a, const Vector& b) { ExpectVec(a, b.x, b.y, b.z, 1e-9); }
