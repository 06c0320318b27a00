// Small operating-system helpers of the link layer: file tests, sizes,
// sleeping and path joining.
#pragma once

#include <string>

namespace zel_sys {

// True when the path names an existing directory.
bool directoryExists(std::string const& path);

// Size of the file in bytes; 0 when it cannot be opened.
long fileSize(std::string const& path);

// Blocks the calling thread for the given number of milliseconds.
void sleep(int ms);

// a + "/" + b, without looking whether a already ends in a slash.
std::string joinPath(std::string const& a, std::string const& b);

}  // namespace zel_sys
