// Parsing and checking a document file into DocumentRecord. Nothing here touches the model.
#include "document_content.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "document_reader.h"

namespace c4ddoc {
namespace {

using json = nlohmann::json;

// ---------------------------------------------------------------------------------------
// Kind names

struct KindName {
  const char* name;
  std::int32_t type;
};

constexpr std::int32_t kPolygonObject = 5100;
constexpr std::int32_t kHairObject = 1017305;
constexpr std::int32_t kTextureTag = 5616;
constexpr std::int32_t kPhongTag = 5612;
constexpr std::int32_t kUvwTag = 5671;
constexpr std::int32_t kPolygonSelectionTag = 5673;
constexpr std::int32_t kNormalTag = 5711;
constexpr std::int32_t kHairMaterialTag = 1017729;
constexpr std::int32_t kStandardMaterial = 5703;
constexpr std::int32_t kHairMaterial = 1017730;
constexpr std::int32_t kColorShader = 5832;
constexpr std::int32_t kBitmapShader = 5833;
constexpr std::int32_t kGradientShader = 1011100;

constexpr KindName kObjectKinds[] = {
    {"polygon", 5100},
    {"spline", 5101},
    {"light", 5102},
    {"camera", 5103},
    {"floor", 5104},
    {"sky", 5105},
    {"environment", 5106},
    {"loft", 5107},
    {"extrude", 5116},
    {"lathe", 5117},
    {"sweep", 5118},
    {"instance", 5126},
    {"null", 5140},
    {"symmetry", 5142},
    {"array", 5150},
    {"cube", 5159},
    {"sphere", 5160},
    {"plane", 5168},
    {"subdivisionSurface", 1007455},
    {"boole", 1010865},
    {"connector", 1011010},
    {"hair", 1017305},
};
constexpr KindName kTagKinds[] = {
    {"phong", 5612},  {"display", 5613},          {"texture", 5616},
    {"uvw", 5671},    {"polygonSelection", 5673}, {"vertexMap", 5682},
    {"normal", 5711}, {"hairMaterial", 1017729},
};
constexpr KindName kMaterialKinds[] = {{"material", 5703}, {"hairMaterial", 1017730}};
constexpr KindName kShaderKinds[] = {
    {"color", 5832},     {"bitmap", 5833},   {"gradient", 1011100},
    {"fusion", 1011109}, {"layer", 1011123},
};
constexpr KindName kRotationOrders[] = {
    {"YXZGLOBAL", 0}, {"YZXGLOBAL", 1}, {"ZYXGLOBAL", 2}, {"ZXYGLOBAL", 3},
    {"XZYGLOBAL", 4}, {"XYZGLOBAL", 5}, {"HPB", 6},
};
constexpr KindName kProjections[] = {
    {"spherical", 0}, {"cylindrical", 1}, {"flat", 2},       {"cubic", 3},     {"frontal", 4},
    {"spatial", 5},   {"uvw", 6},         {"shrinkwrap", 7}, {"cameramap", 8},
};
constexpr KindName kChannels[] = {
    {"color", 0},       {"luminance", 1},     {"transparency", 2}, {"reflection", 3},
    {"environment", 4}, {"fog", 5},           {"bump", 6},         {"alpha", 7},
    {"specular", 8},    {"specularColor", 9}, {"glow", 10},        {"displacement", 11},
    {"diffusion", 12},  {"normal", 13},
};

template <std::size_t N>
const KindName* findKind(const KindName (&table)[N], std::string_view name) {
  for (const KindName& k : table) {
    if (name == k.name) return &k;
  }
  return nullptr;
}

template <std::size_t N>
std::string kindList(const KindName (&table)[N]) {
  std::string out;
  for (const KindName& k : table) {
    if (!out.empty()) out += ", ";
    out += k.name;
  }
  return out;
}

// ---------------------------------------------------------------------------------------
// Ids and references

enum class IdKind { Object, Tag, Material, Shader, Layer };

const char* idKindName(IdKind k) {
  switch (k) {
    case IdKind::Object:
      return "an object";
    case IdKind::Tag:
      return "a tag";
    case IdKind::Material:
      return "a material";
    case IdKind::Shader:
      return "a shader";
    case IdKind::Layer:
      return "a layer";
  }
  return "?";
}

struct IdEntry {
  IdKind kind;
  std::string place;
};

struct Reference {
  std::string id;
  std::string place;
  std::vector<IdKind> allowed;  // empty: any kind
  const char* wanted;           // "a material", "an object, a tag or a material", ...
};

std::string inQuotes(std::string_view s) { return "\"" + std::string(s) + "\""; }

// "1 point", "10 points".
std::string count(std::size_t n, const char* noun) {
  return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

std::string fmtNumber(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.10g", v);
  return buf;
}

// ---------------------------------------------------------------------------------------
// The parser

class Parser;

// The fields of one JSON object. Every field must be taken; done() refuses the rest.
class Fields {
 public:
  Fields(const Parser& parser, const json& value, std::string place);

  const json* get(const std::string& key);
  std::string placeOf(const std::string& key) const { return place_ + "." + key; }
  const std::string& place() const { return place_; }
  void done();

 private:
  const Parser& parser_;
  const json& value_;
  std::string place_;
  std::set<std::string> taken_;
};

class Parser {
 public:
  Parser(std::string source, ParseOptions options)
      : source_(std::move(source)), options_(std::move(options)) {}

  DocumentRecord run(std::string_view text);

  [[noreturn]] void fail(const std::string& place, const std::string& message) const {
    throw DocumentError(source_, place, message);
  }

  // Value readers; each refuses a value of the wrong kind at `place`.
  double number(const json& v, const std::string& place) const;
  std::int32_t integer(const json& v, const std::string& place) const;
  bool boolean(const json& v, const std::string& place) const;
  std::string string(const json& v, const std::string& place) const;
  Vec3 vec3(const json& v, const std::string& place) const;
  // Element i of an array of vectors; the place is only built for a message (large meshes).
  Vec3 vec3At(const json& array, std::size_t i, const std::string& arrayPlace) const;
  const json& array(const json& v, const std::string& place) const;

 private:
  void checkDepth(std::string_view text) const;
  void takeId(Fields& f, IdKind kind, std::string& out);
  // The "type" field: a kind name of the table or a positive type id; `fallback` when absent.
  template <std::size_t N>
  std::int32_t kindOf(Fields& f, const char* what, const KindName (&table)[N],
                      std::optional<std::int32_t> fallback = std::nullopt) const;

  void params(Fields& f, std::vector<ParamRecord>& out);
  ParamRecord paramValue(const json& v, std::int32_t id, const std::string& place);
  GradientRecord gradient(const json& v, const std::string& place) const;
  void addParam(std::vector<ParamRecord>& out, ParamRecord p) const;
  void reference(const std::string& id, const std::string& place, std::vector<IdKind> allowed,
                 const char* wanted) {
    references_.push_back(Reference{id, place, std::move(allowed), wanted});
  }

  // Convenience fields that stand for a parameter.
  void floatField(Fields& f, const char* key, std::int32_t id, std::vector<ParamRecord>& out);
  void boolField(Fields& f, const char* key, std::int32_t id, std::vector<ParamRecord>& out);
  void stringField(Fields& f, const char* key, std::int32_t id, std::vector<ParamRecord>& out);
  void vectorField(Fields& f, const char* key, std::int32_t id, std::vector<ParamRecord>& out);
  void linkField(Fields& f, const char* key, std::int32_t id, IdKind kind,
                 std::vector<ParamRecord>& out);

  LayerRecord layer(const json& v, const std::string& place);
  MaterialRecord material(const json& v, const std::string& place);
  ShaderRecord shader(const json& v, const std::string& place, int depth);
  ObjectRecord object(const json& v, const std::string& place, int depth);
  TagRecord tag(const json& v, const std::string& place, const ObjectRecord& owner);
  TrackRecord track(const json& v, const std::string& place);
  void polygons(const json& v, const std::string& place, ObjectRecord& obj) const;
  void strands(const json& v, const std::string& place, ObjectRecord& obj) const;
  void corners(const json& v, const std::string& place, const ObjectRecord& owner, const char* what,
               bool normals, TagRecord& tag) const;
  void resolveReferences() const;

  std::string source_;
  ParseOptions options_;
  std::map<std::string, IdEntry> ids_;
  std::vector<Reference> references_;
};

// Refuses a field given twice in one JSON object, which the JSON library would otherwise
// resolve silently by keeping the last value. Runs as the parser's callback and keeps the
// path to the current value, for the message.
class DuplicateKeyCheck {
 public:
  explicit DuplicateKeyCheck(const Parser& parser) : parser_(parser) {}

  bool operator()(int /*depth*/, json::parse_event_t event, const json& parsed) {
    switch (event) {
      case json::parse_event_t::object_start:
      case json::parse_event_t::array_start:
        frames_.push_back(Frame{event == json::parse_event_t::object_start, {}, 0, {}});
        break;
      case json::parse_event_t::key: {
        Frame& top = frames_.back();
        top.key = parsed.get<std::string>();
        if (!top.keys.insert(top.key).second)
          parser_.fail(path(frames_.size() - 1),
                       "the field " + inQuotes(top.key) + " is given twice");
        break;
      }
      case json::parse_event_t::object_end:
      case json::parse_event_t::array_end:
        frames_.pop_back();
        elementDone();
        break;
      case json::parse_event_t::value:
        elementDone();
        break;
    }
    return true;
  }

 private:
  struct Frame {
    bool object;
    std::string key;    // the current key of an object
    std::size_t index;  // the current element of an array
    std::set<std::string> keys;
  };

  void elementDone() {
    if (!frames_.empty() && !frames_.back().object) ++frames_.back().index;
  }

  // The place of the container at frames_[n], written as the reader writes places.
  std::string path(std::size_t n) const {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
      const Frame& f = frames_[i];
      if (f.object) {
        out += (out.empty() ? "" : ".") + f.key;
      } else {
        out += "[" + std::to_string(f.index) + "]";
      }
    }
    return out.empty() ? std::string("document") : out;
  }

  const Parser& parser_;
  std::vector<Frame> frames_;
};

Fields::Fields(const Parser& parser, const json& value, std::string place)
    : parser_(parser), value_(value), place_(std::move(place)) {
  if (!value_.is_object()) parser_.fail(place_, "must be a JSON object");
}

const json* Fields::get(const std::string& key) {
  auto it = value_.find(key);
  if (it == value_.end()) return nullptr;
  taken_.insert(key);
  return &*it;
}

void Fields::done() {
  for (auto it = value_.begin(); it != value_.end(); ++it) {
    if (taken_.count(it.key()) == 0) parser_.fail(place_, "unknown field " + inQuotes(it.key()));
  }
}

template <std::size_t N>
std::int32_t Parser::kindOf(Fields& f, const char* what, const KindName (&table)[N],
                            std::optional<std::int32_t> fallback) const {
  const json* v = f.get("type");
  const std::string place = f.placeOf("type");
  if (v == nullptr) {
    if (fallback) return *fallback;
    fail(f.place(), "needs a \"type\": a kind name or a type id");
  }
  if (v->is_string()) {
    const std::string name = v->get<std::string>();
    if (const KindName* k = findKind(table, name)) return k->type;
    fail(place, "unknown " + std::string(what) + " kind " + inQuotes(name) +
                    " (known: " + kindList(table) + "; other kinds by their type id)");
  }
  if (!v->is_number()) fail(place, "must be a kind name or a type id");
  const std::int32_t type = integer(*v, place);
  if (type <= 0) fail(place, "a type id is a positive number");
  return type;
}

double Parser::number(const json& v, const std::string& place) const {
  if (!v.is_number()) fail(place, "must be a number");
  const double d = v.get<double>();
  if (!std::isfinite(d)) fail(place, "must be a finite number");
  return d;
}

std::int32_t Parser::integer(const json& v, const std::string& place) const {
  constexpr double lo = std::numeric_limits<std::int32_t>::min();
  constexpr double hi = std::numeric_limits<std::int32_t>::max();
  if (v.is_number_unsigned()) {
    if (v.get<std::uint64_t>() > static_cast<std::uint64_t>(hi))
      fail(place, "must be a whole number from -2147483648 to 2147483647");
    return static_cast<std::int32_t>(v.get<std::uint64_t>());
  }
  if (v.is_number_integer()) {
    const std::int64_t i = v.get<std::int64_t>();
    if (i < lo || i > hi) fail(place, "must be a whole number from -2147483648 to 2147483647");
    return static_cast<std::int32_t>(i);
  }
  if (v.is_number_float()) {
    const double d = v.get<double>();
    if (std::isfinite(d) && d == std::floor(d) && d >= lo && d <= hi)
      return static_cast<std::int32_t>(d);
  }
  fail(place, "must be a whole number from -2147483648 to 2147483647");
}

bool Parser::boolean(const json& v, const std::string& place) const {
  if (!v.is_boolean()) fail(place, "must be true or false");
  return v.get<bool>();
}

std::string Parser::string(const json& v, const std::string& place) const {
  if (!v.is_string()) fail(place, "must be a string");
  return v.get<std::string>();
}

const json& Parser::array(const json& v, const std::string& place) const {
  if (!v.is_array()) fail(place, "must be an array");
  return v;
}

Vec3 Parser::vec3(const json& v, const std::string& place) const {
  if (!v.is_array() || v.size() != 3) fail(place, "must be an array of three numbers");
  return Vec3{number(v[0], place + "[0]"), number(v[1], place + "[1]"),
              number(v[2], place + "[2]")};
}

Vec3 Parser::vec3At(const json& array, std::size_t i, const std::string& arrayPlace) const {
  const json& v = array[i];
  if (v.is_array() && v.size() == 3 && v[0].is_number() && v[1].is_number() && v[2].is_number()) {
    const Vec3 r{v[0].get<double>(), v[1].get<double>(), v[2].get<double>()};
    if (std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.z)) return r;
  }
  return vec3(v, arrayPlace + "[" + std::to_string(i) + "]");
}

// Refuses text that nests deeper than kMaxJsonDepth before the JSON library sees it, so that
// a hostile file cannot exhaust the stack anywhere.
void Parser::checkDepth(std::string_view text) const {
  int depth = 0;
  int line = 1;
  int column = 0;
  bool inString = false;
  bool escaped = false;
  for (char c : text) {
    ++column;
    if (c == '\n') {
      ++line;
      column = 0;
    }
    if (inString) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        inString = false;
      }
      continue;
    }
    if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxJsonDepth) {
        fail("line " + std::to_string(line) + ", column " + std::to_string(column),
             "the text nests deeper than " + std::to_string(kMaxJsonDepth) + " levels");
      }
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
}

