#include "solvane_system.h"

#include "zel_sys.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

// The build may prefix every absolute installation path with a root, so
// that a staged installation can stand in for the real one.
#ifndef SOLVANE_INSTALL_ROOT_PATH
#define SOLVANE_INSTALL_ROOT_PATH ""
#endif

char const* SolvaneSystem::solvaneNLPath =
    SOLVANE_INSTALL_ROOT_PATH "/Applications/Solvane%d.app/Contents/MacOS/";
char const* SolvaneSystem::solvaneFltPath =
    SOLVANE_INSTALL_ROOT_PATH "/Applications/Solvane%d_floating.app/Contents/MacOS/";

namespace {

// How long a started child may take to reach its exec.
constexpr int kExecReportMs = 5000;

char const kResourceBase[] = SOLVANE_INSTALL_ROOT_PATH "/Library/Application Support/Solvane";

bool pathExists(std::string const& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

}  // namespace

SolvaneSystem& SolvaneSystem::instance() {
  static SolvaneSystem system;
  return system;
}

// Paths are composed in a growing string rather than a fixed buffer, so a
// long template can never overflow; paths of ordinary length come out as the
// classic printf formatting would give them.
std::string SolvaneSystem::formatPath(char const* pathTemplate, int version) {
  std::string result;
  if (!pathTemplate) return result;
  bool versionDone = false;
  for (char const* p = pathTemplate; *p; ++p) {
    if (p[0] == '%' && p[1] == '%') {
      result += '%';
      ++p;
    } else if (p[0] == '%' && p[1] == 'd' && !versionDone) {
      result += std::to_string(version);
      versionDone = true;
      ++p;
    } else {
      result += *p;
    }
  }
  return result;
}

std::string SolvaneSystem::find_bin_path(int& version, int lowest, int highest) const {
  std::string result;
  for (int v = highest; v >= lowest; --v) {
    std::string path = formatPath(solvaneNLPath, v);
    if (zel_sys::directoryExists(path)) {
      version = v;
      result = path;
      break;
    }
  }
  for (int v = 20; v >= 5; --v) {
    std::string path = formatPath(solvaneFltPath, v);
    if (zel_sys::directoryExists(path) && v > version) {
      version = v;
      result = path;
      break;
    }
  }
  return result;
}

std::string SolvaneSystem::find_binary_name(int lowest, int highest) const {
  if (highest < lowest) return std::string();
  for (int v = highest; v >= lowest; --v) {
    std::string regular = formatPath(solvaneNLPath, v);
    if (pathExists(regular)) {
      return v < 7 ? regular + "solvane" + std::to_string(v) : regular + "solvane";
    }
    std::string floating = formatPath(solvaneFltPath, v);
    if (pathExists(floating)) {
      return v < 7 ? floating + "solvane" + std::to_string(v) + "_floating"
                   : floating + "solvane_floating";
    }
  }
  return std::string();
}

int SolvaneSystem::solvane_version(int lowest, int highest) const {
  if (highest < lowest) return -1;
  for (int v = highest; v >= lowest; --v) {
    if (zel_sys::directoryExists(formatPath(solvaneNLPath, v))) return v;
  }
  for (int v = highest; v >= lowest; --v) {
    if (zel_sys::directoryExists(formatPath(solvaneFltPath, v))) return v;
  }
  return -1;
}

std::string SolvaneSystem::find_resource_path(int, int) const {
  return std::string(kResourceBase) + std::to_string(solvane_version(5, 20)) + "/";
}

int SolvaneSystem::getDefaultPortRange(int& first, int& last, int, int) const {
  first = 3141;
  last = 3151;
  zel_sys::portRangeSetting(first, last);
  return 0;
}

std::string SolvaneSystem::describeSearch(int lowest, int highest) const {
  return std::string(solvaneNLPath ? solvaneNLPath : "") + " or " +
         (solvaneFltPath ? solvaneFltPath : "") + " for %d = " + std::to_string(highest) +
         " down to " + std::to_string(lowest);
}

bool SolvaneSystem::launch_solvane(int lowest, int highest, SolvaneLaunch& launched) const {
  launched = SolvaneLaunch();
  launched.program = instance().find_binary_name(lowest, highest);
  if (launched.program.empty()) {
    launched.error = "no renderer installation found in " + describeSearch(lowest, highest);
    return false;
  }
  // The child reports a failed exec through a pipe that a successful exec closes.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    launched.error = std::string("cannot start a process: ") + std::strerror(errno);
    return false;
  }
  pid_t child = fork();
  if (child == -1) {
    launched.error = std::string("cannot start a process: ") + std::strerror(errno);
    ::close(report[0]);
    ::close(report[1]);
    return false;
  }
  if (child == 0) {
    // Child: become the renderer. Nothing of the host may run here (no
    // exit handlers, no flushing of inherited stdio buffers), hence _exit.
    char* const argv[] = {const_cast<char*>(launched.program.c_str()), nullptr};
    execv(launched.program.c_str(), argv);
    int error = errno;
    ssize_t ignored = ::write(report[1], &error, sizeof error);
    (void)ignored;
    _exit(127);
  }
  ::close(report[1]);
  int error = 0;
  ssize_t got = zel_sys::readWithin(report[0], &error, sizeof error, kExecReportMs);
  ::close(report[0]);
  if (got == static_cast<ssize_t>(sizeof error)) {
    waitpid(child, nullptr, 0);
    launched.error = "cannot start " + launched.program + ": " + std::strerror(error);
    return false;
  }
  launched.processId = child;
  return true;
}
