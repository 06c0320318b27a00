#include "DefaultRTModule.h"

#include "zelsceneapi_oo.h"

namespace zel {

DefaultRTModule::DefaultRTModule()
    : LightModule("zelrtopt.so"),
      importMode_(true),
      mergeGroups_(true),
      mergeObjects_(true),
      upVector_(0),
      meterScale_(1.0f),
      keepOriginal_(false),
      centerGeometry_(true),
      snapToGround_(false),
      adjustCamera_(true),
      adjustEnvironment_(true),
      ext_(true) {}

void DefaultRTModule::transferToScene(zelSceneapi_oo* oo) const {
  oo->set_parameter("import_mode", importMode_);
  oo->set_parameter("import_merge_groups", mergeGroups_);
  oo->set_parameter("import_merge_objects", mergeObjects_);
  oo->set_parameter("import_up_vector", upVector_);
  oo->set_parameter("meter_scale", meterScale_);
  oo->set_parameter("import_keep_original", keepOriginal_);
  oo->set_parameter("import_center_geometry", centerGeometry_);
  oo->set_parameter("import_snap_to_ground", snapToGround_);
  oo->set_parameter("import_adjust_camera", adjustCamera_);
  oo->set_parameter("import_adjust_environment", adjustEnvironment_);
  if (!useCamera_.empty()) oo->set_parameter("import_use_camera", useCamera_);
  oo->set_parameter("ext", ext_);
}

}  // namespace zel
