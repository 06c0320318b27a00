// Ports of a test's own, so that tests sharing a machine (another build's renderer, another
// test run) never meet on the renderer's default ports.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <random>

namespace solvane_test {

// The first of `count` consecutive loopback ports that were free when tried, from a random
// base in 20000-60000.
inline int freePorts(int count = 11) {
  std::mt19937 random(std::random_device{}());
  for (;;) {
    const int first = std::uniform_int_distribution<int>(20000, 60000 - count)(random);
    int free = 0;
    for (; free < count; ++free) {
      sockaddr_in address = {};
      address.sin_family = AF_INET;
      address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      address.sin_port = htons(static_cast<uint16_t>(first + free));
      const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
      const bool bound = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
      close(fd);
      if (!bound) break;
    }
    if (free == count) return first;
  }
}

}  // namespace solvane_test
