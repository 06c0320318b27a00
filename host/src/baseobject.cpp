#include "c4d_baseobject.h"

#include "c4d_basetag.h"
#include "c4d_tools.h"
#include "lib_hair.h"
#include "params_internal.h"

#include <cmath>
#include <cstdlib>
#include <vector>

using c4dsdk_internal::ListKind;

BaseObject::BaseObject(Int32 type) : BaseList2D(type) {
  tags_.kind = ListKind::Tags;
  tags_.holder = this;
  cache_.kind = ListKind::Cache;
  cache_.holder = this;
  deformCache_.kind = ListKind::DeformCache;
  deformCache_.holder = this;
}

BaseObject::~BaseObject() {
  tags_.DeleteAll();
  cache_.DeleteAll();
  deformCache_.DeleteAll();
}

BaseObject* BaseObject::Alloc(Int32 type) {
  if (type == Opolygon) return PolygonObject::Alloc(0, 0);
  if (type == Ohair) return HairObject::Alloc();
  return new BaseObject(type);
}

BaseTag* BaseObject::GetFirstTag() const { return static_cast<BaseTag*>(tags_.first); }

BaseTag* BaseObject::GetLastTag() const { return static_cast<BaseTag*>(tags_.Last()); }

BaseTag* BaseObject::GetTag(Int32 type, Int32 nr) const {
  for (BaseTag* t = GetFirstTag(); t; t = t->GetNext()) {
    if (t->GetType() == type && nr-- == 0) return t;
  }
  return nullptr;
}

BaseTag* BaseObject::MakeTag(Int32 type, BaseTag* pred) {
  BaseTag* tag = BaseTag::Alloc(type);
  if (!tag) return nullptr;
  InsertTag(tag, pred ? pred : GetLastTag());
  return tag;
}

void BaseObject::InsertTag(BaseTag* tp, BaseTag* pred) {
  if (!tp) return;
  tp->Remove();
  tags_.Insert(tp, pred);
}

BaseObject* BaseObject::GetCache(HierarchyHelp* hh) const {
  (void)hh;
  return static_cast<BaseObject*>(cache_.first);
}

BaseObject* BaseObject::GetDeformCache() const {
  return static_cast<BaseObject*>(deformCache_.first);
}

namespace {
void ReplaceList(c4dsdk_internal::NodeList& list, BaseObject* first) {
  // Detach the new list from wherever it is, keeping its order.
  std::vector<BaseObject*> chain;
  for (BaseObject* o = first; o; o = o->GetNext()) chain.push_back(o);
  for (BaseObject* o : chain) o->Remove();
  list.DeleteAll();
  GeListNode* pred = nullptr;
  for (BaseObject* o : chain) {
    list.Insert(o, pred);
    pred = o;
  }
}
}  // namespace

void BaseObject::SetCache(BaseObject* cache) { ReplaceList(cache_, cache); }

void BaseObject::SetDeformCache(BaseObject* cache) { ReplaceList(deformCache_, cache); }

BaseObject* BaseObject::GetCacheParent() const {
  if (!ownerList_ ||
      (ownerList_->kind != ListKind::Cache && ownerList_->kind != ListKind::DeformCache))
    return nullptr;
  return static_cast<BaseObject*>(ownerList_->holder);
}

Matrix BaseObject::GetMl() const {
  return MatrixMove(pos_) * HPBToMatrix(rot_, order_) * MatrixScale(scale_);
}

Matrix BaseObject::GetUpMg() const {
  if (BaseObject* up = GetUp()) return up->GetMg();
  if (BaseObject* generator = GetCacheParent()) return generator->GetMg();
  return Matrix();
}

Matrix BaseObject::GetMg() const { return GetUpMg() * GetMl(); }

Int32 BaseObject::GetEditorMode() const {
  return data_.GetInt32(ID_BASEOBJECT_VISIBILITY_EDITOR, MODE_UNDEF);
}

Int32 BaseObject::GetRenderMode() const {
  return data_.GetInt32(ID_BASEOBJECT_VISIBILITY_RENDER, MODE_UNDEF);
}

void BaseObject::SetEditorMode(Int32 mode) {
  data_.SetInt32(ID_BASEOBJECT_VISIBILITY_EDITOR, mode);
}

