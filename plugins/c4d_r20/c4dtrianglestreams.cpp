#include "c4dtrianglestreams.h"

#include <algorithm>
#include <cstring>

namespace {

using Kind = TriangleStreams::Kind;

inline bool isTriangle(const CPolygon& polygon) { return polygon.c == polygon.d; }

inline bool pointsValid(const CPolygon& polygon, int32_t pointCount) {
  return polygon.a >= 0 && polygon.b >= 0 && polygon.c >= 0 && polygon.d >= 0 &&
         polygon.a < pointCount && polygon.b < pointCount && polygon.c < pointCount &&
         polygon.d < pointCount;
}

inline uint32_t word(float value) {
  uint32_t w;
  std::memcpy(&w, &value, sizeof w);
  return w;
}

inline uint32_t word(int32_t value) { return static_cast<uint32_t>(value); }

inline uint32_t* putVector(uint32_t* out, double x, double y, double z) {
  out[0] = word(static_cast<float>(x));
  out[1] = word(static_cast<float>(y));
  out[2] = word(static_cast<float>(z));
  return out + 3;
}

// One stream over the kept polygons, handed out in pieces: each polygon's words are made
// straight into the scene API's buffer, or held back when they do not fit whole.
struct PolygonCursor {
  PolygonCursor(const TriangleStreams* s, Kind k, uint32_t w) : streams(s), kind(k), width(w) {}

  const TriangleStreams* streams;
  Kind kind;
  uint32_t width;  // words per element
  size_t next = 0;
  int32_t corner = 0;
  uint32_t pending[TriangleStreams::kMostWords] = {};
  uint32_t pendingAt = 0;
  uint32_t pendingCount = 0;

  static uint32_t fill(void* context, void* buffer, uint32_t capacity) {
    PolygonCursor& c = *static_cast<PolygonCursor*>(context);
    uint32_t* out = static_cast<uint32_t*>(buffer);
    const uint32_t room = capacity * c.width;
    uint32_t done = 0;
    while (done < room) {
      if (c.pendingAt < c.pendingCount) {
        const uint32_t take = std::min(c.pendingCount - c.pendingAt, room - done);
        std::memcpy(out + done, c.pending + c.pendingAt, take * sizeof(uint32_t));
        c.pendingAt += take;
        done += take;
        continue;
      }
      if (c.next == c.streams->keptCount()) break;
      const int32_t p = c.streams->kept()[c.next++];
      if (room - done >= TriangleStreams::kMostWords) {
        done += c.streams->emit(c.kind, p, c.corner, out + done);
      } else {
        c.pendingCount = c.streams->emit(c.kind, p, c.corner, c.pending);
        c.pendingAt = 0;
      }
    }
    return done / c.width;
  }
};

// The vertices: each used point once, in order of first use.
struct VertexCursor {
  const TriangleStreams* streams;
  size_t next = 0;

  static uint32_t fill(void* context, void* buffer, uint32_t capacity) {
    VertexCursor& c = *static_cast<VertexCursor*>(context);
    const std::vector<int32_t>& order = c.streams->vertexPoints();
    const size_t count = std::min<size_t>(capacity, order.size() - c.next);
    uint32_t* out = static_cast<uint32_t*>(buffer);
    for (size_t i = 0; i < count; ++i) {
      const TriangleStreams::Vector64& v = c.streams->points()[order[c.next + i]];
      out = putVector(out, v.x, v.y, v.z);
    }
    c.next += count;
    return static_cast<uint32_t>(count);
  }
};

void sendStream(zelScene_api* api, const char* name, zelType base, uint32_t count,
                const TriangleStreams* streams, Kind kind) {
  PolygonCursor cursor(streams, kind, base == TYPE_COLOR ? 3 : 1);
  zelArrayStream stream = {count, &cursor, PolygonCursor::fill};
  api->set_parameter(name, zel_stream_of(base), &stream);
}

}  // namespace

TriangleStreams::TriangleStreams(const Mesh& mesh)
    : mesh_(mesh), pointVertex_(static_cast<size_t>(std::max(mesh.pointCount, 0)), -1) {}

