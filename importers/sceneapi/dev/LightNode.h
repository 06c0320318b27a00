// Scene nodes: small values that write one self-contained piece of scene description
// through the object wrapper (zelSceneapi_oo::insertNode calls insert).
#pragma once

namespace zel {

class zelSceneapi_oo;

// Derived: LightModule (DefaultRTModule) and LightCamera.
class LightNode {
 public:
  virtual void insert(zelSceneapi_oo* oo) const = 0;
  virtual void defineInstance(zelSceneapi_oo* oo) = 0;
  virtual bool isInstance() const = 0;
  virtual ~LightNode() {}
};

}  // namespace zel
