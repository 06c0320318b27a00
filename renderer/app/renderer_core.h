// What the stand-in renderer knows and answers, apart from its sockets: the
// models it holds, the replies of the line protocol, and the handling of a
// received scene (read with the svb reader, stored atomically, summarised).
// Connections are served on threads of their own, so every member may be
// called from several threads at once.
#pragma once

#include "svb_reader.h"

#include <cstdint>
#include <memory>
#include <mutex>
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
  std::string file;     // where the scene was stored ("" when it was refused)
  // The stored scene as read, for its preview picture (null when it was refused).
  std::shared_ptr<const svb::Scene> scene;
};

class RendererState {
 public:
  RendererState(std::int64_t processId, int port, std::string sceneFolder);

  // "SOLVANE <major> <minor> <process id> <port>"
  std::string infoReply() const;
  // The scene description answered to "SCENE" (layout in the link README).
  std::string sceneXml() const;
  // Reads the bytes whole; a scene that reads and holds a statement is
  // stored as the next scene file ("scene-<process id>-<n>.svb", written
  // atomically) and then adds or replaces a model per top-level group.
  // Scenes are stored and applied one at a time, so concurrent calls never
  // mix; a refused scene (malformed, empty, or not stored) changes nothing.
  Received receive(std::string const& bytes, int clientId);

  std::vector<Model> models() const;
  // Count of scenes stored, which is also the number of the last file.
  int received() const;

 private:
  std::int64_t const processId_;
  int const port_;
  std::string const sceneFolder_;
  // One scene is stored and applied at a time; held across the disk writes.
  std::mutex storing_;
  // Guards sequence_ and models_; held only briefly, so queries never wait
  // for a disk.
  mutable std::mutex state_;
  int sequence_ = 0;
  std::vector<Model> models_;
};

}  // namespace solvane_renderer
