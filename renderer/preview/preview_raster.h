// Visibility rasteriser: finds, for every pixel, the nearest triangle or curve segment
// and where on it the pixel lies. Shading happens afterwards, once per pixel, so the
// many tiny triangles of a dense mesh cost only their depth test.
#pragma once

#include "preview_camera.h"
#include "preview_scene.h"

#include <cstdint>
#include <vector>

namespace svb_preview {

// Per pixel, row by row from the top-left corner.
struct Frame {
  static constexpr std::uint32_t kNothing = 0;
  static constexpr std::uint32_t kCurveBit = 0x80000000u;

  int width = 0;
  int height = 0;
  // 1 / distance along the view direction of the nearest surface (larger is nearer);
  // 0 where nothing was drawn.
  std::vector<float> depth;
  // kNothing, mesh index + 1, or curves index + 1 with kCurveBit set.
  std::vector<std::uint32_t> item;
  std::vector<std::uint32_t> triangle;  // the mesh's triangle
  // Perspective-correct weights of the triangle's second and third corner (the first
  // has 1 - b1 - b2).
  std::vector<float> b1;
  std::vector<float> b2;
};

class Rasterizer {
 public:
  Rasterizer(const View& view, int width, int height);

  // Every triangle, front and back faces alike, clipped to the near plane.
  void drawMesh(const Mesh& mesh, std::uint32_t index);
  // Each strand as a polyline one pixel wide.
  void drawCurves(const Curves& curves, std::uint32_t index);

  Frame& frame() { return frame_; }

 private:
  // A corner in clip space: x and y scaled by the focal lengths, w the distance along
  // the view direction; b1 and b2 its weights in the original triangle.
  struct ClipVertex {
    double x, y, w, b1, b2;
  };
  struct ScreenVertex {
    double x, y, invW, b1, b2;
  };
  struct Projected {
    float x, y, invW;       // screen position and 1 / w, set when inside every plane
    std::uint32_t outside;  // one bit per clipping plane the vertex is outside of
  };

  std::uint32_t outcode(double x, double y, double w) const;
  ScreenVertex toScreen(const ClipVertex& v) const;
  void clipAndFill(const ClipVertex (&corners)[3], std::uint32_t item, std::uint32_t triangle);
  void fill(ScreenVertex a, ScreenVertex b, ScreenVertex c, std::uint32_t item,
            std::uint32_t triangle);
  void line(ClipVertex a, ClipVertex b, std::uint32_t item);
  Mat4 viewMatrix(const Mat4& world) const;

  View view_;
  Frame frame_;
  std::vector<Projected> projected_;  // reused between meshes
};

}  // namespace svb_preview
