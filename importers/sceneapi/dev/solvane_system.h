// Finding the renderer installation on disk and starting the renderer.
#pragma once

#include <string>

// Discovery of the installed renderer: version-numbered application
// folders, the executable inside them, the resource folder, the default
// port range, and launching the renderer as an independent process.
// Stateless apart from the two path templates; one instance per process.
class SolvaneSystem {
 public:
  static SolvaneSystem& instance();

  // Path templates, each taking the version through one "%d" ("%%" gives a
  // percent sign; any other '%' is taken literally). Both end in a slash.
  // Assignable before any discovery call; every operation reads them afresh.
  static char const* solvaneNLPath;   // regular installation
  static char const* solvaneFltPath;  // floating-licence installation

  // Installation folder (empty when none). The regular installations are
  // tried from highest down to lowest; a floating installation of 5 to 20
  // wins when its version is above the one found so far. `version` receives
  // the version of the folder returned and is left alone otherwise.
  std::string find_bin_path(int& version, int lowest, int highest) const;
  // Full path of the renderer executable, empty when none is installed.
  std::string find_binary_name(int lowest, int highest) const;
  // Highest installed version (regular first, then floating), or -1.
  int solvane_version(int lowest, int highest) const;
  // The renderer's resource folder, ending in a slash.
  std::string find_resource_path(int, int) const;
  // Sets the default range of ports a running renderer listens on; returns 0.
  int getDefaultPortRange(int& first, int& last, int, int) const;
  // Starts the renderer without arguments and returns at once: true when a
  // child process was created (not whether the program started).
  bool launch_solvane(int lowest, int highest) const;

  // The template with its "%d" replaced by the version.
  static std::string formatPath(char const* pathTemplate, int version);

 private:
  SolvaneSystem() = default;
};
