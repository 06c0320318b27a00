// Reading the host, the same way everywhere in the plug-in: parameters, texts and
// placements. The conversion never fails on what it reads: a missing parameter reads as
// zero, false or empty, a missing text as the fallback.
#pragma once

#include "zelapi.h"

#include "c4d.h"

#include <cstddef>
#include <string>

// The parameter `id` of `atom` into `data`; false (with `data` empty) when the element has
// no such parameter.
bool readParam(C4DAtom* atom, Int32 id, GeData& data);
Int32 readInt(C4DAtom* atom, Int32 id);
Float readFloat(C4DAtom* atom, Int32 id);
bool readBool(C4DAtom* atom, Int32 id);
Vector readVector(C4DAtom* atom, Int32 id);
// A string parameter as UTF-8 ("" when missing).
std::string readString(C4DAtom* atom, Int32 id);

// A host string as UTF-8; false, leaving `out` as it is, when the host yields no string.
bool toUtf8(const String& text, std::string& out);
// The text as UTF-8, or `fallback` when the host yields no string.
std::string utf8Or(const String& text, const char* fallback);
// The text as UTF-8 in a fixed buffer, cut to size - 1 bytes (names and labels are
// composed in 1024-byte buffers); `fallback` when the host yields no string. False then.
bool copyUtf8(const String& text, char* buffer, std::size_t size, const char* fallback);

// Placements. The scene's frame is the host's mirrored in z: the root group carries the
// mirror, so everything inside it keeps the host's local transforms.
//
// A host matrix in the scene's layout: elements 0 to 2 the x axis, 4 to 6 the y axis, 8 to
// 10 the z axis, 12 to 14 the offset, 3, 7 and 11 zero and 15 one.
zelMatrix toZelMatrix(const Matrix& m);
// The mirror itself, the root group's transform.
zelMatrix zMirror();
// A global placement written outside the root group (cameras): its axes and offset with z
// negated.
zelMatrix mirroredPlacement(const Matrix& global);
// A change of placement as the mirrored frame sees it: mirror, change, mirror.
Matrix mirroredChange(const Matrix& change);
