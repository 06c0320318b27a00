// A renderer-side module: a "load" block named after the module, holding its parameters.
#pragma once

#include "LightNode.h"

#include <string>
#include <utility>

namespace zel {

class LightModule : public LightNode {
 public:
  explicit LightModule(std::string moduleName) : moduleName_(std::move(moduleName)) {}

  // module_begin(name), transferToScene, module_end on the wrapper's scene API.
  void insert(zelSceneapi_oo* oo) const override;
  void defineInstance(zelSceneapi_oo* oo) override;
  bool isInstance() const override;
  // Writes the module's parameters.
  virtual void transferToScene(zelSceneapi_oo* oo) const = 0;

  const std::string& moduleName() const { return moduleName_; }

 private:
  std::string moduleName_;
};

}  // namespace zel