void Parser::takeId(Fields& f, IdKind kind, std::string& out) {
  const json* v = f.get("id");
  if (v == nullptr) return;
  const std::string place = f.placeOf("id");
  out = string(*v, place);
  if (out.empty()) fail(place, "must not be empty");
  auto [it, inserted] = ids_.emplace(out, IdEntry{kind, f.place()});
  if (!inserted) fail(place, inQuotes(out) + " is already the id of " + it->second.place);
}

void Parser::addParam(std::vector<ParamRecord>& out, ParamRecord p) const {
  for (const ParamRecord& q : out) {
    if (q.id == p.id)
      fail(p.place, "parameter " + std::to_string(p.id) + " is already given at " + q.place);
  }
  out.push_back(std::move(p));
}

GradientRecord Parser::gradient(const json& v, const std::string& place) const {
  Fields f(*this, v, place);
  GradientRecord g;
  if (const json* m = f.get("mode")) g.mode = integer(*m, f.placeOf("mode"));
  if (const json* ks = f.get("knots")) {
    const std::string kplace = f.placeOf("knots");
    array(*ks, kplace);
    for (std::size_t i = 0; i < ks->size(); ++i) {
      const std::string p = kplace + "[" + std::to_string(i) + "]";
      Fields k(*this, (*ks)[i], p);
      GradientKnotRecord knot;
      if (const json* x = k.get("color")) knot.color = vec3(*x, k.placeOf("color"));
      if (const json* x = k.get("brightness"))
        knot.brightness = number(*x, k.placeOf("brightness"));
      if (const json* x = k.get("position")) knot.position = number(*x, k.placeOf("position"));
      if (const json* x = k.get("bias")) knot.bias = number(*x, k.placeOf("bias"));
      if (const json* x = k.get("index")) knot.index = integer(*x, k.placeOf("index"));
      if (const json* x = k.get("interpolation"))
        knot.interpolation = integer(*x, k.placeOf("interpolation"));
      k.done();
      g.knots.push_back(knot);
    }
  }
  f.done();
  return g;
}

