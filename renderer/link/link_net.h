// Loopback networking shared by the link library and the renderer program:
// the default ports, blocking sockets with time limits, and the line
// protocol's helpers (see README.md).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace solvane_link {

// Ports a renderer listens on, both ends included.
constexpr int kFirstPort = 3141;
constexpr int kLastPort = 3151;
// Test setting: another range for every program of the installation, as
// "FIRST-LAST" (for example "24100-24110"), so tests on a shared machine
// keep to ports of their own.
constexpr char kPortRangeVariable[] = "SOLVANE_PORT_RANGE";
// Reads "FIRST-LAST" (decimal, 1 <= FIRST <= LAST <= 65535, nothing else).
// False, with first and last untouched, when the text is malformed.
bool parsePortRange(std::string_view text, int& first, int& last);

// Connects to host:port over IPv4 ("localhost" resolves to loopback).
// Returns the descriptor, or -1 with a description in `error`.
int connectTo(char const* host, int port, int timeoutMs, std::string* error);
// Send and receive limits for a connected socket, in milliseconds.
void setTimeouts(int fd, int timeoutMs);
// Writes everything; never raises SIGPIPE. False on any failure.
bool sendAll(int fd, std::string_view data);
// Reads up to and without the next "\n". False on end of stream before a
// line end, time-out, error, or a line longer than maxLength.
bool readLine(int fd, std::string& line, std::size_t maxLength = 4096);
// Reads exactly n bytes.
bool readExactly(int fd, std::string& out, std::size_t n);
// Reads until the peer ends its side; false on error or past maxBytes.
bool readToEnd(int fd, std::string& out, std::size_t maxBytes);

// One request line to 127.0.0.1:port and its one-line reply; the socket is
// returned open in `fd` (closed and -1 on failure) for replies with a body.
bool request(int port, std::string const& line, std::string& reply, int timeoutMs, int& fd);
// The same when only the reply line matters.
bool request(int port, std::string const& line, std::string& reply, int timeoutMs);

// Text for XML attribute values and element text.
std::string xmlEscape(std::string_view text);

}  // namespace solvane_link
