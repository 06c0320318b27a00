#include "scene_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace svb_tools {

std::string shownName(const std::string& path) { return path == "-" ? "standard input" : path; }

bool readSceneFile(const char* program, const std::string& path, std::string& bytes) {
  const bool fromStdin = path == "-";
  std::FILE* f = fromStdin ? stdin : std::fopen(path.c_str(), "rb");
  if (!f) {
    std::fprintf(stderr, "%s: %s: cannot open: %s\n", program, shownName(path).c_str(),
                 std::strerror(errno));
    return false;
  }
  char buffer[1 << 16];
  std::size_t n = 0;
  do {
    n = std::fread(buffer, 1, sizeof buffer, f);
    bytes.append(buffer, n);
  } while (n == sizeof buffer);
  const int error = std::ferror(f) ? errno : 0;
  if (!fromStdin) std::fclose(f);
  if (error != 0) {
    std::fprintf(stderr, "%s: %s: cannot read: %s\n", program, shownName(path).c_str(),
                 std::strerror(error));
    return false;
  }
  return true;
}

}  // namespace svb_tools
