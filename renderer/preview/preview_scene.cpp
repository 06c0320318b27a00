// Gathering the drawable content of a parsed scene, in the vocabulary the plug-in
// writes: groups with transform statements, objects with "triangles" and
// "zel_bezier_curves" geometry and one material, materials whose surface shader is
// "zel_diffuse", "zel_advanced" (optionally with a "texture2_rgb" diffuse subshader)
// or an emitting "zel_point_light" / "zel_mesh_light".
#include "preview_scene.h"

#include "preview_nodes.h"

#include <cmath>
#include <limits>
#include <map>
#include <string_view>

namespace svb_preview {

namespace {

using svb::Node;
using svb::NodeKind;
using svb::Value;

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

double number(const Node& block, std::string_view name, double fallback) {
  const Node* p = parameter(block, name);
  return p && p->value.is(Value::Kind::Number) && !p->value.numbers.empty() ? p->value.number()
                                                                            : fallback;
}

bool boolean(const Node& block, std::string_view name, bool fallback) {
  const Node* p = parameter(block, name);
  return p && p->value.is(Value::Kind::Bool) ? p->value.boolean : fallback;
}

Vec3 color(const Node& block, std::string_view name, Vec3 fallback) {
  const Node* p = parameter(block, name);
  if (!p || !p->value.is(Value::Kind::Number) || p->value.numbers.size() != 3) return fallback;
  return {p->value.number(0), p->value.number(1), p->value.number(2)};
}

std::string text(const Node& block, std::string_view name) {
  const Node* p = parameter(block, name);
  return p && p->value.is(Value::Kind::String) ? p->value.text : std::string();
}

Mat4 translation(Vec3 t) {
  Mat4 m;
  m.m[12] = t.x;
  m.m[13] = t.y;
  m.m[14] = t.z;
  return m;
}

Mat4 scaling(Vec3 s) {
  Mat4 m;
  m.m[0] = s.x;
  m.m[5] = s.y;
  m.m[10] = s.z;
  return m;
}

class Gatherer {
 public:
  explicit Gatherer(DrawList& out) : out_(out) {}

  void run(const svb::Scene& scene) {
    // Defined materials and numbered shaders may be used before or after their
    // definition; the last definition of a name or number counts.
    svb::walk(scene, [this](const Node& n) {
      if (!n.defined) return;
      if (n.kind == NodeKind::Material) materials_[std::string(n.name())] = &n;
      if (n.kind == NodeKind::Shader && n.value.is(Value::Kind::ShaderId))
        shaders_[n.value.number()] = &n;
    });
    for (const Node& n : scene.nodes) visit(n, Mat4());
  }

 private:
  DrawList& out_;
  std::map<std::string, const Node*> materials_;
  std::map<double, const Node*> shaders_;

  void note(const std::string& text) { out_.notes.push_back(text); }

  void visit(const Node& node, const Mat4& parent) {
    switch (node.kind) {
      case NodeKind::Group:
      case NodeKind::Object: {
        if (node.defined) return;  // a definition is not placed
        const Mat4 world = ownTransform(node) * parent;
        if (node.kind == NodeKind::Object) gatherObject(node, world);
        for (const Node& c : node.children) visit(c, world);
        return;
      }
      case NodeKind::Camera: {
        bool transformed = false;
        const Mat4 own = ownTransform(node, &transformed);
        out_.cameras.push_back({&node, own * parent, transformed});
        return;
      }
      case NodeKind::Animation:
        out_.animations.push_back(&node);
        return;
      default:
        return;
    }
  }

  // The block's transform statements composed like nested groups: the first one
  // written is the outermost. "set transform" replaces what the block's statements
  // composed so far (it stays relative to the parent block). `transformed`, when
  // given, tells whether the block has any such statement.
  Mat4 ownTransform(const Node& block, bool* transformed = nullptr) {
    Mat4 local;
    for (const Node& c : block.children) {
      const std::vector<double>& v = c.value.numbers;
      if (transformed && (c.kind == NodeKind::Transform || c.kind == NodeKind::TransformSet ||
                          c.kind == NodeKind::Translate || c.kind == NodeKind::Scale))
        *transformed = true;
      switch (c.kind) {
        case NodeKind::Transform:
          local = Mat4::from(v.data()) * local;
          break;
        case NodeKind::TransformSet:
          local = Mat4::from(v.data());
          break;
        case NodeKind::Translate:
          local = translation({v[0], v[1], v[2]}) * local;
          break;
        case NodeKind::Scale:
          local = scaling({v[0], v[1], v[2]}) * local;
          break;
        case NodeKind::Rotate:
          note(quoted(block.name()) + ": rotate statement left out (its angle order is unknown)");
          break;
        default:
          break;
      }
    }
    return local;
  }

