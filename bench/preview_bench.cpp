// Preview speed on a big scene: reading against drawing.
//
// Writes with the scene file writer a scene laid out as the plug-in exports a
// 1000 x 1000 quadrangle mesh (1,002,001 vertices, 2,000,000 triangles, per-corner
// normals and texture coordinates, a texture beside the scene, the z-mirroring root
// group) seen by a camera from above and in front. Then times, as the median of
// several runs, reading the file with the project's reader (file into memory, then
// svb::parse) and drawing the parsed scene at 1024 x 768. The last line reads
//   read_ms=R draw_ms=D draw_over_read=Q
// and the drawing meets its target when Q is at most 1.
#include "svb_preview.h"
#include "svb_reader.h"
#include "zelsceneapi_file.h"

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kQuadsPerSide = 1000;
constexpr int kPointsPerSide = kQuadsPerSide + 1;
constexpr int kRuns = 5;
constexpr int kWidth = 1024;
constexpr int kHeight = 768;

struct Fixture {
  std::string scenePath;
  svb::Scene scene;
  std::size_t bytes = 0;
  std::size_t notes = 0;
};

Fixture* fixture = nullptr;

void setArray(zelScene_api_file& w, const char* name, zelType type, void* data, std::size_t n) {
  zelArray a{data, static_cast<uint32_t>(n)};
  w.set_parameter(name, zel_array_of(type), &a);
}

// The grid lies in the xz plane, one unit per quadrangle, with small bumps; corners
// carry their own normal and texture coordinate, as the plug-in writes them.
bool writeScene(const std::string& path) {
  std::vector<float> vertices;
  vertices.reserve(3 * kPointsPerSide * kPointsPerSide);
  for (int z = 0; z < kPointsPerSide; ++z)
    for (int x = 0; x < kPointsPerSide; ++x)
      vertices.insert(vertices.end(), {float(x), 0.001f * ((x * 7 + z * 13) % 100), float(z)});
  std::vector<float> normals;
  std::vector<float> uvs;
  std::vector<int32_t> triangles;
  std::vector<int32_t> corners;
  const float step = 1.0f / kQuadsPerSide;
  int32_t n = 0;
  for (int z = 0; z < kQuadsPerSide; ++z) {
    for (int x = 0; x < kQuadsPerSide; ++x) {
      const int32_t a = z * kPointsPerSide + x;
      const int32_t b = a + kPointsPerSide, c = b + 1, d = a + 1;
      triangles.insert(triangles.end(), {a, d, b, c, b, d});
      corners.insert(corners.end(), {n, n + 3, n + 1, n + 2, n + 1, n + 3});
      n += 4;
      for (int k = 0; k < 4; ++k) normals.insert(normals.end(), {0.0f, 1.0f, 0.0f});
      uvs.insert(uvs.end(), {x * step, z * step, x * step, (z + 1) * step, (x + 1) * step,
                             (z + 1) * step, (x + 1) * step, z * step});
    }
  }

  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  {
    zelScene_api_file w(file, true);
    w.set_version(8);
    w.camera_begin("Camera");
    w.set_parameter_float("fov", 60.0f);
    const double position[3] = {500, 700, 400};
    const double direction[3] = {0, -700, -900};
    const double up[3] = {0, 1, 0};
    w.set_parameter("position", TYPE_VECTOR, position);
    w.set_parameter("direction", TYPE_VECTOR, direction);
    w.set_parameter("up", TYPE_VECTOR, up);
    w.camera_end();

    zelMatrix flip;
    flip.make_identity();
    flip.m[10] = -1.0;
    w.group_begin("grid", true);
    w.transform(flip);
    w.object_begin("Grid", true);
    w.geometry_use("triangles");
    setArray(w, "vertices", TYPE_COLOR, vertices.data(), vertices.size() / 3);
    setArray(w, "normals", TYPE_COLOR, normals.data(), normals.size() / 3);
    setArray(w, "triangles_norm", TYPE_INT, corners.data(), corners.size());
    setArray(w, "uv_tex", TYPE_FLOAT, uvs.data(), uvs.size());
    setArray(w, "triangles_uv", TYPE_INT, corners.data(), corners.size());
    setArray(w, "triangles", TYPE_INT, triangles.data(), triangles.size());
    w.geometry_end();
    w.shader_begin(nullptr, "texture2_rgb");
    w.set_parameter("texture", TYPE_STRING, "grid_texture.png");
    w.set_parameter_float("scale_u", 0.1f);
    w.set_parameter_float("scale_v", 0.1f);
    w.shader_end();
    zelShader* texture = w.shader_get();
    w.shader_begin(nullptr, "zel_advanced");
    w.set_parameter_color("diffuse", 1.0f, 1.0f, 1.0f);
    w.set_subshader("diffuse", texture);
    w.shader_end();
    zelShader* surface = w.shader_get();
    w.material_begin("Grid", true);
    w.material_set_shader(SHADER_SURFACE, surface);
    w.material_end();
    w.object_end();
    w.group_end();
  }
  return std::fclose(file) == 0;
}

