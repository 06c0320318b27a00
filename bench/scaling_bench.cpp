// Reading time against document size: ten times the content must not cost a hundred times
// the time.
//
// Two pairs of generated documents, each read (parsed, checked and built) from a file:
// - "scene": N materials and N null objects, all children of one group object, each with a
//   texture tag using a material and one position track of four keys (N = 10,000 and
//   100,000): long material, child and id lists;
// - "animation": one object with one track of N keys (N = 100,000 and 1,000,000).
// Each read is timed as the median of several runs. The last line reads
//   scene_ratio=R animation_ratio=A
// the time for the larger document over that for the smaller one (linear: about 10).
#include "bench_support.h"
#include "c4d.h"
#include "document_reader.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kRuns = 3;

struct Case {
  const char* name;
  docgen::Options options;
};

docgen::Options scene(int n) {
  docgen::Options o;
  o.materials = n;
  o.objects = n;
  o.grouped = true;
  o.tracksPerObject = 1;
  o.keysPerTrack = 4;
  return o;
}

docgen::Options animation(int keys) {
  docgen::Options o;
  o.objects = 1;
  o.tracksPerObject = 1;
  o.keysPerTrack = keys;
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  const Case cases[] = {
      {"scene_10000", scene(10000)},
      {"scene_100000", scene(100000)},
      {"animation_100000", animation(100000)},
      {"animation_1000000", animation(1000000)},
  };
  bench::ScratchFolder folder;
  benchmark::Initialize(&argc, argv);
  for (const Case& c : cases) {
    const std::string path = folder.file(std::string(c.name) + ".json");
    if (!folder.ok() || !bench::writeDocument(c.options, path)) {
      std::fprintf(stderr, "scaling_bench: cannot write %s\n", path.c_str());
      return 1;
    }
    bench::registerRuns(
        c.name,
        [path](benchmark::State& state) {
          for (auto _ : state) {
            c4ddoc::DocumentPtr doc = c4ddoc::readDocumentFile(path);
            benchmark::DoNotOptimize(doc.get());
          }
        },
        kRuns);
  }
  bench::MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  auto ratio = [&](const char* small, const char* large) {
    const double t = reporter.cpuMedians[small];
    return t > 0.0 ? reporter.cpuMedians[large] / t : 0.0;
  };
  for (const Case& c : cases) std::printf("%s_ms=%.1f ", c.name, reporter.medians[c.name]);
  std::printf("(CPU time medians decide the ratios)\n");
  const double sceneRatio = ratio("scene_10000", "scene_100000");
  const double animationRatio = ratio("animation_100000", "animation_1000000");
  if (sceneRatio <= 0.0 || animationRatio <= 0.0) {
    std::fprintf(stderr, "scaling_bench: a benchmark did not run\n");
    return 1;
  }
  std::printf("scene_ratio=%.2f animation_ratio=%.2f\n", sceneRatio, animationRatio);
  return 0;
}