ParamRecord Parser::paramValue(const json& v, std::int32_t id, const std::string& place) {
  ParamRecord p;
  p.id = id;
  p.place = place;
  if (v.is_boolean()) {
    p.kind = ValueKind::Bool;
    p.flag = v.get<bool>();
    return p;
  }
  if (v.is_string()) {
    p.kind = ValueKind::String;
    p.text = v.get<std::string>();
    return p;
  }
  if (v.is_array()) {
    p.kind = ValueKind::Vector;
    p.vector = vec3(v, place);
    return p;
  }
  if (v.is_number()) {
    const double d = v.get<double>();
    const std::string n = fmtNumber(d);
    fail(place, v.is_number_float() && d != std::floor(d)
                    ? "a number needs its kind, as {\"float\": " + n + "}"
                    : "a number needs its kind, as {\"int\": " + n + "} or {\"float\": " + n + "}");
  }
  if (!v.is_object() || v.size() != 1) {
    fail(place,
         "must be true, false, a string, three numbers, or one of {\"int\": ...}, "
         "{\"float\": ...}, {\"bool\": ...}, {\"vector\": ...}, {\"string\": ...}, "
         "{\"file\": ...}, {\"link\": ...}, {\"gradient\": ...}");
  }
  const std::string& kind = v.begin().key();
  const json& x = v.begin().value();
  const std::string xplace = place + "." + kind;
  if (kind == "int") {
    p.kind = ValueKind::Int;
    p.integer = integer(x, xplace);
  } else if (kind == "float") {
    p.kind = ValueKind::Float;
    p.real = number(x, xplace);
  } else if (kind == "bool") {
    p.kind = ValueKind::Bool;
    p.flag = boolean(x, xplace);
  } else if (kind == "vector") {
    p.kind = ValueKind::Vector;
    p.vector = vec3(x, xplace);
  } else if (kind == "string") {
    p.kind = ValueKind::String;
    p.text = string(x, xplace);
  } else if (kind == "file") {
    p.kind = ValueKind::File;
    p.text = string(x, xplace);
  } else if (kind == "link") {
    p.kind = ValueKind::Link;
    p.text = string(x, xplace);
    reference(p.text, xplace, {}, "anything");
  } else if (kind == "gradient") {
    p.kind = ValueKind::Gradient;
    p.gradient = gradient(x, xplace);
  } else {
    fail(place, "unknown value kind " + inQuotes(kind) +
                    " (known: int, float, bool, vector, string, file, link, gradient)");
  }
  return p;
}

