#pragma once

#include "ge_prepass.h"

#include <string>

namespace maxon {
// Text of the host. Stored as bytes; text made from C strings is UTF-8.
class String {
 public:
  String() = default;
  String(const char* utf8) : bytes_(utf8 ? utf8 : "") {}
  explicit String(const std::string& utf8) : bytes_(utf8) {}

  Bool IsEmpty() const { return bytes_.empty(); }
  Bool IsPopulated() const { return !bytes_.empty(); }
  // Length in bytes of the stored text.
  Int GetLength() const { return Int(bytes_.size()); }

  String& operator+=(const String& s) {
    bytes_ += s.bytes_;
    return *this;
  }
  friend String operator+(const String& a, const String& b) { return String(a.bytes_ + b.bytes_); }
  friend bool operator==(const String& a, const String& b) { return a.bytes_ == b.bytes_; }
  friend bool operator!=(const String& a, const String& b) { return a.bytes_ != b.bytes_; }
  friend bool operator<(const String& a, const String& b) { return a.bytes_ < b.bytes_; }

  // Host-side access to the stored bytes (not part of the plug-in interface).
  const std::string& GetUtf8() const { return bytes_; }

 protected:
  std::string bytes_;
};
}  // namespace maxon

// The classic String. GetCStringCopy returns a NUL-terminated copy allocated
// with malloc; the caller releases it with DeleteMem (c4d_memory.h) or free.
// The copy is null when the text cannot be represented in the encoding asked
// for: with UTF8 that is text whose bytes are not valid UTF-8; with XBIT
// (8-bit) text holding characters above 255.
class String : public maxon::String {
 public:
  String() = default;
  String(const char* utf8) : maxon::String(utf8) {}
  String(const maxon::String& s) : maxon::String(s) {}
  explicit String(const std::string& utf8) : maxon::String(utf8) {}

  // Replaces the text by count bytes of cstr (count -1: up to the NUL),
  // decoded from the given encoding (XBIT: one character per byte).
  void SetCString(const Char* cstr, Int count = -1, STRINGENCODING type = STRINGENCODING::XBIT);
  Char* GetCStringCopy(STRINGENCODING type = STRINGENCODING::XBIT) const;

  // Host-side: replaces the stored bytes unchanged, valid UTF-8 or not (used to
  // model names that cannot be converted).
  void SetRawBytes(const std::string& bytes) { bytes_ = bytes; }
};