// A 64 x 64 texture of four coloured quarters.
bool writeTexture(const std::string& path) {
  svb_preview::Image image;
  image.width = image.height = 64;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      image.rgb.insert(image.rgb.end(),
                       {uint8_t(x < 32 ? 230 : 40), uint8_t(y < 32 ? 200 : 70), uint8_t(120)});
  std::string error;
  return svb_preview::writePng(image, path, error);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void BM_Read(benchmark::State& state) {
  for (auto _ : state) {
    const std::string bytes = readFile(fixture->scenePath);
    fixture->bytes = bytes.size();
    fixture->scene = svb::parse(bytes);
  }
}

void BM_Draw(benchmark::State& state) {
  svb_preview::Options options;
  options.width = kWidth;
  options.height = kHeight;
  options.textureFolder = fixture->scenePath.substr(0, fixture->scenePath.rfind('/'));
  for (auto _ : state) {
    std::vector<std::string> notes;
    const svb_preview::Image image = svb_preview::draw(fixture->scene, options, notes);
    benchmark::DoNotOptimize(image.rgb.data());
    fixture->notes = notes.size();
  }
}

class MedianReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> medians;

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
        medians[run.run_name.function_name] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/solvane-bench-XXXXXX";
  if (!mkdtemp(&folder[0])) {
    std::fprintf(stderr, "preview_bench: cannot create a folder for the scene\n");
    return 1;
  }
  Fixture data;
  fixture = &data;
  data.scenePath = folder + "/grid.svb";
  const std::string texturePath = folder + "/grid_texture.png";
  const bool written = writeScene(data.scenePath) && writeTexture(texturePath);
  bool measured = false;
  if (written) {
    benchmark::Initialize(&argc, argv);
    for (auto [name, function] : {std::pair{"read", BM_Read}, std::pair{"draw", BM_Draw}})
      benchmark::RegisterBenchmark(name, function)
          ->Iterations(1)
          ->Repetitions(kRuns)
          ->ReportAggregatesOnly(true)
          ->UseRealTime()
          ->Unit(benchmark::kMillisecond);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double readMs = reporter.medians["read"];
    const double drawMs = reporter.medians["draw"];
    std::printf("scene_mb=%.1f picture=%dx%d notes=%zu\n", data.bytes / (1024.0 * 1024.0), kWidth,
                kHeight, data.notes);
    measured = readMs > 0.0 && drawMs > 0.0;
    if (measured)
      std::printf("read_ms=%.1f draw_ms=%.1f draw_over_read=%.2f\n", readMs, drawMs,
                  drawMs / readMs);
    else
      std::fprintf(stderr, "preview_bench: a benchmark did not run\n");
  } else {
    std::fprintf(stderr, "preview_bench: cannot write the scene or its texture in %s\n",
                 folder.c_str());
  }
  std::remove(data.scenePath.c_str());
  std::remove(texturePath.c_str());
  rmdir(folder.c_str());
  return measured ? 0 : 1;
}
