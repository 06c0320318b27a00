// Finding the renderer installation on disk and starting the renderer.
#pragma once

#include <sys/types.h>

#include <string>

// What became of an attempt to start the renderer.
struct SolvaneLaunch {
  std::string program;   // the executable tried ("" when no installation was found)
  pid_t processId = -1;  // the renderer's process when it started, else -1
  std::string error;     // why it did not start; "" when it did
};

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
  // Sets the default range of ports a running renderer listens on (3141 to
  // 3151; the test setting SOLVANE_PORT_RANGE="FIRST-LAST" replaces it);
  // returns 0.
  int getDefaultPortRange(int& first, int& last, int, int) const;
  // Starts the renderer without arguments as an independent process and
  // waits only until it runs (a bounded wait for exec): true when the program
  // runs. `launched` gets the program, its process id or the reason, which
  // names the program and the system's reason (or where an installation was
  // looked for).
  bool launch_solvane(int lowest, int highest, SolvaneLaunch& launched) const;
  // Where installations of these versions are looked for, for messages.
  std::string describeSearch(int lowest, int highest) const;

  // The template with its "%d" replaced by the version.
  static std::string formatPath(char const* pathTemplate, int version);

 private:
  SolvaneSystem() = default;
};
