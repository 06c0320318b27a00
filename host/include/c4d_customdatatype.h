#pragma once

#include "ge_prepass.h"

// Base of the custom data kinds that a GeData can hold (gradients here).
class CustomDataType {
 public:
  virtual ~CustomDataType() = default;
  // Host-side: a deep copy, for GeData copies.
  virtual CustomDataType* CloneData() const = 0;
};