void Parser::params(Fields& f, std::vector<ParamRecord>& out) {
  const json* ps = f.get("params");
  if (ps == nullptr) return;
  Fields pf(*this, *ps, f.placeOf("params"));
  for (auto it = ps->begin(); it != ps->end(); ++it) {
    const std::string& key = it.key();
    const std::string place = pf.placeOf(key);
    std::int32_t id = 0;
    bool ok = !key.empty() && key.size() <= 10;
    for (std::size_t i = 0; ok && i < key.size(); ++i) {
      ok = (key[i] >= '0' && key[i] <= '9') || (i == 0 && key[i] == '-' && key.size() > 1);
    }
    if (ok) {
      const long long parsed = std::stoll(key);
      ok = parsed >= std::numeric_limits<std::int32_t>::min() &&
           parsed <= std::numeric_limits<std::int32_t>::max();
      id = static_cast<std::int32_t>(parsed);
    }
    if (!ok) fail(place, "a parameter is named by its numeric id, not " + inQuotes(key));
    pf.get(key);
    addParam(out, paramValue(it.value(), id, place));
  }
}

void Parser::floatField(Fields& f, const char* key, std::int32_t id,
                        std::vector<ParamRecord>& out) {
  if (const json* v = f.get(key)) {
    ParamRecord p;
    p.id = id;
    p.place = f.placeOf(key);
    p.kind = ValueKind::Float;
    p.real = number(*v, p.place);
    addParam(out, p);
  }
}

void Parser::boolField(Fields& f, const char* key, std::int32_t id, std::vector<ParamRecord>& out) {
  if (const json* v = f.get(key)) {
    ParamRecord p;
    p.id = id;
    p.place = f.placeOf(key);
    p.kind = ValueKind::Bool;
    p.flag = boolean(*v, p.place);
    addParam(out, p);
  }
}

void Parser::stringField(Fields& f, const char* key, std::int32_t id,
                         std::vector<ParamRecord>& out) {
  if (const json* v = f.get(key)) {
    ParamRecord p;
    p.id = id;
    p.place = f.placeOf(key);
    p.kind = ValueKind::String;
    p.text = string(*v, p.place);
    addParam(out, p);
  }
}

void Parser::vectorField(Fields& f, const char* key, std::int32_t id,
                         std::vector<ParamRecord>& out) {
  if (const json* v = f.get(key)) {
    ParamRecord p;
    p.id = id;
    p.place = f.placeOf(key);
    p.kind = ValueKind::Vector;
    p.vector = vec3(*v, p.place);
    addParam(out, p);
  }
}

void Parser::linkField(Fields& f, const char* key, std::int32_t id, IdKind kind,
                       std::vector<ParamRecord>& out) {
  if (const json* v = f.get(key)) {
    ParamRecord p;
    p.id = id;
    p.place = f.placeOf(key);
    p.kind = ValueKind::Link;
    p.text = string(*v, p.place);
    reference(p.text, p.place, {kind}, idKindName(kind));
    addParam(out, p);
  }
}

LayerRecord Parser::layer(const json& v, const std::string& place) {
  Fields f(*this, v, place);
  LayerRecord l;
  l.place = place;
  takeId(f, IdKind::Layer, l.id);
  if (const json* x = f.get("name")) l.name = string(*x, f.placeOf("name"));
  static constexpr KindName kSwitches[] = {
      {"solo", 1000},      {"view", 1001},       {"render", 1002},    {"manager", 1003},
      {"locked", 1004},    {"generators", 1005}, {"deformers", 1006}, {"expressions", 1007},
      {"animation", 1008}, {"xref", 1010},
  };
  for (const KindName& s : kSwitches) boolField(f, s.name, s.type, l.params);
  vectorField(f, "color", 1009, l.params);
  params(f, l.params);
  f.done();
  return l;
}

ShaderRecord Parser::shader(const json& v, const std::string& place, int depth) {
  if (depth > kMaxObjectDepth)
    fail(place, "shaders nest deeper than " + std::to_string(kMaxObjectDepth) + " levels");
  Fields f(*this, v, place);
  ShaderRecord s;
  s.place = place;
  takeId(f, IdKind::Shader, s.id);
  s.type = kindOf(f, "shader", kShaderKinds);
  if (const json* x = f.get("name")) s.name = string(*x, f.placeOf("name"));
  if (s.type == kBitmapShader) {
    if (const json* x = f.get("file")) {
      ParamRecord p;
      p.id = 1000;
      p.place = f.placeOf("file");
      p.kind = ValueKind::File;
      p.text = string(*x, p.place);
      addParam(s.params, p);
    }
  }
  if (s.type == kColorShader) vectorField(f, "color", 1000, s.params);
  if (s.type == kGradientShader) {
    if (const json* x = f.get("gradient")) {
      ParamRecord p;
      p.id = 1007;
      p.place = f.placeOf("gradient");
      p.kind = ValueKind::Gradient;
      p.gradient = gradient(*x, p.place);
      addParam(s.params, p);
    }
  }
  params(f, s.params);
  if (const json* cs = f.get("shaders")) {
    const std::string cplace = f.placeOf("shaders");
    array(*cs, cplace);
    for (std::size_t i = 0; i < cs->size(); ++i)
      s.children.push_back(shader((*cs)[i], cplace + "[" + std::to_string(i) + "]", depth + 1));
  }
  f.done();
  return s;
}

