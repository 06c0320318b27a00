// What the preview draws, gathered from a parsed scene: meshes and curves placed in
// the world, the lights that the emitting meshes make, the camera blocks and the
// animation blocks that may move them.
//
// The arrays of the scene are not copied: a mesh points into the parsed scene's
// binary payloads where they already have the needed element type, and into
// converted copies held by the DrawList otherwise. A DrawList therefore lives no
// longer than the svb::Scene it was gathered from.
#pragma once

#include "preview_math.h"

#include "svb_reader.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace svb_preview {

template <class T>
struct Span {
  const T* data = nullptr;
  std::size_t size = 0;
  const T& operator[](std::size_t i) const { return data[i]; }
};

// Texture placement of a "texture2_rgb" shader, as the plug-in writes it.
struct TexturePlacement {
  std::string file;  // as written; resolved against the scene's folder when drawing
  bool wrap = true;  // tiles beyond 0..1; otherwise the default colour shows there
  Vec3 defaultColor;
  double scaleU = 1.0;  // texture size in uv units (u' = (u - shift) / scale)
  double scaleV = 1.0;
  double shiftU = 0.0;
  double shiftV = 0.0;
  // Flat projection (uv_projection 5): uv from the object-space point through this
  // matrix (centred on 0, half a unit each way); otherwise the mesh's uv stream.
  bool flat = false;
  Mat4 objectToUv;
};

struct Material {
  Vec3 diffuse{0.65, 0.65, 0.65};  // the plug-in's default display colour
  bool textured = false;
  TexturePlacement texture;  // replaces the diffuse colour when textured
  bool emitting = false;     // a light's mesh: drawn in `diffuse` unlit
  double power = 0.0;        // an emitting mesh's "power", in candela (see gather)
  bool hidden = false;       // an emitting mesh not visible to the eye
};

// A triangle geometry block in world space. Index streams hold three entries per
// triangle; normals and uvs are per corner, as the plug-in writes them. Streams that
// do not fit the triangles are left empty (and noted).
struct Mesh {
  std::string name;
  Mat4 world;
  Span<float> vertices;  // x y z per vertex, object space
  Span<std::int32_t> triangles;
  Span<float> normals;  // x y z per entry, object space
  Span<std::int32_t> normalIndices;
  Span<float> uvs;  // u v per entry
  Span<std::int32_t> uvIndices;
  Material material;
};

// Hair: polylines through the points of each strand.
struct Curves {
  std::string name;
  Mat4 world;
  Span<float> points;         // x y z per point, object space
  Span<std::int32_t> counts;  // points per strand
  Vec3 color{0.65, 0.65, 0.65};
};

struct Light {
  Vec3 position;  // world-space centre of the emitting mesh
  Vec3 color{1.0, 1.0, 1.0};
  double power = 0.0;  // candela
};

// A camera block and its place: its own transform statements times the world matrix
// of the block it sits in.
struct CameraBlock {
  const svb::Node* node = nullptr;
  Mat4 world;
  bool transformed = false;  // the block has transform statements of its own
};

struct DrawList {
  std::vector<Mesh> meshes;
  std::vector<Curves> curves;
  std::vector<Light> lights;
  std::vector<CameraBlock> cameras;            // in file order, #modify ones too
  std::vector<const svb::Node*> animations;    // every animation block, in file order
  std::vector<std::string> notes;              // what could not be drawn, and why
  std::deque<std::vector<float>> floatCopies;  // storage behind converted spans
  std::deque<std::vector<std::int32_t>> intCopies;
};

// Gathers what to draw. Never throws for odd content: what cannot be used is left
// out with a note.
//
// Light powers are brought to one unit: a power in lumen ("lumen" on) is divided by
// 4 pi, the factor by which the plug-in turns a candela intensity into lumen; any
// other power (the plug-in writes brightness times 100) counts as candela as it is.
DrawList gather(const svb::Scene& scene);

}  // namespace svb_preview
