#include "live_scene_api.h"

#include "link_net.h"
#include "zelsceneapi_file.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace solvane_link {

namespace {

// Time the renderer may take to read and store a streamed scene.
constexpr int kReplyTimeoutMs = 120000;
constexpr int kConnectTimeoutMs = 2000;
constexpr int kAttemptPauseMs = 250;

// The writer's stream: a stdio stream whose writes go to the socket without
// ever raising SIGPIPE in the host.
ssize_t socketWrite(void* cookie, char const* data, size_t size) {
  int fd = *static_cast<int*>(cookie);
  return sendAll(fd, std::string_view(data, size)) ? static_cast<ssize_t>(size) : -1;
}

int socketClose(void*) { return 0; }  // the descriptor is closed by its owner

}  // namespace

LiveSceneApi::LiveSceneApi() = default;

LiveSceneApi::~LiveSceneApi() { closeStream(); }

bool LiveSceneApi::connect(char const* host, int port, int attempts) {
  if (writer_) disconnect();
  if (attempts < 1) attempts = 1;
  for (int attempt = 0; attempt < attempts && fd_ < 0; ++attempt) {
    if (attempt > 0) usleep(kAttemptPauseMs * 1000);
    fd_ = connectTo(host, port, kConnectTimeoutMs, nullptr);
  }
  if (fd_ < 0) return false;
  std::string reply;
  if (!sendAll(fd_, "STREAM " + std::to_string(clientId_) + "\n")) {
    closeStream();
    return false;
  }
  setTimeouts(fd_, kReplyTimeoutMs);
  cookie_io_functions_t io;
  std::memset(&io, 0, sizeof io);
  io.write = socketWrite;
  io.close = socketClose;
  stream_ = fopencookie(&fd_, "w", io);
  if (!stream_) {
    closeStream();
    return false;
  }
  writer_.reset(new zelScene_api_file(stream_, true));
  return true;
}

bool LiveSceneApi::disconnect() {
  if (!writer_) return false;
  writer_.reset();
  bool sent = std::fflush(stream_) == 0 && !std::ferror(stream_);
  std::fclose(stream_);
  stream_ = nullptr;
  lastReply_.clear();
  bool ok = sent && shutdown(fd_, SHUT_WR) == 0 && readLine(fd_, lastReply_) &&
            lastReply_.compare(0, 3, "OK ") == 0;
  closeStream();
  return ok;
}

bool LiveSceneApi::peer(std::int64_t& processId, int& port) const {
  if (peerPort_ <= 0) return false;
  processId = peerProcessId_;
  port = peerPort_;
  return true;
}

