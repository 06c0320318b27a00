// The content of a document file, checked but not yet turned into a document.
//
// The parser (document_parse.cpp) fills these plain structs and refuses any file that is
// malformed, so that building the document from them (document_build.cpp) cannot fail on
// the input; the model importer (model_*.cpp) fills them from a model file. Every struct
// keeps the place in the file it came from, for messages.
#pragma once

#include "document_reader.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace c4ddoc {

struct Vec3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

struct GradientKnotRecord {
  Vec3 color{1.0, 1.0, 1.0};
  double brightness = 1.0;
  double position = 0.0;
  double bias = 0.5;
  std::int32_t index = 0;
  std::int32_t interpolation = 2;  // smooth knot
};

struct GradientRecord {
  std::int32_t mode = 0;  // colour
  std::vector<GradientKnotRecord> knots;
};

enum class ValueKind { Int, Float, Bool, Vector, String, File, Link, Gradient };

// One typed parameter value. `text` holds the string, the file name or the referenced id.
struct ParamRecord {
  std::int32_t id = 0;
  ValueKind kind = ValueKind::Int;
  std::int64_t integer = 0;
  double real = 0.0;
  bool flag = false;
  Vec3 vector;
  std::string text;
  GradientRecord gradient;
  std::string place;
};

// Interpolation of a key, in the host's numbering.
enum class KeyInterpolation : std::int32_t { Spline = 1, Linear = 2, Step = 3 };

struct KeyRecord {
  double time = 0.0;  // seconds
  double value = 0.0;
  KeyInterpolation interpolation = KeyInterpolation::Linear;
};

struct DescLevelRecord {
  std::int32_t id = 0;
  std::int32_t dtype = 0;
};

struct TrackRecord {
  std::vector<DescLevelRecord> descId;
  std::string name;             // empty: the host's own default name
  std::optional<bool> enabled;  // track parameter 904; absent: the host's default
  std::vector<KeyRecord> keys;
  std::vector<ParamRecord> params;
  std::string place;
};

struct ShaderRecord {
  std::string id;  // empty when the file gives none
  std::int32_t type = 0;
  std::string name;
  std::vector<ParamRecord> params;
  std::vector<ShaderRecord> children;
  std::string place;
};

struct MaterialRecord {
  std::string id;
  std::int32_t type = 0;
  std::string name;
  bool hasChannels = false;            // false: the host's default channels
  std::vector<std::int32_t> channels;  // enabled channels
  std::vector<ParamRecord> params;
  std::vector<ShaderRecord> shaders;
  std::string place;
};

struct LayerRecord {
  std::string id;
  std::string name;
  std::vector<ParamRecord> params;
  std::string place;
};

// Per-polygon corner data (UVW coordinates or normals): four corners, d equal to c for a
// triangle given with three corners.
struct CornerRecord {
  Vec3 a;
  Vec3 b;
  Vec3 c;
  Vec3 d;
};

struct TagRecord {
  std::string id;
  std::int32_t type = 0;
  std::string name;
  std::vector<ParamRecord> params;
  std::vector<std::int32_t> selection;  // polygon selection: polygon indices
  std::vector<CornerRecord> corners;    // UVW or normal data, one entry per polygon
  std::string place;
};

struct PolygonRecord {
  std::int32_t a = 0;
  std::int32_t b = 0;
  std::int32_t c = 0;
  std::int32_t d = 0;  // equal to c for a triangle
};

struct StrandRecord {
  std::vector<Vec3> points;  // in the hair object's own space, root first
  double rootU = 0.0;
  double rootV = 0.0;
};

struct ObjectRecord {
  std::string id;
  std::int32_t type = 0;
  std::string name;
  Vec3 position;
  Vec3 rotation;  // radians, in the order given by rotationOrder
  Vec3 scale{1.0, 1.0, 1.0};
  std::int32_t rotationOrder = 6;  // HPB
  std::int32_t bits = 0;
  std::string layer;  // layer id, empty for none
  std::vector<ParamRecord> params;
  std::vector<Vec3> points;
  std::vector<PolygonRecord> polygons;
  std::vector<StrandRecord> strands;
  std::vector<TagRecord> tags;
  std::vector<TrackRecord> tracks;
  std::vector<ObjectRecord> cache;        // the generator's cache, a list of objects
  std::vector<ObjectRecord> deformCache;  // at most one object
  std::vector<ObjectRecord> children;
  std::string place;
};

struct DocumentRecord {
  std::string name;
  std::string folder;  // already resolved; empty for a document that was never saved
  std::int32_t fps = 30;
  double minTime = 0.0;
  double maxTime = 3.0;
  double time = 0.0;
  std::vector<std::string> selection;  // ids of objects, tags or materials
  std::vector<LayerRecord> layers;
  std::vector<MaterialRecord> materials;
  std::vector<ObjectRecord> objects;
};

struct ParseOptions {
  // Folder against which a relative "folder" of the file is resolved (normally the folder
  // of the file itself).
  std::string baseFolder;
};

// Parses and checks a document file. Throws DocumentError naming the place of the first fault.
DocumentRecord parseDocument(std::string_view json, std::string_view sourceName,
                             const ParseOptions& options);

// Builds the document from checked records: ids unique and every reference resolving to an
// element of the right kind, indices in range, one UVW or normal entry per polygon, key times
// increasing (the parser checks files for this; the model importer makes records that way).
// The bulk data of the records (points, polygons, UVW and normal data) is released as soon
// as it is in the model, so that a big document is not held twice. Throws DocumentError when
// the model refuses something; nothing is returned then.
DocumentPtr buildDocument(DocumentRecord&& records, std::string_view sourceName);

}  // namespace c4ddoc
