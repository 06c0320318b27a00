#include "c4dread.h"

#include <cstring>

bool readParam(C4DAtom* atom, Int32 id, GeData& data) {
  data = GeData();
  return atom->GetParameter(DescID(id), data, DESCFLAGS_GET::NONE) && data.GetType() != DA_NIL;
}

Int32 readInt(C4DAtom* atom, Int32 id) {
  GeData data;
  readParam(atom, id, data);
  return data.GetInt32();
}

Float readFloat(C4DAtom* atom, Int32 id) {
  GeData data;
  readParam(atom, id, data);
  return data.GetFloat();
}

bool readBool(C4DAtom* atom, Int32 id) {
  GeData data;
  readParam(atom, id, data);
  return data.GetBool();
}

Vector readVector(C4DAtom* atom, Int32 id) {
  GeData data;
  readParam(atom, id, data);
  return data.GetVector();
}

std::string readString(C4DAtom* atom, Int32 id) {
  GeData data;
  readParam(atom, id, data);
  return utf8Or(data.GetString(), "");
}

bool toUtf8(const String& text, std::string& out) {
  Char* copy = text.GetCStringCopy(STRINGENCODING::UTF8);
  if (!copy) return false;
  out = copy;
  DeleteMem(copy);
  return true;
}

std::string utf8Or(const String& text, const char* fallback) {
  std::string out;
  return toUtf8(text, out) ? out : std::string(fallback);
}

bool copyUtf8(const String& text, char* buffer, std::size_t size, const char* fallback) {
  Char* copy = text.GetCStringCopy(STRINGENCODING::UTF8);
  const bool converted = copy != nullptr;
  std::strncpy(buffer, converted ? copy : fallback, size - 1);
  buffer[size - 1] = '\0';
  DeleteMem(copy);
  return converted;
}

zelMatrix toZelMatrix(const Matrix& m) {
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

zelMatrix zMirror() {
  zelMatrix flip;
  flip.make_identity();
  flip.m[10] = -1.0;
  return flip;
}

zelMatrix mirroredPlacement(const Matrix& global) {
  zelMatrix m = toZelMatrix(global);
  for (int i = 0; i < 4; ++i) m[i * 4 + 2] = -m[i * 4 + 2];
  return m;
}

Matrix mirroredChange(const Matrix& change) {
  static const Matrix mirror = MatrixScale(Vector(1.0, 1.0, -1.0));
  return mirror * change * mirror;
}
