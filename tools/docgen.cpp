// docgen: writes big document files (JSON) for benchmarks and for trying the host's reader.
#include "command_line.h"
#include "document_generator.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: docgen [OPTIONS] OUTPUT\n"
    "Writes a document file (see host/document/README.md) to OUTPUT (\"-\": standard\n"
    "output). A file is written under a temporary name and renamed when complete.\n"
    "  --grid N        one polygon object of N x N quadrangles with points, polygons,\n"
    "                  a UVW tag and a Phong tag (N at most 46339)\n"
    "  --materials N   N standard materials\n"
    "  --objects N     N null objects, each with a texture tag using one of the materials\n"
    "  --depth D       the objects form chains D deep, each the child of the one before\n"
    "                  (1 to 100, default 1: all at the top)\n"
    "  --group         the objects (or their chains) are the children of one null object\n"
    "  --tracks T      T position, rotation or scale tracks per object (0 to 9)\n"
    "  --keys K        K keys per track, one a frame at 30 fps (default 4)\n"
    "  --help          this text\n"
    "  --version       docgen's version\n"
    "Example: docgen --grid 1000 grid.json   (the benchmarks' 1000 x 1000 grid, ~120 MB)\n";

// The whole number `text` of an option, within lo..hi.
int count(const char* option, const std::string& text, int lo, int hi) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || end == text.c_str() || *end != '\0' || v < lo || v > hi) {
    throw solvane_cli::UsageError{std::string(option) + " takes a whole number from " +
                                  std::to_string(lo) + " to " + std::to_string(hi) + ", not \"" +
                                  text + "\""};
  }
  return static_cast<int>(v);
}

int fail(const std::string& path, const char* what) {
  std::fprintf(stderr, "docgen: %s: %s: %s\n", path.c_str(), what, std::strerror(errno));
  return 1;
}

// Writes the document beside `path` under a temporary name, flushes it to the disk and
// renames it, so that `path` is either the old file or the whole new one.
int writeFile(const docgen::Options& options, const std::string& path) {
  std::string temp = path + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) return fail(path, "cannot create a temporary file beside it");
  std::FILE* out = fdopen(fd, "wb");
  if (out == nullptr) {
    const int error = errno;
    close(fd);
    unlink(temp.c_str());
    errno = error;
    return fail(temp, "cannot write");
  }
  // mkstemp makes the file private; give it the mode a new file gets.
  const mode_t mask = umask(0);
  umask(mask);
  bool ok = fchmod(fd, 0666 & ~mask) == 0 && docgen::writeDocument(options, out) &&
            std::fflush(out) == 0 && fsync(fd) == 0;
  int error = errno;
  if (std::fclose(out) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    unlink(temp.c_str());
    errno = error;
    return fail(path, "cannot write");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  docgen::Options options;
  solvane_cli::CommandLine commandLine("docgen", kUsage);
  // The numbers are checked against their ranges after parsing, each with its own message.
  struct Count {
    const char* option;
    int* target;
    int lo, hi;
    std::string text;
  } counts[] = {
      {"--grid", &options.gridSize, 0, docgen::kMaxGridSize, {}},
      {"--materials", &options.materials, 0, INT_MAX, {}},
      {"--objects", &options.objects, 0, INT_MAX, {}},
      {"--depth", &options.depth, 1, 100, {}},
      {"--tracks", &options.tracksPerObject, 0, 9, {}},
      {"--keys", &options.keysPerTrack, 0, INT_MAX, {}},
  };
  for (Count& c : counts) commandLine.option(c.option, c.text);
  commandLine.flag("--group", options.grouped);
  std::vector<std::string> outputs;
  commandLine.values("OUTPUT", outputs);
  const int parsed = commandLine.parse(argc, argv, [&] {
    for (Count& c : counts)
      if (!c.text.empty()) *c.target = count(c.option, c.text, c.lo, c.hi);
    if (outputs.size() > 1)
      throw solvane_cli::UsageError{"more than one OUTPUT: \"" + outputs[0] + "\" and \"" +
                                    outputs[1] + "\""};
    if (outputs.empty()) throw solvane_cli::UsageError{"no OUTPUT given"};
  });
  if (parsed >= 0) return parsed;
  const std::string output = outputs[0];
  if (output == "-") {
    if (!docgen::writeDocument(options, stdout) || std::fflush(stdout) != 0)
      return fail("standard output", "cannot write");
    return 0;
  }
  return writeFile(options, output);
}
