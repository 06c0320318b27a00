// Export speed and memory on a big mesh.
//
// Builds in memory a polygon object of 1000 x 1000 quadrangles (1,002,001 points)
// with a UVW tag and a Phong tag, exports it through the plug-in's export command
// (one driver for every run, as in the host), and writes the same number of bytes
// with one fwrite from a ready buffer to the same file. Each is timed as the median
// of several runs. The last line reads
//   export_ratio=R peak_rss_mb=M
// where R is export time / plain write time and M the process's peak resident
// memory at the end of the export runs (before the plain write's buffer exists).
// The line before gives the sizes, the medians, and the time the host alone takes
// for the Phong normals that every export asks for.
#include "C4DLoader.h"

#include "c4d.h"
#include "c4dhost_runtime.h"

#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kQuadsPerSide = 1000;
constexpr int kPointsPerSide = kQuadsPerSide + 1;
constexpr int kRuns = 5;

struct Fixture {
  BaseDocument* doc = nullptr;
  C4DLoader loader;
  std::string path;
  size_t documentBytes = 0;
  size_t outputBytes = 0;
  double exportPeakMb = 0.0;
};

Fixture* fixture = nullptr;

// Peak resident set of this process so far, in MiB (VmHWM).
double peakRssMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
  return 0.0;
}

size_t fileSize(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? size_t(info.st_size) : 0;
}

// The grid lies in the xz plane, one unit per quadrangle; texture coordinates span 0..1.
BaseDocument* buildDocument(size_t& bytes) {
  BaseDocument* doc = BaseDocument::Alloc();
  const Int32 points = kPointsPerSide * kPointsPerSide;
  const Int32 polygons = kQuadsPerSide * kQuadsPerSide;
  PolygonObject* mesh = PolygonObject::Alloc(points, polygons);
  mesh->SetName("Grid");
  Vector* p = mesh->GetPointW();
  for (Int32 z = 0; z < kPointsPerSide; ++z)
    for (Int32 x = 0; x < kPointsPerSide; ++x)
      p[z * kPointsPerSide + x] = Vector(x, 0.001 * ((x * 7 + z * 13) % 100), z);
  CPolygon* poly = mesh->GetPolygonW();
  UVWTag* uvw = UVWTag::Alloc(polygons);
  UVWHandle uvwData = uvw->GetDataAddressW();
  const double step = 1.0 / kQuadsPerSide;
  for (Int32 z = 0; z < kQuadsPerSide; ++z) {
    for (Int32 x = 0; x < kQuadsPerSide; ++x) {
      const Int32 i = z * kQuadsPerSide + x;
      const Int32 a = z * kPointsPerSide + x;
      poly[i] = CPolygon(a, a + kPointsPerSide, a + kPointsPerSide + 1, a + 1);
      UVWTag::Set(uvwData, i,
                  UVWStruct(Vector(x * step, z * step, 0), Vector(x * step, (z + 1) * step, 0),
                            Vector((x + 1) * step, (z + 1) * step, 0),
                            Vector((x + 1) * step, z * step, 0)));
    }
  }
  mesh->InsertTag(uvw);
  mesh->MakeTag(Tphong, uvw);
  doc->InsertObject(mesh, nullptr, nullptr);
  bytes = size_t(points) * sizeof(Vector) + size_t(polygons) * sizeof(CPolygon) +
          size_t(polygons) * sizeof(UVWStruct);
  return doc;
}

void BM_Export(benchmark::State& state) {
  for (auto _ : state) {
    if (!fixture->loader.svbExport(fixture->doc)) state.SkipWithError("export refused");
  }
  fixture->outputBytes = fileSize(fixture->path);
  fixture->exportPeakMb = peakRssMb();
}

void BM_PlainWrite(benchmark::State& state) {
  // Same bytes count, ready in memory, one fwrite to the same file.
  std::vector<char> buffer(fixture->outputBytes, 'x');
  for (size_t i = 0; i < buffer.size(); i += 4096) buffer[i] = char(i);
  for (auto _ : state) {
    FILE* file = std::fopen(fixture->path.c_str(), "wb");
    if (!file) {
      state.SkipWithError("cannot open the output file");
      break;
    }
    const size_t written = std::fwrite(buffer.data(), 1, buffer.size(), file);
    if (std::fclose(file) != 0 || written != buffer.size())
      state.SkipWithError("plain write failed");
  }
}

// The host's share of every export: the Phong normals it computes on request.
void BM_HostPhongNormals(benchmark::State& state) {
  PolygonObject* mesh = static_cast<PolygonObject*>(fixture->doc->GetFirstObject());
  for (auto _ : state) {
    Vector32* normals = mesh->CreatePhongNormals();
    benchmark::DoNotOptimize(normals);
    DeleteMem(normals);
  }
}

// Keeps the median real time of each benchmark while printing as usual.
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
    std::fprintf(stderr, "mesh_export_bench: cannot create a folder for the output file\n");
    return 1;
  }
  Fixture data;
  fixture = &data;
  data.path = folder + "/grid.svb";
  data.doc = buildDocument(data.documentBytes);
  c4dhost::SetFileDialogAnswer(data.path);

  benchmark::Initialize(&argc, argv);
  benchmark::RegisterBenchmark("export", BM_Export)
      ->Iterations(1)
      ->Repetitions(kRuns)
      ->ReportAggregatesOnly(true)
      ->UseRealTime()
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("plain_write", BM_PlainWrite)
      ->Iterations(1)
      ->Repetitions(kRuns)
      ->ReportAggregatesOnly(true)
      ->UseRealTime()
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("host_phong_normals", BM_HostPhongNormals)
      ->Iterations(1)
      ->Repetitions(kRuns)
      ->ReportAggregatesOnly(true)
      ->UseRealTime()
      ->Unit(benchmark::kMillisecond);
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::remove(data.path.c_str());
  rmdir(folder.c_str());
  BaseDocument::Free(data.doc);

  const double exportMs = reporter.medians["export"];
  const double writeMs = reporter.medians["plain_write"];
  const double documentMb = data.documentBytes / (1024.0 * 1024.0);
  const double outputMb = data.outputBytes / (1024.0 * 1024.0);
  std::printf(
      "document_mb=%.1f output_mb=%.1f memory_limit_mb=%.1f export_ms=%.1f "
      "plain_write_ms=%.1f host_phong_ms=%.1f process_peak_rss_mb=%.1f\n",
      documentMb, outputMb, 1.5 * (documentMb + outputMb), exportMs, writeMs,
      reporter.medians["host_phong_normals"], peakRssMb());
  if (exportMs <= 0.0 || writeMs <= 0.0) {
    std::fprintf(stderr, "mesh_export_bench: a benchmark did not run\n");
    return 1;
  }
  std::printf("export_ratio=%.2f peak_rss_mb=%.1f\n", exportMs / writeMs, data.exportPeakMb);
  return 0;
}