  // A shader given in place or by the number of its definition; null when neither.
  const Node* shaderOf(const Node& reference) {
    if (const Node* s = reference.value.shader()) return s;
    if (!reference.value.is(Value::Kind::ShaderId)) return nullptr;
    auto found = shaders_.find(reference.value.number());
    if (found == shaders_.end()) {
      note("shader " + std::to_string(static_cast<long long>(reference.value.number())) +
           " is used but never defined");
      return nullptr;
    }
    return found->second;
  }

  Material material(const Node& object) {
    Material m;
    const Node* block = nullptr;
    for (const Node& c : object.children) {
      if (c.kind == NodeKind::Material && !c.defined) {
        block = &c;
        break;
      }
      if (c.kind == NodeKind::MaterialUse) {
        auto found = materials_.find(std::string(c.name()));
        if (found != materials_.end()) {
          block = found->second;
        } else {
          note(quoted(object.name()) + ": material " + quoted(c.name()) + " is never defined");
        }
        break;
      }
    }
    const Node* slot = block ? childNamed(*block, NodeKind::MaterialShader, "surface") : nullptr;
    const Node* surface = slot ? shaderOf(*slot) : nullptr;
    if (!surface) return m;

    const std::string_view type = surface->shader_type();
    if (type == "zel_point_light" || type == "zel_mesh_light") {
      m.emitting = true;
      m.diffuse = color(*surface, "color", {1.0, 1.0, 1.0});
      m.power = number(*surface, "power", 0.0);
      if (boolean(*surface, "lumen", false)) m.power /= 4.0 * kPi;
      m.hidden = !boolean(*surface, "visible to the eye", true);
      return m;
    }
    m.diffuse = color(*surface, "diffuse", m.diffuse);
    const Node* link = childNamed(*surface, NodeKind::Subshader, "diffuse");
    const Node* texture = link ? shaderOf(*link) : nullptr;
    if (texture && texture->shader_type() == "texture2_rgb") {
      m.textured = true;
      TexturePlacement& t = m.texture;
      t.file = text(*texture, "texture");
      t.wrap = boolean(*texture, "wrap", true);
      t.defaultColor = color(*texture, "default_color", {});
      t.scaleU = number(*texture, "scale_u", 1.0);
      t.scaleV = number(*texture, "scale_v", 1.0);
      t.shiftU = number(*texture, "shift_u", 0.0);
      t.shiftV = number(*texture, "shift_v", 0.0);
      const Node* matrix = parameter(*texture, "transform_obj_to_uv");
      t.flat =
          number(*texture, "uv_projection", 4) == 5 && matrix && matrix->value.numbers.size() == 16;
      if (t.flat) t.objectToUv = Mat4::from(matrix->value.numbers.data());
    } else if (texture) {
      note(quoted(object.name()) + ": diffuse shader " + quoted(texture->shader_type()) +
           " is not drawn");
    }
    return m;
  }

  // The float elements of an array parameter; a copy only when the array is not a
  // plain float or colour block.
  Span<float> floats(const Node& block, std::string_view name) {
    const Node* p = parameter(block, name);
    if (!p || !p->value.is(Value::Kind::Array)) return {};
    const svb::Array& a = p->value.array();
    if ((a.binary == svb::kBinaryFloat || a.binary == svb::kBinaryColor) && a.numbers.empty() &&
        a.items.empty())
      return {a.floats.data(), a.floats.size()};
    const std::vector<double> all = a.as_doubles();
    const std::vector<float>& copy = out_.floatCopies.emplace_back(all.begin(), all.end());
    return {copy.data(), copy.size()};
  }

  // The int elements of an array parameter; numbers that are no int32 become -1, an
  // index that every range check refuses.
  Span<std::int32_t> ints(const Node& block, std::string_view name) {
    const Node* p = parameter(block, name);
    if (!p || !p->value.is(Value::Kind::Array)) return {};
    const svb::Array& a = p->value.array();
    if (a.binary == svb::kBinaryInt && a.numbers.empty() && a.items.empty())
      return {a.ints.data(), a.ints.size()};
    std::vector<std::int32_t>& copy = out_.intCopies.emplace_back();
    for (double d : a.as_doubles()) {
      const bool whole = d == std::floor(d) && d >= std::numeric_limits<std::int32_t>::min() &&
                         d <= std::numeric_limits<std::int32_t>::max();
      copy.push_back(whole ? static_cast<std::int32_t>(d) : -1);
    }
    return {copy.data(), copy.size()};
  }

  static bool indicesBelow(Span<std::int32_t> indices, std::size_t limit) {
    for (std::size_t i = 0; i < indices.size; ++i)
      if (static_cast<std::uint32_t>(indices[i]) >= limit) return false;
    return true;
  }

