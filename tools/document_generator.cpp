#include "document_generator.h"

#include <charconv>
#include <string>

namespace docgen {
namespace {

constexpr const char* kTrackParams[] = {
    "position.x", "position.y", "position.z", "rotation.h", "rotation.p",
    "rotation.b", "scale.x",    "scale.y",    "scale.z",
};

// Collects the text in a buffer and hands it to the stream in large blocks; the first failed
// write is remembered and ends all writing.
class Out {
 public:
  explicit Out(std::FILE* file) : file_(file) { buffer_.reserve(kBlock + 4096); }

  Out& operator<<(const char* s) {
    buffer_ += s;
    return spill();
  }
  Out& operator<<(char c) {
    buffer_ += c;
    return spill();
  }
  Out& operator<<(long long v) { return number(v); }
  Out& operator<<(int v) { return number(static_cast<long long>(v)); }
  // Shortest text that reads back as the same double.
  Out& operator<<(double v) { return number(v); }

  bool finish() {
    flush();
    return ok_;
  }

 private:
  static constexpr std::size_t kBlock = 1 << 20;

  template <typename T>
  Out& number(T v) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, v).ptr;
    buffer_.append(text, end);
    return spill();
  }
  Out& spill() {
    if (buffer_.size() >= kBlock) flush();
    return *this;
  }
  void flush() {
    if (ok_ && !buffer_.empty())
      ok_ = std::fwrite(buffer_.data(), 1, buffer_.size(), file_) == buffer_.size();
    buffer_.clear();
  }

  std::FILE* file_;
  std::string buffer_;
  bool ok_ = true;
};

// A pair of texture coordinates.
void uv(Out& out, double u, double v) { out << '[' << u << ", " << v << ']'; }

// The grid lies in the xz plane, one unit per quadrangle, with a small ripple in y; its
// texture coordinates span 0..1.
void writeGrid(Out& out, int n) {
  const long long side = n + 1;
  out << "{\"id\": \"grid\", \"type\": \"polygon\", \"name\": \"Grid\",\n\"points\": [\n";
  for (long long z = 0; z < side; ++z) {
    for (long long x = 0; x < side; ++x) {
      if (z + x > 0) out << ",\n";
      out << '[' << x << ", " << static_cast<double>((x * 7 + z * 13) % 100) / 1000.0 << ", " << z
          << ']';
    }
  }
  out << "],\n\"polygons\": [\n";
  for (long long z = 0; z < n; ++z) {
    for (long long x = 0; x < n; ++x) {
      if (z + x > 0) out << ",\n";
      const long long a = z * side + x;
      out << '[' << a << ", " << a + side << ", " << a + side + 1 << ", " << a + 1 << ']';
    }
  }
  out << "],\n\"tags\": [{\"type\": \"uvw\", \"name\": \"UVW\", \"uvw\": [\n";
  for (int z = 0; z < n; ++z) {
    const double v0 = static_cast<double>(z) / n;
    const double v1 = static_cast<double>(z + 1) / n;
    for (int x = 0; x < n; ++x) {
      if (z + x > 0) out << ",\n";
      const double u0 = static_cast<double>(x) / n;
      const double u1 = static_cast<double>(x + 1) / n;
      out << '[';
      uv(out, u0, v0);
      out << ", ";
      uv(out, u0, v1);
      out << ", ";
      uv(out, u1, v1);
      out << ", ";
      uv(out, u1, v0);
      out << ']';
    }
  }
  out << "]},\n{\"type\": \"phong\", \"name\": \"Phong\", \"angleLimit\": true, "
         "\"angle\": 0.5235987755982988}]}";
}

void writeMaterials(Out& out, int count) {
  for (int i = 0; i < count; ++i) {
    if (i > 0) out << ",\n";
    out << "{\"id\": \"m" << i << "\", \"name\": \"Material " << i << "\", \"color\": ["
        << (i % 10) / 10.0 << ", " << (i % 7) / 7.0 << ", " << 0.5 << "]}";
  }
}

void writeTracks(Out& out, const Options& options, int object) {
  out << ", \"tracks\": [";
  for (int t = 0; t < options.tracksPerObject; ++t) {
    if (t > 0) out << ", ";
    out << "{\"param\": \"" << kTrackParams[t % 9] << "\", \"keys\": [";
    for (int k = 0; k < options.keysPerTrack; ++k) {
      if (k > 0) out << ',';
      out << '[' << k / 30.0 << ',' << static_cast<double>((object + k) % 100) << ']';
    }
    out << "]}";
  }
  out << ']';
}

// Object i opens its record; the chain it belongs to closes the records later.
void openObject(Out& out, const Options& options, int i) {
  out << "{\"type\": \"null\", \"name\": \"Object " << i << "\", \"position\": [" << i % 1000
      << ", 0, " << i / 1000 << ']';
  if (options.materials > 0)
    out << ", \"tags\": [{\"type\": \"texture\", \"material\": \"m" << i % options.materials
        << "\"}]";
  if (options.tracksPerObject > 0) writeTracks(out, options, i);
}

void writeObjects(Out& out, const Options& options, bool first) {
  const int depth = options.depth < 1 ? 1 : options.depth;
  for (int start = 0; start < options.objects; start += depth) {
    const int end = start + depth < options.objects ? start + depth : options.objects;
    if (!first || start > 0) out << ",\n";
    for (int i = start; i < end; ++i) {
      openObject(out, options, i);
      if (i + 1 < end) out << ", \"children\": [\n";
    }
    for (int i = start; i < end; ++i) out << (i + 1 < end ? "}]" : "}");
  }
}

}  // namespace

bool writeDocument(const Options& options, std::FILE* out) {
  Out o(out);
  o << "{\"version\": 1, \"name\": \"generated.c4d\", \"fps\": 30, \"minTime\": 0, "
       "\"maxTime\": "
    << (options.tracksPerObject > 0 && options.keysPerTrack > 1 ? (options.keysPerTrack - 1) / 30.0
                                                                : 3.0)
    << ",\n";
  o << "\"materials\": [\n";
  writeMaterials(o, options.materials);
  o << "],\n\"objects\": [\n";
  if (options.gridSize > 0) writeGrid(o, options.gridSize);
  if (options.grouped) {
    if (options.gridSize > 0) o << ",\n";
    o << "{\"type\": \"null\", \"name\": \"Group\", \"children\": [\n";
    writeObjects(o, options, true);
    o << "]}";
  } else {
    writeObjects(o, options, options.gridSize == 0);
  }
  o << "]}\n";
  return o.finish();
}

}  // namespace docgen
