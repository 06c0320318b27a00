#pragma once

#include "c4d_baseobject.h"
#include "ge_prepass.h"

#include <vector>

#define Ohair 1017305
#define Mhair 1017730
#define Thairmaterial 1017729
#define Thairselection 1017746
#define Thairvertex 1018329
#define Thaircollider 1017326
#define Thairtangent 1017671
#define Thairlight 1017874
#define VPhair 1017325

#define HAIR_GENERATE_FLAGS_NONE 0
#define HAIR_GENERATE_FLAGS_NO_MATERIAL 1
#define HAIR_GENERATE_FLAGS_NO_DYNAMICS 2
#define HAIR_GENERATE_FLAGS_NO_TRANSFORM 4
#define HAIR_GENERATE_FLAGS_NO_DEFORMERS 8

#define HAIRMATERIAL_USE_COLOR 1500
#define HAIRMATERIAL_USE_THICKNESS 1501
#define HAIRMATERIAL_COLOR_HAIR_ROOTS_SHADER 3000
#define HAIRMATERIAL_COLOR_SHADER 3001
#define HAIRMATERIAL_THICKNESS_ROOT 3009
#define HAIRMATERIAL_THICKNESS_TIP 3010
#define HAIRMATERIAL_COLOR_GRADIENT 3139
#define HAIRMATERIAL_COLOR_BRIGHTNESS 3141

class BaseDocument;
class HairMaterialData;
class HairInterpolationMap;

// A set of strands with the same number of segments. Strand g has
// GetGuidePointCount() points, point k of it (k = 0 at the root) at
// GetPoints()[g * GetGuidePointCount() + k].
class HairGuides {
 public:
  // count strands of segments segments (segments + 1 points each; no points
  // when segments is 0), all points at the origin, root coordinates zero.
  static HairGuides* Alloc(Int32 count, Int32 segments);
  static void Free(HairGuides*& guides) {
    delete guides;
    guides = nullptr;
  }

  Int32 GetCount() const { return count_; }
  Int32 GetSegmentCount() const { return segments_; }
  Int32 GetGuidePointCount() const { return segments_ > 0 ? segments_ + 1 : 0; }
  Int32 GetPointCount() const { return count_ * GetGuidePointCount(); }
  Vector* GetPoints() { return points_.empty() ? nullptr : points_.data(); }
  const Vector* GetPoints() const { return points_.empty() ? nullptr : points_.data(); }
  // Root texture coordinate of a strand (x = u, y = v); zero out of range.
  Vector GetRootUV(Int32 guide) const {
    return guide >= 0 && guide < count_ ? rootUV_[size_t(guide)] : Vector();
  }
  // Host-side: set a strand's root coordinate.
  void SetRootUV(Int32 guide, const Vector& uv) {
    if (guide >= 0 && guide < count_) rootUV_[size_t(guide)] = uv;
  }
  // The space the points are in (identity: object space).
  Matrix GetMg() const { return mg_; }
  void SetMg(const Matrix& mg) { mg_ = mg; }

  HairGuides* Clone() const { return new HairGuides(*this); }

 private:
  HairGuides(Int32 count, Int32 segments);
  HairGuides(const HairGuides&) = default;

  Int32 count_;
  Int32 segments_;
  std::vector<Vector> points_;
  std::vector<Vector> rootUV_;
  Matrix mg_;
};

// A hair object. The stand-in keeps a stored set of strands in the object's
// own space (SetGuides); GenerateHair hands out a copy transformed by the
// object's global matrix (no transform with HAIR_GENERATE_FLAGS_NO_TRANSFORM).
// The object owns what GenerateHair returns; it stays valid until the next
// GenerateHair call or until the object goes. count and segments other than
// NOTOK are ignored.
class HairObject : public BaseObject {
 public:
  static HairObject* Alloc();
  static void Free(HairObject*& op) {
    delete op;
    op = nullptr;
  }
  ~HairObject() override;

  Bool Lock(BaseDocument* doc, BaseThread* bt, Bool bUpdate, Int32 flags);
  void Unlock();
  Bool IsLocked() const { return locked_; }

  // Null when no strands are stored.
  HairGuides* GenerateHair(Int32 flags = HAIR_GENERATE_FLAGS_NONE, Int32 count = NOTOK,
                           Int32 segments = NOTOK, HairMaterialData** pMaterial = nullptr,
                           HairInterpolationMap* pMap = nullptr);
  // The stored strands (object space), or null.
  HairGuides* GetGuides() const { return guides_; }
  // Host-side: store strands (takes ownership; null removes them).
  void SetGuides(HairGuides* guides);

 private:
  friend class BaseObject;
  HairObject() : BaseObject(Ohair) {}
  HairGuides* guides_ = nullptr;
  HairGuides* generated_ = nullptr;
  Bool locked_ = false;
};
