// Import-settings module: tells the renderer how to take in the scene that follows.
#pragma once

#include "LightModule.h"

#include <string>

namespace zel {

class DefaultRTModule : public LightModule {
 public:
  DefaultRTModule();

  void setImportMode(bool on) { importMode_ = on; }
  void setImportMergeGroups(bool on) { mergeGroups_ = on; }
  void setImportMergeObjects(bool on) { mergeObjects_ = on; }
  void setImportUpVector(int axis) { upVector_ = axis; }
  void setMeterScale(float scale) { meterScale_ = scale; }
  void setImportKeepOriginal(bool on) { keepOriginal_ = on; }
  void setImportCenterGeometry(bool on) { centerGeometry_ = on; }
  void setImportSnapToGround(bool on) { snapToGround_ = on; }
  void setImportAdjustCamera(bool on) { adjustCamera_ = on; }
  void setImportAdjustEnvironment(bool on) { adjustEnvironment_ = on; }
  void setExt(bool on) { ext_ = on; }

  // The parameters in a fixed order; "import_use_camera" only when a camera is named.
  void transferToScene(zelSceneapi_oo* oo) const override;

 private:
  bool importMode_;
  bool mergeGroups_;
  bool mergeObjects_;
  int upVector_;
  float meterScale_;
  bool keepOriginal_;
  bool centerGeometry_;
  bool snapToGround_;
  bool adjustCamera_;
  bool adjustEnvironment_;
  std::string useCamera_;
  bool ext_;
};

}  // namespace zel
