// solvane: the stand-in renderer. Listens on the first free port of
// 3141-3151 on 127.0.0.1, answers the link library's queries, and receives
// scenes (see renderer/link/README.md for the protocol).
#include "link_net.h"
#include "renderer_core.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>

#ifndef SOLVANE_INSTALL_ROOT_PATH
#define SOLVANE_INSTALL_ROOT_PATH ""
#endif

namespace {

// Limits of one connection: the request line, and the silence allowed
// while a scene streams in.
constexpr int kRequestTimeoutMs = 5000;
constexpr int kStreamTimeoutMs = 60000;
constexpr std::size_t kMaxScene = std::size_t(1) << 31;
constexpr int kDefaultIdleSeconds = 300;

volatile sig_atomic_t stopRequested = 0;

void onStopSignal(int) { stopRequested = 1; }

struct Options {
  int firstPort = solvane_link::kFirstPort;
  int lastPort = solvane_link::kLastPort;
  std::string folder = std::string(SOLVANE_INSTALL_ROOT_PATH) +
                       "/Library/Application Support/Solvane" +
                       std::to_string(solvane_renderer::kVersionMajor);
  int idleSeconds = kDefaultIdleSeconds;
  bool detach = true;
};

void usage(FILE* out) {
  std::fprintf(out,
               "usage: solvane [--ports FIRST LAST] [--folder DIR] [--idle-timeout SECONDS]\n"
               "               [--foreground]\n"
               "The stand-in renderer. Listens on the first free port of FIRST..LAST\n"
               "(default 3141 3151) on 127.0.0.1, keeps every received scene in DIR/scenes\n"
               "and logs to DIR/renderer.log. Ends on a quit request, SIGTERM, or after\n"
               "SECONDS without requests (default %d; the environment variable\n"
               "SOLVANE_RENDERER_IDLE_SECONDS sets it too). --foreground keeps the\n"
               "terminal's output instead of writing to the log.\n",
               kDefaultIdleSeconds);
}

bool parseInt(char const* text, int low, int high, int& value) {
  char* end = nullptr;
  errno = 0;
  long parsed = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || parsed < low || parsed > high) return false;
  value = static_cast<int>(parsed);
  return true;
}

// Returns 0 to go on, or the exit status.
int parseOptions(int argc, char** argv, Options& options) {
  if (char const* idle = std::getenv("SOLVANE_RENDERER_IDLE_SECONDS")) {
    if (!parseInt(idle, 1, 86400, options.idleSeconds)) {
      std::fprintf(stderr, "solvane: SOLVANE_RENDERER_IDLE_SECONDS must be 1 to 86400: %s\n", idle);
      return 2;
    }
  }
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      usage(stdout);
      return -1;
    } else if (arg == "--ports" && i + 2 < argc) {
      if (!parseInt(argv[i + 1], 1, 65535, options.firstPort) ||
          !parseInt(argv[i + 2], options.firstPort, 65535, options.lastPort)) {
        std::fprintf(stderr, "solvane: --ports needs FIRST <= LAST within 1..65535\n");
        return 2;
      }
      i += 2;
    } else if (arg == "--folder" && i + 1 < argc) {
      options.folder = argv[++i];
    } else if (arg == "--idle-timeout" && i + 1 < argc) {
      if (!parseInt(argv[++i], 1, 86400, options.idleSeconds)) {
        std::fprintf(stderr, "solvane: --idle-timeout must be 1 to 86400 seconds\n");
        return 2;
      }
    } else if (arg == "--foreground") {
      options.detach = false;
    } else {
      std::fprintf(stderr, "solvane: unknown or incomplete option: %s\n", argv[i]);
      usage(stderr);
      return 2;
    }
  }
  return 0;
}

int listenOnFirstFreePort(int first, int last, int& port) {
  for (port = first; port <= last; ++port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        listen(fd, 16) == 0) {
      return fd;
    }
    close(fd);
  }
  return -1;
}

