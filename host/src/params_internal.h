#pragma once

#include "c4d_gedata.h"

namespace c4dsdk_internal {
// Reads the part of value that id addresses: the whole value for a one-level
// id, a vector component (as a float) for a two-level VECTOR_X/Y/Z id.
// False (out DA_NIL) for any other id.
bool ReadAddressed(const GeData& value, const DescID& id, GeData& out);

// Stores in into target at id: the whole value for a one-level id, one
// component of target (a vector, or zero when target is no vector) for a
// two-level VECTOR_X/Y/Z id given a number. False when nothing is stored.
bool WriteAddressed(GeData& target, const DescID& id, const GeData& in);

// True for DA_LONG, DA_LLONG and DA_REAL.
bool IsNumber(const GeData& value);
}  // namespace c4dsdk_internal
