#include "link_net.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace solvane_link {

namespace {

bool resolve(char const* host, sockaddr_in& address, std::string* error) {
  addrinfo hints;
  std::memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  int status = getaddrinfo(host, nullptr, &hints, &found);
  if (status != 0 || !found) {
    if (error) *error = std::string("cannot resolve ") + host + ": " + gai_strerror(status);
    return false;
  }
  std::memcpy(&address, found->ai_addr, sizeof address);
  freeaddrinfo(found);
  return true;
}

// A decimal port number, the whole of `text`.
bool parsePort(std::string_view text, int& port) {
  if (text.empty() || text.size() > 5) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > 65535) return false;
  port = value;
  return true;
}

}  // namespace

bool parsePortRange(std::string_view text, int& first, int& last) {
  std::size_t dash = text.find('-');
  int low = 0;
  int high = 0;
  if (dash == std::string_view::npos || !parsePort(text.substr(0, dash), low) ||
      !parsePort(text.substr(dash + 1), high) || low > high) {
    return false;
  }
  first = low;
  last = high;
  return true;
}

int connectTo(char const* host, int port, int timeoutMs, std::string* error) {
  sockaddr_in address;
  if (!host || !resolve(host, address, error)) return -1;
  if (port <= 0 || port > 65535) {
    if (error) *error = "port out of range: " + std::to_string(port);
    return -1;
  }
  address.sin_port = htons(static_cast<uint16_t>(port));
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    if (error) *error = std::string("socket: ") + std::strerror(errno);
    return -1;
  }
  // Connect without blocking longer than the limit.
  int flags = fcntl(fd, F_GETFL, 0);
  fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  int status = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  if (status != 0 && errno == EINPROGRESS) {
    pollfd waiting = {fd, POLLOUT, 0};
    status = poll(&waiting, 1, timeoutMs);
    if (status == 1) {
      int socketError = 0;
      socklen_t length = sizeof socketError;
      getsockopt(fd, SOL_SOCKET, SO_ERROR, &socketError, &length);
      errno = socketError;
      status = socketError == 0 ? 0 : -1;
    } else {
      errno = status == 0 ? ETIMEDOUT : errno;
      status = -1;
    }
  }
  if (status != 0) {
    if (error) {
      *error = std::string("connect to ") + host + ":" + std::to_string(port) + ": " +
               std::strerror(errno);
    }
    close(fd);
    return -1;
  }
  fcntl(fd, F_SETFL, flags);
  setTimeouts(fd, timeoutMs);
  return fd;
}

void setTimeouts(int fd, int timeoutMs) {
  timeval limit;
  limit.tv_sec = timeoutMs / 1000;
  limit.tv_usec = (timeoutMs % 1000) * 1000;
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

bool sendAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t sent = send(fd, data.data(), data.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

bool readLine(int fd, std::string& line, std::size_t maxLength) {
  line.clear();
  for (;;) {
    char c;
    ssize_t got = recv(fd, &c, 1, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    if (c == '\n') return true;
    if (line.size() >= maxLength) return false;
    line += c;
  }
}

bool readExactly(int fd, std::string& out, std::size_t n) {
  out.clear();
  out.reserve(n);
  char buffer[65536];
  while (out.size() < n) {
    std::size_t want = std::min(sizeof buffer, n - out.size());
    ssize_t got = recv(fd, buffer, want, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    out.append(buffer, static_cast<std::size_t>(got));
  }
  return true;
}

bool readToEnd(int fd, std::string& out, std::size_t maxBytes) {
  char buffer[65536];
  for (;;) {
    ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (out.size() + static_cast<std::size_t>(got) > maxBytes) return false;
    out.append(buffer, static_cast<std::size_t>(got));
  }
}

bool request(int port, std::string const& line, std::string& reply, int timeoutMs, int& fd) {
  fd = connectTo("127.0.0.1", port, timeoutMs, nullptr);
  if (fd < 0) return false;
  if (!sendAll(fd, line + "\n") || !readLine(fd, reply)) {
    close(fd);
    fd = -1;
    return false;
  }
  return true;
}

bool request(int port, std::string const& line, std::string& reply, int timeoutMs) {
  int fd = -1;
  bool ok = request(port, line, reply, timeoutMs, fd);
  if (fd >= 0) close(fd);
  return ok;
}

std::string xmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace solvane_link