void logLine(std::string const& text) {
  char stamp[64];
  std::time_t now = std::time(nullptr);
  std::tm local;
  localtime_r(&now, &local);
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  std::fprintf(stderr, "%s solvane[%ld]: %s\n", stamp, static_cast<long>(getpid()), text.c_str());
  std::fflush(stderr);
}

// Serves one connection; returns false when the renderer is asked to quit.
bool serve(int fd, solvane_renderer::RendererState& state) {
  solvane_link::setTimeouts(fd, kRequestTimeoutMs);
  std::string line;
  if (!solvane_link::readLine(fd, line, 256)) return true;
  if (line == "INFO") {
    solvane_link::sendAll(fd, state.infoReply() + "\n");
  } else if (line == "SCENE") {
    std::string xml = state.sceneXml();
    solvane_link::sendAll(fd, "XML " + std::to_string(xml.size()) + "\n" + xml);
  } else if (line == "QUIT") {
    solvane_link::sendAll(fd, "BYE\n");
    logLine("quit requested");
    return false;
  } else if (line.compare(0, 7, "STREAM ") == 0) {
    int clientId = std::atoi(line.c_str() + 7);
    solvane_link::setTimeouts(fd, kStreamTimeoutMs);
    std::string bytes;
    if (!solvane_link::readToEnd(fd, bytes, kMaxScene)) {
      logLine("client " + std::to_string(clientId) + ": stream broken after " +
              std::to_string(bytes.size()) + " bytes");
      solvane_link::sendAll(fd, "ERROR stream broken\n");
      return true;
    }
    solvane_renderer::Received received = state.receive(bytes, clientId);
    logLine(received.summary);
    solvane_link::sendAll(fd, received.reply + "\n");
  } else {
    solvane_link::sendAll(fd, "ERROR unknown request\n");
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  int status = parseOptions(argc, argv, options);
  if (status != 0) return status < 0 ? 0 : status;

  int port = 0;
  int listener = listenOnFirstFreePort(options.firstPort, options.lastPort, port);
  if (listener < 0) {
    std::fprintf(stderr, "solvane: no free port in %d..%d on 127.0.0.1\n", options.firstPort,
                 options.lastPort);
    return 1;
  }

  std::error_code ignored;
  std::filesystem::create_directories(options.folder, ignored);
  if (options.detach) {
    // An independent process: it must not hold the terminal or the pipes of
    // whoever started it.
    std::string logPath = options.folder + "/renderer.log";
    int null = open("/dev/null", O_RDONLY);
    int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (log < 0) log = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, 0);
    if (log >= 0) {
      dup2(log, 1);
      dup2(log, 2);
    }
    if (null > 2) close(null);
    if (log > 2) close(log);
    setsid();
  }

  struct sigaction stop;
  std::memset(&stop, 0, sizeof stop);
  stop.sa_handler = onStopSignal;
  sigemptyset(&stop.sa_mask);
  sigaction(SIGTERM, &stop, nullptr);
  sigaction(SIGINT, &stop, nullptr);
  sigaction(SIGHUP, &stop, nullptr);
  signal(SIGPIPE, SIG_IGN);

  solvane_renderer::RendererState state(getpid(), port, options.folder + "/scenes");
  logLine("listening on 127.0.0.1:" + std::to_string(port) + ", scenes in " + options.folder +
          "/scenes, idle timeout " + std::to_string(options.idleSeconds) + " s");

  using Clock = std::chrono::steady_clock;
  Clock::time_point lastActivity = Clock::now();
  bool running = true;
  while (running && !stopRequested) {
    auto idle = Clock::now() - lastActivity;
    if (idle >= std::chrono::seconds(options.idleSeconds)) {
      logLine("idle for " + std::to_string(options.idleSeconds) + " s, stopping");
      break;
    }
    pollfd waiting = {listener, POLLIN, 0};
    int ready = poll(&waiting, 1, 500);
    if (ready <= 0) continue;  // time-out or a signal
    int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    running = serve(client, state);
    close(client);
    lastActivity = Clock::now();
  }
  if (stopRequested) logLine("stop signal received");
  close(listener);
  return 0;
}
