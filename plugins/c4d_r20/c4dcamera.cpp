#include "C4DLoader.h"

#include "c4dconvert.h"

#include "LightCamera.h"
#include "zelsceneapi_oo.h"

#include <string>

namespace {
// Camera parameter: the field of view in radians.
constexpr Int32 kCameraFov = 1008;

// The global matrix mirrored in z, the same mirroring the root group applies to the
// rest of the scene, since cameras are written outside that group.
zelMatrix mirroredTransform(const Matrix& mg) {
  zelMatrix m = toZelMatrix(mg);
  for (int i = 0; i < 4; ++i) m[i * 4 + 2] = -m[i * 4 + 2];
  return m;
}

std::string cameraName(BaseObject* camera) {
  std::string name;
  toUtf8(camera->GetName(), name);
  return name.empty() ? std::string("Camera") : name;
}
}  // namespace

void C4DLoader::getCameras(BaseObject* object, std::vector<BaseObject*>& cameras) {
  if (!object) return;
  if (object->GetType() == Ocamera) cameras.push_back(object);
  for (BaseObject* child = object->GetDown(); child; child = child->GetNext())
    getCameras(child, cameras);
}

void C4DLoader::writeCamera(BaseObject* camera) {
  if (!camera || !sceneOO) return;

  GeData data;
  camera->GetParameter(DescID(kCameraFov), data, DESCFLAGS_GET::NONE);
  const float radians = static_cast<float>(data.GetFloat());
  const float degrees =
      static_cast<float>(static_cast<double>(radians) * 0.3183098861837907 * 180.0);

  // The rest transform that the camera's animation is taken relative to.
  const Vector position = camera->GetAbsPos();
  const Vector rotation = camera->GetAbsRot();
  const Vector scale = camera->GetAbsScale();
  const ROTATIONORDER order = camera->GetRotationOrder();

  const zelMatrix transform = mirroredTransform(camera->GetMg());
  const std::string name = cameraName(camera);

  zel::LightCamera node(name);
  node.setPosition(0.0f, 0.0f, 0.0f);
  node.setDirection(0.0f, 0.0f, 1.0f);
  node.setUp(0.0f, 1.0f, 0.0f);
  node.setFov(degrees);
  node.setTransform(transform);
  node.setProjection(zel::LightCamera::PERSPECTIVE);
  sceneOO->insertNode(node);

  std::vector<CTrack*> scales;
  std::vector<CTrack*> rotations;
  std::vector<CTrack*> positions;
  for (CTrack* track = camera->GetFirstCTrack(); track; track = track->GetNext())
    browseTrack(track, scales, rotations, positions);
  writeTracksSeparate(name.c_str(), scales, "Camera Scale", position, rotation, order, scale, true);
  writeTracksSeparate(name.c_str(), rotations, "Camera Rotation", position, rotation, order, scale,
                      true);
  writeTracksSeparate(name.c_str(), positions, "Camera Position", position, rotation, order, scale,
                      true);
}
