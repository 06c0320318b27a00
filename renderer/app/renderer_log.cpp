#include "renderer_log.h"

#include <unistd.h>

#include <cstdio>
#include <ctime>

namespace solvane_renderer {

void logLine(std::string const& text) {
  char stamp[64];
  std::time_t now = std::time(nullptr);
  std::tm local;
  localtime_r(&now, &local);
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  std::fprintf(stderr, "%s solvane[%ld]: %s\n", stamp, static_cast<long>(getpid()), text.c_str());
  std::fflush(stderr);
}

}  // namespace solvane_renderer