void BaseObject::SetRenderMode(Int32 mode) {
  data_.SetInt32(ID_BASEOBJECT_VISIBILITY_RENDER, mode);
}

namespace {
Vector* TransformField(Int32 id, Vector& pos, Vector& rot, Vector& scale) {
  switch (id) {
    case ID_BASEOBJECT_REL_POSITION:
    case ID_BASEOBJECT_ABS_POSITION:
      return &pos;
    case ID_BASEOBJECT_REL_ROTATION:
    case ID_BASEOBJECT_ABS_ROTATION:
      return &rot;
    case ID_BASEOBJECT_REL_SCALE:
    case ID_BASEOBJECT_ABS_SCALE:
      return &scale;
    default:
      return nullptr;
  }
}
}  // namespace

Bool BaseObject::GetParameter(const DescID& id, GeData& t_data, DESCFLAGS_GET flags) {
  t_data = GeData();
  if (id.GetDepth() < 1) return false;
  const Int32 first = id[0].id;
  if (Vector* field = TransformField(first, pos_, rot_, scale_))
    return c4dsdk_internal::ReadAddressed(GeData(*field), id, t_data);
  if (first == ID_BASEOBJECT_ROTATION_ORDER)
    return c4dsdk_internal::ReadAddressed(GeData(Int32(order_)), id, t_data);
  if (!data_.GetDataPointer(first)) {
    if (first == ID_BASEOBJECT_VISIBILITY_EDITOR || first == ID_BASEOBJECT_VISIBILITY_RENDER)
      return c4dsdk_internal::ReadAddressed(GeData(Int32(MODE_UNDEF)), id, t_data);
    if (first == ID_BASEOBJECT_USECOLOR)
      return c4dsdk_internal::ReadAddressed(GeData(Int32(ID_BASEOBJECT_USECOLOR_OFF)), id, t_data);
  }
  return BaseList2D::GetParameter(id, t_data, flags);
}

Bool BaseObject::SetParameter(const DescID& id, const GeData& t_data, DESCFLAGS_SET flags) {
  if (id.GetDepth() < 1) return false;
  const Int32 first = id[0].id;
  if (Vector* field = TransformField(first, pos_, rot_, scale_)) {
    if (id.GetDepth() == 1 && t_data.GetType() != DA_VECTOR) return false;
    GeData value(*field);
    if (!c4dsdk_internal::WriteAddressed(value, id, t_data)) return false;
    *field = value.GetVector();
    return true;
  }
  if (first == ID_BASEOBJECT_ROTATION_ORDER) {
    if (id.GetDepth() != 1 || !c4dsdk_internal::IsNumber(t_data)) return false;
    const Int32 order = t_data.GetInt32();
    if (order < 0 || order > 6) return false;
    order_ = ROTATIONORDER(order);
    return true;
  }
  return BaseList2D::SetParameter(id, t_data, flags);
}

PolygonObject* PolygonObject::Alloc(Int32 pcnt, Int32 vcnt) {
  PolygonObject* op = new PolygonObject();
  if (!op->ResizeObject(pcnt, vcnt)) {
    delete op;
    return nullptr;
  }
  return op;
}

Bool PolygonObject::ResizeObject(Int32 pcnt, Int32 vcnt) {
  if (pcnt < 0 || vcnt < 0) return false;
  points_.resize(size_t(pcnt));
  polygons_.resize(size_t(vcnt));
  return true;
}

namespace {
// Default Phong settings of a new Phong tag: angle limit on, 80 degrees.
constexpr Float kDefaultPhongAngle = 80.0 * PI / 180.0;

Vector FaceNormal(const Vector* p, const CPolygon& v) {
  Vector n;
  if (v.c == v.d)
    n = Vector::Cross(p[v.b] - p[v.a], p[v.c] - p[v.a]);
  else
    n = Vector::Cross(p[v.b] - p[v.d], p[v.c] - p[v.a]);
  return n.GetNormalized();
}
}  // namespace