MaterialRecord Parser::material(const json& v, const std::string& place) {
  Fields f(*this, v, place);
  MaterialRecord m;
  m.place = place;
  takeId(f, IdKind::Material, m.id);
  m.type = kindOf(f, "material", kMaterialKinds, kStandardMaterial);
  if (const json* x = f.get("name")) m.name = string(*x, f.placeOf("name"));
  if (const json* cs = f.get("channels")) {
    const std::string cplace = f.placeOf("channels");
    if (m.type != kStandardMaterial)
      fail(cplace,
           "only a standard material (type 5703) has channels, not type " + std::to_string(m.type));
    array(*cs, cplace);
    m.hasChannels = true;
    for (std::size_t i = 0; i < cs->size(); ++i) {
      const std::string p = cplace + "[" + std::to_string(i) + "]";
      const json& c = (*cs)[i];
      std::int32_t channel = 0;
      if (c.is_string()) {
        const KindName* k = findKind(kChannels, c.get<std::string>());
        if (k == nullptr)
          fail(p, "unknown channel " + inQuotes(c.get<std::string>()) +
                      " (known: " + kindList(kChannels) + "; others by number)");
        channel = k->type;
      } else {
        channel = integer(c, p);
        if (channel < 0) fail(p, "a channel number is 0 or more");
      }
      m.channels.push_back(channel);
    }
  }
  if (m.type == kStandardMaterial) {
    vectorField(f, "color", 2100, m.params);
    floatField(f, "brightness", 2101, m.params);
    vectorField(f, "specular", 3100, m.params);
  }
  if (m.type == kHairMaterial) {
    floatField(f, "rootThickness", 3009, m.params);
    floatField(f, "tipThickness", 3010, m.params);
    if (const json* x = f.get("gradient")) {
      ParamRecord p;
      p.id = 3139;
      p.place = f.placeOf("gradient");
      p.kind = ValueKind::Gradient;
      p.gradient = gradient(*x, p.place);
      addParam(m.params, p);
    }
  }
  params(f, m.params);
  if (const json* ss = f.get("shaders")) {
    const std::string splace = f.placeOf("shaders");
    array(*ss, splace);
    for (std::size_t i = 0; i < ss->size(); ++i)
      m.shaders.push_back(shader((*ss)[i], splace + "[" + std::to_string(i) + "]", 1));
  }
  f.done();
  return m;
}

void Parser::polygons(const json& v, const std::string& place, ObjectRecord& obj) const {
  array(v, place);
  const auto pointCount = static_cast<std::int64_t>(obj.points.size());
  auto at = [&place](std::size_t i) { return place + "[" + std::to_string(i) + "]"; };
  obj.polygons.reserve(v.size());
  for (std::size_t i = 0; i < v.size(); ++i) {
    const json& poly = v[i];
    if (!poly.is_array() || poly.size() < 3 || poly.size() > 4)
      fail(at(i), "a polygon is an array of three or four point indices");
    std::int32_t idx[4];
    for (std::size_t k = 0; k < poly.size(); ++k) {
      const json& x = poly[k];
      // Non-negative whole numbers in range are the common case; the rest get the full check.
      if (x.is_number_unsigned() && x.get<std::uint64_t>() <= 0x7fffffffu) {
        idx[k] = static_cast<std::int32_t>(x.get<std::uint64_t>());
      } else {
        idx[k] = integer(x, at(i) + "[" + std::to_string(k) + "]");
      }
      if (idx[k] < 0 || idx[k] >= pointCount) {
        fail(at(i), "polygon " + std::to_string(i) + " uses point " + std::to_string(idx[k]) +
                        ", but the object has " +
                        count(static_cast<std::size_t>(pointCount), "point"));
      }
    }
    obj.polygons.push_back(
        PolygonRecord{idx[0], idx[1], idx[2], poly.size() == 4 ? idx[3] : idx[2]});
  }
}

void Parser::strands(const json& v, const std::string& place, ObjectRecord& obj) const {
  array(v, place);
  for (std::size_t i = 0; i < v.size(); ++i) {
    const std::string p = place + "[" + std::to_string(i) + "]";
    Fields f(*this, v[i], p);
    StrandRecord s;
    const json* pts = f.get("points");
    if (pts == nullptr) fail(p, "a strand needs \"points\"");
    const std::string pplace = f.placeOf("points");
    array(*pts, pplace);
    for (std::size_t k = 0; k < pts->size(); ++k)
      s.points.push_back(vec3((*pts)[k], pplace + "[" + std::to_string(k) + "]"));
    if (s.points.size() < 2) fail(pplace, "a strand needs at least two points");
    if (!obj.strands.empty() && s.points.size() != obj.strands.front().points.size()) {
      fail(pplace, "strand " + std::to_string(i) + " has " + std::to_string(s.points.size()) +
                       " points, but strand 0 has " +
                       std::to_string(obj.strands.front().points.size()) +
                       "; every strand of an object has the same number");
    }
    if (const json* uv = f.get("rootUV")) {
      const std::string uplace = f.placeOf("rootUV");
      if (!uv->is_array() || uv->size() != 2) fail(uplace, "must be an array of two numbers");
      s.rootU = number((*uv)[0], uplace + "[0]");
      s.rootV = number((*uv)[1], uplace + "[1]");
    }
    f.done();
    obj.strands.push_back(std::move(s));
  }
}

// UVW or normal data: one entry per polygon of the owner, each three or four corners.
void Parser::corners(const json& v, const std::string& place, const ObjectRecord& owner,
                     const char* what, bool normals, TagRecord& tag) const {
  array(v, place);
  if (v.size() != owner.polygons.size()) {
    fail(place, "has " + std::to_string(v.size()) + " " + what + " entries, but the object has " +
                    count(owner.polygons.size(), "polygon"));
  }
  for (std::size_t i = 0; i < v.size(); ++i) {
    const std::string p = place + "[" + std::to_string(i) + "]";
    const json& e = v[i];
    const PolygonRecord& poly = owner.polygons[i];
    const bool quad = poly.c != poly.d;
    if (!e.is_array() || e.size() < 3 || e.size() > 4)
      fail(p, std::string("an entry is an array of three or four ") + what + " corners");
    if (quad && e.size() != 4) {
      fail(p, "polygon " + std::to_string(i) + " is a quadrangle and needs four " + what +
                  " corners, not three");
    }
    Vec3 c[4];
    for (std::size_t k = 0; k < e.size(); ++k) {
      const std::string cp = p + "[" + std::to_string(k) + "]";
      const json& x = e[k];
      if (normals) {
        c[k] = vec3(x, cp);
        for (double comp : {c[k].x, c[k].y, c[k].z}) {
          if (comp < -1.0 || comp > 1.0)
            fail(cp, "a normal component lies between -1 and 1, not " + fmtNumber(comp));
        }
      } else {
        if (!x.is_array() || x.size() < 2 || x.size() > 3)
          fail(cp, "a UVW coordinate is an array of two or three numbers");
        c[k] = Vec3{number(x[0], cp + "[0]"), number(x[1], cp + "[1]"),
                    x.size() == 3 ? number(x[2], cp + "[2]") : 0.0};
      }
    }
    if (e.size() == 3) c[3] = c[2];
    tag.corners.push_back(CornerRecord{c[0], c[1], c[2], c[3]});
  }
}

