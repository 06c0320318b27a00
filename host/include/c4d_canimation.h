#pragma once

#include "c4d_baselist.h"
#include "c4d_basetime.h"
#include "ge_prepass.h"

#include <vector>

class CCurve;
class CTrack;

// One key of a curve.
class CKey {
 public:
  BaseTime GetTime() const { return time_; }
  Float GetValue() const { return value_; }
  CINTERPOLATION GetInterpolation() const { return interpolation_; }
  // Setters re-sort the curve's keys when the time changes.
  void SetTime(CCurve* seq, const BaseTime& t);
  void SetValue(CCurve* seq, Float v) {
    (void)seq;
    value_ = v;
  }
  void SetInterpolation(CCurve* seq, CINTERPOLATION inter) {
    (void)seq;
    interpolation_ = inter;
  }

 private:
  friend class CCurve;
  BaseTime time_;
  Float value_ = 0.0;
  CINTERPOLATION interpolation_ = CINTERPOLATION::LINEAR;
};

// Keys ordered by time. Between two keys the left key's interpolation
// decides: STEP holds the left value, LINEAR interpolates linearly, SPLINE
// eases in and out (a cubic with flat ends). Before the first key the first
// value holds, after the last key the last value.
class CCurve {
 public:
  ~CCurve();
  CCurve(const CCurve&) = delete;
  CCurve& operator=(const CCurve&) = delete;

  Int32 GetKeyCount() const { return Int32(keys_.size()); }
  // Null when index is out of range.
  CKey* GetKey(Int32 index) const {
    return index >= 0 && index < GetKeyCount() ? keys_[size_t(index)] : nullptr;
  }
  // The key at exactly time, or null.
  CKey* FindKey(const BaseTime& time, Int32* idx = nullptr) const;
  // Adds a key at time (value 0, linear), or returns the key already there.
  // nidx receives its index.
  CKey* AddKey(const BaseTime& time, Int32* nidx = nullptr, Bool bUndo = false,
               Bool SynchronizeKeys = false);
  Bool DelKey(Int32 index);
  // The curve's value at time (0 without keys).
  Float GetValue(const BaseTime& time) const;
  CTrack* GetTrack() const { return track_; }

  // Host-side: re-sorts after a key's time changed.
  void SortKeys();

 private:
  friend class CTrack;
  explicit CCurve(CTrack* track) : track_(track) {}
  CTrack* track_;
  std::vector<CKey*> keys_;
};

// An animation track of one parameter (its DescID), with one value curve.
// Parameter ID_CTRACK_ANIMOFF (904) reads true unless set otherwise.
class CTrack : public BaseList2D {
 public:
  // A track for parameter id of bl (bl is only used for its type). Insert it
  // with bl->InsertTrackSorted.
  static CTrack* Alloc(BaseList2D* bl, const DescID& id);
  static void Free(CTrack*& bl) {
    delete bl;
    bl = nullptr;
  }
  ~CTrack() override;

  CTrack* GetNext() const { return static_cast<CTrack*>(GeListNode::GetNext()); }
  CTrack* GetPred() const { return static_cast<CTrack*>(GeListNode::GetPred()); }

  const DescID& GetDescriptionID() const { return id_; }
  Bool SetDescriptionID(BaseList2D* object, const DescID& id);
  // The value curve; made on request when create is true, else null until
  // made.
  CCurve* GetCurve(CCURVE type = CCURVE::CURVE, Bool bCreate = true);
  // The curve's value at time (0 without a curve).
  Float GetValue(BaseDocument* doc, const BaseTime& time) const;
  CTRACKCATEGORY GetTrackCategory() const { return CTRACKCATEGORY::VALUE; }
  // The element the track animates, or null when not inserted.
  BaseList2D* GetObject() const;

  Bool GetParameter(const DescID& id, GeData& t_data, DESCFLAGS_GET flags) override;

 private:
  CTrack(const DescID& id);
  DescID id_;
  CCurve* curve_ = nullptr;
};
