// The renderer's listening side: accepts connections on its loopback port
// and serves each on a thread of its own (one request per connection, see
// renderer/link/README.md), so a scene streaming in never keeps a query
// waiting.
#pragma once

#include "renderer_core.h"

#include <signal.h>

#include <atomic>
#include <list>
#include <memory>

namespace solvane_renderer {

// Connections served at once; one more is told "ERROR busy" and closed.
constexpr std::size_t kMaxConnections = 64;
// Time open connections get to finish once the renderer stops.
constexpr int kFinishMs = 2000;

// Listens on 127.0.0.1 at the first free port of first..last. Returns the
// descriptor and sets `port`, or -1 when no port of the range is free.
int listenOnFirstFreePort(int first, int last, int& port);

class Server {
 public:
  // Takes the listening socket; answers for `state`.
  Server(int listener, RendererState& state, int idleSeconds);
  // Finishes as run() does when run() was not reached or left early.
  ~Server();
  Server(Server const&) = delete;
  Server& operator=(Server const&) = delete;

  // Serves until a QUIT request, `stop` turning non-zero (a signal
  // handler's flag), or idleSeconds in which no connection was open, and
  // logs why. Then stops listening, lets open connections finish for up to
  // kFinishMs and cuts the rest: a scene not read whole by then is not
  // stored. Every connection thread has ended when it returns.
  void run(volatile sig_atomic_t const& stop);

 private:
  struct Connection;

  void accept();
  // The body of a connection's thread.
  void serve(Connection& connection);
  void receiveScene(Connection& connection, int clientId);
  // Joins the threads of finished connections; true when there were any.
  bool reap();
  void finish();

  int listener_;
  RendererState& state_;
  int const idleSeconds_;
  std::atomic<bool> quit_{false};
  // Open connections; only the thread in run() changes the list.
  std::list<std::unique_ptr<Connection>> connections_;
};

}  // namespace solvane_renderer
