#include "solvane_system.h"

#include "zel_sys.h"

#include <sys/stat.h>
#include <unistd.h>

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
  return 0;
}

bool SolvaneSystem::launch_solvane(int lowest, int highest) const {
  std::string executable = instance().find_binary_name(lowest, highest);
  pid_t child = fork();
  if (child == -1) return false;
  if (child != 0) return true;
  // Child: become the renderer. Nothing of the host may run here (no
  // exit handlers, no flushing of inherited stdio buffers), hence _exit.
  char* const argv[] = {const_cast<char*>(executable.c_str()), nullptr};
  execv(executable.c_str(), argv);
  _exit(127);
}
