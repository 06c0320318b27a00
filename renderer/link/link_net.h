// Loopback networking shared by the link library and the renderer program:
// the default ports, blocking sockets with time limits, and the line
// protocol's helpers (see README.md).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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

// Major versions of the renderer that this link speaks to.
constexpr int kOldestRenderer = 7;
constexpr int kNewestRenderer = 8;

// The ports to use: kFirstPort to kLastPort, unless the test setting
// SOLVANE_PORT_RANGE="FIRST-LAST" gives others (1 <= FIRST <= LAST <= 65535).
// False, with the ports left at the default, when the setting is malformed.
bool portRange(int& first, int& last);

// How reading a reply line ended.
enum class ReadResult { Line, Closed, TimedOut, Failed, TooLong };
// Reads up to and without the next "\n", and says why it stopped.
ReadResult readReply(int fd, std::string& line, std::size_t maxLength = 4096);
// "timed out", "closed the connection", ... for messages.
char const* describe(ReadResult result);

// Sends `line` + "\n" to each port of first..last at once and collects the
// one-line replies that arrive within timeoutMs in all: replies[i] belongs to
// port first + i and stays empty when that port did not answer.
std::vector<std::string> requestAll(int first, int last, std::string const& line, int timeoutMs);

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
