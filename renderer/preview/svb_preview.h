// Preview pictures of .svb scenes: what a scene holds, drawn the way the renderer
// would place it, so that a user sees whether a model stands upright, is mirrored,
// has its materials and textures and is framed by its camera.
//
// Usage:
//
//   svb::Scene scene = svb::parse(bytes);
//   svb_preview::Options options;                  // 640 x 480, time 0
//   options.textureFolder = "/folder/of/the/scene";
//   std::vector<std::string> notes;                // what could not be drawn
//   svb_preview::Image image = svb_preview::draw(scene, options, notes);
//   std::string error;
//   if (!svb_preview::writePng(image, "scene.png", error)) ...
//
// The picture: triangles with a depth buffer, front and back faces alike, seen through
// the scene's camera (or a camera framing the scene from the front); lit by the
// emitting light meshes from their centres, in proportion to their power, plus a
// small ambient term (a headlight when the scene has no lights); coloured by each
// object's diffuse colour or texture; hair as one-pixel lines in its material's
// colour; light meshes in their light's colour unless hidden from the eye.
//
// The functions keep no state between calls: several threads may draw at once.
#pragma once

#include "svb_reader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace svb_preview {

constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;
constexpr int kMaxSide = 16384;  // largest width or height draw() accepts

// Background where nothing is drawn.
constexpr std::uint8_t kBackground[3] = {46, 51, 61};

struct Options {
  int width = kDefaultWidth;    // 1 .. kMaxSide
  int height = kDefaultHeight;  // 1 .. kMaxSide
  double time = 0.0;            // seconds, for the camera's animation
  std::string textureFolder;    // relative texture paths start here (empty: working directory)
};

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // 3 bytes per pixel, rows from the top

  const std::uint8_t* pixel(int x, int y) const {
    return &rgb[3 * (static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x))];
  }
};

// Draws the scene. Never fails on content: what cannot be drawn (missing textures,
// indices that point nowhere, unknown geometry) is left out or drawn as a stand-in
// and described in `notes`, one line each. Sizes outside 1 .. kMaxSide are clamped.
Image draw(const svb::Scene& scene, const Options& options, std::vector<std::string>& notes);

// The image as PNG bytes; false with the reason in `error`.
bool encodePng(const Image& image, std::vector<std::uint8_t>& png, std::string& error);

// Writes the image as a PNG file atomically: a temporary file in the same folder,
// flushed to disk, then renamed over `path`. On failure nothing is left at `path`
// that was not there before, and `error` names the file and the reason.
bool writePng(const Image& image, const std::string& path, std::string& error);

// The folder part of a path ("" for a bare file name): where relative texture paths
// of a scene file start.
std::string folderOf(const std::string& path);

// `scenePath` with a final ".svb" replaced by ".png" (".png" appended otherwise).
std::string previewPathFor(const std::string& scenePath);

// For the renderer, after it stored a scene at `scenePath`: draws the scene at the
// default size (textures relative to the scene's folder) and writes the picture
// atomically beside it (previewPathFor). False with the reason in `error` when the
// picture cannot be drawn or written (it never throws); `notes`, when given, receives
// what could not be drawn.
bool writePreviewBeside(const svb::Scene& scene, const std::string& scenePath, std::string& error,
                        std::vector<std::string>* notes = nullptr);

}  // namespace svb_preview
