#include "zelsceneapi_forward.h"

namespace {

// What an operation gives without a target: nothing, false, null, or TYPE_STRING for the
// type queries.
template <typename T>
T absent() {
  return T();
}
template <>
zelType absent<zelType>() {
  return TYPE_STRING;
}

}  // namespace

#define ZEL_DEFINE_FORWARD(ret, name, params, args, qualifier) \
  ret zelScene_api_forward::name params qualifier {            \
    return target_ ? target_->name args : absent<ret>();       \
  }

ZEL_SCENE_OPERATIONS(ZEL_DEFINE_FORWARD)
