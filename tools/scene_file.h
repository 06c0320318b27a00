// Reading the scene file named on a tool's command line.
#pragma once

#include <string>

namespace svb_tools {

// The scene's name as messages show it: "-" is "standard input".
std::string shownName(const std::string& path);

// Reads the whole file ("-": standard input) into `bytes`. On failure, prints
// "PROGRAM: NAME: cannot open|read: REASON" to standard error and returns false.
bool readSceneFile(const char* program, const std::string& path, std::string& bytes);

}  // namespace svb_tools
