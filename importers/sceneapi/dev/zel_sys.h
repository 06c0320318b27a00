// Small operating-system helpers of the link layer: file tests, sizes,
// sleeping and path joining.
#pragma once

#include <sys/types.h>

#include <cstddef>
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

// Reads up to `size` bytes, waiting at most `timeoutMs` for the first of them: the byte
// count, 0 at the end of the stream, -1 on a time-out or an error.
ssize_t readWithin(int fd, void* buffer, std::size_t size, int timeoutMs);

// The test setting SOLVANE_PORT_RANGE="FIRST-LAST": replaces first and last when it is set
// and well formed (1 <= FIRST <= LAST <= 65535); otherwise leaves them alone.
void portRangeSetting(int& first, int& last);

// How a child process ended, from waitpid's status: "ended with status N" or "was killed by
// signal N".
std::string describeExit(int status);

// True when both paths name the same existing file (same device and inode), however each
// is spelt.
bool sameFile(std::string const& a, std::string const& b);

}  // namespace zel_sys
