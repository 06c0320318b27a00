// Pieces shared by the document benchmarks: median reporting, a scratch folder, generated
// documents.
#pragma once

#include "document_generator.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace bench {

// Keeps the median real and CPU time (ms) of each benchmark while printing as usual.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> medians;
  std::map<std::string, double> cpuMedians;

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        medians[run.run_name.function_name] = run.GetAdjustedRealTime();
        cpuMedians[run.run_name.function_name] = run.GetAdjustedCPUTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

// One timed run per repetition, reported as aggregates in milliseconds.
template <typename Run>
void registerRuns(const std::string& name, Run&& run, int repetitions) {
  benchmark::RegisterBenchmark(name.c_str(), std::forward<Run>(run))
      ->Iterations(1)
      ->Repetitions(repetitions)
      ->ReportAggregatesOnly(true)
      ->UseRealTime()
      ->Unit(benchmark::kMillisecond);
}

// A folder of its own under TMPDIR (or /tmp), removed with everything in it.
class ScratchFolder {
 public:
  ScratchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/solvane-bench-XXXXXX";
    if (mkdtemp(path.data()) != nullptr) path_ = path;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  bool ok() const { return !path_.empty(); }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// A memory figure of this process from /proc/self/status ("VmRSS:", "VmHWM:"), in MiB.
inline double statusMb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string name = field;
  while (std::getline(status, line))
    if (line.rfind(name, 0) == 0) return std::strtod(line.c_str() + name.size(), nullptr) / 1024.0;
  return 0.0;
}

// Starts the peak resident memory (VmHWM) afresh from the current one; false when the
// system does not allow it.
inline bool resetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

// Writes a generated document to path; false when it could not be written.
inline bool writeDocument(const docgen::Options& options, const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = docgen::writeDocument(options, file);
  return std::fclose(file) == 0 && written;
}

}  // namespace bench
