#include "LightModule.h"

#include "zelsceneapi_oo.h"

namespace zel {

void LightModule::insert(zelSceneapi_oo* oo) const {
  zelScene_api* api = oo->get_scene_api();
  if (!api) return;
  api->module_begin(moduleName_.c_str());
  transferToScene(oo);
  api->module_end();
}

void LightModule::defineInstance(zelSceneapi_oo*) {}

bool LightModule::isInstance() const { return false; }

}  // namespace zel
