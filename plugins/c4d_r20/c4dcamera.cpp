#include "C4DLoader.h"

#include "c4dread.h"

#include "LightCamera.h"
#include "zelsceneapi_oo.h"

#include <string>

namespace {
// Camera parameter: the field of view in radians.
constexpr Int32 kCameraFov = 1008;
}  // namespace

void C4DLoader::getCameras(BaseObject* object, std::vector<BaseObject*>& cameras) {
  if (!object) return;
  if (object->GetType() == Ocamera) cameras.push_back(object);
  for (BaseObject* child = object->GetDown(); child; child = child->GetNext())
    getCameras(child, cameras);
}

void C4DLoader::writeCamera(BaseObject* camera) {
  if (!camera || !sceneOO) return;

  const float radians = static_cast<float>(readFloat(camera, kCameraFov));
  const float degrees =
      static_cast<float>(static_cast<double>(radians) * 0.3183098861837907 * 180.0);

  // The rest transform that the camera's animation is taken relative to.
  const Vector position = camera->GetAbsPos();
  const Vector rotation = camera->GetAbsRot();
  const Vector scale = camera->GetAbsScale();
  const ROTATIONORDER order = camera->GetRotationOrder();

  // Cameras are written outside the root group and so carry its mirror themselves.
  const zelMatrix transform = mirroredPlacement(camera->GetMg());
  std::string name = utf8Or(camera->GetName(), "");
  if (name.empty()) name = "Camera";

  zel::LightCamera node(name);
  node.setPosition(0.0f, 0.0f, 0.0f);
  node.setDirection(0.0f, 0.0f, 1.0f);
  node.setUp(0.0f, 1.0f, 0.0f);
  node.setFov(degrees);
  node.setTransform(transform);
  node.setProjection(zel::LightCamera::PERSPECTIVE);
  sceneOO->insertNode(node);

  writeAnimation(name.c_str(), camera, position, rotation, order, scale, true);
}
