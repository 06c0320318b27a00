// Test support for the reader: binary array blocks built from the format's
// named constants, a hand-written exported scene, and a one-line rendering
// of a parsed tree so that expectations read like the scene itself.
#pragma once

#include "svb_reader.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

namespace svbtest {

inline std::string le32(std::uint32_t v) {
  std::string s;
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xff);
  return s;
}

inline std::string f32(float f) {
  std::uint32_t bits;
  std::memcpy(&bits, &f, 4);
  return le32(bits);
}

inline std::string f64(double d) {
  std::uint64_t bits;
  std::memcpy(&bits, &d, 8);
  return le32(static_cast<std::uint32_t>(bits)) + le32(static_cast<std::uint32_t>(bits >> 32));
}

// Header (magic, letter, count) followed by the given payload.
inline std::string block(char letter, std::uint32_t count, const std::string& payload) {
  std::string s(reinterpret_cast<const char*>(svb::kBinaryMagic), sizeof svb::kBinaryMagic);
  return s + letter + le32(count) + payload;
}

inline std::string float_block(std::initializer_list<float> v, char letter = svb::kBinaryFloat) {
  std::string p;
  for (float f : v) p += f32(f);
  return block(letter, static_cast<std::uint32_t>(v.size()), p);
}

inline std::string int_block(std::initializer_list<std::int32_t> v) {
  std::string p;
  for (std::int32_t i : v) p += le32(static_cast<std::uint32_t>(i));
  return block(svb::kBinaryInt, static_cast<std::uint32_t>(v.size()), p);
}

// ---- one-line rendering of a tree ----
// node:  [#define |#modify ]kind "name"... [= value] [{ child; child }]
// Parameters: "name" = value (quoted style) or name = value (bare style);
// sub-shaders and material slots: name ! value. Values: numbers with %g,
// on/off, "text" (x"text" when written in hex), b<hex>, #id, arrays as
// [1,2 3] with a binary block as f:1,2 and items as {...}.

inline std::string shown(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    char cell[8];
    std::snprintf(cell, sizeof cell,
                  c == '\n'                 ? "\\n"
                  : (c < 0x20 || c >= 0x7f) ? "\\x%02x"
                                            : "%c",
                  c);
    out += cell;
  }
  return out;
}

inline std::string num(double v) {
  char cell[32];
  std::snprintf(cell, sizeof cell, "%g", v);
  return cell;
}

inline std::string numbers(const double* v, std::size_t n, const char* sep) {
  std::string out;
  for (std::size_t i = 0; i < n; ++i) out += (i ? sep : "") + num(v[i]);
  return out;
}

inline std::string dump(const svb::Node& node);

inline std::string dump(const svb::Value& v) {
  using K = svb::Value::Kind;
  switch (v.kind) {
    case K::None:
      return "";
    case K::Number:
      return numbers(v.numbers.data(), v.numbers.size(), " ");
    case K::Bool:
      return v.boolean ? "on" : "off";
    case K::String:
      return (v.hex ? "x\"" : "\"") + shown(v.text) + "\"";
    case K::ShaderId:
      return "#" + num(v.number());
    case K::Shader:
      return dump(*v.shader());
    case K::Bytes: {
      std::string out = "b";
      for (unsigned char c : v.text) {
        char cell[4];
        std::snprintf(cell, sizeof cell, "%02x", c);
        out += cell;
      }
      return out;
    }
    case K::Array:
      break;
  }
  const svb::Array& a = v.array();
  std::string out = "[";
  for (std::size_t i = 0; i < a.elements && a.width; ++i) {
    out += (i ? "," : "") + numbers(a.numbers.data() + i * a.width, a.width, " ");
  }
  for (std::size_t i = 0; i < a.items.size(); ++i) out += (i ? ",{" : "{") + dump(a.items[i]) + "}";
  if (a.binary) {
    std::string payload;
    for (float f : a.floats) payload += (payload.empty() ? "" : ",") + num(f);
    for (int i : a.ints) payload += (payload.empty() ? "" : ",") + std::to_string(i);
    if (!a.doubles.empty()) payload = numbers(a.doubles.data(), a.doubles.size(), ",");
    out += (a.elements ? " " : "") + std::string(1, a.binary) + ":" + payload;
  }
  return out + "]";
}

