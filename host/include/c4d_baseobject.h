#pragma once

#include "c4d_baselist.h"
#include "ge_prepass.h"

#include <vector>

class BaseTag;
class HierarchyHelp;

// An object of the scene tree, with its transform, tags and caches.
//
// Transform: the relative position, rotation (angles in radians, in the
// object's own rotation order) and scale; there is no frozen part, so the
// absolute values equal the relative ones and
//   GetMl() = MatrixMove(pos) * HPBToMatrix(rot, GetRotationOrder()) * MatrixScale(scale).
// GetMg() multiplies down the tree: parent's Mg * Ml; an object at the top of
// a cache (or deform cache) uses its generator's Mg in place of a parent's.
class BaseObject : public BaseList2D {
 public:
  // A new object of the given type (Opolygon gives a PolygonObject, Ohair a
  // HairObject); null for a type that cannot be made.
  static BaseObject* Alloc(Int32 type);
  static void Free(BaseObject*& op) {
    delete op;
    op = nullptr;
  }
  // Deletes the object's children, tags and caches with it.
  ~BaseObject() override;

  BaseObject* GetNext() const { return static_cast<BaseObject*>(GeListNode::GetNext()); }
  BaseObject* GetPred() const { return static_cast<BaseObject*>(GeListNode::GetPred()); }
  BaseObject* GetUp() const { return static_cast<BaseObject*>(GeListNode::GetUp()); }
  BaseObject* GetDown() const { return static_cast<BaseObject*>(GeListNode::GetDown()); }
  BaseObject* GetDownLast() const { return static_cast<BaseObject*>(GeListNode::GetDownLast()); }

  UInt64 GetGUID() const { return BaseList2D::GetGUID(); }

  // Tags, in their order; the object owns them.
  BaseTag* GetFirstTag() const;
  BaseTag* GetLastTag() const;
  // The nr-th tag of the type, or null.
  BaseTag* GetTag(Int32 type, Int32 nr = 0) const;
  // Makes a tag of the type (BaseTag::Alloc) and inserts it after pred (at
  // the end when pred is null); null when the type cannot be made.
  BaseTag* MakeTag(Int32 type, BaseTag* pred = nullptr);
  // Inserts after pred, or first when pred is null; takes ownership.
  void InsertTag(BaseTag* tp, BaseTag* pred = nullptr);

  // The generator's cache (may be a list of objects with children), or null.
  BaseObject* GetCache(HierarchyHelp* hh = nullptr) const;
  // The deformed version of the object, or null.
  BaseObject* GetDeformCache() const;
  // Host-side: replace the cache / deform cache; takes ownership of the
  // list that starts at cache (null clears it).
  void SetCache(BaseObject* cache);
  void SetDeformCache(BaseObject* cache);
  // Host-side: the generator whose cache or deform cache holds this object
  // at its top level, or null.
  BaseObject* GetCacheParent() const;

  Vector GetRelPos() const { return pos_; }
  Vector GetRelRot() const { return rot_; }
  Vector GetRelScale() const { return scale_; }
  void SetRelPos(const Vector& v) { pos_ = v; }
  void SetRelRot(const Vector& v) { rot_ = v; }
  void SetRelScale(const Vector& v) { scale_ = v; }
  Vector GetAbsPos() const { return pos_; }
  Vector GetAbsRot() const { return rot_; }
  Vector GetAbsScale() const { return scale_; }
  void SetAbsPos(const Vector& v) { pos_ = v; }
  void SetAbsRot(const Vector& v) { rot_ = v; }
  void SetAbsScale(const Vector& v) { scale_ = v; }
  Vector GetFrozenPos() const { return Vector(); }
  Vector GetFrozenRot() const { return Vector(); }
  Vector GetFrozenScale() const { return Vector(1.0, 1.0, 1.0); }

  ROTATIONORDER GetRotationOrder() const { return order_; }
  void SetRotationOrder(ROTATIONORDER order) { order_ = order; }

  Matrix GetMl() const;
  Matrix GetMg() const;
  // Mg of the parent (or of the cache's generator); identity at the top.
  Matrix GetUpMg() const;

  // Parameters 901 / 902: MODE_ON, MODE_OFF or MODE_UNDEF (the default).
  Int32 GetEditorMode() const;
  Int32 GetRenderMode() const;
  void SetEditorMode(Int32 mode);
  void SetRenderMode(Int32 mode);

  // Adds the transform parameters (903-905, 925-927: vectors; 928: rotation
  // order) and the defaults of 901/902 (MODE_UNDEF) and 907 (0).
  Bool GetParameter(const DescID& id, GeData& t_data, DESCFLAGS_GET flags) override;
  Bool SetParameter(const DescID& id, const GeData& t_data, DESCFLAGS_SET flags) override;

 protected:
  explicit BaseObject(Int32 type);

 private:
  c4dsdk_internal::NodeList tags_;
  c4dsdk_internal::NodeList cache_;
  c4dsdk_internal::NodeList deformCache_;
  Vector pos_;
  Vector rot_;
  Vector scale_ = Vector(1.0, 1.0, 1.0);
  ROTATIONORDER order_ = ROTATIONORDER::DEFAULT;
};

// A polygon of point indices; a triangle when c == d.
struct CPolygon {
  Int32 a = 0;
  Int32 b = 0;
  Int32 c = 0;
  Int32 d = 0;

  CPolygon() = default;
  CPolygon(Int32 t_a, Int32 t_b, Int32 t_c) : a(t_a), b(t_b), c(t_c), d(t_c) {}
  CPolygon(Int32 t_a, Int32 t_b, Int32 t_c, Int32 t_d) : a(t_a), b(t_b), c(t_c), d(t_d) {}
  Int32& operator[](Int32 i) { return (&a)[i & 3]; }
  const Int32& operator[](Int32 i) const { return (&a)[i & 3]; }
  Bool IsTriangle() const { return c == d; }
};

// An object made of points.
class PointObject : public BaseObject {
 public:
  Int32 GetPointCount() const { return Int32(points_.size()); }
  const Vector* GetPointR() const { return points_.empty() ? nullptr : points_.data(); }
  Vector* GetPointW() { return points_.empty() ? nullptr : points_.data(); }

 protected:
  explicit PointObject(Int32 type) : BaseObject(type) {}
  std::vector<Vector> points_;
};

// A polygon mesh.
class PolygonObject : public PointObject {
 public:
  // A mesh with pcnt points at the origin and vcnt polygons (0, 0, 0, 0).
  static PolygonObject* Alloc(Int32 pcnt, Int32 vcnt);
  static void Free(PolygonObject*& op) {
    delete op;
    op = nullptr;
  }

  Int32 GetPolygonCount() const { return Int32(polygons_.size()); }
  const CPolygon* GetPolygonR() const { return polygons_.empty() ? nullptr : polygons_.data(); }
  CPolygon* GetPolygonW() { return polygons_.empty() ? nullptr : polygons_.data(); }
  // Resizes the point and polygon arrays (new entries are zero).
  Bool ResizeObject(Int32 pcnt, Int32 vcnt);

  // Four unit normals per polygon (index 4 * polygon + corner, corners a, b, c,
  // d; the d slot is filled for triangles too), in object space, smoothed across
  // the polygons that share a point, within the Phong angle when the Phong
  // tag's angle limit is on. Null when the object has no Phong tag (Tphong) or
  // no polygons. The caller frees the array with DeleteMem.
  Vector32* CreatePhongNormals() const;

 private:
  friend class BaseObject;
  PolygonObject() : PointObject(Opolygon) {}
  std::vector<CPolygon> polygons_;
};
