#pragma once

#include "zelapi.h"

#include "c4d.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The triangle streams of a polygon object's material groups, handed to the scene API in
// pieces (streamed arrays), so that no stream of a big mesh is ever held whole.
//
// Per group: "vertices" (the points the group uses, in order of first use), "normals" with
// "triangles_norm" (per corner, from the normal tag or the Phong normals), "uv_tex" with
// "triangles_uv" (per corner, from the UVW tag) and "triangles" (vertex index triples;
// quadrangles as two triangles). Lives for one object: its working arrays (a vertex number
// per point) are released with it.
class TriangleStreams {
 public:
  using Vector64 = maxon::Vec3<double, 1ll>;
  using Vector32 = maxon::Vec3<float, 1ll>;

  // What the polygons read. A tag is written when present (hasUvw, hasNormals), even when
  // its data is null; a tag holding fewer records than the object has polygons reads as
  // zero past its end. The Phong normals (four per polygon) count only without a normal tag.
  struct Mesh {
    const CPolygon* polygons = nullptr;
    const Vector64* points = nullptr;
    int32_t pointCount = 0;
    bool hasUvw = false;
    const void* uvw = nullptr;
    int32_t uvwCount = 0;
    bool hasNormals = false;
    const void* normals = nullptr;
    int32_t normalCount = 0;
    const Vector32* phong = nullptr;
  };

  explicit TriangleStreams(const Mesh& mesh);

  // Writes the group's streams into the open geometry block and returns the number of
  // triangles written. `group` lists polygons in ascending order without repeats; polygons
  // with a point index outside the points are left out.
  size_t write(zelScene_api* api, const int32_t* group, size_t count);

  // What one polygon gives to a per-corner or per-triangle stream.
  enum class Kind { Normals, Corners, Uv, Triangles };
  // Writes polygon p's part of a stream into `out` (at most kMostWords words) and returns
  // the number of 4-byte words written. `corner` is the running corner number.
  uint32_t emit(Kind kind, int32_t p, int32_t& corner, uint32_t* out) const;
  static constexpr uint32_t kMostWords = 12;

  const int32_t* kept() const { return kept_; }
  size_t keptCount() const { return keptCount_; }
  const Vector64* points() const { return mesh_.points; }
  const std::vector<int32_t>& vertexPoints() const { return vertexPoint_; }

 private:
  void keepValid(const int32_t* group, size_t count);
  void numberVertices();
  void forgetVertices();

  Mesh mesh_;
  const int32_t* kept_ = nullptr;  // the group's polygons that are written
  size_t keptCount_ = 0;
  std::vector<int32_t> keptCopy_;     // kept_ when some polygons had to be left out
  std::vector<int32_t> pointVertex_;  // vertex number per point, -1 for none
  std::vector<int32_t> vertexPoint_;  // point per vertex number
};
