// Queries on the parsed tree and the scene summary.
#include "svb_reader.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace svb {

std::vector<double> Array::as_doubles() const {
  std::vector<double> out;
  out.reserve(scalar_count());
  out.insert(out.end(), numbers.begin(), numbers.end());
  for (const Value& item : items) {
    if (item.kind == Value::Kind::Number)
      out.insert(out.end(), item.numbers.begin(), item.numbers.end());
  }
  out.insert(out.end(), floats.begin(), floats.end());
  out.insert(out.end(), ints.begin(), ints.end());
  out.insert(out.end(), doubles.begin(), doubles.end());
  return out;
}

std::size_t Array::scalar_count() const {
  std::size_t n = numbers.size() + binary_count;
  for (const Value& item : items) {
    if (item.kind == Value::Kind::Number) n += item.numbers.size();
  }
  return n;
}

double Value::number(std::size_t i) const { return i < numbers.size() ? numbers[i] : 0.0; }

const Array& Value::array() const {
  static const Array empty;
  return array_value ? *array_value : empty;
}

const char* kind_name(NodeKind kind) {
  switch (kind) {
    case NodeKind::Comment:
      return "comment";
    case NodeKind::Print:
      return "print";
    case NodeKind::Error:
      return "error";
    case NodeKind::Version:
      return "version";
    case NodeKind::Progress:
      return "progress";
    case NodeKind::Attribute:
      return "attribute";
    case NodeKind::Transform:
      return "transform";
    case NodeKind::TransformSet:
      return "set transform";
    case NodeKind::Scale:
      return "scale";
    case NodeKind::Translate:
      return "translate";
    case NodeKind::Rotate:
      return "rotate";
    case NodeKind::Icon:
      return "icon";
    case NodeKind::Id:
      return "id";
    case NodeKind::Flags:
      return "flags";
    case NodeKind::Render:
      return "render";
    case NodeKind::Modify:
      return "modify";
    case NodeKind::Parameter:
      return "parameter";
    case NodeKind::Subshader:
      return "subshader";
    case NodeKind::MaterialShader:
      return "material shader";
    case NodeKind::MaterialUse:
      return "material use";
    case NodeKind::Group:
      return "group";
    case NodeKind::Object:
      return "object";
    case NodeKind::Geometry:
      return "geometry";
    case NodeKind::Animation:
      return "animation";
    case NodeKind::Accel:
      return "accel";
    case NodeKind::Light:
      return "light";
    case NodeKind::Module:
      return "module";
    case NodeKind::Matrix:
      return "matrix";
    case NodeKind::Material:
      return "material";
    case NodeKind::Options:
      return "options";
    case NodeKind::Camera:
      return "camera";
    case NodeKind::Image:
      return "image";
    case NodeKind::Output:
      return "output";
    case NodeKind::Shader:
      return "shader";
  }
  return "unknown";
}

bool Node::is_block() const { return kind >= NodeKind::Group; }

std::string_view Node::shader_type() const {
  if (kind != NodeKind::Shader || names.empty()) return {};
  return names.back();
}

const Node* Node::param(std::string_view n) const {
  for (const Node& c : children) {
    if ((c.kind == NodeKind::Parameter || c.kind == NodeKind::Subshader) && c.name() == n)
      return &c;
  }
  return nullptr;
}

const Node* Node::child(NodeKind k) const {
  for (const Node& c : children) {
    if (c.kind == k) return &c;
  }
  return nullptr;
}

const Node* Node::child(NodeKind k, std::string_view n) const {
  for (const Node& c : children) {
    if (c.kind == k && c.name() == n) return &c;
  }
  return nullptr;
}

std::vector<const Node*> Scene::groups() const {
  std::vector<const Node*> out;
  for (const Node& n : nodes) {
    if (n.kind == NodeKind::Group) out.push_back(&n);
  }
  return out;
}

const Node* Scene::find_group(std::string_view name) const {
  for (const Node& n : nodes) {
    if (n.kind == NodeKind::Group && n.name() == name) return &n;
  }
  return nullptr;
}

int Scene::version() const {
  int v = -1;
  for (const Node& n : nodes) {
    if (n.kind != NodeKind::Version) continue;
    const double d = n.value.number();
    // Only a whole number in range counts; anything else is no usable version.
    v = d >= 0 && d <= std::numeric_limits<int>::max() && d == std::floor(d) ? static_cast<int>(d)
                                                                             : -1;
  }
  return v;
}

namespace {

std::size_t array_scalars(const Node& block, std::string_view name) {
  const Node* p = block.param(name);
  if (!p || p->value.kind != Value::Kind::Array) return 0;
  return p->value.array().scalar_count();
}

bool emitting(const Node& n) {
  const std::string_view type = n.shader_type();
  return type == "zel_point_light" || type == "zel_mesh_light";
}

}  // namespace

Summary summarize(const Scene& scene) {
  Summary s;
  s.version = scene.version();
  s.models = scene.groups().size();
  walk(scene, [&s](const Node& n) {
    ++s.statements;
    switch (n.kind) {
      case NodeKind::Group:
        ++s.groups;
        break;
      case NodeKind::Object: {
        ++s.objects;
        bool light = false;
        walk(n, [&light](const Node& inner) { light = light || emitting(inner); });
        if (light) ++s.lights;
        break;
      }
      case NodeKind::Geometry:
        if (n.name() == "triangles") {
          s.triangles += array_scalars(n, "triangles") / 3;
          s.vertices += array_scalars(n, "vertices") / 3;
        } else if (n.name() == "zel_bezier_curves") {
          s.curves += array_scalars(n, "nvertices");
        }
        break;
      case NodeKind::Material:
        ++s.materials;
        break;
      case NodeKind::Shader:
        ++s.shaders;
        break;
      case NodeKind::Camera:
        ++s.cameras;
        break;
      case NodeKind::Light:
        ++s.lights;
        break;
      case NodeKind::Animation:
        ++s.animations;
        break;
      case NodeKind::Module:
        ++s.modules;
        break;
      default:
        break;
    }
  });
  return s;
}

namespace {

struct Field {
  const char* label;
  std::size_t Summary::*member;
};

const Field kFields[] = {
    {"groups", &Summary::groups},
    {"models", &Summary::models},
    {"objects", &Summary::objects},
    {"triangles", &Summary::triangles},
    {"vertices", &Summary::vertices},
    {"curves", &Summary::curves},
    {"materials", &Summary::materials},
    {"shaders", &Summary::shaders},
    {"cameras", &Summary::cameras},
    {"lights", &Summary::lights},
    {"animation blocks", &Summary::animations},
    {"modules", &Summary::modules},
    {"statements", &Summary::statements},
};

std::string version_text(int v) { return v < 0 ? std::string("none") : std::to_string(v); }

}  // namespace

std::string to_text(const Summary& summary) {
  std::string out = "version: " + version_text(summary.version) + "\n";
  for (const Field& f : kFields)
    out += std::string(f.label) + ": " + std::to_string(summary.*f.member) + "\n";
  return out;
}

std::vector<std::pair<std::string, std::size_t>> counts(const Summary& summary) {
  std::vector<std::pair<std::string, std::size_t>> out;
  for (const Field& f : kFields) out.emplace_back(f.label, summary.*f.member);
  return out;
}

std::string to_line(const Summary& summary) {
  std::string out = "version " + version_text(summary.version);
  for (const Field& f : kFields) out += ", " + std::to_string(summary.*f.member) + " " + f.label;
  return out;
}

}  // namespace svb
