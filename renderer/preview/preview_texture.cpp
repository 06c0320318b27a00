#include "preview_texture.h"

#include <stb_image.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

namespace svb_preview {

namespace {

constexpr int kCheckerSquares = 8;
const Vec3 kCheckerLight{1.0, 0.0, 1.0};
const Vec3 kCheckerDark{0.5, 0.5, 0.5};

// Image coordinate of a placed texture coordinate; false where nothing shows.
bool place(double& t, bool wrap) {
  if (!std::isfinite(t)) return false;
  if (wrap) {
    t -= std::floor(t);
  } else if (t < 0.0 || t >= 1.0) {
    return false;
  }
  return true;
}

}  // namespace

std::string resolveTexturePath(const std::string& file, const std::string& folder) {
  if (file.empty() || file[0] == '/' || folder.empty()) return file;
  return folder + "/" + file;
}

Vec3 sampleTexture(const Texture& texture, const TexturePlacement& placement, double u, double v) {
  u = placement.scaleU != 0.0 ? (u - placement.shiftU) / placement.scaleU : 0.0;
  v = placement.scaleV != 0.0 ? (v - placement.shiftV) / placement.scaleV : 0.0;
  if (!place(u, placement.wrap) || !place(v, placement.wrap)) return placement.defaultColor;
  if (texture.missing()) {
    const int square =
        static_cast<int>(u * kCheckerSquares) + static_cast<int>(v * kCheckerSquares);
    return square % 2 == 0 ? kCheckerLight : kCheckerDark;
  }
  // t lies in [0, 1), but rounding may still reach the last column's far edge.
  const int x = std::min(static_cast<int>(u * texture.width), texture.width - 1);
  const int y = std::min(static_cast<int>(v * texture.height), texture.height - 1);
  const unsigned char* p =
      &texture.rgb[3 * (static_cast<std::size_t>(y) * texture.width + static_cast<std::size_t>(x))];
  return {p[0] / 255.0, p[1] / 255.0, p[2] / 255.0};
}

TextureCache::TextureCache(std::string folder, std::vector<std::string>& notes)
    : folder_(std::move(folder)), notes_(notes) {}

const Texture& TextureCache::get(const std::string& file) {
  const std::string path = resolveTexturePath(file, folder_);
  auto found = textures_.find(path);
  if (found != textures_.end()) return found->second;
  Texture& texture = textures_[path];
  int channels = 0;
  std::unique_ptr<unsigned char, void (*)(void*)> pixels(
      path.empty() ? nullptr
                   : stbi_load(path.c_str(), &texture.width, &texture.height, &channels, 3),
      stbi_image_free);
  if (!pixels) {
    const std::string reason = path.empty() ? "no file named" : stbi_failure_reason();
    notes_.push_back("texture \"" + path + "\" cannot be read (" + reason +
                     "); drawn as a checker");
    texture = Texture();
    return texture;
  }
  texture.rgb.assign(pixels.get(), pixels.get() + 3 * static_cast<std::size_t>(texture.width) *
                                                      static_cast<std::size_t>(texture.height));
  return texture;
}

}  // namespace svb_preview
