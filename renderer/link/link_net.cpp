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
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

ReadResult readReply(int fd, std::string& line, std::size_t maxLength) {
  line.clear();
  for (;;) {
    char c;
    ssize_t got = recv(fd, &c, 1, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got == 0) return ReadResult::Closed;
    if (got < 0) {
      return errno == EAGAIN || errno == EWOULDBLOCK ? ReadResult::TimedOut : ReadResult::Failed;
    }
    if (c == '\n') return ReadResult::Line;
    if (line.size() >= maxLength) return ReadResult::TooLong;
    line += c;
  }
}

char const* describe(ReadResult result) {
  switch (result) {
    case ReadResult::Line:
      return "replied";
    case ReadResult::Closed:
      return "closed the connection without a reply";
    case ReadResult::TimedOut:
      return "did not reply in time";
    case ReadResult::Failed:
      return "broke the connection";
    case ReadResult::TooLong:
      return "replied with an overlong line";
  }
  return "";
}

bool portRange(int& first, int& last) {
  first = kFirstPort;
  last = kLastPort;
  char const* setting = std::getenv(kPortRangeVariable);
  return !setting || parsePortRange(setting, first, last);
}

std::vector<std::string> requestAll(int first, int last, std::string const& line, int timeoutMs) {
  struct Peer {
    int fd = -1;
    bool sent = false;
    std::string reply;
  };
  std::vector<Peer> peers(last >= first ? static_cast<std::size_t>(last - first + 1) : 0);
  std::vector<std::string> replies(peers.size());
  sockaddr_in address;
  std::memset(&address, 0, sizeof address);
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  for (std::size_t i = 0; i < peers.size(); ++i) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) continue;
    address.sin_port = htons(static_cast<uint16_t>(first + static_cast<int>(i)));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 &&
        errno != EINPROGRESS) {
      close(fd);
      continue;
    }
    peers[i].fd = fd;
  }
  const std::string request = line + "\n";
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    std::vector<pollfd> waiting;
    std::vector<std::size_t> owners;
    for (std::size_t i = 0; i < peers.size(); ++i) {
      if (peers[i].fd < 0) continue;
      waiting.push_back({peers[i].fd, static_cast<short>(peers[i].sent ? POLLIN : POLLOUT), 0});
      owners.push_back(i);
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (waiting.empty() || left.count() <= 0) break;
    if (poll(waiting.data(), waiting.size(), static_cast<int>(left.count())) < 0 && errno != EINTR)
      break;
    for (std::size_t k = 0; k < waiting.size(); ++k) {
      Peer& peer = peers[owners[k]];
      if (waiting[k].revents == 0) continue;
      bool done = false;
      if (!peer.sent) {
        int error = 0;
        socklen_t length = sizeof error;
        getsockopt(peer.fd, SOL_SOCKET, SO_ERROR, &error, &length);
        done = error != 0 || send(peer.fd, request.data(), request.size(), MSG_NOSIGNAL) !=
                                 static_cast<ssize_t>(request.size());
        peer.sent = true;
      } else {
        char buffer[512];
        ssize_t got = recv(peer.fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
          done = got == 0 || (errno != EAGAIN && errno != EINTR);
        } else {
          peer.reply.append(buffer, static_cast<std::size_t>(got));
          std::size_t end = peer.reply.find('\n');
          if (end != std::string::npos) {
            replies[owners[k]] = peer.reply.substr(0, end);
            done = true;
          } else {
            done = peer.reply.size() > 4096;
          }
        }
      }
      if (done) {
        close(peer.fd);
        peer.fd = -1;
      }
    }
  }
  for (Peer& peer : peers)
    if (peer.fd >= 0) close(peer.fd);
  return replies;
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
