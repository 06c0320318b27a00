// The link library's scene API: the text scene writer over a loopback
// connection to a running renderer.
#pragma once

#include "zelsceneapi_forward.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

class zelScene_api_file;

namespace solvane_link {

// Every scene operation goes to a text writer whose stream is the socket;
// while not connected they do nothing and report failure.
//
// connect(host, port, attempts) first asks the port who listens (INFO): only
// a renderer that names itself is streamed to; attempts (at least one, a
// quarter second apart) cover a renderer that is still starting. disconnect
// ends the stream and waits for the renderer's verdict on the scene. Every
// wait is bounded (see live_scene_api.cpp); lastError() says what failed.
class LiveSceneApi : public zelScene_api_forward {
 public:
  LiveSceneApi();
  ~LiveSceneApi() override;

  bool connect(char const* host, int port, int attempts) override;
  bool disconnect() override;
  void set_id(int id) override;

  bool connected() const { return writer_ != nullptr; }
  // The renderer's reply to the last stream ("OK ..." or "ERROR ...").
  std::string const& lastReply() const { return lastReply_; }
  // Why the last connect or disconnect failed, naming the renderer and the
  // reason; "" after a success.
  std::string const& lastError() const { return lastError_; }
  // The renderer last connected to: its process id and port; false before
  // any connection.
  bool peer(std::int64_t& processId, int& port) const;

  // Scene bytes streamed over the current or last connection.
  std::uint64_t bytesSent() const { return bytesSent_; }
  void sent(std::size_t bytes) { bytesSent_ += bytes; }

  // Records the reason of the first failed write to the socket.
  void writeFailed(int error);
  int socket() const { return fd_; }

 private:
  bool identify(char const* host, int port, int attempts);
  bool fail(std::string const& reason);
  std::string renderer() const;
  void closeStream();

  int fd_ = -1;
  FILE* stream_ = nullptr;
  std::unique_ptr<zelScene_api_file> writer_;
  int clientId_ = 0;
  int writeError_ = 0;
  std::uint64_t bytesSent_ = 0;
  std::string lastReply_;
  std::string lastError_;
  std::int64_t peerProcessId_ = 0;
  int peerPort_ = 0;
};

}  // namespace solvane_link
