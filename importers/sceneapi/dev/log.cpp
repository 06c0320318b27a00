#include "log.h"

#include "solvane_system.h"
#include "zel_sys.h"

#include <sys/time.h>

#include <cstdio>

namespace {

// A log file this large or larger is started afresh.
constexpr long kLogSizeLimit = 20971520;

}  // namespace

std::string formatTime(char const* format, std::tm const& when, long microseconds) {
  // strftime reports 0 when the text does not fit; grow until it does, and
  // give up on formats that legitimately produce nothing.
  std::string text;
  for (std::size_t size = 64; size <= 4096 && text.empty(); size *= 4) {
    std::string buffer(size, '\0');
    std::size_t length = std::strftime(&buffer[0], buffer.size(), format, &when);
    if (length > 0) text.assign(buffer.data(), length);
  }
  if (text.empty()) {
    char fallback[64];
    std::size_t length = std::strftime(fallback, sizeof fallback, "%H:%M:%S", &when);
    text.assign(fallback, length);
  }
  char millis[32];
  std::snprintf(millis, sizeof millis, ".%03ld", microseconds / 1000);
  return text + millis;
}

std::string NowTime() {
  timeval now;
  gettimeofday(&now, nullptr);
  std::tm local;
  time_t seconds = now.tv_sec;
  localtime_r(&seconds, &local);
  return formatTime("%X", local, static_cast<long>(now.tv_usec));
}

FILE*& Output2FILE::Stream() {
  static FILE* stream = nullptr;
  if (!stream) {
    std::string path =
        zel_sys::joinPath(SolvaneSystem::instance().find_resource_path(5, 20), "sceneapi.log");
    stream = open(path);
  }
  return stream;
}

FILE* Output2FILE::open(std::string const& path) {
  long size = zel_sys::fileSize(path);
  FILE* file = std::fopen(path.c_str(), size < kLogSizeLimit ? "a" : "w");
  if (!file) {
    std::fputs("could not open log file:\n", stderr);
    std::perror("opening log");
  }
  return file;
}

void Output2FILE::Output(std::string const& line) {
  FILE* stream = Stream();
  if (!stream) return;
  std::fputs(line.c_str(), stream);
  std::fflush(stream);
}
