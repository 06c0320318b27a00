#include "c4d_canimation.h"

#include <algorithm>

void CKey::SetTime(CCurve* seq, const BaseTime& t) {
  time_ = t;
  if (seq) seq->SortKeys();
}

CCurve::~CCurve() {
  for (CKey* k : keys_) delete k;
}

void CCurve::SortKeys() {
  std::stable_sort(keys_.begin(), keys_.end(),
                   [](const CKey* a, const CKey* b) { return a->time_ < b->time_; });
}

namespace {
bool KeyBefore(const CKey* k, const BaseTime& t) { return k->GetTime() < t; }
}  // namespace

// Keys stay ordered by time, so both searches are binary.
CKey* CCurve::FindKey(const BaseTime& time, Int32* idx) const {
  const auto it = std::lower_bound(keys_.begin(), keys_.end(), time, KeyBefore);
  if (it == keys_.end() || (*it)->time_ != time) return nullptr;
  if (idx) *idx = Int32(it - keys_.begin());
  return *it;
}

CKey* CCurve::AddKey(const BaseTime& time, Int32* nidx, Bool bUndo, Bool SynchronizeKeys) {
  (void)bUndo;
  (void)SynchronizeKeys;
  // A key after the last one, the common case of keys added in order, is appended.
  auto pos = keys_.end();
  if (!keys_.empty() && !(keys_.back()->time_ < time)) {
    pos = std::lower_bound(keys_.begin(), keys_.end(), time, KeyBefore);
    if ((*pos)->time_ == time) {
      if (nidx) *nidx = Int32(pos - keys_.begin());
      return *pos;
    }
  }
  CKey* key = new CKey();
  key->time_ = time;
  const auto it = keys_.insert(pos, key);
  if (nidx) *nidx = Int32(it - keys_.begin());
  return key;
}

Bool CCurve::DelKey(Int32 index) {
  if (index < 0 || index >= GetKeyCount()) return false;
  delete keys_[size_t(index)];
  keys_.erase(keys_.begin() + index);
  return true;
}

Float CCurve::GetValue(const BaseTime& time) const {
  if (keys_.empty()) return 0.0;
  if (!(keys_.front()->time_ < time)) return keys_.front()->value_;
  if (!(time < keys_.back()->time_)) return keys_.back()->value_;
  // The last key at or before time; the one after it is later than time.
  const auto after =
      std::upper_bound(keys_.begin(), keys_.end(), time,
                       [](const BaseTime& t, const CKey* k) { return t < k->time_; });
  const size_t i = size_t(after - keys_.begin()) - 1;
  const CKey* left = keys_[i];
  const CKey* right = keys_[i + 1];
  const Float t0 = left->time_.Get();
  const Float t1 = right->time_.Get();
  const Float u = t1 > t0 ? (time.Get() - t0) / (t1 - t0) : 0.0;
  switch (left->interpolation_) {
    case CINTERPOLATION::STEP:
      return left->value_;
    case CINTERPOLATION::SPLINE: {
      const Float s = u * u * (3.0 - 2.0 * u);
      return left->value_ + (right->value_ - left->value_) * s;
    }
    case CINTERPOLATION::LINEAR:
    default:
      return left->value_ + (right->value_ - left->value_) * u;
  }
}

namespace {
// Type id the stand-in gives animation tracks.
constexpr Int32 kTrackType = 5350;
}  // namespace

CTrack::CTrack(const DescID& id) : BaseList2D(kTrackType), id_(id) {}

CTrack::~CTrack() { delete curve_; }

CTrack* CTrack::Alloc(BaseList2D* bl, const DescID& id) {
  (void)bl;
  if (id.GetDepth() < 1) return nullptr;
  return new CTrack(id);
}

Bool CTrack::SetDescriptionID(BaseList2D* object, const DescID& id) {
  (void)object;
  if (id.GetDepth() < 1) return false;
  id_ = id;
  return true;
}

CCurve* CTrack::GetCurve(CCURVE type, Bool bCreate) {
  if (type != CCURVE::CURVE) return nullptr;
  if (!curve_ && bCreate) curve_ = new CCurve(this);
  return curve_;
}

Float CTrack::GetValue(BaseDocument* doc, const BaseTime& time) const {
  (void)doc;
  return curve_ ? curve_->GetValue(time) : 0.0;
}

BaseList2D* CTrack::GetObject() const {
  if (!ownerList_ || ownerList_->kind != c4dsdk_internal::ListKind::Tracks) return nullptr;
  return ownerList_->holder;
}

Bool CTrack::GetParameter(const DescID& id, GeData& t_data, DESCFLAGS_GET flags) {
  if (id.GetDepth() == 1 && id[0].id == ID_CTRACK_ANIMOFF &&
      !data_.GetDataPointer(ID_CTRACK_ANIMOFF)) {
    t_data = GeData(Int32(1));
    return true;
  }
  return BaseList2D::GetParameter(id, t_data, flags);
}
