#include "renderer_core.h"

#include "link_net.h"
#include "svb_reader.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>

namespace solvane_renderer {

namespace {

// Counts inside one model, by the same rules as the scene summary.
Model describe(svb::Node const& group, std::string const& file) {
  svb::Scene one;
  one.nodes.push_back(group);
  svb::Summary summary = svb::summarize(one);
  Model model;
  model.name = std::string(group.name());
  model.file = file;
  model.groups = summary.groups;
  model.objects = summary.objects;
  model.triangles = summary.triangles;
  model.materials = summary.materials;
  model.lights = summary.lights;
  model.cameras = summary.cameras;
  return model;
}

bool writeWhole(std::string const& path, std::string const& bytes, std::string& error) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    error = "cannot create " + path;
    return false;
  }
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  bool closed = std::fclose(file) == 0;
  if (!written || !closed) error = "cannot write " + path;
  return written && closed;
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
  Received result;
  ++sequence_;
  std::string name =
      "scene-" + std::to_string(processId_) + "-" + std::to_string(sequence_) + ".svb";
  std::string prefix = "client " + std::to_string(clientId) + ": ";

  std::string writeError;
  std::error_code ignored;
  std::filesystem::create_directories(sceneFolder_, ignored);
  std::string path = (std::filesystem::path(sceneFolder_) / name).string();
  if (writeWhole(path, bytes, writeError)) {
    result.file = path;
  } else {
    prefix += "(not kept: " + writeError + ") ";
  }

  svb::Scene scene;
  try {
    scene = svb::parse(bytes);
  } catch (svb::ParseError const& e) {
    result.reply = std::string("ERROR ") + e.what();
    result.summary =
        prefix + "rejected " + name + " (" + std::to_string(bytes.size()) + " bytes): " + e.what();
    return result;
  }

  for (svb::Node const* group : scene.groups()) {
    Model model = describe(*group, name);
    bool replaced = false;
    for (Model& kept : models_) {
      if (kept.name == model.name) {
        kept = model;
        replaced = true;
      }
    }
    if (!replaced) models_.push_back(model);
  }
  svb::Summary summary = svb::summarize(scene);
  result.ok = true;
  result.reply = "OK " + std::to_string(summary.statements);
  result.summary = prefix + "received " + name + " (" + std::to_string(bytes.size()) +
                   " bytes): " + svb::to_line(summary);
  return result;
}

}  // namespace solvane_renderer
