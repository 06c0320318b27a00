#include "preview_raster.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace svb_preview {

namespace {

// Triangles are clipped to the near plane and to a band four times the picture's
// half size around its centre, which keeps screen coordinates small enough for exact
// enough edge tests.
constexpr double kGuard = 4.0;
constexpr int kPlanes = 5;
// A convex polygon gains at most one corner per clipping plane.
constexpr int kMaxClipped = 3 + kPlanes;

}  // namespace

Rasterizer::Rasterizer(const View& view, int width, int height) : view_(view) {
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  frame_.width = width;
  frame_.height = height;
  frame_.depth.assign(pixels, 0.0f);
  frame_.item.assign(pixels, Frame::kNothing);
  frame_.triangle.assign(pixels, 0);
  frame_.b1.assign(pixels, 0.0f);
  frame_.b2.assign(pixels, 0.0f);
}

// World matrix times the view: maps an object-space point to (x * focalX, y * focalY,
// distance in front of the camera).
Mat4 Rasterizer::viewMatrix(const Mat4& world) const {
  const View& v = view_;
  Mat4 toView;
  const Vec3 axes[3] = {v.right * v.focalX, v.up * v.focalY, v.back * -1.0};
  const double parts[3][3] = {{axes[0].x, axes[1].x, axes[2].x},
                              {axes[0].y, axes[1].y, axes[2].y},
                              {axes[0].z, axes[1].z, axes[2].z}};
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column) toView.m[row * 4 + column] = parts[row][column];
  for (int column = 0; column < 3; ++column) toView.m[12 + column] = -dot(v.eye, axes[column]);
  return world * toView;
}

std::uint32_t Rasterizer::outcode(double x, double y, double w) const {
  const double g = kGuard * w;
  return (w < view_.near ? 1u : 0u) | (x > g ? 2u : 0u) | (x < -g ? 4u : 0u) | (y > g ? 8u : 0u) |
         (y < -g ? 16u : 0u);
}

namespace {

double planeDistance(int plane, double x, double y, double w, double near) {
  switch (plane) {
    case 0:
      return w - near;
    case 1:
      return kGuard * w - x;
    case 2:
      return kGuard * w + x;
    case 3:
      return kGuard * w - y;
    default:
      return kGuard * w + y;
  }
}

}  // namespace

Rasterizer::ScreenVertex Rasterizer::toScreen(const ClipVertex& v) const {
  const double invW = 1.0 / v.w;
  return {(v.x * invW * 0.5 + 0.5) * frame_.width, (0.5 - v.y * invW * 0.5) * frame_.height, invW,
          v.b1, v.b2};
}

void Rasterizer::fill(ScreenVertex a, ScreenVertex b, ScreenVertex c, std::uint32_t item,
                      std::uint32_t triangle) {
  double area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
  if (area < 0.0) {  // a back face: the same triangle wound the other way
    std::swap(b, c);
    area = -area;
  }
  if (!(area > 1e-12)) return;
  // Pixels whose centres lie inside or on the edges.
  const int x0 = std::max(0, static_cast<int>(std::ceil(std::min({a.x, b.x, c.x}) - 0.5)));
  const int x1 =
      std::min(frame_.width - 1, static_cast<int>(std::floor(std::max({a.x, b.x, c.x}) - 0.5)));
  const int y0 = std::max(0, static_cast<int>(std::ceil(std::min({a.y, b.y, c.y}) - 0.5)));
  const int y1 =
      std::min(frame_.height - 1, static_cast<int>(std::floor(std::max({a.y, b.y, c.y}) - 0.5)));
  if (x0 > x1 || y0 > y1) return;

  // Edge functions, each the doubled area of the pixel with one edge: the weight of
  // the opposite corner times `area`.
  auto edge = [](const ScreenVertex& u, const ScreenVertex& v, double px, double py) {
    return (v.x - u.x) * (py - u.y) - (v.y - u.y) * (px - u.x);
  };
  const double inv = 1.0 / area;
  // 1/w and the weights over w are linear on the screen.
  const double wa = a.invW * inv, wb = b.invW * inv, wc = c.invW * inv;
  const double stepAx = -(c.y - b.y), stepBx = -(a.y - c.y), stepCx = -(b.y - a.y);
  for (int y = y0; y <= y1; ++y) {
    const double py = y + 0.5;
    double ea = edge(b, c, x0 + 0.5, py);
    double eb = edge(c, a, x0 + 0.5, py);
    double ec = edge(a, b, x0 + 0.5, py);
    std::size_t at = static_cast<std::size_t>(y) * frame_.width + x0;
    for (int x = x0; x <= x1; ++x, ++at, ea += stepAx, eb += stepBx, ec += stepCx) {
      if (ea < 0.0 || eb < 0.0 || ec < 0.0) continue;
      const double qa = ea * wa, qb = eb * wb, qc = ec * wc;
      const double invW = qa + qb + qc;
      if (!(invW > frame_.depth[at])) continue;
      frame_.depth[at] = static_cast<float>(invW);
      frame_.item[at] = item;
      frame_.triangle[at] = triangle;
      frame_.b1[at] = static_cast<float>((qa * a.b1 + qb * b.b1 + qc * c.b1) / invW);
      frame_.b2[at] = static_cast<float>((qa * a.b2 + qb * b.b2 + qc * c.b2) / invW);
    }
  }
}

