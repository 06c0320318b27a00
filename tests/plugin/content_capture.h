// A driver with an open output onto a RecordingSceneApi, so that a content writer's
// calls and array values are seen directly without a whole conversion run; the opening
// banner and version are dropped from the record so that tests see only their own calls.
#pragma once

#include "C4DLoader.h"
#include "recording_scene_api.h"
#include "zelsceneapi_oo.h"

namespace solvane_test {

struct LoaderHarness {
  RecordingFactory factory;
  C4DLoader loader;

  LoaderHarness() {
    loader.sceneOO = new zel::zelSceneapi_oo(&factory);
    factory.api.calls.clear();
  }
  ~LoaderHarness() {
    delete loader.sceneOO;
    loader.sceneOO = nullptr;
  }
  RecordingSceneApi& api() { return factory.api; }
};

}  // namespace solvane_test