TagRecord Parser::tag(const json& v, const std::string& place, const ObjectRecord& owner) {
  Fields f(*this, v, place);
  TagRecord t;
  t.place = place;
  takeId(f, IdKind::Tag, t.id);
  t.type = kindOf(f, "tag", kTagKinds);
  if (const json* x = f.get("name")) t.name = string(*x, f.placeOf("name"));
  switch (t.type) {
    case kTextureTag: {
      linkField(f, "material", 1010, IdKind::Material, t.params);
      stringField(f, "restriction", 1006, t.params);
      if (const json* x = f.get("projection")) {
        ParamRecord p;
        p.id = 1004;
        p.place = f.placeOf("projection");
        p.kind = ValueKind::Int;
        if (x->is_string()) {
          const KindName* k = findKind(kProjections, x->get<std::string>());
          if (k == nullptr)
            fail(p.place, "unknown projection " + inQuotes(x->get<std::string>()) +
                              " (known: " + kindList(kProjections) + ")");
          p.integer = k->type;
        } else {
          p.integer = integer(*x, p.place);
        }
        addParam(t.params, p);
      }
      for (auto [key, idU, idV] : {std::tuple<const char*, int, int>{"offset", 1000, 1001},
                                   std::tuple<const char*, int, int>{"length", 1002, 1003}}) {
        if (const json* x = f.get(key)) {
          const std::string p = f.placeOf(key);
          if (!x->is_array() || x->size() != 2) fail(p, "must be an array of two numbers");
          ParamRecord u;
          u.id = idU;
          u.place = p + "[0]";
          u.kind = ValueKind::Float;
          u.real = number((*x)[0], u.place);
          ParamRecord w = u;
          w.id = idV;
          w.place = p + "[1]";
          w.real = number((*x)[1], w.place);
          addParam(t.params, u);
          addParam(t.params, w);
        }
      }
      boolField(f, "tile", 1007, t.params);
      boolField(f, "seamless", 1008, t.params);
      vectorField(f, "position", 1011, t.params);
      vectorField(f, "size", 1012, t.params);
      vectorField(f, "rotation", 1013, t.params);
      break;
    }
    case kHairMaterialTag:
      linkField(f, "material", 1000, IdKind::Material, t.params);
      break;
    case kPhongTag:
      boolField(f, "angleLimit", 1001, t.params);
      floatField(f, "angle", 1002, t.params);
      boolField(f, "useEdges", 1003, t.params);
      break;
    case kUvwTag:
      if (const json* x = f.get("uvw")) corners(*x, f.placeOf("uvw"), owner, "UVW", false, t);
      break;
    case kNormalTag:
      if (const json* x = f.get("normals"))
        corners(*x, f.placeOf("normals"), owner, "normal", true, t);
      break;
    case kPolygonSelectionTag:
      if (const json* x = f.get("polygons")) {
        const std::string p = f.placeOf("polygons");
        array(*x, p);
        for (std::size_t i = 0; i < x->size(); ++i) {
          const std::int32_t idx = integer((*x)[i], p + "[" + std::to_string(i) + "]");
          if (idx < 0 || static_cast<std::size_t>(idx) >= owner.polygons.size()) {
            fail(p + "[" + std::to_string(i) + "]", "selects polygon " + std::to_string(idx) +
                                                        ", but the object has " +
                                                        count(owner.polygons.size(), "polygon"));
          }
          t.selection.push_back(idx);
        }
      }
      break;
    default:
      break;
  }
  // A UVW or normal tag without data must still match the polygons (it holds one entry each).
  if ((t.type == kUvwTag || t.type == kNormalTag) && t.corners.empty() && !owner.polygons.empty()) {
    fail(place, std::string("needs \"") + (t.type == kUvwTag ? "uvw" : "normals") +
                    "\" with one entry per polygon (the object has " +
                    count(owner.polygons.size(), "polygon") + ")");
  }
  params(f, t.params);
  f.done();
  return t;
}

