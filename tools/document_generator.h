// Big document files for benchmarks: a grid mesh, many materials, many animated objects.
//
// The JSON is written directly (no document model, no JSON library), in the format of
// host/document/README.md, so that documents of hundreds of megabytes take seconds to make.
#pragma once

#include <cstdio>

namespace docgen {

struct Options {
  // Quadrangles per side of the one polygon object "Grid" (points, polygons, a UVW tag and a
  // Phong tag); 0: no grid.
  int gridSize = 0;
  // Standard materials "Material 0", ...; each object's texture tag uses one of them.
  int materials = 0;
  // Null objects "Object 0", ...; with depth D they form chains, each the child of the one
  // before, D objects long.
  int objects = 0;
  int depth = 1;
  // The objects (or their chains) are the children of one null object "Group".
  bool grouped = false;
  // Position tracks of each object and the keys of each track (one a frame at 30 fps).
  int tracksPerObject = 0;
  int keysPerTrack = 4;
};

// The largest grid whose points a polygon object can count (32-bit indices).
inline constexpr int kMaxGridSize = 46339;

// Writes the document to `out`. Returns false when a write failed (errno tells why).
bool writeDocument(const Options& options, std::FILE* out);

}  // namespace docgen
