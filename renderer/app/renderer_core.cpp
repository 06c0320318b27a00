#include "renderer_core.h"

#include "link_net.h"
#include "scene_file.h"
#include "svb_reader.h"

#include <string>
#include <utility>

namespace solvane_renderer {

namespace {

// Counts inside one model, by the same rules as the scene summary.
Model describe(svb::Node const& group) {
  svb::Scene one;
  one.nodes.push_back(group);
  svb::Summary summary = svb::summarize(one);
  Model model;
  model.name = std::string(group.name());
  model.groups = summary.groups;
  model.objects = summary.objects;
  model.triangles = summary.triangles;
  model.materials = summary.materials;
  model.lights = summary.lights;
  model.cameras = summary.cameras;
  return model;
}

Received refuse(std::string const& prefix, std::size_t size, std::string const& reason) {
  Received result;
  result.reply = "ERROR " + reason;
  result.summary = prefix + "refused a scene (" + std::to_string(size) + " bytes): " + reason;
  return result;
}

}  // namespace

RendererState::RendererState(std::int64_t processId, int port, std::string sceneFolder)
    : processId_(processId), port_(port), sceneFolder_(std::move(sceneFolder)) {}

std::string RendererState::infoReply() const {
  return "SOLVANE " + std::to_string(kVersionMajor) + " " + std::to_string(kVersionMinor) + " " +
         std::to_string(processId_) + " " + std::to_string(port_);
}

std::string RendererState::sceneXml() const {
  using solvane_link::xmlEscape;
  std::lock_guard<std::mutex> lock(state_);
  std::string xml = "<scene_info>\n";
  xml += "  <scene name=\"default\" received=\"" + std::to_string(sequence_) + "\">\n";
  xml += "    <models>\n";
  for (Model const& m : models_) {
    xml += "      <model name=\"" + xmlEscape(m.name) + "\" modelset=\"active\" file=\"" +
           xmlEscape(m.file) + "\" groups=\"" + std::to_string(m.groups) + "\" objects=\"" +
           std::to_string(m.objects) + "\" triangles=\"" + std::to_string(m.triangles) +
           "\" materials=\"" + std::to_string(m.materials) + "\" lights=\"" +
           std::to_string(m.lights) + "\" cameras=\"" + std::to_string(m.cameras) + "\"/>\n";
  }
  xml += "    </models>\n";
  xml += "  </scene>\n";
  return xml + "</scene_info>\n";
}

Received RendererState::receive(std::string const& bytes, int clientId) {
  std::string const prefix = "client " + std::to_string(clientId) + ": ";
  svb::Scene scene;
  try {
    scene = svb::parse(bytes);
  } catch (svb::ParseError const& e) {
    // Bytes that end inside a statement are most likely a stream cut short.
    char const* what = e.truncated() ? "incomplete scene: " : "malformed scene: ";
    return refuse(prefix, bytes.size(), what + std::string(e.what()));
  }
  svb::Summary const summary = svb::summarize(scene);
  if (summary.statements == 0) return refuse(prefix, bytes.size(), "empty scene: no statement");

  std::vector<Model> arrived;
  for (svb::Node const* group : scene.groups()) arrived.push_back(describe(*group));

  std::lock_guard<std::mutex> storing(storing_);
  int const number = received() + 1;
  std::string const name =
      "scene-" + std::to_string(processId_) + "-" + std::to_string(number) + ".svb";
  std::string error;
  if (!writeFileAtomically(sceneFolder_, name, bytes, error)) {
    return refuse(prefix, bytes.size(), "scene not stored: " + error);
  }
  for (Model& model : arrived) model.file = name;
  {
    std::lock_guard<std::mutex> lock(state_);
    sequence_ = number;
    for (Model const& model : arrived) {
      bool replaced = false;
      for (Model& kept : models_) {
        if (kept.name == model.name) {
          kept = model;
          replaced = true;
        }
      }
      if (!replaced) models_.push_back(model);
    }
  }
  Received result;
  result.ok = true;
  result.file = sceneFolder_ + "/" + name;
  result.scene = std::make_shared<svb::Scene>(std::move(scene));
  result.reply = "OK " + std::to_string(summary.statements);
  result.summary = prefix + "received " + name + " (" + std::to_string(bytes.size()) +
                   " bytes): " + svb::to_line(summary);
  return result;
}

std::vector<Model> RendererState::models() const {
  std::lock_guard<std::mutex> lock(state_);
  return models_;
}

int RendererState::received() const {
  std::lock_guard<std::mutex> lock(state_);
  return sequence_;
}

}  // namespace solvane_renderer