void LiveSceneApi::closeStream() {
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

#define ZEL_FORWARD_VOID(signature, call) \
  void LiveSceneApi::signature {          \
    if (writer_) writer_->call;           \
  }
#define ZEL_FORWARD_BOOL(signature, call) \
  bool LiveSceneApi::signature { return writer_ ? writer_->call : false; }

ZEL_FORWARD_VOID(install(), install())
ZEL_FORWARD_BOOL(group_begin(char const* name, bool placed), group_begin(name, placed))
ZEL_FORWARD_VOID(group_end(), group_end())
ZEL_FORWARD_BOOL(object_begin(char const* name, bool placed), object_begin(name, placed))
ZEL_FORWARD_VOID(object_end(), object_end())
ZEL_FORWARD_BOOL(geometry_use(char const* name), geometry_use(name))
ZEL_FORWARD_VOID(geometry_end(), geometry_end())
ZEL_FORWARD_BOOL(animation_begin(char const* name, char const* kind), animation_begin(name, kind))
ZEL_FORWARD_VOID(animation_end(), animation_end())
ZEL_FORWARD_BOOL(module_begin(char const* name), module_begin(name))
ZEL_FORWARD_VOID(module_end(), module_end())
ZEL_FORWARD_BOOL(options_begin(), options_begin())
ZEL_FORWARD_VOID(options_end(), options_end())
ZEL_FORWARD_BOOL(camera_begin(char const* name), camera_begin(name))
ZEL_FORWARD_VOID(camera_end(), camera_end())
ZEL_FORWARD_BOOL(image_begin(), image_begin())
ZEL_FORWARD_VOID(image_end(), image_end())
ZEL_FORWARD_BOOL(output_begin(char const* a, char const* b, char const* c), output_begin(a, b, c))
ZEL_FORWARD_VOID(output_end(), output_end())
ZEL_FORWARD_BOOL(light_begin(char const* name), light_begin(name))
ZEL_FORWARD_VOID(light_end(), light_end())
ZEL_FORWARD_BOOL(accel_use(char const* name), accel_use(name))
ZEL_FORWARD_VOID(accel_end(), accel_end())
ZEL_FORWARD_VOID(transform(zelMatrix const& m), transform(m))
ZEL_FORWARD_VOID(transform_set(zelMatrix const& m), transform_set(m))
ZEL_FORWARD_VOID(scale(double const& x, double const& y, double const& z), scale(x, y, z))
ZEL_FORWARD_VOID(rotate(double const& x, double const& y, double const& z), rotate(x, y, z))
ZEL_FORWARD_VOID(translate(double const& x, double const& y, double const& z), translate(x, y, z))
ZEL_FORWARD_BOOL(matrix_begin(char const* name), matrix_begin(name))
ZEL_FORWARD_VOID(matrix_end(), matrix_end())
ZEL_FORWARD_BOOL(material_begin(char const* name, bool placed), material_begin(name, placed))
ZEL_FORWARD_BOOL(material_use(char const* name), material_use(name))
ZEL_FORWARD_VOID(material_end(), material_end())
ZEL_FORWARD_VOID(material_set_shader(zelShader_type kind, int shaderId),
                 material_set_shader(kind, shaderId))
ZEL_FORWARD_BOOL(shader_begin(char const* type, int shaderId), shader_begin(type, shaderId))
ZEL_FORWARD_VOID(shader_end(), shader_end())
ZEL_FORWARD_VOID(material_set_shader(zelShader_type kind, zelShader* shader),
                 material_set_shader(kind, shader))
ZEL_FORWARD_BOOL(shader_begin(char const* name, char const* type), shader_begin(name, type))
ZEL_FORWARD_VOID(shader_push(), shader_push())
ZEL_FORWARD_VOID(shader_pop(), shader_pop())
ZEL_FORWARD_BOOL(set_parameter(char const* name, zelType type, const void* value),
                 set_parameter(name, type, value))
ZEL_FORWARD_BOOL(set_subshader(char const* name, zelShader* shader), set_subshader(name, shader))
ZEL_FORWARD_BOOL(set_subshader(char const* name, int shaderId), set_subshader(name, shaderId))
ZEL_FORWARD_BOOL(initialize_array_mode(char const* name), initialize_array_mode(name))
ZEL_FORWARD_VOID(finalize_array_mode(), finalize_array_mode())
ZEL_FORWARD_VOID(set_array_parameter(zelType type, void* value), set_array_parameter(type, value))
ZEL_FORWARD_VOID(set_attribute(char const* name, char const* value), set_attribute(name, value))
ZEL_FORWARD_VOID(add_comment(char const* text), add_comment(text))
ZEL_FORWARD_VOID(set_output_mode(zelScene_api_output_mode mode), set_output_mode(mode))
ZEL_FORWARD_VOID(set_version(int version), set_version(version))
ZEL_FORWARD_VOID(clear(bool all), clear(all))
ZEL_FORWARD_VOID(set_progress(char const* text, float value), set_progress(text, value))
ZEL_FORWARD_VOID(set_icon(char const* bytes, int length), set_icon(bytes, length))
ZEL_FORWARD_VOID(set_data(char const* name, char const* bytes, int length),
                 set_data(name, bytes, length))
ZEL_FORWARD_VOID(set_flags(int flags), set_flags(flags))
ZEL_FORWARD_BOOL(cancel(), cancel())
ZEL_FORWARD_BOOL(render(), render())
ZEL_FORWARD_BOOL(camera_modify(char const* name), camera_modify(name))

#undef ZEL_FORWARD_VOID
#undef ZEL_FORWARD_BOOL

zelShader* LiveSceneApi::shader_get() { return writer_ ? writer_->shader_get() : nullptr; }

zelType LiveSceneApi::get_array_type() { return writer_ ? writer_->get_array_type() : TYPE_STRING; }

zelType LiveSceneApi::get_parameter_type(char const* name) {
  return writer_ ? writer_->get_parameter_type(name) : TYPE_STRING;
}

void* LiveSceneApi::geometry_get() { return nullptr; }

void LiveSceneApi::print(char const* text) const {
  if (writer_) writer_->print(text);
}

void LiveSceneApi::error(char const* text) const {
  if (writer_) writer_->error(text);
}

}  // namespace solvane_link
