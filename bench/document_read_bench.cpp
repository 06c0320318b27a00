// Reading speed and memory on a big document file.
//
// Writes the 1000 x 1000 grid document (1,002,001 points, 1,000,000 quadrangles, a UVW tag
// and a Phong tag; ~117 MB) with the generator of tools/docgen into a temporary file and
// reads it with the host's reader: from the file (as c4dhost does) and from memory. The
// floor is simdjson's On-Demand parser alone walking every value of the same bytes, held in
// memory. The first read from the file is measured for memory: the peak resident memory
// while reading, less the memory the finished document keeps. The last line reads
//   read_mb_s=R extra_memory_mb=E file_mb=F parser_floor_mb_s=P
// (MB = 10^6 bytes for speeds, MiB for memory); the line before gives the medians.
#include "bench_support.h"
#include "c4d.h"
#include "document_generator.h"
#include "document_reader.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <simdjson.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

constexpr int kGridSize = 1000;
constexpr int kRuns = 5;

struct Fixture {
  std::string path;
  std::string text;  // the file's bytes, for the reads from memory
  simdjson::padded_string padded;
};

Fixture* fixture = nullptr;

// A line of /proc/self/status ("VmRSS:", "VmHWM:") in MiB.
// Touches every value, so that the parser cannot skip anything.
void walk(simdjson::ondemand::value v, double& sum, std::size_t& strings) {
  using simdjson::ondemand::json_type;
  switch (v.type().value_unsafe()) {
    case json_type::array:
      for (auto element : v.get_array().value_unsafe()) walk(element.value_unsafe(), sum, strings);
      break;
    case json_type::object:
      for (auto field : v.get_object().value_unsafe()) {
        strings += field.unescaped_key().value_unsafe().size();
        walk(field.value(), sum, strings);
      }
      break;
    case json_type::number:
      sum += v.get_double().value_unsafe();
      break;
    case json_type::string:
      strings += v.get_string().value_unsafe().size();
      break;
    case json_type::boolean:
      sum += v.get_bool().value_unsafe() ? 1.0 : 0.0;
      break;
    case json_type::null:
      break;
  }
}

void BM_ReadFile(benchmark::State& state) {
  for (auto _ : state) {
    c4ddoc::DocumentPtr doc = c4ddoc::readDocumentFile(fixture->path);
    benchmark::DoNotOptimize(doc.get());
  }
}

void BM_ReadMemory(benchmark::State& state) {
  for (auto _ : state) {
    c4ddoc::DocumentPtr doc = c4ddoc::readDocument(fixture->text, "grid.json");
    benchmark::DoNotOptimize(doc.get());
  }
}

void BM_ParserFloor(benchmark::State& state) {
  simdjson::ondemand::parser parser;
  for (auto _ : state) {
    simdjson::ondemand::document doc = parser.iterate(fixture->padded);
    double sum = 0.0;
    std::size_t strings = 0;
    walk(doc.get_value().value_unsafe(), sum, strings);
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(strings);
  }
}

}  // namespace

int main(int argc, char** argv) {
  bench::ScratchFolder folder;
  Fixture data;
  fixture = &data;
  data.path = folder.file("grid.json");
  docgen::Options options;
  options.gridSize = kGridSize;
  if (!folder.ok() || !bench::writeDocument(options, data.path)) {
    std::fprintf(stderr, "document_read_bench: cannot write the grid document\n");
    return 1;
  }
  struct stat info {};
  stat(data.path.c_str(), &info);
  const double fileBytes = static_cast<double>(info.st_size);

  // The first read, for memory: nothing of an earlier read is left in the heap.
  malloc_trim(0);
  const double before = bench::statusMb("VmRSS:");
  const bool peakReset = bench::resetPeak();
  double extraMb = 0.0;
  double documentMb = 0.0;
  {
    c4ddoc::DocumentPtr doc = c4ddoc::readDocumentFile(data.path);
    const double peak = bench::statusMb("VmHWM:");
    malloc_trim(0);
    const double after = bench::statusMb("VmRSS:");
    documentMb = after - before;
    extraMb = peak - after;
  }
  malloc_trim(0);

  {
    std::ifstream in(data.path, std::ios::binary);
    data.text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  data.padded = simdjson::padded_string(data.text);

  benchmark::Initialize(&argc, argv);
  bench::registerRuns("read_file", BM_ReadFile, kRuns);
  bench::registerRuns("read_memory", BM_ReadMemory, kRuns);
  bench::registerRuns("parser_floor", BM_ParserFloor, kRuns);
  bench::MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  const double fileMs = reporter.medians["read_file"];
  const double memoryMs = reporter.medians["read_memory"];
  const double floorMs = reporter.medians["parser_floor"];
  auto mbPerSecond = [&](double ms) { return ms > 0.0 ? fileBytes / 1e6 / (ms / 1e3) : 0.0; };
  // On a busy machine real time also counts the waits for a core; CPU time does not.
  std::printf(
      "file_bytes=%.0f read_file_ms=%.1f read_memory_ms=%.1f parser_floor_ms=%.1f "
      "read_file_cpu_mb_s=%.1f read_memory_mb_s=%.1f parser_floor_cpu_mb_s=%.1f "
      "document_mb=%.1f\n",
      fileBytes, fileMs, memoryMs, floorMs, mbPerSecond(reporter.cpuMedians["read_file"]),
      mbPerSecond(memoryMs), mbPerSecond(reporter.cpuMedians["parser_floor"]), documentMb);
  if (fileMs <= 0.0 || floorMs <= 0.0 || !peakReset) {
    std::fprintf(stderr, "document_read_bench: a benchmark did not run%s\n",
                 peakReset ? "" : " (the peak memory cannot be reset here)");
    return 1;
  }
  std::printf("read_mb_s=%.1f extra_memory_mb=%.1f file_mb=%.1f parser_floor_mb_s=%.1f\n",
              mbPerSecond(fileMs), extraMb, fileBytes / (1024.0 * 1024.0), mbPerSecond(floorMs));
  return 0;
}
