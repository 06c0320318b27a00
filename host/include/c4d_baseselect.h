#pragma once

#include "ge_prepass.h"

#include <utility>
#include <vector>

// A set of element indices, kept as ordered, disjoint segments of consecutive
// indices (ranges).
class BaseSelect {
 public:
  static BaseSelect* Alloc() { return new BaseSelect(); }
  static void Free(BaseSelect*& bs) {
    delete bs;
    bs = nullptr;
  }

  // Number of selected elements.
  Int32 GetCount() const;
  // Number of segments (runs of consecutive indices).
  Int32 GetSegments() const { return Int32(segments_.size()); }
  // First and last index (both included) of segment seg, the last index cut
  // to maxElements - 1. False for a segment that does not exist or that lies
  // wholly at or above maxElements.
  Bool GetRange(Int32 seg, Int32 maxElements, Int32* a, Int32* b) const;

  // Negative indices are refused.
  Bool Select(Int32 num);
  // Selects min to max, both included.
  Bool SelectAll(Int32 min, Int32 max);
  Bool Deselect(Int32 num);
  Bool DeselectAll();
  Bool IsSelected(Int32 num) const;
  Bool CopyTo(BaseSelect* dest) const;

 private:
  std::vector<std::pair<Int32, Int32>> segments_;
};
