#include "renderer_server.h"

#include "link_net.h"
#include "renderer_log.h"
#include "svb_preview.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>

namespace solvane_renderer {

namespace {

// Limits of one connection: the request line and the replies, and the
// silence allowed while a scene streams in.
constexpr int kRequestTimeoutMs = 5000;
constexpr int kStreamTimeoutMs = 60000;
constexpr std::size_t kMaxScene = std::size_t(1) << 31;
// How often the listening loop looks at the stop flag and the idle time.
constexpr int kPollMs = 200;

using Clock = std::chrono::steady_clock;

// Stop signals go to the listening thread, whose poll they cut short:
// connection threads start with them blocked.
class StopSignalsBlocked {
 public:
  StopSignalsBlocked() {
    sigset_t stops;
    sigemptyset(&stops);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&stops, signal);
    pthread_sigmask(SIG_BLOCK, &stops, &saved_);
  }
  ~StopSignalsBlocked() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }

 private:
  sigset_t saved_;
};

std::string brokenStreamReason(int code) {
  if (code == EAGAIN || code == EWOULDBLOCK) {
    return "nothing received for " + std::to_string(kStreamTimeoutMs / 1000) + " s";
  }
  if (code != 0) return std::strerror(code);
  return "scene larger than " + std::to_string(kMaxScene) + " bytes";
}

}  // namespace

struct Server::Connection {
  int fd = -1;  // closed by the listening thread once the thread is joined
  std::thread thread;
  std::atomic<bool> finished{false};
  std::atomic<bool> cut{false};  // the renderer is stopping: store nothing
};

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
        listen(fd, 64) == 0) {
      return fd;
    }
    close(fd);
  }
  return -1;
}

Server::Server(int listener, RendererState& state, int idleSeconds)
    : listener_(listener), state_(state), idleSeconds_(idleSeconds) {}

Server::~Server() { finish(); }

void Server::run(volatile sig_atomic_t const& stop) {
  Clock::time_point lastActivity = Clock::now();
  for (;;) {
    if (stop) {
      logLine("stop signal received");
      break;
    }
    if (quit_) break;
    if (reap()) lastActivity = Clock::now();
    if (connections_.empty() && Clock::now() - lastActivity >= std::chrono::seconds(idleSeconds_)) {
      logLine("idle for " + std::to_string(idleSeconds_) + " s, stopping");
      break;
    }
    pollfd waiting = {listener_, POLLIN, 0};
    if (poll(&waiting, 1, kPollMs) > 0) {
      accept();
      lastActivity = Clock::now();
    }
  }
  finish();
}

void Server::accept() {
  int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) return;
  solvane_link::setTimeouts(fd, kRequestTimeoutMs);
  auto connection = std::make_unique<Connection>();
  connection->fd = fd;
  if (connections_.size() < kMaxConnections) {
    try {
      StopSignalsBlocked blocked;
      Connection& served = *connection;
      connection->thread = std::thread([this, &served] { serve(served); });
      connections_.push_back(std::move(connection));
      return;
    } catch (std::system_error const& e) {
      logLine(std::string("cannot start a connection thread: ") + e.what());
    }
  }
  solvane_link::sendAll(
      fd, "ERROR busy: " + std::to_string(connections_.size()) + " connections open, try again\n");
  close(fd);
}

void Server::serve(Connection& connection) {
  int const fd = connection.fd;
  std::string line;
  if (solvane_link::readLine(fd, line, 256)) {
    if (line == "INFO") {
      solvane_link::sendAll(fd, state_.infoReply() + "\n");
    } else if (line == "SCENE") {
      std::string xml = state_.sceneXml();
      solvane_link::sendAll(fd, "XML " + std::to_string(xml.size()) + "\n" + xml);
    } else if (line == "QUIT") {
      solvane_link::sendAll(fd, "BYE\n");
      logLine("quit requested");
      quit_ = true;
    } else if (line.compare(0, 7, "STREAM ") == 0) {
      receiveScene(connection, std::atoi(line.c_str() + 7));
    } else {
      solvane_link::sendAll(fd, "ERROR unknown request\n");
    }
  }
  // The peer sees the end at once; the descriptor stays open until joined.
  ::shutdown(fd, SHUT_WR);
  connection.finished = true;
}

void Server::receiveScene(Connection& connection, int clientId) {
  int const fd = connection.fd;
  std::string const client = "client " + std::to_string(clientId) + ": ";
  solvane_link::setTimeouts(fd, kStreamTimeoutMs);
  std::string bytes;
  errno = 0;
  if (!solvane_link::readToEnd(fd, bytes, kMaxScene)) {
    std::string why = brokenStreamReason(errno);
    std::string reason = "stream broken after " + std::to_string(bytes.size()) + " bytes: " + why;
    logLine(client + reason);
    solvane_link::sendAll(fd, "ERROR " + reason + "\n");
    return;
  }
  if (connection.cut) {
    std::string reason = "renderer stopping: the scene (" + std::to_string(bytes.size()) +
                         " bytes so far) was not stored";
    logLine(client + reason);
    solvane_link::sendAll(fd, "ERROR " + reason + "\n");
    return;
  }
  Received received = state_.receive(bytes, clientId);
  logLine(received.summary);
  solvane_link::sendAll(fd, received.reply + "\n");
  // The picture comes after the reply, so drawing never delays the sender, and its
  // failure never touches the stored scene.
  if (received.scene) {
    std::string error;
    if (!svb_preview::writePreviewBeside(*received.scene, received.file, error))
      logLine(client + "no preview for " + received.file + ": " + error);
  }
}

bool Server::reap() {
  bool any = false;
  for (auto it = connections_.begin(); it != connections_.end();) {
    if ((*it)->finished) {
      (*it)->thread.join();
      close((*it)->fd);
      it = connections_.erase(it);
      any = true;
    } else {
      ++it;
    }
  }
  return any;
}

void Server::finish() {
  if (listener_ >= 0) close(listener_);
  listener_ = -1;
  Clock::time_point end = Clock::now() + std::chrono::milliseconds(kFinishMs);
  while (reap(), !connections_.empty() && Clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (!connections_.empty()) {
    logLine("cutting " + std::to_string(connections_.size()) + " connections still open");
  }
  // Wakes threads blocked on their socket; one storing a scene finishes it.
  for (auto& connection : connections_) {
    connection->cut = true;
    ::shutdown(connection->fd, SHUT_RDWR);
  }
  for (auto& connection : connections_) {
    connection->thread.join();
    close(connection->fd);
  }
  connections_.clear();
}

}  // namespace solvane_renderer
