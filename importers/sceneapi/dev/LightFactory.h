// Link factory: the one place that decides what stands behind the scene interface.
#pragma once

#include "zelapi.h"

namespace zel {

class zelSceneapi_oo;

// Implementations: LightFileFactory (text scene file or standard output) and
// RepeatLinkFactory (live link to a running renderer).
class LightFactory {
 public:
  virtual ~LightFactory() {}
  // The scene API, or null when no output is possible. Owned by the factory.
  virtual zelScene_api* getApi() = 0;
  // Called by the wrapper once it holds a non-null scene API, before its banner.
  virtual void init(zelSceneapi_oo* oo) = 0;
  // Ends the output; a second call does nothing.
  virtual void shutdown() = 0;
};

}  // namespace zel
