#include "live_scene_api.h"

#include "link_net.h"
#include "query_api.h"
#include "zelsceneapi_file.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace solvane_link {

namespace {

// Bounds of every wait: reaching a port, a renderer's answer to INFO, a
// renderer that stops reading the stream, and the verdict on a whole scene
// (which the renderer parses and stores before it replies).
constexpr int kConnectTimeoutMs = 1000;
constexpr int kIdentifyTimeoutMs = 1000;
constexpr int kSendTimeoutMs = 30000;
constexpr int kReplyTimeoutMs = 120000;
constexpr int kAttemptPauseMs = 250;

// The writer's stream: a stdio stream whose writes go to the socket without
// ever raising SIGPIPE in the host, keeping the reason of a failed write.
ssize_t socketWrite(void* cookie, char const* data, size_t size) {
  LiveSceneApi* api = static_cast<LiveSceneApi*>(cookie);
  if (sendAll(api->socket(), std::string_view(data, size))) {
    api->sent(size);
    return static_cast<ssize_t>(size);
  }
  api->writeFailed(errno != 0 ? errno : EPIPE);
  return -1;
}

int socketClose(void*) { return 0; }  // the descriptor is closed by its owner

std::string seconds(int ms) { return std::to_string(ms / 1000) + " s"; }

}  // namespace

LiveSceneApi::LiveSceneApi() = default;

LiveSceneApi::~LiveSceneApi() { closeStream(); }

bool LiveSceneApi::peer(std::int64_t& processId, int& port) const {
  if (peerPort_ <= 0) return false;
  processId = peerProcessId_;
  port = peerPort_;
  return true;
}

void LiveSceneApi::writeFailed(int error) {
  if (writeError_ == 0) writeError_ = error;
}

std::string LiveSceneApi::renderer() const {
  return "renderer " + std::to_string(peerProcessId_) + " on port " + std::to_string(peerPort_);
}

bool LiveSceneApi::fail(std::string const& reason) {
  lastError_ = reason;
  closeStream();
  return false;
}

// Only a program that names itself as a renderer of a version this link
// speaks to is streamed to: a stranger on the port never sees a scene byte.
bool LiveSceneApi::identify(char const* host, int port, int attempts) {
  std::string where = std::string(host ? host : "") + ":" + std::to_string(port);
  for (int attempt = 0; attempt < attempts; ++attempt) {
    if (attempt > 0) usleep(kAttemptPauseMs * 1000);
    std::string error;
    int fd = connectTo(host, port, kConnectTimeoutMs, &error);
    if (fd < 0) {
      lastError_ = "nothing answered at " + where + " (" + error + ")";
      continue;
    }
    setTimeouts(fd, kIdentifyTimeoutMs);
    std::string reply;
    ReadResult read = sendAll(fd, "INFO\n") ? readReply(fd, reply, 256) : ReadResult::Failed;
    close(fd);
    RunningRenderer found;
    if (read != ReadResult::Line || !parseInfoReply(reply, found)) {
      lastError_ = "the program at " + where + " is not a renderer (it " +
                   (read == ReadResult::Line ? "answered \"" + reply.substr(0, 40) + "\""
                                             : std::string(describe(read))) +
                   " when asked who it is)";
      return false;
    }
    if (found.versionMajor < kOldestRenderer || found.versionMajor > kNewestRenderer) {
      lastError_ = "the renderer at " + where + " is version " +
                   std::to_string(found.versionMajor) + ", this link speaks to versions " +
                   std::to_string(kOldestRenderer) + " to " + std::to_string(kNewestRenderer);
      return false;
    }
    peerProcessId_ = found.processId;
    peerPort_ = port;
    return true;
  }
  return false;
}

bool LiveSceneApi::connect(char const* host, int port, int attempts) {
  if (writer_) disconnect();
  lastError_.clear();
  writeError_ = 0;
  bytesSent_ = 0;
  if (!identify(host, port, attempts < 1 ? 1 : attempts)) return false;
  std::string error;
  fd_ = connectTo(host, port, kConnectTimeoutMs, &error);
  if (fd_ < 0) return fail(renderer() + " cannot be reached: " + error);
  setTimeouts(fd_, kSendTimeoutMs);
  if (!sendAll(fd_, "STREAM " + std::to_string(clientId_) + "\n"))
    return fail(renderer() + " broke the connection: " + std::strerror(errno));
  cookie_io_functions_t io;
  std::memset(&io, 0, sizeof io);
  io.write = socketWrite;
  io.close = socketClose;
  stream_ = fopencookie(this, "w", io);
  if (!stream_) return fail(std::string("cannot open the stream: ") + std::strerror(errno));
  writer_.reset(new zelScene_api_file(stream_, true));
  setTarget(writer_.get());
  return true;
}

bool LiveSceneApi::disconnect() {
  if (!writer_) return false;
  setTarget(nullptr);
  writer_.reset();
  bool flushed = std::fflush(stream_) == 0 && !std::ferror(stream_);
  std::fclose(stream_);
  stream_ = nullptr;
  lastReply_.clear();
  lastError_.clear();
  // A renderer that stopped reading may still have said why before it closed.
  shutdown(fd_, SHUT_WR);
  struct timeval limit = {kReplyTimeoutMs / 1000, 0};
  setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  ReadResult read = readReply(fd_, lastReply_);
  std::string sendFailure;
  if (!flushed) {
    sendFailure = " while the scene was being sent (" +
                  std::string(std::strerror(writeError_ != 0 ? writeError_ : EIO)) + ")";
  }
  if (read == ReadResult::Line && lastReply_.compare(0, 3, "OK ") == 0 && flushed) {
    closeStream();
    return true;
  }
  if (read == ReadResult::Line && lastReply_.compare(0, 6, "ERROR ") == 0) {
    return fail(renderer() + " refused the scene: " + lastReply_.substr(6));
  }
  if (read == ReadResult::Line) {
    return fail(renderer() + " answered \"" + lastReply_.substr(0, 80) + "\"" + sendFailure);
  }
  if (read == ReadResult::TimedOut) {
    return fail(renderer() + " did not reply within " + seconds(kReplyTimeoutMs) + sendFailure);
  }
  return fail(renderer() + " " + describe(read) + sendFailure);
}

void LiveSceneApi::closeStream() {
  setTarget(nullptr);
  writer_.reset();
  if (stream_) std::fclose(stream_);
  stream_ = nullptr;
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

void LiveSceneApi::set_id(int id) {
  // The id given before connecting names the client in the stream's
  // request; later ids belong to the scene.
  if (writer_) {
    writer_->set_id(id);
  } else {
    clientId_ = id;
  }
}

}  // namespace solvane_link
