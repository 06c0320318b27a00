// Reader of the .svb scene format: the text scene description (with binary
// array blocks) that the scene file writer produces and that the live link
// streams to the renderer.
//
// Usage:
//
//   svb::Scene scene = svb::parse(bytes);          // throws svb::ParseError
//   if (const svb::Node* model = scene.find_group("untitled")) { ... }
//   svb::walk(scene, [](const svb::Node& n) { ... });
//   svb::Summary s = svb::summarize(scene);
//
// The reader builds a tree: one Node per statement or block, in file order.
// Blocks (groups, objects, geometry, shaders, ...) hold their statements and
// parameters as children. Parameters are nodes of kind Parameter whose Value
// is typed by its text form (numbers, on/off, string, bytes, array, shader).
// The text form does not say which scene type wrote a number, so a float, an
// int and a double all read back as Value::Kind::Number.
//
// Where the text form is ambiguous the reader decides so:
//  - a bare-style name ("name value") ends before the first word that starts
//    a value (a number, nan/inf, on/off, a string, byte or array token, or
//    the line end), so "visible to the eye off" is the name "visible to the
//    eye" with the value off;
//  - a #print or #error text ends at the first double quote that ends a line;
//  - comments are "//" lines;
//  - a "#modify" not followed by a camera block (a refused modify) is a node
//    of its own, and what follows it on the line is read as usual.
//
// Robustness: the parser never recurses deeper than kMaxNesting levels of
// blocks, arrays and captured shaders, never trusts a binary count before
// checking that the bytes are there, and reports every malformed input as a
// ParseError carrying the byte offset and what was expected there.
#pragma once

#include "zelformat.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace svb {

struct Node;
struct Value;

// The format's limits and binary block constants (zelformat.h).
using zel_format::kBinaryColor;
using zel_format::kBinaryDouble;
using zel_format::kBinaryFloat;
using zel_format::kBinaryHeaderSize;
using zel_format::kBinaryInt;
using zel_format::kBinaryMagic;
using zel_format::kMaxNesting;

// The value of an array parameter, "[ ... ]". Text elements and an optional
// binary block (element-by-element arrays may hold both: text elements
// first, then the block).
struct Array {
  // Binary block: its type letter ('\0' when the array has none), the count
  // field as written and the payload in the member matching the letter
  // (floats for 'f' and 'c', ints for 'i', doubles for 'r').
  char binary = '\0';
  std::uint32_t binary_count = 0;
  std::vector<float> floats;
  std::vector<std::int32_t> ints;
  std::vector<double> doubles;

  // Text elements. Elements are separated by commas; an element is one or
  // more blank-separated numbers (a colour is three, a matrix sixteen) or
  // one other value (string, on/off, shader text).
  std::size_t elements = 0;  // number of text elements
  // When every text element is numeric with the same count of numbers:
  // width = numbers per element and `numbers` holds them all, flattened.
  std::size_t width = 0;
  std::vector<double> numbers;
  // Otherwise every text element is kept here, one Value each, in order
  // (and `numbers` is empty).
  std::vector<Value> items;

  // Every number of the array in order: the text numbers, then the binary
  // payload widened to double. Items that are not numbers are skipped.
  std::vector<double> as_doubles() const;
  // Count of scalars: text numbers plus the binary count field.
  std::size_t scalar_count() const;
};

struct Value {
  enum class Kind {
    None,      // nothing written after the name
    Number,    // one or more blank-separated numbers ("nan"/"inf" included)
    Bool,      // on / off
    String,    // quoted or xX hex string token, decoded into `text`
    Bytes,     // bX byte token, decoded into `text`
    Array,     // "[ ... ]", see array()
    Shader,    // captured shader text "type" { ... }, see shader()
    ShaderId,  // shader number after "!" or after a material slot word
  };
  Kind kind = Kind::None;
  std::vector<double> numbers;  // Number (all of them), ShaderId (one)
  bool boolean = false;         // Bool
  std::string text;             // String, Bytes: the decoded bytes
  bool hex = false;             // String written in the xX hex form
  std::shared_ptr<const Array> array_value;
  std::shared_ptr<const Node> shader_value;

  bool is(Kind k) const { return kind == k; }
  // Number i (0 when absent). For Number and ShaderId.
  double number(std::size_t i = 0) const;
  // The array; an empty array when the value is not one.
  const Array& array() const;
  // The anonymous Shader node; null when the value is not a shader.
  const Node* shader() const { return shader_value.get(); }
};

// Statement and block kinds. "names" lists the name tokens in the order the
// statement carries them; "value" is what Node::value holds.
enum class NodeKind {
  Comment,         // "// ..." line; value String: the whole line without "\n"
  Print,           // #print "..."; value String: the text
  Error,           // #error "..."; value String: the text
  Version,         // version N; value Number
  Progress,        // progress "text" F; names {text}; value Number
  Attribute,       // attribute "name" "value"; names {name}; value String
  Transform,       // transform m0 .. m15; value Number (16)
  TransformSet,    // set transform m0 .. m15; value Number (16)
  Scale,           // scale x y z; value Number (3)
  Translate,       // translate x y z; value Number (3)
  Rotate,          // rotate x y z; value Number (3)
  Icon,            // icon bX...; value Bytes
  Id,              // id N; value Number
  Flags,           // flags N; value Number
  Render,          // render
  Modify,          // #modify not followed by a camera block (a refused modify)
  Parameter,       // "name" value, | name value; names {name}; style says which
  Subshader,       // "name" ! shader; names {name}; value Shader or ShaderId
  MaterialShader,  // surface|shadow|volume|reflection map inside a material;
                   // names {slot word(s)}; value Shader or ShaderId
  MaterialUse,     // material "name" (no block); names {name}
  // Blocks (children hold their statements):
  Group,      // [#define] group "name" { }
  Object,     // [#define] object "name" { }
  Geometry,   // geometry "kind" { }
  Animation,  // animation "name" "kind" { }; names {name, kind}
  Accel,      // accel "name" { }
  Light,      // light "name" { }
  Module,     // load "name" { }
  Matrix,     // #define matrix "name" { }
  Material,   // [#define] material "name" { }
  Options,    // options { }
  Camera,     // [#modify] camera ["name"] { }; names {} or {name}
  Image,      // image { }
  Output,     // output "a" "b" "c" { }; names {a, b, c}
  Shader,     // #define shader "name" "type" { }: names {name, type}
              // #define shader N type { }:       names {type}, value ShaderId N
              // captured "type" { } (a Value):   names {type}, anonymous
};