TrackRecord Parser::track(const json& v, const std::string& place) {
  constexpr std::int32_t kDtypeReal = 19;
  constexpr std::int32_t kDtypeVector = 23;
  Fields f(*this, v, place);
  TrackRecord t;
  t.place = place;
  const json* param = f.get("param");
  const json* desc = f.get("descId");
  if ((param == nullptr) == (desc == nullptr))
    fail(place, "a track needs either \"param\" (as \"position.x\") or \"descId\"");
  if (param != nullptr) {
    const std::string p = f.placeOf("param");
    const std::string s = string(*param, p);
    const auto dot = s.find('.');
    const std::string head = s.substr(0, dot);
    const std::string tail = dot == std::string::npos ? "" : s.substr(dot + 1);
    std::int32_t first = head == "position"   ? 903
                         : head == "rotation" ? 904
                         : head == "scale"    ? 905
                                              : 0;
    std::int32_t second = tail == "x" || tail == "h"   ? 1000
                          : tail == "y" || tail == "p" ? 1001
                          : tail == "z" || tail == "b" ? 1002
                                                       : 0;
    if (first == 0 || second == 0)
      fail(p, "unknown parameter " + inQuotes(s) +
                  " (known: position.x/y/z, rotation.h/p/b, scale.x/y/z; others by \"descId\")");
    t.descId = {{first, kDtypeVector}, {second, kDtypeReal}};
  } else {
    const std::string p = f.placeOf("descId");
    array(*desc, p);
    if (desc->empty() || desc->size() > 3) fail(p, "a description id has one to three levels");
    for (std::size_t i = 0; i < desc->size(); ++i) {
      const std::string lp = p + "[" + std::to_string(i) + "]";
      const json& l = (*desc)[i];
      DescLevelRecord level;
      if (l.is_array()) {
        if (l.size() != 2) fail(lp, "a level is an id or an array [id, data type]");
        level.id = integer(l[0], lp + "[0]");
        level.dtype = integer(l[1], lp + "[1]");
      } else {
        level.id = integer(l, lp);
        const bool vectorParam = i == 0 && desc->size() > 1 && level.id >= 903 && level.id <= 905;
        level.dtype = vectorParam ? kDtypeVector : kDtypeReal;
      }
      t.descId.push_back(level);
    }
  }
  if (const json* x = f.get("name")) t.name = string(*x, f.placeOf("name"));
  if (const json* x = f.get("enabled")) t.enabled = boolean(*x, f.placeOf("enabled"));
  if (const json* ks = f.get("keys")) {
    const std::string kplace = f.placeOf("keys");
    array(*ks, kplace);
    for (std::size_t i = 0; i < ks->size(); ++i) {
      const std::string p = kplace + "[" + std::to_string(i) + "]";
      const json& k = (*ks)[i];
      KeyRecord key;
      if (k.is_array()) {
        if (k.size() != 2) fail(p, "a key is [time, value] or an object");
        key.time = number(k[0], p + "[0]");
        key.value = number(k[1], p + "[1]");
      } else {
        Fields kf(*this, k, p);
        const json* time = kf.get("time");
        const json* value = kf.get("value");
        if (time == nullptr || value == nullptr) fail(p, "a key needs \"time\" and \"value\"");
        key.time = number(*time, kf.placeOf("time"));
        key.value = number(*value, kf.placeOf("value"));
        if (const json* in = kf.get("interpolation")) {
          const std::string s = string(*in, kf.placeOf("interpolation"));
          if (s == "linear") {
            key.interpolation = KeyInterpolation::Linear;
          } else if (s == "step") {
            key.interpolation = KeyInterpolation::Step;
          } else if (s == "spline") {
            key.interpolation = KeyInterpolation::Spline;
          } else {
            fail(kf.placeOf("interpolation"),
                 "unknown interpolation " + inQuotes(s) + " (known: linear, step, spline)");
          }
        }
        kf.done();
      }
      // The host keeps times in whole milliseconds: two keys must differ by at least one.
      auto ms = [](double seconds) { return std::floor(seconds * 1000.0 + 0.5); };
      if (!t.keys.empty() && ms(key.time) <= ms(t.keys.back().time)) {
        const double before = t.keys.back().time;
        fail(p, "key " + std::to_string(i) + " at " + fmtNumber(key.time) +
                    " s does not come after the key before it at " + fmtNumber(before) + " s" +
                    (key.time > before ? "; key times count in whole milliseconds" : ""));
      }
      t.keys.push_back(key);
    }
  }
  params(f, t.params);
  f.done();
  return t;
}

ObjectRecord Parser::object(const json& v, const std::string& place, int depth) {
  if (depth > kMaxObjectDepth)
    fail(place, "objects nest deeper than " + std::to_string(kMaxObjectDepth) + " levels");
  Fields f(*this, v, place);
  ObjectRecord o;
  o.place = place;
  takeId(f, IdKind::Object, o.id);
  o.type = kindOf(f, "object", kObjectKinds);
  if (const json* x = f.get("name")) o.name = string(*x, f.placeOf("name"));
  if (const json* x = f.get("position")) o.position = vec3(*x, f.placeOf("position"));
  if (const json* x = f.get("rotation")) o.rotation = vec3(*x, f.placeOf("rotation"));
  if (const json* x = f.get("scale")) o.scale = vec3(*x, f.placeOf("scale"));
  if (const json* x = f.get("rotationOrder")) {
    const std::string p = f.placeOf("rotationOrder");
    if (x->is_string()) {
      const KindName* k = findKind(kRotationOrders, x->get<std::string>());
      if (k == nullptr)
        fail(p, "unknown rotation order " + inQuotes(x->get<std::string>()) +
                    " (known: " + kindList(kRotationOrders) + ")");
      o.rotationOrder = k->type;
    } else {
      o.rotationOrder = integer(*x, p);
      if (o.rotationOrder < 0 || o.rotationOrder > 6) fail(p, "a rotation order is 0 to 6");
    }
  }
  if (const json* x = f.get("bits")) o.bits = integer(*x, f.placeOf("bits"));
  if (const json* x = f.get("layer")) {
    const std::string p = f.placeOf("layer");
    o.layer = string(*x, p);
    reference(o.layer, p, {IdKind::Layer}, "a layer");
  }
  params(f, o.params);

  const json* points = f.get("points");
  const json* polys = f.get("polygons");
  if ((points != nullptr || polys != nullptr) && o.type != kPolygonObject) {
    fail(f.placeOf(points != nullptr ? "points" : "polygons"),
         "only a polygon object (type 5100) has points and polygons, not type " +
             std::to_string(o.type));
  }
  if (points != nullptr) {
    const std::string p = f.placeOf("points");
    array(*points, p);
    o.points.reserve(points->size());
    for (std::size_t i = 0; i < points->size(); ++i) o.points.push_back(vec3At(*points, i, p));
  }
  if (polys != nullptr) polygons(*polys, f.placeOf("polygons"), o);
  if (const json* x = f.get("strands")) {
    if (o.type != kHairObject)
      fail(f.placeOf("strands"),
           "only a hair object (type 1017305) has strands, not type " + std::to_string(o.type));
    strands(*x, f.placeOf("strands"), o);
  }
  if (const json* ts = f.get("tags")) {
    const std::string p = f.placeOf("tags");
    array(*ts, p);
    for (std::size_t i = 0; i < ts->size(); ++i)
      o.tags.push_back(tag((*ts)[i], p + "[" + std::to_string(i) + "]", o));
  }
  if (const json* ts = f.get("tracks")) {
    const std::string p = f.placeOf("tracks");
    array(*ts, p);
    for (std::size_t i = 0; i < ts->size(); ++i)
      o.tracks.push_back(track((*ts)[i], p + "[" + std::to_string(i) + "]"));
  }
  if (const json* cs = f.get("cache")) {
    const std::string p = f.placeOf("cache");
    array(*cs, p);
    for (std::size_t i = 0; i < cs->size(); ++i)
      o.cache.push_back(object((*cs)[i], p + "[" + std::to_string(i) + "]", depth + 1));
  }
  if (const json* dc = f.get("deformCache")) {
    const std::string p = f.placeOf("deformCache");
    o.deformCache.push_back(object(*dc, p, depth + 1));
    if (o.deformCache.front().type != kPolygonObject) {
      fail(p, "a deform cache is a polygon object (type 5100), not type " +
                  std::to_string(o.deformCache.front().type));
    }
  }
  if (const json* cs = f.get("children")) {
    const std::string p = f.placeOf("children");
    array(*cs, p);
    for (std::size_t i = 0; i < cs->size(); ++i)
      o.children.push_back(object((*cs)[i], p + "[" + std::to_string(i) + "]", depth + 1));
  }
  f.done();
  return o;
}

