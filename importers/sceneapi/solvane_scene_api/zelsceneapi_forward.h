// A scene API that passes every call on to another one: the base of scene APIs that change
// only a few operations (the live link's, which adds connecting, and test doubles).
#pragma once

#include "zelapi.h"
#include "zelapi_operations.h"

// Forwards every operation to the target given to setTarget (not owned). Without a target
// every operation does nothing and returns false, null, or TYPE_STRING for the type queries.
// connect, disconnect and get_version keep the base class's answers: they belong to
// whoever decides what the target is.
class zelScene_api_forward : public zelScene_api {
 public:
  zelScene_api_forward() = default;
  ~zelScene_api_forward() override = default;

  void setTarget(zelScene_api* target) { target_ = target; }
  zelScene_api* target() const { return target_; }

  ZEL_SCENE_OVERRIDES

 private:
  zelScene_api* target_ = nullptr;
};
