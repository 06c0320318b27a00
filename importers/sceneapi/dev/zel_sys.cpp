#include "zel_sys.h"

#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
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

ssize_t readWithin(int fd, void* buffer, std::size_t size, int timeoutMs) {
  pollfd waiting = {fd, POLLIN, 0};
  int ready;
  do {
    ready = poll(&waiting, 1, timeoutMs);
  } while (ready < 0 && errno == EINTR);
  if (ready <= 0) return -1;
  ssize_t got;
  do {
    got = ::read(fd, buffer, size);
  } while (got < 0 && errno == EINTR);
  return got;
}

void portRangeSetting(int& first, int& last) {
  char const* setting = std::getenv("SOLVANE_PORT_RANGE");
  int low = 0;
  int high = 0;
  char tail = 0;
  if (!setting || std::sscanf(setting, "%d-%d%c", &low, &high, &tail) != 2) return;
  if (low < 1 || low > high || high > 65535) return;
  first = low;
  last = high;
}

std::string describeExit(int status) {
  if (WIFSIGNALED(status)) return "was killed by signal " + std::to_string(WTERMSIG(status));
  return "ended with status " + std::to_string(WEXITSTATUS(status));
}

bool sameFile(std::string const& a, std::string const& b) {
  struct stat first;
  struct stat second;
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace zel_sys
