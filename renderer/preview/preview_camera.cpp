#include "preview_camera.h"

#include "preview_nodes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace svb_preview {

namespace {

using svb::Node;
using svb::NodeKind;
using svb::Value;

constexpr double kDefaultFovDegrees = 60.0;
constexpr double kFramingFovDegrees = 45.0;

// The numbers of the last parameter `name` among the blocks, or null.
const std::vector<double>* lastNumbers(const std::vector<const CameraBlock*>& blocks,
                                       std::string_view name, std::size_t count) {
  const std::vector<double>* found = nullptr;
  for (const CameraBlock* b : blocks) {
    for (const Node& c : b->node->children) {
      if (c.kind == NodeKind::Parameter && c.name() == name && c.value.is(Value::Kind::Number) &&
          c.value.numbers.size() == count)
        found = &c.value.numbers;
    }
  }
  return found;
}

Vec3 vec(const std::vector<double>* v, Vec3 fallback) {
  return v ? Vec3{(*v)[0], (*v)[1], (*v)[2]} : fallback;
}

// The animation's matrix at `time`: the last sample whose timestamp is not after it,
// the first sample before the animation starts; identity without samples.
Mat4 sample(const Node& animation, double time) {
  const Node* start = parameter(animation, "start_time");
  const Node* matrices = parameter(animation, "matrices");
  const Node* stamps = parameter(animation, "timestamps");
  if (!matrices || !stamps) return Mat4();
  const std::vector<double> m = matrices->value.array().as_doubles();
  const std::vector<double> t = stamps->value.array().as_doubles();
  const std::size_t count = std::min(m.size() / 16, t.size());
  if (count == 0) return Mat4();
  const double ms = (time - (start ? start->value.number() : 0.0)) * 1000.0;
  std::size_t i = 0;
  while (i + 1 < count && t[i + 1] <= ms) ++i;
  return Mat4::from(m.data() + 16 * i);
}

// Sets right, up and back from a view direction and an up hint.
bool orient(View& view, Vec3 direction, Vec3 upHint) {
  const Vec3 back = normalize(direction * -1.0);
  const Vec3 right = normalize(cross(direction, upHint));
  if (length(back) < 0.5 || length(right) < 0.5) return false;
  view.back = back;
  view.right = right;
  view.up = cross(back, right);
  return true;
}

void setFocal(View& view, double horizontalDegrees, int width, int height) {
  view.focalX = 1.0 / std::tan(horizontalDegrees * kPi / 360.0);
  view.focalY = view.focalX * width / height;
}

View framing(const Bounds& bounds, int width, int height) {
  View view;
  setFocal(view, kFramingFovDegrees, width, height);
  Vec3 centre;
  double radius = 1.0;
  if (!bounds.empty()) {
    centre = bounds.centre();
    radius = std::max(length(bounds.high - bounds.low) * 0.5, 1e-6);
  }
  // The sphere fits when its radius subtends at most the narrower half angle.
  const double half = std::atan(1.0 / std::max(view.focalX, view.focalY));
  const double distance = radius / std::sin(half);
  view.eye = centre + Vec3{0.0, 0.0, distance};
  view.near = std::max(distance - radius, distance * 1e-3) * 0.5;
  return view;
}

// The camera's blocks in file order: the first camera block (without one, the first
// modify block), then the modify blocks after it that give its name or none.
std::vector<const CameraBlock*> activeCamera(const DrawList& list) {
  std::vector<const CameraBlock*> blocks;
  for (const CameraBlock& c : list.cameras) {
    if (!c.node->modify) {
      blocks.push_back(&c);
      break;
    }
  }
  if (blocks.empty() && !list.cameras.empty()) blocks.push_back(&list.cameras[0]);
  if (blocks.empty()) return blocks;
  const Node& first = *blocks[0]->node;
  for (const CameraBlock& c : list.cameras) {
    if (c.node->modify && c.node->offset > first.offset &&
        (c.node->name().empty() || c.node->name() == first.name()))
      blocks.push_back(&c);
  }
  return blocks;
}

// The last transform the blocks give, then the camera's animations in file order.
Mat4 cameraWorld(const std::vector<const CameraBlock*>& blocks, const DrawList& list, double time) {
  Mat4 world = blocks[0]->world;
  for (const CameraBlock* b : blocks)
    if (b->transformed) world = b->world;
  const std::string prefix = std::string(blocks[0]->node->name()) + "/Camera ";
  for (const Node* animation : list.animations) {
    const Node* folder = parameter(*animation, "folder");
    if (folder && folder->value.text.rfind(prefix, 0) == 0)
      world = world * sample(*animation, time);
  }
  return world;
}

}  // namespace

Bounds sceneBounds(const DrawList& list) {
  Bounds b;
  for (const Mesh& mesh : list.meshes) {
    if (mesh.material.hidden) continue;
    const float* v = mesh.vertices.data;
    for (std::size_t i = 0; i + 2 < mesh.vertices.size; i += 3)
      b.add(mapPoint(mesh.world, {v[i], v[i + 1], v[i + 2]}));
  }
  for (const Curves& curves : list.curves) {
    const float* v = curves.points.data;
    for (std::size_t i = 0; i + 2 < curves.points.size; i += 3)
      b.add(mapPoint(curves.world, {v[i], v[i + 1], v[i + 2]}));
  }
  return b;
}

View chooseView(const DrawList& list, const Bounds& bounds, double time, int width, int height,
                std::vector<std::string>& notes) {
  const std::vector<const CameraBlock*> blocks = activeCamera(list);
  if (blocks.empty()) return framing(bounds, width, height);
  const Mat4 world = cameraWorld(blocks, list, time);

  View view;
  for (const CameraBlock* b : blocks) {
    const Node* projection = parameter(*b->node, "projection");
    if (projection && projection->value.text == "orthographic")
      notes.push_back("camera: orthographic projection drawn in perspective");
  }
  const std::vector<double>* fov = lastNumbers(blocks, "fov", 1);
  const double degrees = fov ? (*fov)[0] : kDefaultFovDegrees;
  if (!(degrees > 0.0 && degrees < 180.0)) {
    char text[96];
    std::snprintf(text, sizeof text, "camera: field of view %g degrees is unusable; %g drawn",
                  degrees, kDefaultFovDegrees);
    notes.push_back(text);
    setFocal(view, kDefaultFovDegrees, width, height);
  } else {
    setFocal(view, degrees, width, height);
  }
  view.eye = mapPoint(world, vec(lastNumbers(blocks, "position", 3), {}));
  Vec3 direction = mapVector(world, vec(lastNumbers(blocks, "direction", 3), {0.0, 0.0, -1.0}));
  if (const std::vector<double>* lookat = lastNumbers(blocks, "lookat", 3))
    direction = mapPoint(world, vec(lookat, {})) - view.eye;
  const Vec3 up = mapVector(world, vec(lastNumbers(blocks, "up", 3), {0.0, 1.0, 0.0}));
  if (!orient(view, direction, up)) {
    notes.push_back("camera: direction and up give no view; the scene is framed instead");
    return framing(bounds, width, height);
  }
  const std::vector<double>* clipping = lastNumbers(blocks, "clipping", 2);
  if (clipping && (*clipping)[0] > 0.0) {
    view.near = (*clipping)[0];
  } else {
    const double size = bounds.empty() ? 1.0 : length(bounds.high - bounds.low);
    view.near = std::max(size, 1e-6) * 1e-5;
  }
  return view;
}

}  // namespace svb_preview
