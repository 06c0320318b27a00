#pragma once

#include "c4d_string.h"
#include "ge_prepass.h"

// A bitmap of the host. The stand-in keeps only the name it was loaded from
// (command icons are recorded by name; pixels are not read).
class BaseBitmap {
 public:
  static BaseBitmap* Alloc() { return new BaseBitmap(); }
  static void Free(BaseBitmap*& bm) {
    delete bm;
    bm = nullptr;
  }

  Int32 GetBw() const { return 0; }
  Int32 GetBh() const { return 0; }
  // Host-side: the file name the bitmap came from.
  const String& GetSourceName() const { return sourceName_; }
  void SetSourceName(const maxon::String& name) { sourceName_ = name; }

 private:
  String sourceName_;
};

// A bitmap loaded from the plug-in's resources by file name, released when
// the AutoBitmap goes.
class AutoBitmap {
 public:
  explicit AutoBitmap(const maxon::String& str, Float pixelRatio = 1.0);
  explicit AutoBitmap(Int32 id);
  ~AutoBitmap();
  AutoBitmap(const AutoBitmap&) = delete;
  AutoBitmap& operator=(const AutoBitmap&) = delete;

  operator BaseBitmap*() const { return bmp_; }
  BaseBitmap* operator->() const { return bmp_; }

 private:
  BaseBitmap* bmp_;
};