void Parser::resolveReferences() const {
  for (const Reference& r : references_) {
    auto it = ids_.find(r.id);
    if (it == ids_.end()) {
      fail(r.place, "nothing has the id " + inQuotes(r.id) +
                        (r.allowed.empty() ? std::string() : std::string(" (") + r.wanted + ")"));
    }
    if (!r.allowed.empty() &&
        std::find(r.allowed.begin(), r.allowed.end(), it->second.kind) == r.allowed.end()) {
      fail(r.place, inQuotes(r.id) + " is " + idKindName(it->second.kind) + " (" +
                        it->second.place + "), not " + r.wanted);
    }
  }
}

DocumentRecord Parser::run(std::string_view text) {
  checkDepth(text);
  json root;
  // "line L, column C" of a byte offset.
  auto position = [&](std::size_t offset) {
    std::size_t line = 1;
    std::size_t column = 1;
    for (std::size_t i = 0; i < std::min(offset, text.size()); ++i) {
      if (text[i] == '\n') {
        ++line;
        column = 1;
      } else {
        ++column;
      }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
  };
  try {
    DuplicateKeyCheck check(*this);
    root = json::parse(text.begin(), text.end(),
                       [&check](int depth, json::parse_event_t event, json& parsed) {
                         return check(depth, event, parsed);
                       });
  } catch (const json::parse_error& e) {
    // The library counts the failing byte itself; report the position of that byte.
    std::string reason = e.what();
    const auto colon = reason.find(": ", reason.find("column"));
    if (colon != std::string::npos) reason = reason.substr(colon + 2);
    fail(position(e.byte == 0 ? 0 : e.byte - 1), reason);
  } catch (const json::out_of_range& e) {
    // A number too large for a double; the library names the literal but not its place.
    std::string literal = e.what();
    const auto open = literal.find('\'');
    const auto close = literal.rfind('\'');
    literal = open != std::string::npos && close > open ? literal.substr(open + 1, close - open - 1)
                                                        : std::string();
    const auto at = literal.empty() ? std::string_view::npos : text.find(literal);
    fail(at == std::string_view::npos ? std::string("text") : position(at),
         "the number " + literal + " is too large");
  }

  Fields f(*this, root, "document");
  const json* version = f.get("version");
  if (version == nullptr) fail("document", "needs \"version\": " + std::to_string(kFormatVersion));
  if (!version->is_number_integer() || version->get<std::int64_t>() != kFormatVersion) {
    fail("version", "this reader understands version " + std::to_string(kFormatVersion) + ", not " +
                        version->dump());
  }
  DocumentRecord doc;
  if (const json* x = f.get("name")) doc.name = string(*x, "name");
  if (const json* x = f.get("folder")) {
    const std::string folder = string(*x, "folder");
    if (!folder.empty()) {
      std::filesystem::path path(folder);
      if (path.is_relative() && !options_.baseFolder.empty())
        path = std::filesystem::path(options_.baseFolder) / path;
      std::string resolved = path.lexically_normal().string();
      while (resolved.size() > 1 && resolved.back() == '/') resolved.pop_back();
      doc.folder = resolved;
    }
  }
  if (const json* x = f.get("fps")) {
    doc.fps = integer(*x, "fps");
    if (doc.fps <= 0) fail("fps", "the frame rate is at least 1");
  }
  if (const json* x = f.get("minTime")) doc.minTime = number(*x, "minTime");
  if (const json* x = f.get("maxTime")) doc.maxTime = number(*x, "maxTime");
  if (doc.maxTime < doc.minTime) {
    fail("maxTime", "the time range ends at " + fmtNumber(doc.maxTime) +
                        " s, before it starts at " + fmtNumber(doc.minTime) + " s");
  }
  doc.time = doc.minTime;
  if (const json* x = f.get("time")) doc.time = number(*x, "time");

  if (const json* ls = f.get("layers")) {
    array(*ls, "layers");
    for (std::size_t i = 0; i < ls->size(); ++i)
      doc.layers.push_back(layer((*ls)[i], "layers[" + std::to_string(i) + "]"));
  }
  if (const json* ms = f.get("materials")) {
    array(*ms, "materials");
    for (std::size_t i = 0; i < ms->size(); ++i)
      doc.materials.push_back(material((*ms)[i], "materials[" + std::to_string(i) + "]"));
  }
  if (const json* os = f.get("objects")) {
    array(*os, "objects");
    for (std::size_t i = 0; i < os->size(); ++i)
      doc.objects.push_back(object((*os)[i], "objects[" + std::to_string(i) + "]", 1));
  }
  if (const json* sel = f.get("selection")) {
    array(*sel, "selection");
    for (std::size_t i = 0; i < sel->size(); ++i) {
      const std::string p = "selection[" + std::to_string(i) + "]";
      doc.selection.push_back(string((*sel)[i], p));
      references_.push_back(Reference{doc.selection.back(),
                                      p,
                                      {IdKind::Object, IdKind::Tag, IdKind::Material},
                                      "an object, a tag or a material"});
    }
  }
  f.done();
  resolveReferences();
  return doc;
}

}  // namespace

DocumentError::DocumentError(std::string source, std::string place, std::string message)
    : std::runtime_error(source + ": " + place + ": " + message),
      source_(std::move(source)),
      place_(std::move(place)),
      message_(std::move(message)) {}

DocumentRecord parseDocument(std::string_view json, std::string_view sourceName,
                             const ParseOptions& options) {
  Parser parser{std::string(sourceName), options};
  return parser.run(json);
}

}  // namespace c4ddoc
