#pragma once

#include "c4d_baselist.h"
#include "ge_prepass.h"

// A shader; it keeps its settings as parameters (COLORSHADER_COLOR,
// BITMAPSHADER_FILENAME ...) and may own sub-shaders (GetDown).
class BaseShader : public BaseList2D {
 public:
  static BaseShader* Alloc(Int32 type);
  static void Free(BaseShader*& ps) {
    delete ps;
    ps = nullptr;
  }

  BaseShader* GetNext() const { return static_cast<BaseShader*>(GeListNode::GetNext()); }
  BaseShader* GetPred() const { return static_cast<BaseShader*>(GeListNode::GetPred()); }
  BaseShader* GetDown() const { return static_cast<BaseShader*>(GeListNode::GetDown()); }

 private:
  explicit BaseShader(Int32 type) : BaseList2D(type) {}
};