uint32_t TriangleStreams::emit(Kind kind, int32_t p, int32_t& corner, uint32_t* out) const {
  const CPolygon& polygon = mesh_.polygons[p];
  const bool triangle = isTriangle(polygon);
  const int corners = triangle ? 3 : 4;
  switch (kind) {
    case Kind::Normals: {
      if (mesh_.hasNormals) {
        NormalStruct n;
        if (p < mesh_.normalCount && mesh_.normals) NormalTag::Get(mesh_.normals, p, n);
        const Vector* v[4] = {&n.a, &n.b, &n.c, &n.d};
        for (int k = 0; k < corners; ++k) out = putVector(out, v[k]->x, v[k]->y, v[k]->z);
      } else {
        const Vector32* phong = mesh_.phong + 4 * static_cast<size_t>(p);
        for (int k = 0; k < corners; ++k) out = putVector(out, phong[k].x, phong[k].y, phong[k].z);
      }
      return 3 * corners;
    }
    case Kind::Uv: {
      UVWStruct uvw;
      if (p < mesh_.uvwCount && mesh_.uvw) UVWTag::Get(mesh_.uvw, p, uvw);
      const Vector* v[4] = {&uvw.a, &uvw.b, &uvw.c, &uvw.d};
      for (int k = 0; k < corners; ++k) {
        out[2 * k] = word(static_cast<float>(v[k]->x));
        out[2 * k + 1] = word(static_cast<float>(v[k]->y));
      }
      return 2 * corners;
    }
    case Kind::Corners: {
      const int32_t n = corner;
      corner += corners;
      if (triangle) {
        const int32_t order[3] = {n, n + 2, n + 1};
        for (int k = 0; k < 3; ++k) out[k] = word(order[k]);
        return 3;
      }
      const int32_t order[6] = {n, n + 3, n + 1, n + 2, n + 1, n + 3};
      for (int k = 0; k < 6; ++k) out[k] = word(order[k]);
      return 6;
    }
    case Kind::Triangles: {
      const int32_t* map = pointVertex_.data();
      if (triangle) {
        const int32_t order[3] = {map[polygon.a], map[polygon.c], map[polygon.b]};
        for (int k = 0; k < 3; ++k) out[k] = word(order[k]);
        return 3;
      }
      const int32_t order[6] = {map[polygon.a], map[polygon.d], map[polygon.b],
                                map[polygon.c], map[polygon.b], map[polygon.d]};
      for (int k = 0; k < 6; ++k) out[k] = word(order[k]);
      return 6;
    }
  }
  return 0;
}

void TriangleStreams::keepValid(const int32_t* group, size_t count) {
  size_t valid = 0;
  for (size_t i = 0; i < count; ++i)
    valid += pointsValid(mesh_.polygons[group[i]], mesh_.pointCount);
  if (valid == count) {
    kept_ = group;
    keptCount_ = count;
    return;
  }
  keptCopy_.clear();
  for (size_t i = 0; i < count; ++i)
    if (pointsValid(mesh_.polygons[group[i]], mesh_.pointCount)) keptCopy_.push_back(group[i]);
  kept_ = keptCopy_.data();
  keptCount_ = keptCopy_.size();
}

void TriangleStreams::numberVertices() {
  vertexPoint_.clear();
  int32_t* map = pointVertex_.data();
  auto use = [&](int32_t point) {
    if (map[point] < 0) {
      map[point] = static_cast<int32_t>(vertexPoint_.size());
      vertexPoint_.push_back(point);
    }
  };
  for (size_t i = 0; i < keptCount_; ++i) {
    const CPolygon& polygon = mesh_.polygons[kept_[i]];
    use(polygon.a);
    use(polygon.b);
    use(polygon.c);
    if (!isTriangle(polygon)) use(polygon.d);
  }
}

void TriangleStreams::forgetVertices() {
  for (int32_t point : vertexPoint_) pointVertex_[point] = -1;
  vertexPoint_.clear();
}

size_t TriangleStreams::write(zelScene_api* api, const int32_t* group, size_t count) {
  keepValid(group, count);
  size_t corners = 0;
  size_t indices = 0;
  for (size_t i = 0; i < keptCount_; ++i) {
    const bool triangle = isTriangle(mesh_.polygons[kept_[i]]);
    corners += triangle ? 3 : 4;
    indices += triangle ? 3 : 6;
  }
  // The Phong normals of a run of consecutive quadrangles are handed on as they are.
  const bool quadrangleRun = keptCount_ == count && count > 0 &&
                             static_cast<size_t>(group[count - 1] - group[0]) == count - 1 &&
                             corners == 4 * count;
  const bool phongInPlace = !mesh_.hasNormals && mesh_.phong && quadrangleRun;
  const bool copyNormals = mesh_.hasNormals || (mesh_.phong && !phongInPlace);
  numberVertices();

  VertexCursor vertices = {this};
  zelArrayStream vertexStream = {static_cast<uint32_t>(vertexPoint_.size()), &vertices,
                                 VertexCursor::fill};
  api->set_parameter("vertices", zel_stream_of(TYPE_COLOR), &vertexStream);
  const uint32_t cornerCount = static_cast<uint32_t>(corners);
  const uint32_t indexCount = static_cast<uint32_t>(indices);
  if ((copyNormals || phongInPlace) && corners > 0) {
    if (phongInPlace) {
      zelArray normals = {const_cast<Vector32*>(mesh_.phong + 4 * static_cast<size_t>(group[0])),
                          cornerCount};
      api->set_parameter("normals", zel_array_of(TYPE_COLOR), &normals);
    } else {
      sendStream(api, "normals", TYPE_COLOR, cornerCount, this, Kind::Normals);
    }
    sendStream(api, "triangles_norm", TYPE_INT, indexCount, this, Kind::Corners);
  }
  if (mesh_.hasUvw && corners > 0) {
    sendStream(api, "uv_tex", TYPE_FLOAT, 2 * cornerCount, this, Kind::Uv);
    sendStream(api, "triangles_uv", TYPE_INT, indexCount, this, Kind::Corners);
  }
  sendStream(api, "triangles", TYPE_INT, indexCount, this, Kind::Triangles);
  forgetVertices();
  return indices / 3;
}
