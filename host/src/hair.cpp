#include "lib_hair.h"

HairGuides::HairGuides(Int32 count, Int32 segments)
    : count_(count < 0 ? 0 : count), segments_(segments < 0 ? 0 : segments) {
  points_.resize(size_t(GetPointCount()));
  rootUV_.resize(size_t(count_));
}

HairGuides* HairGuides::Alloc(Int32 count, Int32 segments) {
  if (count < 0 || segments < 0) return nullptr;
  return new HairGuides(count, segments);
}

HairObject* HairObject::Alloc() { return new HairObject(); }

HairObject::~HairObject() {
  HairGuides::Free(guides_);
  HairGuides::Free(generated_);
}

Bool HairObject::Lock(BaseDocument* doc, BaseThread* bt, Bool bUpdate, Int32 flags) {
  (void)doc;
  (void)bt;
  (void)bUpdate;
  (void)flags;
  locked_ = true;
  return true;
}

void HairObject::Unlock() { locked_ = false; }

HairGuides* HairObject::GenerateHair(Int32 flags, Int32 count, Int32 segments,
                                     HairMaterialData** pMaterial, HairInterpolationMap* pMap) {
  (void)count;
  (void)segments;
  (void)pMap;
  if (pMaterial) *pMaterial = nullptr;
  HairGuides::Free(generated_);
  if (!guides_) return nullptr;
  generated_ = guides_->Clone();
  if (!(flags & HAIR_GENERATE_FLAGS_NO_TRANSFORM)) {
    const Matrix mg = GetMg();
    Vector* p = generated_->GetPoints();
    for (Int32 i = 0; i < generated_->GetPointCount(); ++i) p[i] = mg * p[i];
    generated_->SetMg(Matrix());
  }
  return generated_;
}

void HairObject::SetGuides(HairGuides* guides) {
  if (guides == guides_) return;
  HairGuides::Free(guides_);
  guides_ = guides;
}
