// Export speed and memory on a big mesh, against the plain way to do the same work.
//
// Builds in memory a polygon object of 1000 x 1000 quadrangles (1,002,001 points) with a UVW
// tag and a Phong tag and exports it through the plug-in's export command (one driver for
// every run, as in the host). The floor is what every export has to do anyway: the host's
// Phong normals, and writing the same number of bytes from one buffer kept across runs,
// treated like the export's file (a new file in the same folder, synced, renamed over the
// target). Both run once before they are timed; medians of seven runs. The last line reads
//   export_ratio=R peak_ratio=P working_mb=W
// R: export time over floor time. P: the peak resident memory of one export (measured from
// the resident memory before it) over the document's size in memory plus the output's size.
// W: resident memory after an export less before it (what the plug-in keeps between
// commands). The line before gives the sizes and the medians.
#include "C4DLoader.h"
#include "bench_support.h"

#include "c4d.h"
#include "c4dhost_runtime.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kQuadsPerSide = 1000;
constexpr int kPointsPerSide = kQuadsPerSide + 1;
constexpr int kRuns = 7;

struct Fixture {
  BaseDocument* doc = nullptr;
  C4DLoader loader;
  std::string folder;
  std::string path;
  size_t documentBytes = 0;
  std::vector<char> output;  // the floor's bytes, as many as an export writes
};

Fixture* fixture = nullptr;

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

bool exportOnce() { return fixture->loader.svbExport(fixture->doc) && c4dhost::Messages().empty(); }

// The floor: the host's Phong normals, then the bytes written the way the export writes its
// file.
bool floorOnce() {
  PolygonObject* mesh = static_cast<PolygonObject*>(fixture->doc->GetFirstObject());
  Vector32* normals = mesh->CreatePhongNormals();
  benchmark::DoNotOptimize(normals);
  DeleteMem(normals);
  const std::string temporary = fixture->folder + "/.grid.svb.floor.tmp";
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = true;
  for (size_t done = 0; ok && done < fixture->output.size();) {
    const ssize_t n = write(fd, fixture->output.data() + done, fixture->output.size() - done);
    ok = n > 0;
    done += ok ? size_t(n) : 0;
  }
  ok = fsync(fd) == 0 && close(fd) == 0 && ok;
  ok = ok && std::rename(temporary.c_str(), fixture->path.c_str()) == 0;
  const int folder = open(fixture->folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  bench::ScratchFolder folder;
  if (!folder.ok()) {
    std::fprintf(stderr, "mesh_export_bench: cannot create a folder for the output file\n");
    return 1;
  }
  Fixture data;
  fixture = &data;
  data.folder = folder.file("");
  data.folder.pop_back();
  data.path = folder.file("grid.svb");
  data.doc = buildDocument(data.documentBytes);
  c4dhost::SetFileDialogAnswer(data.path);

  // One export measured on its own: its peak, and what it leaves behind.
  malloc_trim(0);
  const double before = bench::statusMb("VmRSS:");
  const bool peakReset = bench::resetPeak();
  if (!exportOnce()) {
    std::fprintf(stderr, "mesh_export_bench: the export failed\n");
    return 1;
  }
  const double exportPeakMb = bench::statusMb("VmHWM:") - before;
  malloc_trim(0);
  const double workingMb = bench::statusMb("VmRSS:") - before;
  const size_t outputBytes = fileSize(data.path);
  data.output.assign(outputBytes, 'x');
  for (size_t i = 0; i < data.output.size(); i += 4096) data.output[i] = char(i);
  if (!floorOnce()) {
    std::fprintf(stderr, "mesh_export_bench: the plain write failed\n");
    return 1;
  }

  benchmark::Initialize(&argc, argv);
  bench::registerRuns(
      "export",
      [](benchmark::State& state) {
        for (auto _ : state)
          if (!exportOnce()) state.SkipWithError("export failed");
      },
      kRuns);
  bench::registerRuns(
      "floor",
      [](benchmark::State& state) {
        for (auto _ : state)
          if (!floorOnce()) state.SkipWithError("plain write failed");
      },
      kRuns);
  bench::MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  BaseDocument::Free(data.doc);

  const double exportMs = reporter.medians["export"];
  const double floorMs = reporter.medians["floor"];
  const double documentMb = data.documentBytes / (1024.0 * 1024.0);
  const double outputMb = outputBytes / (1024.0 * 1024.0);
  std::printf(
      "document_mb=%.1f output_mb=%.1f export_ms=%.1f floor_ms=%.1f export_peak_mb=%.1f%s\n",
      documentMb, outputMb, exportMs, floorMs, exportPeakMb,
      peakReset ? "" : " (peak not resettable: whole process)");
  if (exportMs <= 0.0 || floorMs <= 0.0) {
    std::fprintf(stderr, "mesh_export_bench: a benchmark did not run\n");
    return 1;
  }
  std::printf("export_ratio=%.2f peak_ratio=%.2f working_mb=%.1f\n", exportMs / floorMs,
              (documentMb + exportPeakMb) / (documentMb + outputMb), workingMb);
  return 0;
}
