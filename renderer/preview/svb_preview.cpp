// Drawing: gather the scene, choose the view, find the nearest surface per pixel,
// then shade each pixel once.
#include "svb_preview.h"

#include "preview_camera.h"
#include "preview_raster.h"
#include "preview_scene.h"
#include "preview_texture.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace svb_preview {

namespace {

constexpr double kAmbient = 0.2;

struct LightSource {
  Vec3 position;
  Vec3 color;
  double weight;
};

// Each light counts with its share of the scene's total power, so that a surface
// that faces every light head-on shows its full colour.
std::vector<LightSource> lightSources(const DrawList& list, const View& view) {
  std::vector<LightSource> sources;
  if (list.lights.empty()) {
    sources.push_back({view.eye, {1.0, 1.0, 1.0}, 1.0});
    return sources;
  }
  double total = 0.0;
  for (const Light& l : list.lights) total += std::max(l.power, 0.0);
  for (const Light& l : list.lights) {
    const double share = total > 0.0 ? std::max(l.power, 0.0) / total
                                     : 1.0 / static_cast<double>(list.lights.size());
    sources.push_back({l.position, l.color, share});
  }
  return sources;
}

std::uint8_t toByte(double c) {
  if (!(c > 0.0)) return 0;
  if (c >= 1.0) return 255;
  return static_cast<std::uint8_t>(c * 255.0 + 0.5);
}

class Shader {
 public:
  Shader(const DrawList& list, const View& view, const Options& options,
         std::vector<std::string>& notes)
      : list_(list),
        view_(view),
        lights_(lightSources(list, view)),
        textures_(options.textureFolder, notes) {
    for (const Mesh& mesh : list.meshes) {
      normalMatrices_.push_back(normalMatrix(mesh.world));
      textureOf_.push_back(mesh.material.textured ? &textures_.get(mesh.material.texture.file)
                                                  : nullptr);
    }
  }

  Vec3 meshColor(std::size_t index, std::size_t triangle, double b1, double b2) const {
    const Mesh& mesh = list_.meshes[index];
    const Material& material = mesh.material;
    if (material.emitting) return material.diffuse;
    const double b[3] = {1.0 - b1 - b2, b1, b2};
    const std::size_t corner = 3 * triangle;

    Vec3 local;
    Vec3 world[3];
    for (int k = 0; k < 3; ++k) {
      const float* v =
          mesh.vertices.data + 3 * static_cast<std::size_t>(mesh.triangles[corner + k]);
      const Vec3 p{v[0], v[1], v[2]};
      local = local + p * b[k];
      world[k] = mapPoint(mesh.world, p);
    }
    const Vec3 position = mapPoint(mesh.world, local);

    Vec3 normal;
    if (mesh.normals.size > 0) {
      for (int k = 0; k < 3; ++k) {
        const float* n =
            mesh.normals.data + 3 * static_cast<std::size_t>(mesh.normalIndices[corner + k]);
        normal = normal + Vec3{n[0], n[1], n[2]} * b[k];
      }
      normal = mapVector(normalMatrices_[index], normal);
    }
    if (length(normal) < 1e-12) normal = cross(world[1] - world[0], world[2] - world[0]);
    normal = normalize(normal);
    if (dot(normal, view_.eye - position) < 0.0) normal = normal * -1.0;

    Vec3 albedo = material.diffuse;
    if (const Texture* texture = textureOf_[index]) {
      const TexturePlacement& placement = material.texture;
      if (placement.flat) {
        // The projection plane spans -0.5 .. 0.5 each way; v grows downwards.
        const Vec3 q = mapPoint(placement.objectToUv, local);
        albedo = sampleTexture(*texture, placement, q.x + 0.5, 0.5 - q.y);
      } else if (mesh.uvs.size > 0) {
        double u = 0.0, v = 0.0;
        for (int k = 0; k < 3; ++k) {
          const float* t = mesh.uvs.data + 2 * static_cast<std::size_t>(mesh.uvIndices[corner + k]);
          u += t[0] * b[k];
          v += t[1] * b[k];
        }
        albedo = sampleTexture(*texture, placement, u, v);
      }
    }

    Vec3 light;
    for (const LightSource& s : lights_) {
      const double facing = dot(normal, normalize(s.position - position));
      if (facing > 0.0) light = light + s.color * (s.weight * facing);
    }
    return albedo * (light * (1.0 - kAmbient) + Vec3{kAmbient, kAmbient, kAmbient});
  }

 private:
  const DrawList& list_;
  const View& view_;
  std::vector<LightSource> lights_;
  TextureCache textures_;  // owns the images textureOf_ points to
  std::vector<Mat4> normalMatrices_;
  std::vector<const Texture*> textureOf_;
};

}  // namespace

Image draw(const svb::Scene& scene, const Options& options, std::vector<std::string>& notes) {
  const int width = std::clamp(options.width, 1, kMaxSide);
  const int height = std::clamp(options.height, 1, kMaxSide);
  DrawList list = gather(scene);
  const View view = chooseView(list, sceneBounds(list), options.time, width, height, list.notes);

  Rasterizer raster(view, width, height);
  for (std::size_t i = 0; i < list.meshes.size(); ++i)
    if (!list.meshes[i].material.hidden)
      raster.drawMesh(list.meshes[i], static_cast<std::uint32_t>(i));
  for (std::size_t i = 0; i < list.curves.size(); ++i)
    raster.drawCurves(list.curves[i], static_cast<std::uint32_t>(i));

  const Shader shader(list, view, options, list.notes);
  const Frame& frame = raster.frame();
  Image image;
  image.width = width;
  image.height = height;
  image.rgb.resize(3 * static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (std::size_t p = 0; p < frame.item.size(); ++p) {
    std::uint8_t* out = &image.rgb[3 * p];
    const std::uint32_t item = frame.item[p];
    if (item == Frame::kNothing) {
      std::copy(kBackground, kBackground + 3, out);
      continue;
    }
    const Vec3 c = (item & Frame::kCurveBit)
                       ? list.curves[(item & ~Frame::kCurveBit) - 1].color
                       : shader.meshColor(item - 1, frame.triangle[p], frame.b1[p], frame.b2[p]);
    out[0] = toByte(c.x);
    out[1] = toByte(c.y);
    out[2] = toByte(c.z);
  }
  notes.insert(notes.end(), list.notes.begin(), list.notes.end());
  return image;
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string previewPathFor(const std::string& scenePath) {
  const std::string extension = ".svb";
  if (scenePath.size() >= extension.size() &&
      scenePath.compare(scenePath.size() - extension.size(), extension.size(), extension) == 0)
    return scenePath.substr(0, scenePath.size() - extension.size()) + ".png";
  return scenePath + ".png";
}

bool writePreviewBeside(const svb::Scene& scene, const std::string& scenePath, std::string& error,
                        std::vector<std::string>* notes) {
  Options options;
  options.textureFolder = folderOf(scenePath);
  std::vector<std::string> drawn;
  // A preview must never take the renderer down: running out of memory is one more
  // reason not to write it.
  try {
    const Image image = draw(scene, options, drawn);
    if (notes) notes->insert(notes->end(), drawn.begin(), drawn.end());
    return writePng(image, previewPathFor(scenePath), error);
  } catch (const std::exception& e) {
    error = previewPathFor(scenePath) + ": cannot draw the picture: " + e.what();
    return false;
  }
}

}  // namespace svb_preview
