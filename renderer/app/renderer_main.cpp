// solvane: the stand-in renderer. Listens on the first free port of
// 3141-3151 on 127.0.0.1, answers the link library's queries, and receives
// scenes (see renderer/link/README.md for the protocol).
#include "command_line.h"
#include "link_net.h"
#include "renderer_core.h"
#include "renderer_log.h"
#include "renderer_server.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#ifndef SOLVANE_INSTALL_ROOT_PATH
#define SOLVANE_INSTALL_ROOT_PATH ""
#endif

namespace {

constexpr int kDefaultIdleSeconds = 300;

volatile sig_atomic_t stopRequested = 0;

void onStopSignal(int) { stopRequested = 1; }

struct Options {
  int firstPort = solvane_link::kFirstPort;
  int lastPort = solvane_link::kLastPort;
  bool portsGiven = false;
  std::string folder = std::string(SOLVANE_INSTALL_ROOT_PATH) +
                       "/Library/Application Support/Solvane" +
                       std::to_string(solvane_renderer::kVersionMajor);
  int idleSeconds = kDefaultIdleSeconds;
  bool detach = true;
};

std::string usage() {
  char text[2048];
  std::snprintf(text, sizeof text,
                "usage: solvane [--ports FIRST LAST] [--folder DIR] [--idle-timeout SECONDS]\n"
                "               [--foreground]\n"
                "       solvane --help | --version\n"
                "The stand-in renderer. Listens on the first free port of FIRST..LAST on\n"
                "127.0.0.1 and serves up to %zu connections at once, each on a thread of\n"
                "its own: queries are answered while scenes stream in. Without --ports the\n"
                "range is 3141..3151, or, as a test setting, the environment variable\n"
                "SOLVANE_PORT_RANGE=FIRST-LAST (for example 24100-24110).\n"
                "A received scene is read whole first; one that reads is written to a\n"
                "temporary file in DIR/scenes, synced, and renamed to scene-<pid>-<n>.svb\n"
                "before the reply OK <statement count>. A scene that does not read, or that\n"
                "cannot be stored (folder unusable, disk full), gets ERROR <reason>, leaves\n"
                "no file and changes nothing held. Scenes arriving at once are stored one\n"
                "after the other. Logs to DIR/renderer.log.\n"
                "Ends on a quit request, SIGTERM, or after SECONDS in which no connection\n"
                "was open (default %d; the environment variable\n"
                "SOLVANE_RENDERER_IDLE_SECONDS sets it too); connections still open then\n"
                "get %d ms to finish. --foreground keeps the terminal's output instead of\n"
                "writing to the log.\n",
                solvane_renderer::kMaxConnections, kDefaultIdleSeconds,
                solvane_renderer::kFinishMs);
  return text;
}

bool parseInt(char const* text, int low, int high, int& value) {
  char* end = nullptr;
  errno = 0;
  long parsed = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || parsed < low || parsed > high) return false;
  value = static_cast<int>(parsed);
  return true;
}

// Returns -1 to go on, or the exit status.
int parseOptions(int argc, char** argv, Options& options) {
  if (char const* idle = std::getenv("SOLVANE_RENDERER_IDLE_SECONDS")) {
    if (!parseInt(idle, 1, 86400, options.idleSeconds)) {
      std::fprintf(stderr, "solvane: SOLVANE_RENDERER_IDLE_SECONDS must be 1 to 86400: %s\n", idle);
      return 2;
    }
  }
  solvane_cli::CommandLine commandLine("solvane", usage());
  std::vector<std::string> ports;
  std::string idleTimeout;
  bool foreground = false;
  commandLine.values("--ports", ports, 2);
  commandLine.option("--folder", options.folder);
  commandLine.option("--idle-timeout", idleTimeout);
  commandLine.flag("--foreground", foreground);
  const int status = commandLine.parse(argc, argv, [&] {
    using solvane_cli::UsageError;
    if (!ports.empty()) {
      if (!parseInt(ports[0].c_str(), 1, 65535, options.firstPort) ||
          !parseInt(ports[1].c_str(), options.firstPort, 65535, options.lastPort))
        throw UsageError{"--ports needs FIRST <= LAST within 1..65535"};
      options.portsGiven = true;
    }
    if (!idleTimeout.empty() && !parseInt(idleTimeout.c_str(), 1, 86400, options.idleSeconds))
      throw UsageError{"--idle-timeout must be 1 to 86400 seconds"};
    options.detach = !foreground;
  });
  if (status >= 0) return status;
  char const* range = std::getenv(solvane_link::kPortRangeVariable);
  if (!options.portsGiven && range &&
      !solvane_link::parsePortRange(range, options.firstPort, options.lastPort)) {
    std::fprintf(stderr, "solvane: %s must be FIRST-LAST with 1 <= FIRST <= LAST <= 65535: %s\n",
                 solvane_link::kPortRangeVariable, range);
    return 2;
  }
  return -1;
}

// An independent process: it must not hold the terminal or the pipes of
// whoever started it.
void detach(std::string const& folder) {
  std::string logPath = folder + "/renderer.log";
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

}  // namespace

int main(int argc, char** argv) {
  // A write past the file size limit must fail with EFBIG and be refused,
  // not end the renderer; a vanished peer must not end it either.
  signal(SIGXFSZ, SIG_IGN);
  signal(SIGPIPE, SIG_IGN);

  Options options;
  const int status = parseOptions(argc, argv, options);
  if (status >= 0) return status;

  int port = 0;
  int listener = solvane_renderer::listenOnFirstFreePort(options.firstPort, options.lastPort, port);
  if (listener < 0) {
    std::fprintf(stderr, "solvane: no free port in %d..%d on 127.0.0.1\n", options.firstPort,
                 options.lastPort);
    return 1;
  }

  std::error_code ignored;
  std::filesystem::create_directories(options.folder, ignored);
  if (options.detach) detach(options.folder);

  struct sigaction stop;
  std::memset(&stop, 0, sizeof stop);
  stop.sa_handler = onStopSignal;
  sigemptyset(&stop.sa_mask);
  sigaction(SIGTERM, &stop, nullptr);
  sigaction(SIGINT, &stop, nullptr);
  sigaction(SIGHUP, &stop, nullptr);

  solvane_renderer::RendererState state(getpid(), port, options.folder + "/scenes");
  solvane_renderer::logLine("listening on 127.0.0.1:" + std::to_string(port) + ", scenes in " +
                            options.folder + "/scenes, idle timeout " +
                            std::to_string(options.idleSeconds) + " s");
  solvane_renderer::Server server(listener, state, options.idleSeconds);
  server.run(stopRequested);
  return 0;
}
