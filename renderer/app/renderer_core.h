// What the stand-in renderer knows and answers, apart from its sockets: the
// models it holds, the replies of the line protocol, and the handling of a
// received scene (kept on disk, read with the svb reader, summarised).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace solvane_renderer {

constexpr int kVersionMajor = 8;
constexpr int kVersionMinor = 0;

// A top-level group of a received scene, kept under its name.
struct Model {
  std::string name;
  std::string file;  // the scene file it came from
  std::size_t groups = 0;
  std::size_t objects = 0;
  std::size_t triangles = 0;
  std::size_t materials = 0;
  std::size_t lights = 0;
  std::size_t cameras = 0;
};

// The outcome of one received scene.
struct Received {
  bool ok = false;
  std::string reply;    // protocol reply line, without "\n"
  std::string summary;  // one log line, without "\n"
  std::string file;     // where the bytes were written ("" when they could not be)
};

class RendererState {
 public:
  RendererState(std::int64_t processId, int port, std::string sceneFolder);

  // "SOLVANE <major> <minor> <process id> <port>"
  std::string infoReply() const;
  // The scene description answered to "SCENE" (layout in the link README).
  std::string sceneXml() const;
  // Keeps the bytes in a new file of the scene folder, reads them and, when
  // they parse, adds or replaces a model per top-level group.
  Received receive(std::string const& bytes, int clientId);

  std::vector<Model> const& models() const { return models_; }
  int received() const { return sequence_; }

 private:
  std::int64_t processId_;
  int port_;
  std::string sceneFolder_;
  int sequence_ = 0;
  std::vector<Model> models_;
};

}  // namespace solvane_renderer