Vector32* PolygonObject::CreatePhongNormals() const {
  const BaseTag* phong = GetTag(Tphong);
  if (!phong || polygons_.empty()) return nullptr;
  const BaseContainer* bc = phong->GetDataInstance();
  const bool limit = bc->GetBool(PHONGTAG_PHONG_ANGLELIMIT, true);
  const Float angle = bc->GetFloat(PHONGTAG_PHONG_ANGLE, kDefaultPhongAngle);
  // Neighbours are smoothed when their faces differ by at most the angle.
  const Float minCos = std::cos(angle) - 1e-9;

  const size_t polyCount = polygons_.size();
  const size_t pointCount = points_.size();
  const Int32 pointLimit = GetPointCount();
  const CPolygon* polys = polygons_.data();
  auto valid = [pointLimit](const CPolygon& v) {
    return v.a >= 0 && v.b >= 0 && v.c >= 0 && v.d >= 0 && v.a < pointLimit && v.b < pointLimit &&
           v.c < pointLimit && v.d < pointLimit;
  };

  // The polygons around each point, in three flat arrays whatever the mesh size:
  // the polygons of point p are around[first[p]] .. around[first[p + 1] - 1], in
  // ascending order, a polygon listed once per corner on p (a triangle's d corner
  // repeats c and is not listed). Polygons with a missing point are left out and
  // keep zero normals.
  std::vector<Vector> face(polyCount);
  std::vector<size_t> first(pointCount + 1, 0);
  for (size_t i = 0; i < polyCount; ++i) {
    const CPolygon& v = polys[i];
    if (!valid(v)) continue;
    face[i] = FaceNormal(points_.data(), v);
    ++first[size_t(v.a) + 1];
    ++first[size_t(v.b) + 1];
    ++first[size_t(v.c) + 1];
    if (v.d != v.c) ++first[size_t(v.d) + 1];
  }
  for (size_t p = 0; p < pointCount; ++p) first[p + 1] += first[p];
  // Polygon indices fit Int32: the polygon count is an Int32.
  std::vector<Int32> around(first[pointCount]);
  // Filling moves first[p] to the end of point p's run, which is where point
  // p + 1's run starts; shifting by one afterwards restores the starts.
  for (size_t i = 0; i < polyCount; ++i) {
    const CPolygon& v = polys[i];
    if (!valid(v)) continue;
    around[first[size_t(v.a)]++] = Int32(i);
    around[first[size_t(v.b)]++] = Int32(i);
    around[first[size_t(v.c)]++] = Int32(i);
    if (v.d != v.c) around[first[size_t(v.d)]++] = Int32(i);
  }
  for (size_t p = pointCount; p > 0; --p) first[p] = first[p - 1];
  first[0] = 0;

  Vector32* out = static_cast<Vector32*>(std::calloc(polyCount * 4, sizeof(Vector32)));
  if (!out) return nullptr;
  // Point by point: the normal at a corner depends only on its polygon and its
  // point. When every polygon around a point is within the angle of every other
  // one (or there is no limit), all of them get the same sum, so it is taken once.
  const Vector* faces = face.data();
  for (size_t point = 0; point < pointCount; ++point) {
    const Int32* begin = around.data() + first[point];
    const Int32* end = around.data() + first[point + 1];
    if (begin == end) continue;
    bool shared = true;
    if (limit) {
      for (const Int32* a = begin; a != end && shared; ++a)
        for (const Int32* b = a + 1; b != end; ++b) {
          if (*a != *b && !(Vector::Dot(faces[*a], faces[*b]) >= minCos)) {
            shared = false;
            break;
          }
        }
    }
    Vector common;
    if (shared) {
      for (const Int32* q = begin; q != end; ++q) common += faces[*q];
      common = common.GetNormalized();
    }
    for (const Int32* it = begin; it != end; ++it) {
      const Int32 i = *it;
      const Vector own = faces[i];
      Vector n = common;
      if (!shared) {
        Vector sum;
        for (const Int32* q = begin; q != end; ++q) {
          if (*q == i || Vector::Dot(own, faces[*q]) >= minCos) sum += faces[*q];
        }
        n = sum.GetNormalized();
      }
      if (n.IsZero()) n = own;
      // Every corner on this point; a triangle's d corner repeats c.
      const CPolygon& v = polys[i];
      const Vector32 value(n);
      for (Int32 corner = 0; corner < 4; ++corner) {
        if (size_t(v[corner]) == point) out[size_t(i) * 4 + size_t(corner)] = value;
      }
    }
  }
  return out;
}
