#pragma once

#include "c4d_baselist.h"
#include "c4d_baseselect.h"
#include "ge_prepass.h"

#include <vector>

class BaseMaterial;
class BaseObject;

// A tag on an object. Plain tags (Phong, hair material, display ...) keep
// their settings as parameters.
class BaseTag : public BaseList2D {
 public:
  // A new tag of the type: Ttexture gives a TextureTag, Tuvw a UVWTag (no
  // data), Tnormal a NormalTag (no data), Tpolygonselection / Tpointselection /
  // Tedgeselection a SelectionTag; any other type a plain tag.
  static BaseTag* Alloc(Int32 type);
  static void Free(BaseTag*& tag) {
    delete tag;
    tag = nullptr;
  }

  BaseTag* GetNext() const { return static_cast<BaseTag*>(GeListNode::GetNext()); }
  BaseTag* GetPred() const { return static_cast<BaseTag*>(GeListNode::GetPred()); }
  // The object that carries the tag, or null.
  BaseObject* GetObject() const;

 protected:
  explicit BaseTag(Int32 type) : BaseList2D(type) {}
};

// Per-corner texture coordinates of one polygon (x = u, y = v, z = w).
struct UVWStruct {
  Vector a;
  Vector b;
  Vector c;
  Vector d;

  UVWStruct() = default;
  UVWStruct(const Vector& t_a, const Vector& t_b, const Vector& t_c, const Vector& t_d)
      : a(t_a), b(t_b), c(t_c), d(t_d) {}
};

// Per-corner normals of one polygon.
struct NormalStruct {
  Vector a;
  Vector b;
  Vector c;
  Vector d;

  NormalStruct() = default;
  NormalStruct(const Vector& t_a, const Vector& t_b, const Vector& t_c, const Vector& t_d)
      : a(t_a), b(t_b), c(t_c), d(t_d) {}
};

using ConstUVWHandle = const void*;
using UVWHandle = void*;
using ConstNormalHandle = const void*;
using NormalHandle = void*;

// A tag holding one record per polygon (or point).
class VariableTag : public BaseTag {
 public:
  Int32 GetDataCount() const { return count_; }

 protected:
  VariableTag(Int32 type, Int32 count) : BaseTag(type), count_(count < 0 ? 0 : count) {}
  Int32 count_;
};

// Texture coordinates, one UVWStruct per polygon.
class UVWTag : public VariableTag {
 public:
  static UVWTag* Alloc(Int32 count);
  static void Free(UVWTag*& tag) {
    delete tag;
    tag = nullptr;
  }

  // Handles for Get/Set; valid until the tag is resized or freed. Null when
  // the tag holds no data.
  ConstUVWHandle GetDataAddressR() const;
  UVWHandle GetDataAddressW();
  // Record i of the handle; no range check (as in the host).
  static void Get(ConstUVWHandle dataptr, Int32 i, UVWStruct& res);
  static void Set(UVWHandle dataptr, Int32 i, const UVWStruct& s);
  // Range-checked access: a zero record / no change outside 0..count-1.
  UVWStruct GetSlow(Int32 i) const;
  void SetSlow(Int32 i, const UVWStruct& s);
  void Resize(Int32 count);

 private:
  friend class BaseTag;
  explicit UVWTag(Int32 count);
  std::vector<UVWStruct> data_;
};

// Normals, one NormalStruct per polygon, stored as the host does: twelve
// 16-bit integers per polygon, each component times 32000 (rounded, clamped
// to the 16-bit range). Reading back therefore gives the host's precision.
class NormalTag : public VariableTag {
 public:
  static NormalTag* Alloc(Int32 count);
  static void Free(NormalTag*& tag) {
    delete tag;
    tag = nullptr;
  }

  ConstNormalHandle GetDataAddressR() const;
  NormalHandle GetDataAddressW();
  static void Get(ConstNormalHandle dataptr, Int32 i, NormalStruct& res);
  static void Set(NormalHandle dataptr, Int32 i, const NormalStruct& s);
  NormalStruct GetSlow(Int32 i) const;
  void SetSlow(Int32 i, const NormalStruct& s);
  void Resize(Int32 count);

 private:
  friend class BaseTag;
  explicit NormalTag(Int32 count);
  std::vector<Int16> raw_;
};

// A named point, polygon or edge selection.
class SelectionTag : public BaseTag {
 public:
  static SelectionTag* Alloc(Int32 type);
  static void Free(SelectionTag*& tag) {
    delete tag;
    tag = nullptr;
  }

  BaseSelect* GetBaseSelect() { return &select_; }
  const BaseSelect* GetBaseSelect() const { return &select_; }

 private:
  friend class BaseTag;
  explicit SelectionTag(Int32 type) : BaseTag(type) {}
  BaseSelect select_;
};

// Applies a material to its object. Parameters TEXTURETAG_* (projection,
// offsets, lengths, tile, restriction); the material is parameter 1010; the
// placement is POSITION 1011, SIZE 1012 and ROTATION 1013.
class TextureTag : public BaseTag {
 public:
  static TextureTag* Alloc();
  static void Free(TextureTag*& tag) {
    delete tag;
    tag = nullptr;
  }

  // The linked material, or null.
  BaseMaterial* GetMaterial(Bool ignoredoc = false) const;
  void SetMaterial(BaseMaterial* mat);

  Vector GetPos() const;
  Vector GetScale() const;
  Vector GetRot() const;
  void SetPos(const Vector& v);
  void SetScale(const Vector& v);
  void SetRot(const Vector& v);
  // MatrixMove(pos) * HPBToMatrix(rot, HPB) * MatrixScale(size).
  Matrix GetMl() const;

 private:
  friend class BaseTag;
  TextureTag();
};
