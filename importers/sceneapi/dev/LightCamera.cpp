#include "LightCamera.h"

#include "zelsceneapi_oo.h"

namespace zel {

LightCamera::LightCamera(std::string name)
    : name_(std::move(name)),
      position_{0.0, 0.0, 0.0},
      direction_{0.0, 0.0, -1.0},
      lookAt_{0.0, 0.0, -1.0},
      up_{0.0, 1.0, 0.0},
      fov_(60.0f),
      fov4_{0.0f, 0.0f, 0.0f, 0.0f},
      nearClip_(-1.0f),
      farClip_(-1.0f),
      hasTransform_(false),
      hasLookAt_(false),
      transform_{},
      projection_(PERSPECTIVE),
      fovMode_(0) {}

void LightCamera::defineInstance(zelSceneapi_oo*) {}

bool LightCamera::isInstance() const { return false; }

void LightCamera::insert(zelSceneapi_oo* oo) const {
  zelScene_api* api = oo->get_scene_api();
  if (!api) return;
  api->camera_begin(name_.c_str());
  if (projection_ == ORTHOGRAPHIC) {
    oo->set_parameter("projection", std::string("orthographic"));
  } else {
    oo->set_parameter("projection", std::string("perspective"));
    if (fovMode_ == 1)
      api->set_parameter("fov4", TYPE_FLOAT4_ALT, fov4_);
    else if (fovMode_ == 0)
      oo->set_parameter("fov", fov_);
  }
  zelShader* environment = getReflectionMap(oo);
  api->set_parameter("reflection map", TYPE_SHADER, &environment);
  oo->set_parameter("position", position_);
  oo->set_parameter("direction", direction_);
  if (hasLookAt_) oo->set_parameter("lookat", lookAt_);
  oo->set_parameter("up", up_);
  if (nearClip_ > 0.0f && farClip_ > 0.0f && nearClip_ < farClip_) {
    float clipping[2] = {nearClip_, farClip_};
    api->set_parameter("clipping", TYPE_FLOAT2, clipping);
  }
  if (child_)
    oo->insertNode(*child_);
  else if (hasTransform_)
    oo->set_transform(transform_);
  api->camera_end();
}

zelShader* LightCamera::getReflectionMap(zelSceneapi_oo* oo) const {
  zelScene_api* api = oo->get_scene_api();
  if (!api) return nullptr;
  api->shader_begin(nullptr, "zel_envmap");
  oo->set_parameter("texture", std::string("startup.hdr"));
  oo->set_parameter("format", 3);
  oo->set_parameter("radius", 25.0f);
  zelShader* handle = api->shader_get();
  oo->shaderEnd();
  return handle;
}

}  // namespace zel