inline std::string dump(const svb::Node& node) {
  std::string out = node.defined ? "#define " : node.modify ? "#modify " : "";
  switch (node.kind) {
    case svb::NodeKind::Parameter:
    case svb::NodeKind::Subshader:
    case svb::NodeKind::MaterialShader:
      out += node.style == svb::Style::Bare || node.kind == svb::NodeKind::MaterialShader
                 ? shown(std::string(node.name()))
                 : "\"" + shown(std::string(node.name())) + "\"";
      out += node.kind == svb::NodeKind::Parameter ? " = " : " ! ";
      return out + dump(node.value);
    default:
      break;
  }
  out += svb::kind_name(node.kind);
  for (const std::string& n : node.names) out += " \"" + shown(n) + "\"";
  const std::string value = dump(node.value);
  if (!value.empty()) out += " = " + value;
  if (node.is_block()) {
    out += " {";
    for (std::size_t i = 0; i < node.children.size(); ++i)
      out += (i ? "; " : " ") + dump(node.children[i]);
    out += node.children.empty() ? "}" : " }";
  }
  return out;
}

inline std::string dump(const svb::Scene& scene) {
  std::string out;
  for (const svb::Node& n : scene.nodes) out += (out.empty() ? "" : "\n") + dump(n);
  return out;
}

// A whole exported scene: header, banner, version, import module, a camera
// with its captured environment shader, and a mirrored root group holding a
// textured quad with an animation track, a point light and a hair object.
// Binary arrays throughout, indentation off.
inline std::string exported_scene() {
  return "//---tessan:dal:7---\n//---import:dal:1---\n//---id:1---\n"
         "// This is a Solvane scene file\n\n"
         "#print \"Solvane SceneApi oo 9.0.45  (built Wed Feb 20 12:07:52 2019)\"\n"
         "version 8\n\n"
         "load \"zelrtopt.so\" {\n\"import_mode\" on,\n\"meter_scale\" 100,\n\"ext\" off,\n}\n"
         "\ncamera \"Camera\" {\nprojection \"perspective\"\nfov 90\n"
         "reflection map \"zel_envmap\" {\n\"texture\" \"startup.hdr\",\n\"format\" 3,\n\"radius\" "
         "25,\n}\n"
         "position 0 0 0\nup 0 1 0\ntransform 1 0 0 0 0 1 0 0 0 0 -1 0 1 2 -3 1\n}\n"
         "\ngroup \"untitled\" {\ntransform 1 0 0 0 0 1 0 0 0 0 -1 0 0 0 0 1\n"
         "attribute \"source file\" \"source file\"\nprogress \"Quad\" 0.000\n\n"
         "\ngroup \"Quad\" {\nflags 1\nobject \"Quad\" {\ngeometry \"triangles\" {\n\"vertices\" "
         "[ " +
         float_block({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}, svb::kBinaryColor) +
         "] ,\n\"triangles\" [ " + int_block({0, 3, 1, 2, 1, 3}) +
         "] ,\n}\n"
         "material \"Wood\" {\nsurface \"zel_advanced\" {\n\"diffuse\" 0.8 0.6 0.4,\n\"fresnel\" "
         "on,\n"
         "\"diffuse\" ! \"texture2_rgb\" {\n\"texture\" \"wood.png\",\n\"uv_flags\" "
         "62,\n},\n}\n}\n}\n"
         "animation \"fbx_animation\" \"Position . X\" {\n\"start_time\" 0,\n\"folder\" "
         "\"Quad/Position\",\n"
         "\"matrices\" [ 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 ,\n1 0 0 0 0 1 0 0 0 0 1 0 0.5 0 0 1 \n] "
         ",\n"
         "\"timestamps\" [ " +
         int_block({0, 33}) +
         "] ,\n}\n}\n"
         "\ngroup \"Light\" {\nflags 1\nobject \"Light\" {\ngeometry \"triangles\" {\n\"vertices\" "
         "[ " +
         float_block({0, -1, 0, 1, 0, 0, 0, 0, 1}, svb::kBinaryColor) + "] ,\n\"triangles\" [ " +
         int_block({2, 1, 0}) +
         "] ,\n}\n"
         "material \"Light\" {\nsurface \"zel_point_light\" {\n\"power\" 100,\n\"lumen\" "
         "off,\n}\n}\n}\n}\n"
         "\ngroup \"Hair\" {\nobject \"Hair\" {\ngeometry \"zel_bezier_curves\" {\n\"order\" "
         "2,\n\"pr\" [ " +
         float_block({0.5f, 0.1f, 0.5f, 0.1f}) + "] ,\n\"nvertices\" [ " + int_block({2, 2}) +
         "] ,\n}\n"
         "material \"Display color\" {\nsurface \"zel_diffuse\" {\n\"diffuse\" 0.5 0.5 "
         "0.5,\n}\n}\n}\n}\n"
         "}\n";
}

}  // namespace svbtest