// Sutherland-Hodgman against the near plane and the guard band, then a fan.
void Rasterizer::clipAndFill(const ClipVertex (&corners)[3], std::uint32_t item,
                             std::uint32_t triangle) {
  ClipVertex buffers[2][kMaxClipped];
  ClipVertex* in = buffers[0];
  ClipVertex* out = buffers[1];
  std::copy(corners, corners + 3, in);
  int n = 3;
  for (int plane = 0; plane < kPlanes && n >= 3; ++plane) {
    int m = 0;
    for (int i = 0; i < n; ++i) {
      const ClipVertex& p = in[i];
      const ClipVertex& q = in[(i + 1) % n];
      const double dp = planeDistance(plane, p.x, p.y, p.w, view_.near);
      const double dq = planeDistance(plane, q.x, q.y, q.w, view_.near);
      if (dp >= 0.0) out[m++] = p;
      if ((dp >= 0.0) != (dq >= 0.0)) {
        const double t = dp / (dp - dq);
        out[m++] = {p.x + t * (q.x - p.x), p.y + t * (q.y - p.y), p.w + t * (q.w - p.w),
                    p.b1 + t * (q.b1 - p.b1), p.b2 + t * (q.b2 - p.b2)};
      }
    }
    std::swap(in, out);
    n = m;
  }
  if (n < 3) return;
  const ScreenVertex first = toScreen(in[0]);
  ScreenVertex previous = toScreen(in[1]);
  for (int i = 2; i < n; ++i) {
    const ScreenVertex next = toScreen(in[i]);
    fill(first, previous, next, item, triangle);
    previous = next;
  }
}

