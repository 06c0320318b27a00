// Texture images of the preview: found as the renderer finds them, read with
// stb_image, sampled with the material's placement.
#pragma once

#include "preview_math.h"
#include "preview_scene.h"

#include <map>
#include <string>
#include <vector>

namespace svb_preview {

struct Texture {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;  // 3 bytes per pixel, rows from the top
  bool missing() const { return rgb.empty(); }
};

// An absolute path as it is; a relative one against `folder` (the scene file's
// folder; empty: the working directory).
std::string resolveTexturePath(const std::string& file, const std::string& folder);

// The colour at (u, v) after the placement: u' = (u - shift) / scale, v = 0 being the
// image's top row; beyond 0..1 the image repeats when the placement wraps, the default
// colour shows otherwise. A missing image shows a magenta and grey checker, eight
// squares a side.
Vec3 sampleTexture(const Texture& texture, const TexturePlacement& placement, double u, double v);

// Reads each image once per picture; notes every file it cannot read.
class TextureCache {
 public:
  TextureCache(std::string folder, std::vector<std::string>& notes);
  const Texture& get(const std::string& file);

 private:
  std::string folder_;
  std::vector<std::string>& notes_;
  std::map<std::string, Texture> textures_;
};

}  // namespace svb_preview
