#pragma once

#include "zelapi.h"

#include "c4d.h"

#include <string>

// A host matrix in the scene's layout: elements 0 to 2 the x axis, 4 to 6 the y axis,
// 8 to 10 the z axis, 12 to 14 the offset, 3, 7 and 11 zero and 15 one.
inline zelMatrix toZelMatrix(const Matrix& m) {
  zelMatrix out;
  out.make_identity();
  const Vector* parts[4] = {&m.sqmat.v1, &m.sqmat.v2, &m.sqmat.v3, &m.off};
  for (int i = 0; i < 4; ++i) {
    out[i * 4 + 0] = parts[i]->x;
    out[i * 4 + 1] = parts[i]->y;
    out[i * 4 + 2] = parts[i]->z;
  }
  return out;
}

// A host string as UTF-8; false, leaving `out` as it is, when the host yields no string.
inline bool toUtf8(const String& text, std::string& out) {
  Char* copy = text.GetCStringCopy(STRINGENCODING::UTF8);
  if (!copy) return false;
  out = copy;
  DeleteMem(copy);
  return true;
}
