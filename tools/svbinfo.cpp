// svbinfo: checks a .svb scene file and prints a summary of its content.
#include "command_line.h"
#include "scene_file.h"
#include "svb_reader.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: svbinfo [--tree | --json] FILE\n"
    "       svbinfo --help | --version\n"
    "Reads the .svb scene FILE (\"-\" reads standard input), checks its syntax\n"
    "and prints the version and the counts of groups, objects, triangles,\n"
    "materials, shaders, cameras, lights, animation blocks and hair curves.\n"
    "  --tree   then the hierarchy of groups and objects, indented, with each\n"
    "           object's triangles and material\n"
    "  --json   the summary as one JSON object (the counts' names with \"_\" for\n"
    "           blanks; \"version\" is null without a version statement)\n"
    "A scene holds at least a version statement or a block (group, object,\n"
    "camera, ...): an empty file, or text without either (such as a README), is\n"
    "refused. Exits with status 1 when the file is refused, malformed or cannot\n"
    "be read, saying where: line and column in the text, the byte offset inside\n"
    "a binary array block; 2 on a usage mistake.\n";

// Where a parse error lies: line and column (from 1, in bytes) in the text, the offset in a
// binary block.
std::string place_of(const svb::ParseError& e, const std::string& bytes) {
  if (e.binary()) return e.what();
  const std::size_t offset = std::min(e.offset(), bytes.size());
  const std::size_t line = 1 + std::count(bytes.begin(), bytes.begin() + offset, '\n');
  const std::size_t start = offset == 0 ? std::string::npos : bytes.rfind('\n', offset - 1);
  const std::size_t column = start == std::string::npos ? offset + 1 : offset - start;
  return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + e.message();
}

// "" for a scene; otherwise why the bytes are not one.
std::string refusal(const std::string& bytes, const svb::Scene& scene) {
  if (bytes.empty()) return "empty file: a scene holds at least a version statement or a block";
  for (const svb::Node& n : scene.nodes)
    if (n.kind == svb::NodeKind::Version || n.is_block()) return "";
  return "not a scene: no version statement and no block";
}

std::size_t scalars(const svb::Node& object, const char* geometry, const char* array) {
  const svb::Node* g = object.child(svb::NodeKind::Geometry, geometry);
  const svb::Node* p = g ? g->param(array) : nullptr;
  return p ? p->value.array().scalar_count() : 0;
}

// One line per group and object, two blanks deeper per level.
void print_tree(const svb::Node& node, int depth) {
  const std::string indent(2 * static_cast<std::size_t>(depth), ' ');
  const std::string name(node.name());
  if (node.kind == svb::NodeKind::Group) {
    std::printf("%sgroup \"%s\"\n", indent.c_str(), name.c_str());
  } else if (node.kind == svb::NodeKind::Object) {
    const svb::Node* material = node.child(svb::NodeKind::Material);
    if (!material) material = node.child(svb::NodeKind::MaterialUse);
    const std::size_t curves = scalars(node, "zel_bezier_curves", "nvertices");
    std::printf(
        "%sobject \"%s\": %zu triangles%s, %s\n", indent.c_str(), name.c_str(),
        scalars(node, "triangles", "triangles") / 3,
        curves ? (", " + std::to_string(curves) + " curves").c_str() : "",
        material ? ("material \"" + std::string(material->name()) + "\"").c_str() : "no material");
  } else {
    return;
  }
  for (const svb::Node& child : node.children) print_tree(child, depth + 1);
}

std::string json_summary(const std::string& shown, std::size_t size, const svb::Summary& s) {
  nlohmann::ordered_json out;
  out["file"] = shown;
  out["bytes"] = size;
  out["version"] = s.version < 0 ? nlohmann::ordered_json() : nlohmann::ordered_json(s.version);
  for (auto [label, value] : svb::counts(s)) {
    std::replace(label.begin(), label.end(), ' ', '_');
    out[label] = value;
  }
  return out.dump(2) + "\n";
}

}  // namespace

int main(int argc, char** argv) {
  solvane_cli::CommandLine commandLine("svbinfo", kUsage);
  std::vector<std::string> files;
  bool tree = false;
  bool json = false;
  commandLine.values("FILE", files);
  commandLine.flag("--tree", tree);
  commandLine.flag("--json", json);
  commandLine.exclusive("--tree", "--json");
  const int parsed = commandLine.parse(argc, argv, [&files] {
    if (files.size() != 1) throw solvane_cli::UsageError{"expected exactly one FILE argument"};
  });
  if (parsed >= 0) return parsed;

  const std::string path = files[0];
  const std::string shown = svb_tools::shownName(path);
  std::string bytes;
  if (!svb_tools::readSceneFile("svbinfo", path, bytes)) return 1;

  svb::Scene scene;
  try {
    scene = svb::parse(bytes);
  } catch (const svb::ParseError& e) {
    std::fprintf(stderr, "svbinfo: %s: %s\n", shown.c_str(), place_of(e, bytes).c_str());
    return 1;
  }
  if (const std::string why = refusal(bytes, scene); !why.empty()) {
    std::fprintf(stderr, "svbinfo: %s: %s\n", shown.c_str(), why.c_str());
    return 1;
  }
  const svb::Summary summary = svb::summarize(scene);
  if (json) {
    std::fputs(json_summary(shown, bytes.size(), summary).c_str(), stdout);
  } else {
    std::printf("file: %s\nbytes: %zu\n%s", shown.c_str(), bytes.size(),
                svb::to_text(summary).c_str());
  }
  if (tree) {
    for (const svb::Node& n : scene.nodes) print_tree(n, 0);
  }
  if (std::fflush(stdout) != 0) {
    std::fprintf(stderr, "svbinfo: cannot write the summary: %s\n", std::strerror(errno));
    return 1;
  }
  return 0;
}