void Rasterizer::drawMesh(const Mesh& mesh, std::uint32_t index) {
  const Mat4 m = viewMatrix(mesh.world);
  const float* v = mesh.vertices.data;
  const std::size_t vertexCount = mesh.vertices.size / 3;
  projected_.resize(vertexCount);
  for (std::size_t i = 0; i < vertexCount; ++i) {
    const Vec3 c = mapPoint(m, {v[3 * i], v[3 * i + 1], v[3 * i + 2]});
    Projected& p = projected_[i];
    p.outside = outcode(c.x, c.y, c.z);
    if (p.outside != 0) continue;
    const ScreenVertex s = toScreen({c.x, c.y, c.z, 0.0, 0.0});
    p.x = static_cast<float>(s.x);
    p.y = static_cast<float>(s.y);
    p.invW = static_cast<float>(s.invW);
  }

  const std::int32_t* corners = mesh.triangles.data;
  const std::size_t triangles = mesh.triangles.size / 3;
  const std::uint32_t item = index + 1;
  for (std::size_t t = 0; t < triangles; ++t) {
    const std::int32_t i[3] = {corners[3 * t], corners[3 * t + 1], corners[3 * t + 2]};
    const Projected& a = projected_[i[0]];
    const Projected& b = projected_[i[1]];
    const Projected& c = projected_[i[2]];
    if ((a.outside | b.outside | c.outside) == 0) {
      fill({a.x, a.y, a.invW, 0.0, 0.0}, {b.x, b.y, b.invW, 1.0, 0.0}, {c.x, c.y, c.invW, 0.0, 1.0},
           item, static_cast<std::uint32_t>(t));
    } else if ((a.outside & b.outside & c.outside) == 0) {
      ClipVertex clip[3];
      for (int k = 0; k < 3; ++k) {
        const Vec3 p = mapPoint(m, {v[3 * i[k]], v[3 * i[k] + 1], v[3 * i[k] + 2]});
        clip[k] = {p.x, p.y, p.z, k == 1 ? 1.0 : 0.0, k == 2 ? 1.0 : 0.0};
      }
      clipAndFill(clip, item, static_cast<std::uint32_t>(t));
    }
  }
}

// A segment clipped to the same planes, stepped one pixel at a time along its longer
// screen extent. A segment lying on a surface stays in front of it.
void Rasterizer::line(ClipVertex a, ClipVertex b, std::uint32_t item) {
  for (double c : {a.x, a.y, a.w, b.x, b.y, b.w})
    if (!std::isfinite(c)) return;
  double t0 = 0.0;
  double t1 = 1.0;
  for (int plane = 0; plane < kPlanes; ++plane) {
    const double da = planeDistance(plane, a.x, a.y, a.w, view_.near);
    const double db = planeDistance(plane, b.x, b.y, b.w, view_.near);
    if (da < 0.0 && db < 0.0) return;
    if (da < 0.0) t0 = std::max(t0, da / (da - db));
    if (db < 0.0) t1 = std::min(t1, da / (da - db));
  }
  if (t0 > t1) return;
  auto at = [&](double t) {
    return toScreen({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.w + t * (b.w - a.w), 0, 0});
  };
  const ScreenVertex s = at(t0);
  const ScreenVertex e = at(t1);
  const int steps = std::max(
      1, static_cast<int>(std::ceil(std::max(std::fabs(e.x - s.x), std::fabs(e.y - s.y)))));
  for (int i = 0; i <= steps; ++i) {
    const double t = static_cast<double>(i) / steps;
    const int x = static_cast<int>(std::floor(s.x + t * (e.x - s.x)));
    const int y = static_cast<int>(std::floor(s.y + t * (e.y - s.y)));
    if (x < 0 || y < 0 || x >= frame_.width || y >= frame_.height) continue;
    const std::size_t p = static_cast<std::size_t>(y) * frame_.width + x;
    const double invW = s.invW + t * (e.invW - s.invW);
    if (invW < frame_.depth[p] * (1.0 - 1e-4)) continue;
    frame_.depth[p] = static_cast<float>(invW);
    frame_.item[p] = item;
  }
}

void Rasterizer::drawCurves(const Curves& curves, std::uint32_t index) {
  const Mat4 m = viewMatrix(curves.world);
  const float* v = curves.points.data;
  std::size_t first = 0;
  for (std::size_t strand = 0; strand < curves.counts.size; ++strand) {
    const std::size_t count = static_cast<std::size_t>(curves.counts[strand]);
    for (std::size_t k = first; k + 1 < first + count; ++k) {
      const Vec3 p = mapPoint(m, {v[3 * k], v[3 * k + 1], v[3 * k + 2]});
      const Vec3 q = mapPoint(m, {v[3 * k + 3], v[3 * k + 4], v[3 * k + 5]});
      line({p.x, p.y, p.z, 0, 0}, {q.x, q.y, q.z, 0, 0}, (index + 1) | Frame::kCurveBit);
    }
    first += count;
  }
}

}  // namespace svb_preview