const char* kind_name(NodeKind kind);  // "group", "parameter", ...

enum class Style {
  None,    // not a parameter
  Quoted,  // "name" value,
  Bare,    // name value
};

struct Node {
  NodeKind kind = NodeKind::Comment;
  std::vector<std::string> names;
  Value value;
  std::vector<Node> children;
  std::size_t offset = 0;     // byte offset of the statement's first byte
  bool defined = false;       // written with "#define" (not placed)
  bool modify = false;        // Camera written with "#modify"
  bool anonymous = false;     // Shader captured as text inside a value
  Style style = Style::None;  // Parameter, Subshader: how it was written

  bool is_block() const;
  // First name, or "" when the node has none.
  std::string_view name() const {
    return names.empty() ? std::string_view() : std::string_view(names[0]);
  }
  // Shader type (last name of a Shader node), "" for other kinds.
  std::string_view shader_type() const;
  // First child Parameter (or Subshader) called `name`; null when none.
  const Node* param(std::string_view name) const;
  // First child of the given kind (and name, when given); null when none.
  const Node* child(NodeKind kind) const;
  const Node* child(NodeKind kind, std::string_view name) const;
};

struct Scene {
  std::vector<Node> nodes;  // top-level statements in file order

  // Top-level groups (the models of a scene), in file order.
  std::vector<const Node*> groups() const;
  // The first top-level group with that name; null when none.
  const Node* find_group(std::string_view name) const;
  // The value of the last version statement; -1 when there is none.
  int version() const;
};

class ParseError : public std::runtime_error {
 public:
  // `message` without the offset; what() is "offset N: message". `binary`: the fault lies in
  // a binary array block, where lines and columns mean nothing.
  ParseError(std::size_t offset, const std::string& message, bool truncated, bool binary = false);
  std::size_t offset() const { return offset_; }
  // What was expected at offset() (what() without the "offset N: " prefix).
  const std::string& message() const { return message_; }
  // True when the input ends before the failing statement or inside the
  // failing word: more bytes might complete it (a streaming reader can wait
  // for them). False when the bytes at offset() are wrong whatever follows.
  bool truncated() const { return truncated_; }
  bool binary() const { return binary_; }

 private:
  std::size_t offset_;
  std::string message_;
  bool truncated_;
  bool binary_;
};

// Parses a whole scene. Throws ParseError on malformed input.
Scene parse(std::string_view bytes);

// Calls f(node) for every node, depth first in file order: each node, then
// the anonymous shaders held by its value (array items included), then its
// children.
template <class F>
void walk(const Node& node, F&& f);
template <class F>
void walk(const Scene& scene, F&& f) {
  for (const Node& n : scene.nodes) walk(n, f);
}

struct Summary {
  int version = -1;            // last top-level version statement, -1 when none
  std::size_t groups = 0;      // group blocks, at every level
  std::size_t models = 0;      // top-level groups
  std::size_t objects = 0;     // object blocks
  std::size_t triangles = 0;   // "triangles" index count / 3 of triangle geometry
  std::size_t vertices = 0;    // "vertices" number count / 3 of triangle geometry
  std::size_t curves = 0;      // "nvertices" entries of curve geometry (hair)
  std::size_t materials = 0;   // material blocks
  std::size_t shaders = 0;     // named, numbered and captured shaders
  std::size_t cameras = 0;     // camera blocks
  std::size_t lights = 0;      // light blocks plus objects with an emitting shader
  std::size_t animations = 0;  // animation blocks
  std::size_t modules = 0;     // module ("load") blocks
  std::size_t statements = 0;  // every node
};

Summary summarize(const Scene& scene);
// One "label: value" line per field, in the order of the struct.
std::string to_text(const Summary& summary);
// The same on one line: "version 8, 3 groups, 2 objects, ...".
std::string to_line(const Summary& summary);
// The counts (every field but the version) as label and value, in the order of the struct.
std::vector<std::pair<std::string, std::size_t>> counts(const Summary& summary);

namespace detail {
template <class F>
void walk_value(const Value& value, F& f) {
  if (value.kind == Value::Kind::Shader && value.shader_value) {
    walk(*value.shader_value, f);
  } else if (value.kind == Value::Kind::Array && value.array_value) {
    for (const Value& item : value.array_value->items) walk_value(item, f);
  }
}
}  // namespace detail

template <class F>
void walk(const Node& node, F&& f) {
  f(node);
  detail::walk_value(node.value, f);
  for (const Node& child : node.children) walk(child, f);
}

}  // namespace svb