  // A per-corner stream: its own index stream, or the vertex indices when it has one
  // entry per vertex. Empty (with a note) when it does not fit the triangles.
  void cornerStream(const Node& geometry, const std::string& object, const char* valuesName,
                    const char* indexName, std::size_t width, const Mesh& mesh, Span<float>& values,
                    Span<std::int32_t>& indices) {
    values = floats(geometry, valuesName);
    indices = ints(geometry, indexName);
    if (values.size == 0) {
      indices = {};
      return;
    }
    const std::size_t entries = values.size / width;
    if (indices.size == 0 && entries == mesh.vertices.size / 3) indices = mesh.triangles;
    if (indices.size != mesh.triangles.size || !indicesBelow(indices, entries)) {
      note(quoted(object) + ": " + valuesName + " left out (" + indexName +
           " does not fit the triangles)");
      values = {};
      indices = {};
    }
  }

  void gatherTriangles(const Node& geometry, const std::string& name, const Mat4& world,
                       const Material& material) {
    Mesh mesh;
    mesh.name = name;
    mesh.world = world;
    mesh.material = material;
    mesh.vertices = floats(geometry, "vertices");
    mesh.vertices.size -= mesh.vertices.size % 3;
    mesh.triangles = ints(geometry, "triangles");
    if (mesh.triangles.size % 3 != 0) {
      note(quoted(name) +
           ": triangle indices not a multiple of three: " + std::to_string(mesh.triangles.size) +
           "; the last " + std::to_string(mesh.triangles.size % 3) + " left out");
      mesh.triangles.size -= mesh.triangles.size % 3;
    }
    const std::size_t vertexCount = mesh.vertices.size / 3;
    if (indicesBelow(mesh.triangles, vertexCount)) {
      cornerStream(geometry, name, "normals", "triangles_norm", 3, mesh, mesh.normals,
                   mesh.normalIndices);
      cornerStream(geometry, name, "uv_tex", "triangles_uv", 2, mesh, mesh.uvs, mesh.uvIndices);
    } else {
      // Keep the triangles whose corners exist; the corner streams then no longer fit.
      std::vector<std::int32_t>& kept = out_.intCopies.emplace_back();
      for (std::size_t t = 0; t < mesh.triangles.size; t += 3) {
        const Span<std::int32_t> corners{mesh.triangles.data + t, 3};
        if (indicesBelow(corners, vertexCount))
          kept.insert(kept.end(), corners.data, corners.data + 3);
      }
      note(quoted(name) + ": triangles referring to missing vertices left out: " +
           std::to_string((mesh.triangles.size - kept.size()) / 3));
      mesh.triangles = {kept.data(), kept.size()};
    }
    if (mesh.material.textured && !mesh.material.texture.flat && mesh.uvs.size == 0)
      note(quoted(name) + ": textured without texture coordinates");
    out_.meshes.push_back(mesh);
    if (material.emitting) addLight(mesh);
  }

  // An emitting mesh lights the scene from the centre of its bounds.
  void addLight(const Mesh& mesh) {
    if (mesh.vertices.size == 0) return;
    Bounds bounds;
    for (std::size_t i = 0; i < mesh.vertices.size; i += 3)
      bounds.add(
          mapPoint(mesh.world, {mesh.vertices[i], mesh.vertices[i + 1], mesh.vertices[i + 2]}));
    Light light;
    light.position = bounds.centre();
    light.color = mesh.material.diffuse;
    light.power = mesh.material.power;
    out_.lights.push_back(light);
  }

  void gatherCurves(const Node& geometry, const std::string& name, const Mat4& world,
                    const Material& material) {
    Curves curves;
    curves.name = name;
    curves.world = world;
    curves.color = material.diffuse;
    curves.points = floats(geometry, "p");
    curves.counts = ints(geometry, "nvertices");
    std::size_t used = 0;
    std::size_t strands = 0;
    for (; strands < curves.counts.size; ++strands) {
      const std::int32_t n = curves.counts[strands];
      if (n < 0 || used + static_cast<std::size_t>(n) > curves.points.size / 3) break;
      used += static_cast<std::size_t>(n);
    }
    if (strands < curves.counts.size) {
      note(quoted(name) + ": strands running past the end of the points left out: " +
           std::to_string(curves.counts.size - strands));
      curves.counts.size = strands;
    }
    out_.curves.push_back(curves);
  }

  void gatherObject(const Node& object, const Mat4& world) {
    const Material m = material(object);
    const std::string name(object.name());
    for (const Node& c : object.children) {
      if (c.kind != NodeKind::Geometry) continue;
      if (c.name() == "triangles") {
        gatherTriangles(c, name, world, m);
      } else if (c.name() == "zel_bezier_curves") {
        gatherCurves(c, name, world, m);
      } else {
        note(quoted(name) + ": geometry " + quoted(c.name()) + " is not drawn");
      }
    }
  }
};

}  // namespace

DrawList gather(const svb::Scene& scene) {
  DrawList out;
  Gatherer(out).run(scene);
  return out;
}

}  // namespace svb_preview
