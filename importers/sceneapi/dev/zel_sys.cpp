#include "zel_sys.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace zel_sys {

bool directoryExists(std::string const& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode);
}

long fileSize(std::string const& path) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return 0;
  std::streamoff end = file.tellg();
  return end < 0 ? 0 : static_cast<long>(end);
}

void sleep(int ms) {
  if (ms > 0) usleep(static_cast<useconds_t>(ms) * 1000);
}

std::string joinPath(std::string const& a, std::string const& b) { return a + "/" + b; }

}  // namespace zel_sys
