// Running a program from an end-to-end test and collecting what it prints.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace solvane_test {

struct Outcome {
  int status;
  std::string output;  // standard output and standard error together
};

// Runs a shell command line, collecting what it prints; status is the exit status.
inline Outcome run(const std::string& commandLine) {
  Outcome result{-1, ""};
  FILE* pipe = popen((commandLine + " 2>&1").c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

inline std::string quote(const std::string& s) { return "'" + s + "'"; }

}  // namespace solvane_test
