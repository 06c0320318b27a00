// Camera node: one camera block with its projection, environment shader and placement.
#pragma once

#include "LightNode.h"
#include "zelapi.h"

#include <memory>
#include <string>

namespace zel {

class LightCamera : public LightNode {
 public:
  enum Projection : int32_t { PERSPECTIVE = 0, ORTHOGRAPHIC = 1 };

  explicit LightCamera(std::string name);

  void setPosition(float x, float y, float z) { position_ = {x, y, z}; }
  void setDirection(float x, float y, float z) { direction_ = {x, y, z}; }
  void setUp(float x, float y, float z) { up_ = {x, y, z}; }
  // Field of view in degrees; selects the single-value field of view.
  void setFov(float degrees) {
    fov_ = degrees;
    fovMode_ = 0;
  }
  // Copies the matrix; the camera block then carries a transform statement.
  void setTransform(zelMatrix const& m) {
    transform_ = m;
    hasTransform_ = true;
  }
  void setProjection(Projection p) { projection_ = p; }

  void insert(zelSceneapi_oo* oo) const override;
  void defineInstance(zelSceneapi_oo* oo) override;
  bool isInstance() const override;
  // Captures the environment shader as text and returns its handle (owned by the
  // wrapper's scene API).
  virtual zelShader* getReflectionMap(zelSceneapi_oo* oo) const;

 private:
  std::string name_;
  zelVector position_;
  zelVector direction_;
  zelVector lookAt_;
  zelVector up_;
  float fov_;
  float fov4_[4];
  float nearClip_;
  float farClip_;
  std::shared_ptr<LightNode> child_;
  bool hasTransform_;
  bool hasLookAt_;
  zelMatrix transform_;
  Projection projection_;
  int32_t fovMode_;
};

}  // namespace zel
