// svbinfo: checks a .svb scene file and prints a summary of its content.
#include "svb_reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char kUsage[] =
    "usage: svbinfo FILE\n"
    "Reads the .svb scene FILE (\"-\" reads standard input), checks its syntax\n"
    "and prints the version and the counts of groups, objects, triangles,\n"
    "materials, shaders, cameras, lights, animation blocks and hair curves.\n"
    "Exits with status 1 and the offset of the first error when the file is\n"
    "malformed or cannot be read.\n";

// Reads the whole stream; false with errno's text in `error` on failure.
bool read_all(std::FILE* f, std::string& out, std::string& error) {
  char buffer[1 << 16];
  for (;;) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, f);
    out.append(buffer, n);
    if (n < sizeof buffer) break;
  }
  if (std::ferror(f)) {
    error = std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 2) {
    std::fprintf(stderr, "svbinfo: expected exactly one FILE argument\n%s", kUsage);
    return 2;
  }
  const std::string path = argv[1];
  if (path.size() > 1 && path[0] == '-') {
    std::fprintf(stderr, "svbinfo: unknown option \"%s\"\n%s", path.c_str(), kUsage);
    return 2;
  }

  std::string bytes;
  std::string error;
  const bool from_stdin = path == "-";
  const std::string shown = from_stdin ? "standard input" : path;
  std::FILE* f = from_stdin ? stdin : std::fopen(path.c_str(), "rb");
  if (!f) {
    std::fprintf(stderr, "svbinfo: %s: cannot open: %s\n", shown.c_str(), std::strerror(errno));
    return 1;
  }
  const bool ok = read_all(f, bytes, error);
  if (!from_stdin) std::fclose(f);
  if (!ok) {
    std::fprintf(stderr, "svbinfo: %s: cannot read: %s\n", shown.c_str(), error.c_str());
    return 1;
  }

  try {
    const svb::Scene scene = svb::parse(bytes);
    std::printf("file: %s\nbytes: %zu\n%s", shown.c_str(), bytes.size(),
                svb::to_text(svb::summarize(scene)).c_str());
  } catch (const svb::ParseError& e) {
    std::fprintf(stderr, "svbinfo: %s: %s\n", shown.c_str(), e.what());
    return 1;
  }
  if (std::fflush(stdout) != 0) {
    std::fprintf(stderr, "svbinfo: cannot write the summary: %s\n", std::strerror(errno));
    return 1;
  }
  return 0;
}
