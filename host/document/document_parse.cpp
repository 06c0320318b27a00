// Parsing and checking a document file into DocumentRecord. Nothing here touches the model.
//
// The text is read in one pass with simdjson's On-Demand parser, straight into the records.
// The place of the current value is kept as a stack of path segments and written out only
// for a fault or for a record that keeps its place. Whenever anything is wrong, the whole
// text is checked once more as JSON (document_text_check.h), so that a fault of the text
// itself (syntax, a field given twice, a number too large, nesting, a NUL byte) is reported
// before any fault of the content, wherever it lies.
#include "document_content.h"

#include "document_messages.h"
#include "document_reader.h"
#include "document_text.h"
#include "document_text_check.h"

#include <simdjson.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <unordered_map>
#include <utility>

namespace c4ddoc {
namespace {

namespace od = simdjson::ondemand;

static_assert(kTextPadding >= simdjson::SIMDJSON_PADDING,
              "the parser reads this far past the text");

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
constexpr KindName kChannelNames[] = {
    {"color", 0},       {"luminance", 1},     {"transparency", 2}, {"reflection", 3},
    {"environment", 4}, {"fog", 5},           {"bump", 6},         {"alpha", 7},
    {"specular", 8},    {"specularColor", 9}, {"glow", 10},        {"displacement", 11},
    {"diffusion", 12},  {"normal", 13},
};
constexpr KindName kLayerSwitches[] = {
    {"solo", 1000},      {"view", 1001},       {"render", 1002},    {"manager", 1003},
    {"locked", 1004},    {"generators", 1005}, {"deformers", 1006}, {"expressions", 1007},
    {"animation", 1008}, {"xref", 1010},
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

// ---------------------------------------------------------------------------------------
// Faults and places

// A fault of the content at a place of the document.
struct ContentFault {
  std::string place;
  std::string message;
};
// The JSON parser refused the text; the check of the text names the place and the reason.
struct SyntaxFault {
  simdjson::error_code code;
  std::size_t offset;  // where the parser stood, or npos
};

const char kWholeNumber[] = "must be a whole number from -2147483648 to 2147483647";
const char kThreeNumbers[] = "must be an array of three numbers";

// The place of the current value as segments: "objects", [2], "tags", [0], ...
class Path {
 public:
  void push(std::string_view key) { segments_.push_back({key, 0, true}); }
  void pushIndex(std::size_t i) { segments_.push_back({{}, i, false}); }
  void setIndex(std::size_t i) { segments_.back().index = i; }
  void pop() { segments_.pop_back(); }
  std::size_t depth() const { return segments_.size(); }

  // The place of the first `depth` segments, as messages write it.
  std::string str(std::size_t depth) const {
    std::string out;
    for (std::size_t i = 0; i < depth; ++i) {
      const Segment& s = segments_[i];
      if (s.isKey) {
        if (!out.empty()) out += '.';
        out += excerpt(s.key);
      } else {
        out += '[' + std::to_string(s.index) + ']';
      }
    }
    return out.empty() ? std::string("document") : out;
  }
  std::string str() const { return str(segments_.size()); }

 private:
  struct Segment {
    std::string_view key;  // a key of the text: valid while the parser lives
    std::size_t index;
    bool isKey;
  };
  std::vector<Segment> segments_;
};

// A key on the path for the lifetime of the scope.
class InKey {
 public:
  InKey(Path& path, std::string_view key) : path_(path) { path_.push(key); }
  ~InKey() { path_.pop(); }
  InKey(const InKey&) = delete;
  InKey& operator=(const InKey&) = delete;

 private:
  Path& path_;
};

// An array element on the path; set() moves it to the next element.
class InElement {
 public:
  explicit InElement(Path& path, std::size_t i = 0) : path_(path) { path_.pushIndex(i); }
  ~InElement() { path_.pop(); }
  InElement(const InElement&) = delete;
  InElement& operator=(const InElement&) = delete;
  void set(std::size_t i) { path_.setIndex(i); }

 private:
  Path& path_;
};

// ---------------------------------------------------------------------------------------
// The parser

class Parser;

// The fields of a JSON object that stands for a record. The record's handler takes each field
// as it comes in the text; a field that needs another one first (polygons need the points,
// most fields need the "type") is left for a later round over the object, once every field
// is known to be there or not. A field given twice is refused at once; an unknown field once
// every known field is taken, as its other faults come first.
class Record {
 public:
  enum Result { Taken, Later };
  using Field = int;

  template <std::size_t N>
  Record(Parser& parser, od::value& value, const std::string_view (&names)[N]);

  // Offers the fields to take(field, value) until each is taken.
  template <typename Take>
  void each(Take&& take);

  bool has(Field f) const { return (present_ >> f) & 1u; }
  bool taken(Field f) const { return (taken_ >> f) & 1u; }
  // Taken, or known to be absent.
  bool ready(Field f) const { return taken(f) || (complete_ && !has(f)); }
  // A field that this kind of record (given its type) does not have.
  Result unknown(Field f);
  std::string place() const;
  void done();

 private:
  Parser& parser_;
  od::object object_;
  const char* start_;  // where the object begins in the text, to read it again
  const std::string_view* names_;
  int count_;
  std::size_t depth_;
  std::uint64_t present_ = 0;
  std::uint64_t taken_ = 0;
  bool complete_ = false;
  std::string unknown_;
  bool hasUnknown_ = false;
};

// Parameters of a record, from named fields and from "params", checked for a parameter given
// twice once all are known: the named fields count as given first.
class ParamList {
 public:
  void named(ParamRecord p) { named_.push_back(std::move(p)); }
  void param(ParamRecord p) { params_.push_back(std::move(p)); }
  void finish(const Parser& parser, std::vector<ParamRecord>& out);

 private:
  std::vector<ParamRecord> named_;
  std::vector<ParamRecord> params_;
};

class Parser {
 public:
  Parser(std::string source, ParseOptions options)
      : source_(std::move(source)), options_(std::move(options)) {}

  DocumentRecord run(DocumentText& text);

  [[noreturn]] void fail(const std::string& message) const {
    throw ContentFault{path_.str(), message};
  }
  [[noreturn]] void failAt(std::string place, const std::string& message) const {
    throw ContentFault{std::move(place), message};
  }
  template <typename T>
  T take(simdjson::simdjson_result<T>&& result) {
    T out;
    if (const simdjson::error_code e = std::move(result).get(out)) refuse(e);
    return out;
  }
  void check(simdjson::error_code e) {
    if (e) refuse(e);
  }
  [[noreturn]] void refuse(simdjson::error_code e) {
    const char* at = nullptr;
    const bool located = doc_ != nullptr && !doc_->current_location().get(at);
    throw SyntaxFault{
        e, located ? static_cast<std::size_t>(at - text_->view().data()) : std::string_view::npos};
  }
  Path& path() { return path_; }
  const Path& path() const { return path_; }
  // Where the parser stands in the text, or null at its end.
  const char* location() {
    const char* at = nullptr;
    return doc_->current_location().get(at) ? nullptr : at;
  }
  // The text from `from` on is read again: its pages must be there.
  void restoreFrom(const char* from) {
    if (from != nullptr) text_->restoreFrom(withMargin(from));
  }
  od::json_type typeOf(od::value& v) { return take(v.type()); }

  // Value readers; each refuses a value of the wrong kind at the current place.
  double number(od::value& v);
  std::int32_t integer(od::value& v);
  bool boolean(od::value& v);
  std::string_view string(od::value& v);
  Vec3 vec3(od::value& v);
  od::array array(od::value& v);
  // Calls f(element, index) for every element of the array v, each at its own place.
  template <typename F>
  void elements(od::value& v, F&& f) {
    od::array a = array(v);
    InElement in(path_);
    std::size_t i = 0;
    for (auto element : a) {
      in.set(i);
      od::value x = take(std::move(element));
      f(x, i++);
    }
  }

 private:
  // Up to N numbers of a small array into out. Returns the element count, or -1 when v is
  // not an array or an element is not a plain number; then `a` (if set) is the array, for a
  // slower reading that names the fault.
  template <int N>
  int numbers(od::value& v, double (&out)[N], od::array& a, bool& isArray);
  std::size_t countOf(od::array& a) { return take(a.count_elements()); }
  // In the long arrays of geometry: the text before element i is never read again, except
  // by a record that goes back over its fields (restoreFrom). Checked every few elements.
  void passed(std::size_t i) {
    if (i % 1024 != 0) return;
    if (const char* at = location()) text_->release(withMargin(at));
  }
  // A little before `at`, for the token the parser has just begun there.
  const char* withMargin(const char* at) const {
    return at - std::min<std::ptrdiff_t>(64, at - text_->view().data());
  }

  void takeId(od::value& v, IdKind kind, std::string& out, std::string recordPlace);
  template <std::size_t N>
  std::int32_t kindOf(od::value& v, const char* what, const KindName (&table)[N]);
  void reference(std::string id, std::string place, std::vector<IdKind> allowed,
                 const char* wanted) {
    references_.push_back(Reference{std::move(id), std::move(place), std::move(allowed), wanted});
  }

  void params(od::value& v, ParamList& out);
  ParamRecord paramValue(od::value& v, std::int32_t id);
  void typedValue(od::value& x, std::string_view kind, ParamRecord& p);
  GradientRecord gradient(od::value& v);
  // A named field that stands for a parameter of the given kind; `linkKind` for a link.
  void namedParam(od::value& v, std::int32_t id, ValueKind kind, ParamList& out,
                  std::optional<IdKind> linkKind = std::nullopt);

  LayerRecord layer(od::value& v);
  MaterialRecord material(od::value& v);
  ShaderRecord shader(od::value& v, int depth);
  ObjectRecord object(od::value& v, int depth);
  TagRecord tag(od::value& v, const ObjectRecord& owner);
  TrackRecord track(od::value& v);
  KeyRecord key(od::value& v, std::size_t i, const std::vector<KeyRecord>& before);
  void points(od::value& v, ObjectRecord& obj);
  void polygons(od::value& v, ObjectRecord& obj);
  void polygonSlowly(od::array& poly, std::size_t i, std::int64_t pointCount);
  void strands(od::value& v, ObjectRecord& obj);
  void corners(od::value& v, const ObjectRecord& owner, const char* what, bool normals,
               TagRecord& tag);
  CornerRecord cornerEntry(od::value& e, std::size_t i, const PolygonRecord& poly, const char* what,
                           bool normals);
  void resolveReferences() const;

  std::string source_;
  ParseOptions options_;
  od::document* doc_ = nullptr;
  DocumentText* text_ = nullptr;
  Path path_;
  std::unordered_map<std::string, IdEntry> ids_;
  std::vector<Reference> references_;
};

template <std::size_t N>
Record::Record(Parser& parser, od::value& value, const std::string_view (&names)[N])
    : parser_(parser),
      start_(parser.location()),
      names_(names),
      count_(static_cast<int>(N)),
      depth_(parser.path().depth()) {
  static_assert(N <= 64, "fields are kept in a 64-bit mask");
  if (parser.typeOf(value) != od::json_type::object) parser.fail("must be a JSON object");
  object_ = parser.take(value.get_object());
}

template <typename Take>
void Record::each(Take&& take) {
  for (int round = 0;; ++round) {
    bool left = false;
    bool progress = false;
    if (round > 0) {
      parser_.restoreFrom(start_);
      parser_.check(object_.reset().error());
    }
    for (auto result : object_) {
      od::field field = parser_.take(std::move(result));
      const std::string_view key = parser_.take(field.unescaped_key());
      Field f = -1;
      for (int i = 0; i < count_; ++i) {
        if (names_[i] == key) {
          f = i;
          break;
        }
      }
      if (round == 0) {
        if (f < 0) {
          if (!hasUnknown_) unknown_ = std::string(key);
          hasUnknown_ = true;
          continue;
        }
        if (has(f)) {
          parser_.failAt(place(), "the field " + inQuotes(key) + " is given twice");
        }
        present_ |= std::uint64_t{1} << f;
      }
      if (f < 0 || taken(f)) continue;
      InKey in(parser_.path(), names_[f]);
      if (take(f, field.value()) == Taken) {
        taken_ |= std::uint64_t{1} << f;
        progress = true;
      } else {
        left = true;
      }
    }
    complete_ = true;
    if (!left) return;
    // Every field is known after the first round, so each later one takes at least one more.
    if (round > 0 && !progress) parser_.failAt(place(), "fields that wait for each other");
  }
}

Record::Result Record::unknown(Field f) {
  if (!hasUnknown_) unknown_ = std::string(names_[f]);
  hasUnknown_ = true;
  return Taken;
}

std::string Record::place() const { return parser_.path().str(depth_); }

void Record::done() {
  if (hasUnknown_) parser_.failAt(place(), "unknown field " + inQuotes(unknown_));
}

void ParamList::finish(const Parser& parser, std::vector<ParamRecord>& out) {
  out = std::move(named_);
  out.insert(out.end(), std::make_move_iterator(params_.begin()),
             std::make_move_iterator(params_.end()));
  // Parameters are few per record; a hash only for records with many.
  std::unordered_map<std::int32_t, std::size_t> seen;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const ParamRecord& p = out[i];
    std::size_t earlier = i;
    if (out.size() <= 16) {
      for (std::size_t k = 0; k < i && earlier == i; ++k) {
        if (out[k].id == p.id) earlier = k;
      }
    } else if (auto [it, inserted] = seen.emplace(p.id, i); !inserted) {
      earlier = it->second;
    }
    if (earlier != i) {
      parser.failAt(p.place, "parameter " + std::to_string(p.id) + " is already given at " +
                                 out[earlier].place);
    }
  }
}

// ---------------------------------------------------------------------------------------
// Values

double Parser::number(od::value& v) {
  if (typeOf(v) != od::json_type::number) fail("must be a number");
  // A number the parser cannot read is too large; the check of the text says so.
  return take(v.get_double());
}

std::int32_t Parser::integer(od::value& v) {
  constexpr double lo = std::numeric_limits<std::int32_t>::min();
  constexpr double hi = std::numeric_limits<std::int32_t>::max();
  if (typeOf(v) != od::json_type::number) fail(kWholeNumber);
  od::number_type type{};
  if (v.get_number_type().get(type)) fail(kWholeNumber);
  if (type == od::number_type::signed_integer) {
    std::int64_t i = 0;
    if (!v.get_int64().get(i) && i >= lo && i <= hi) return static_cast<std::int32_t>(i);
  } else if (type == od::number_type::floating_point_number) {
    const double d = take(v.get_double());
    if (d == std::floor(d) && d >= lo && d <= hi) return static_cast<std::int32_t>(d);
  }
  fail(kWholeNumber);
}

bool Parser::boolean(od::value& v) {
  if (typeOf(v) != od::json_type::boolean) fail("must be true or false");
  return take(v.get_bool());
}

// The text stays valid while the parser lives.
std::string_view Parser::string(od::value& v) {
  if (typeOf(v) != od::json_type::string) fail("must be a string");
  const std::string_view s = take(v.get_string());
  // Names and ids end at a NUL character in the host; one would cut them silently.
  if (std::memchr(s.data(), '\0', s.size()) != nullptr)
    fail("must not contain the character U+0000 (\\u0000)");
  return s;
}

od::array Parser::array(od::value& v) {
  if (typeOf(v) != od::json_type::array) fail("must be an array");
  return take(v.get_array());
}

template <int N>
int Parser::numbers(od::value& v, double (&out)[N], od::array& a, bool& isArray) {
  isArray = false;
  if (v.get_array().get(a)) return -1;
  isArray = true;
  int n = 0;
  bool plain = true;
  for (auto element : a) {
    od::value x = take(std::move(element));
    if (n < N && x.get_double().get(out[n])) plain = false;
    ++n;
  }
  return plain ? n : -1;
}

Vec3 Parser::vec3(od::value& v) {
  double c[3];
  od::array a;
  bool isArray = false;
  const int n = numbers(v, c, a, isArray);
  if (n == 3) return Vec3{c[0], c[1], c[2]};
  if (!isArray || n >= 0) fail(kThreeNumbers);
  // An element is not a plain number: name it.
  check(a.reset().error());
  if (countOf(a) != 3) fail(kThreeNumbers);
  InElement in(path_);
  std::size_t i = 0;
  for (auto element : a) {
    in.set(i);
    od::value x = take(std::move(element));
    c[i++] = number(x);
  }
  return Vec3{c[0], c[1], c[2]};
}

void Parser::takeId(od::value& v, IdKind kind, std::string& out, std::string recordPlace) {
  out = std::string(string(v));
  if (out.empty()) fail("must not be empty");
  auto [it, inserted] = ids_.emplace(out, IdEntry{kind, std::move(recordPlace)});
  if (!inserted) fail(inQuotes(out) + " is already the id of " + it->second.place);
}

// A kind name of the table or a positive type id.
template <std::size_t N>
std::int32_t Parser::kindOf(od::value& v, const char* what, const KindName (&table)[N]) {
  const od::json_type type = typeOf(v);
  if (type == od::json_type::string) {
    const std::string_view name = string(v);
    if (const KindName* k = findKind(table, name)) return k->type;
    fail("unknown " + std::string(what) + " kind " + inQuotes(name) +
         " (known: " + kindList(table) + "; other kinds by their type id)");
  }
  if (type != od::json_type::number) fail("must be a kind name or a type id");
  const std::int32_t id = integer(v);
  if (id <= 0) fail("a type id is a positive number");
  return id;
}

// ---------------------------------------------------------------------------------------
// Parameters

GradientRecord Parser::gradient(od::value& v) {
  static constexpr std::string_view kFields[] = {"mode", "knots"};
  static constexpr std::string_view kKnotFields[] = {"color", "brightness", "position",
                                                     "bias",  "index",      "interpolation"};
  GradientRecord g;
  Record r(*this, v, kFields);
  r.each([&](Record::Field f, od::value& x) {
    if (f == 0) {
      g.mode = integer(x);
      return Record::Taken;
    }
    od::array knots = array(x);
    InElement in(path_);
    std::size_t i = 0;
    for (auto element : knots) {
      in.set(i++);
      od::value kv = take(std::move(element));
      GradientKnotRecord knot;
      Record k(*this, kv, kKnotFields);
      k.each([&](Record::Field kf, od::value& y) {
        switch (kf) {
          case 0:
            knot.color = vec3(y);
            break;
          case 1:
            knot.brightness = number(y);
            break;
          case 2:
            knot.position = number(y);
            break;
          case 3:
            knot.bias = number(y);
            break;
          case 4:
            knot.index = integer(y);
            break;
          default:
            knot.interpolation = integer(y);
        }
        return Record::Taken;
      });
      k.done();
      g.knots.push_back(knot);
    }
    return Record::Taken;
  });
  r.done();
  return g;
}

ParamRecord Parser::paramValue(od::value& v, std::int32_t id) {
  ParamRecord p;
  p.id = id;
  p.place = path_.str();
  switch (typeOf(v)) {
    case od::json_type::boolean:
      p.kind = ValueKind::Bool;
      p.flag = boolean(v);
      return p;
    case od::json_type::string:
      p.kind = ValueKind::String;
      p.text = std::string(string(v));
      return p;
    case od::json_type::array:
      p.kind = ValueKind::Vector;
      p.vector = vec3(v);
      return p;
    case od::json_type::number: {
      od::number_type type{};
      check(v.get_number_type().get(type));
      const double d = number(v);
      const std::string n = fmtNumber(d);
      fail(type == od::number_type::floating_point_number && d != std::floor(d)
               ? "a number needs its kind, as {\"float\": " + n + "}"
               : "a number needs its kind, as {\"int\": " + n + "} or {\"float\": " + n + "}");
    }
    default:
      break;
  }
  const char* kShapes =
      "must be true, false, a string, three numbers, or one of {\"int\": ...}, "
      "{\"float\": ...}, {\"bool\": ...}, {\"vector\": ...}, {\"string\": ...}, "
      "{\"file\": ...}, {\"link\": ...}, {\"gradient\": ...}";
  if (typeOf(v) != od::json_type::object) fail(kShapes);
  od::object o = take(v.get_object());
  if (take(o.count_fields()) != 1) fail(kShapes);
  for (auto result : o) {
    od::field field = take(std::move(result));
    const std::string_view kind = take(field.unescaped_key());
    InKey in(path_, kind);
    typedValue(field.value(), kind, p);
  }
  return p;
}

// The value of {"int": 2}, {"link": "id"}, ... into p.
void Parser::typedValue(od::value& x, std::string_view kind, ParamRecord& p) {
  if (kind == "int") {
    p.kind = ValueKind::Int;
    p.integer = integer(x);
  } else if (kind == "float") {
    p.kind = ValueKind::Float;
    p.real = number(x);
  } else if (kind == "bool") {
    p.kind = ValueKind::Bool;
    p.flag = boolean(x);
  } else if (kind == "vector") {
    p.kind = ValueKind::Vector;
    p.vector = vec3(x);
  } else if (kind == "string" || kind == "file" || kind == "link") {
    p.kind = kind == "string" ? ValueKind::String
             : kind == "file" ? ValueKind::File
                              : ValueKind::Link;
    p.text = std::string(string(x));
    if (p.kind == ValueKind::Link) reference(p.text, path_.str(), {}, "anything");
  } else if (kind == "gradient") {
    p.kind = ValueKind::Gradient;
    p.gradient = gradient(x);
  } else {
    failAt(p.place, "unknown value kind " + inQuotes(kind) +
                        " (known: int, float, bool, vector, string, file, link, gradient)");
  }
}

void Parser::params(od::value& v, ParamList& out) {
  if (typeOf(v) != od::json_type::object) fail("must be a JSON object");
  od::object o = take(v.get_object());
  for (auto result : o) {
    od::field field = take(std::move(result));
    const std::string_view key = take(field.unescaped_key());
    InKey in(path_, key);
    std::int32_t id = 0;
    bool ok = !key.empty() && key.size() <= 10;
    for (std::size_t i = 0; ok && i < key.size(); ++i)
      ok = (key[i] >= '0' && key[i] <= '9') || (i == 0 && key[i] == '-' && key.size() > 1);
    if (ok) {
      const long long parsed = std::stoll(std::string(key));
      ok = parsed >= std::numeric_limits<std::int32_t>::min() &&
           parsed <= std::numeric_limits<std::int32_t>::max();
      id = static_cast<std::int32_t>(parsed);
    }
    if (!ok) fail("a parameter is named by its numeric id, not " + inQuotes(key));
    out.param(paramValue(field.value(), id));
  }
}

void Parser::namedParam(od::value& v, std::int32_t id, ValueKind kind, ParamList& out,
                        std::optional<IdKind> linkKind) {
  ParamRecord p;
  p.id = id;
  p.place = path_.str();
  p.kind = kind;
  switch (kind) {
    case ValueKind::Float:
      p.real = number(v);
      break;
    case ValueKind::Bool:
      p.flag = boolean(v);
      break;
    case ValueKind::Vector:
      p.vector = vec3(v);
      break;
    case ValueKind::Gradient:
      p.gradient = gradient(v);
      break;
    case ValueKind::Int:
      p.integer = integer(v);
      break;
    case ValueKind::String:
    case ValueKind::File:
    case ValueKind::Link:
      p.text = std::string(string(v));
      if (linkKind) reference(p.text, p.place, {*linkKind}, idKindName(*linkKind));
      break;
  }
  out.named(std::move(p));
}

// ---------------------------------------------------------------------------------------
// Layers, materials, shaders

LayerRecord Parser::layer(od::value& v) {
  static constexpr std::string_view kFields[] = {
      "id",      "name",   "params",     "color",     "solo",        "view",      "render",
      "manager", "locked", "generators", "deformers", "expressions", "animation", "xref"};
  LayerRecord l;
  ParamList params;
  Record r(*this, v, kFields);
  l.place = r.place();
  r.each([&](Record::Field f, od::value& x) {
    switch (f) {
      case 0:
        takeId(x, IdKind::Layer, l.id, l.place);
        break;
      case 1:
        l.name = std::string(string(x));
        break;
      case 2:
        this->params(x, params);
        break;
      case 3:
        namedParam(x, 1009, ValueKind::Vector, params);
        break;
      default:
        namedParam(x, findKind(kLayerSwitches, kFields[f])->type, ValueKind::Bool, params);
    }
    return Record::Taken;
  });
  params.finish(*this, l.params);
  r.done();
  return l;
}

ShaderRecord Parser::shader(od::value& v, int depth) {
  if (depth > kMaxObjectDepth)
    fail("shaders nest deeper than " + std::to_string(kMaxObjectDepth) + " levels");
  enum { kId, kType, kName, kParams, kShaders, kFile, kColor, kGradient };
  static constexpr std::string_view kFields[] = {"id",      "type", "name",  "params",
                                                 "shaders", "file", "color", "gradient"};
  ShaderRecord s;
  ParamList params;
  Record r(*this, v, kFields);
  s.place = r.place();
  r.each([&](Record::Field f, od::value& x) {
    if (f >= kFile && !r.ready(kType)) return Record::Later;
    switch (f) {
      case kId:
        takeId(x, IdKind::Shader, s.id, s.place);
        break;
      case kType:
        s.type = kindOf(x, "shader", kShaderKinds);
        break;
      case kName:
        s.name = std::string(string(x));
        break;
      case kParams:
        this->params(x, params);
        break;
      case kShaders:
        elements(x, [&](od::value& c, std::size_t) { s.children.push_back(shader(c, depth + 1)); });
        break;
      case kFile:
        if (s.type != kBitmapShader) return r.unknown(f);
        namedParam(x, 1000, ValueKind::File, params);
        break;
      case kColor:
        if (s.type != kColorShader) return r.unknown(f);
        namedParam(x, 1000, ValueKind::Vector, params);
        break;
      default:
        if (s.type != kGradientShader) return r.unknown(f);
        namedParam(x, 1007, ValueKind::Gradient, params);
    }
    return Record::Taken;
  });
  if (!r.taken(kType)) failAt(s.place, "needs a \"type\": a kind name or a type id");
  params.finish(*this, s.params);
  r.done();
  return s;
}

MaterialRecord Parser::material(od::value& v) {
  enum {
    kId,
    kType,
    kName,
    kParams,
    kShaders,
    kChannels,
    kColor,
    kBrightness,
    kSpecular,
    kRootThickness,
    kTipThickness,
    kGradient
  };
  static constexpr std::string_view kFields[] = {
      "id",    "type",       "name",     "params",        "shaders",      "channels",
      "color", "brightness", "specular", "rootThickness", "tipThickness", "gradient"};
  MaterialRecord m;
  m.type = kStandardMaterial;
  ParamList params;
  Record r(*this, v, kFields);
  m.place = r.place();
  r.each([&](Record::Field f, od::value& x) {
    if (f >= kChannels && !r.ready(kType)) return Record::Later;
    const bool standard = m.type == kStandardMaterial;
    const bool hair = m.type == kHairMaterial;
    switch (f) {
      case kId:
        takeId(x, IdKind::Material, m.id, m.place);
        break;
      case kType:
        m.type = kindOf(x, "material", kMaterialKinds);
        break;
      case kName:
        m.name = std::string(string(x));
        break;
      case kParams:
        this->params(x, params);
        break;
      case kShaders:
        elements(x, [&](od::value& s, std::size_t) { m.shaders.push_back(shader(s, 1)); });
        break;
      case kChannels: {
        if (!standard) {
          fail("only a standard material (type 5703) has channels, not type " +
               std::to_string(m.type));
        }
        od::array channels = array(x);
        m.hasChannels = true;
        InElement in(path_);
        std::size_t i = 0;
        for (auto element : channels) {
          in.set(i++);
          od::value c = take(std::move(element));
          std::int32_t channel = 0;
          if (typeOf(c) == od::json_type::string) {
            const std::string_view name = string(c);
            const KindName* k = findKind(kChannelNames, name);
            if (k == nullptr) {
              fail("unknown channel " + inQuotes(name) + " (known: " + kindList(kChannelNames) +
                   "; others by number)");
            }
            channel = k->type;
          } else {
            channel = integer(c);
            if (channel < 0) fail("a channel number is 0 or more");
          }
          m.channels.push_back(channel);
        }
        break;
      }
      case kColor:
      case kSpecular:
        if (!standard) return r.unknown(f);
        namedParam(x, f == kColor ? 2100 : 3100, ValueKind::Vector, params);
        break;
      case kBrightness:
        if (!standard) return r.unknown(f);
        namedParam(x, 2101, ValueKind::Float, params);
        break;
      case kRootThickness:
      case kTipThickness:
        if (!hair) return r.unknown(f);
        namedParam(x, f == kRootThickness ? 3009 : 3010, ValueKind::Float, params);
        break;
      default:
        if (!hair) return r.unknown(f);
        namedParam(x, 3139, ValueKind::Gradient, params);
    }
    return Record::Taken;
  });
  params.finish(*this, m.params);
  r.done();
  return m;
}

// ---------------------------------------------------------------------------------------
// Objects and their geometry

void Parser::points(od::value& v, ObjectRecord& obj) {
  od::array a = array(v);
  obj.points.reserve(countOf(a));
  InElement in(path_);
  std::size_t i = 0;
  for (auto element : a) {
    passed(i);
    in.set(i++);
    od::value p = take(std::move(element));
    obj.points.push_back(vec3(p));
  }
}

void Parser::polygons(od::value& v, ObjectRecord& obj) {
  od::array a = array(v);
  obj.polygons.reserve(countOf(a));
  const auto pointCount = static_cast<std::int64_t>(obj.points.size());
  InElement in(path_);
  std::size_t i = 0;
  for (auto element : a) {
    passed(i);
    in.set(i);
    od::value poly = take(std::move(element));
    double d[4];
    od::array corners;
    bool isArray = false;
    const int n = numbers(poly, d, corners, isArray);
    if (!isArray || (n >= 0 && (n < 3 || n > 4)))
      fail("a polygon is an array of three or four point indices");
    std::int32_t idx[4] = {0, 0, 0, 0};
    bool plain = n >= 0;
    for (int k = 0; plain && k < n; ++k) {
      // Whole numbers in range are the common case; the rest get the full check.
      plain = d[k] == std::floor(d[k]) && d[k] >= 0 && d[k] <= 2147483647.0;
      idx[k] = plain ? static_cast<std::int32_t>(d[k]) : 0;
      if (plain && idx[k] >= pointCount) {
        fail("polygon " + std::to_string(i) + " uses point " + std::to_string(idx[k]) +
             ", but the object has " + count(static_cast<std::size_t>(pointCount), "point"));
      }
    }
    if (!plain) polygonSlowly(corners, i, pointCount);
    obj.polygons.push_back(PolygonRecord{idx[0], idx[1], idx[2], n == 4 ? idx[3] : idx[2]});
    ++i;
  }
}

// A polygon whose indices are not all plain: the first fault, in the order of its indices.
void Parser::polygonSlowly(od::array& poly, std::size_t i, std::int64_t pointCount) {
  check(poly.reset().error());
  const std::size_t n = countOf(poly);
  if (n < 3 || n > 4) fail("a polygon is an array of three or four point indices");
  std::size_t k = 0;
  for (auto element : poly) {
    od::value x = take(std::move(element));
    std::int32_t idx = 0;
    {
      InElement in(path_, k++);
      idx = integer(x);
    }
    if (idx < 0 || idx >= pointCount) {
      fail("polygon " + std::to_string(i) + " uses point " + std::to_string(idx) +
           ", but the object has " + count(static_cast<std::size_t>(pointCount), "point"));
    }
  }
}

void Parser::strands(od::value& v, ObjectRecord& obj) {
  static constexpr std::string_view kFields[] = {"points", "rootUV"};
  od::array a = array(v);
  InElement in(path_);
  std::size_t i = 0;
  for (auto element : a) {
    in.set(i);
    od::value sv = take(std::move(element));
    StrandRecord s;
    Record r(*this, sv, kFields);
    r.each([&](Record::Field f, od::value& x) {
      if (f == 0) {
        od::array pts = array(x);
        {
          InElement ip(path_);
          std::size_t k = 0;
          for (auto pe : pts) {
            ip.set(k++);
            od::value p = take(std::move(pe));
            s.points.push_back(vec3(p));
          }
        }
        if (s.points.size() < 2) fail("a strand needs at least two points");
        if (!obj.strands.empty() && s.points.size() != obj.strands.front().points.size()) {
          fail("strand " + std::to_string(i) + " has " + std::to_string(s.points.size()) +
               " points, but strand 0 has " + std::to_string(obj.strands.front().points.size()) +
               "; every strand of an object has the same number");
        }
        return Record::Taken;
      }
      double uv[2];
      od::array ua;
      bool isArray = false;
      const int n = numbers(x, uv, ua, isArray);
      if (!isArray || (n >= 0 && n != 2)) fail("must be an array of two numbers");
      if (n < 0) {
        check(ua.reset().error());
        if (countOf(ua) != 2) fail("must be an array of two numbers");
        InElement iu(path_);
        std::size_t k = 0;
        for (auto ue : ua) {
          iu.set(k);
          od::value c = take(std::move(ue));
          uv[k++] = number(c);
        }
      }
      s.rootU = uv[0];
      s.rootV = uv[1];
      return Record::Taken;
    });
    if (!r.has(0)) failAt(r.place(), "a strand needs \"points\"");
    r.done();
    obj.strands.push_back(std::move(s));
    ++i;
  }
}

// One entry of UVW or normal data: three or four corners for polygon i.
CornerRecord Parser::cornerEntry(od::value& e, std::size_t i, const PolygonRecord& poly,
                                 const char* what, bool normals) {
  auto shape = [what] {
    return std::string("an entry is an array of three or four ") + what + " corners";
  };
  if (typeOf(e) != od::json_type::array) fail(shape());
  od::array a = take(e.get_array());
  // Common case first: three or four plain corners, each of two or three numbers.
  Vec3 c[4];
  std::size_t n = 0;
  bool plain = true;
  for (auto element : a) {
    od::value x = take(std::move(element));
    if (n < 4 && plain) {
      double d[3];
      od::array ca;
      bool isArray = false;
      const int k = numbers(x, d, ca, isArray);
      plain = normals ? k == 3 : (k == 2 || k == 3);
      if (plain) c[n] = Vec3{d[0], d[1], k == 3 ? d[2] : 0.0};
      if (plain && normals) {
        for (double comp : d) plain = plain && comp >= -1.0 && comp <= 1.0;
      }
    }
    ++n;
  }
  if (n < 3 || n > 4) fail(shape());
  if (poly.c != poly.d && n != 4) {
    fail("polygon " + std::to_string(i) + " is a quadrangle and needs four " + what +
         " corners, not three");
  }
  if (!plain) {
    // Name the first faulty corner.
    check(a.reset().error());
    InElement in(path_);
    std::size_t k = 0;
    for (auto element : a) {
      in.set(k);
      od::value x = take(std::move(element));
      if (normals) {
        c[k] = vec3(x);
        for (double comp : {c[k].x, c[k].y, c[k].z}) {
          if (comp < -1.0 || comp > 1.0)
            fail("a normal component lies between -1 and 1, not " + fmtNumber(comp));
        }
      } else {
        if (typeOf(x) != od::json_type::array)
          fail("a UVW coordinate is an array of two or three numbers");
        od::array ca = take(x.get_array());
        const std::size_t m = countOf(ca);
        if (m < 2 || m > 3) fail("a UVW coordinate is an array of two or three numbers");
        double d[3] = {0.0, 0.0, 0.0};
        InElement ic(path_);
        std::size_t j = 0;
        for (auto ce : ca) {
          ic.set(j);
          od::value y = take(std::move(ce));
          d[j++] = number(y);
        }
        c[k] = Vec3{d[0], d[1], d[2]};
      }
      ++k;
    }
  }
  if (n == 3) c[3] = c[2];
  return CornerRecord{c[0], c[1], c[2], c[3]};
}

// UVW or normal data: one entry per polygon of the owner.
void Parser::corners(od::value& v, const ObjectRecord& owner, const char* what, bool normals,
                     TagRecord& tag) {
  od::array a = array(v);
  const std::size_t polygonCount = owner.polygons.size();
  tag.corners.reserve(polygonCount);
  const std::size_t arrayDepth = path_.depth();
  InElement in(path_);
  std::size_t i = 0;
  for (auto element : a) {
    passed(i);
    od::value e = take(std::move(element));
    if (i < polygonCount) {
      in.set(i);
      tag.corners.push_back(cornerEntry(e, i, owner.polygons[i], what, normals));
    }
    ++i;  // entries past the polygon count are only counted, for the message
  }
  if (i != polygonCount) {
    failAt(path_.str(arrayDepth), "has " + std::to_string(i) + " " + what +
                                      " entries, but the object has " +
                                      count(polygonCount, "polygon"));
  }
}

TagRecord Parser::tag(od::value& v, const ObjectRecord& owner) {
  enum {
    kId,
    kType,
    kName,
    kParams,
    kMaterial,
    kRestriction,
    kProjection,
    kOffset,
    kLength,
    kTile,
    kSeamless,
    kPosition,
    kSize,
    kRotation,
    kAngleLimit,
    kAngle,
    kUseEdges,
    kUvw,
    kNormals,
    kPolygons
  };
  static constexpr std::string_view kFields[] = {
      "id",         "type",   "name",     "params",   "material", "restriction", "projection",
      "offset",     "length", "tile",     "seamless", "position", "size",        "rotation",
      "angleLimit", "angle",  "useEdges", "uvw",      "normals",  "polygons"};
  TagRecord t;
  ParamList params;
  Record r(*this, v, kFields);
  t.place = r.place();
  r.each([&](Record::Field f, od::value& x) {
    if (f >= kMaterial && !r.ready(kType)) return Record::Later;
    const bool texture = t.type == kTextureTag;
    switch (f) {
      case kId:
        takeId(x, IdKind::Tag, t.id, t.place);
        return Record::Taken;
      case kType:
        t.type = kindOf(x, "tag", kTagKinds);
        return Record::Taken;
      case kName:
        t.name = std::string(string(x));
        return Record::Taken;
      case kParams:
        this->params(x, params);
        return Record::Taken;
      case kMaterial:
        if (!texture && t.type != kHairMaterialTag) return r.unknown(f);
        namedParam(x, texture ? 1010 : 1000, ValueKind::Link, params, IdKind::Material);
        return Record::Taken;
      case kAngleLimit:
      case kUseEdges:
        if (t.type != kPhongTag) return r.unknown(f);
        namedParam(x, f == kAngleLimit ? 1001 : 1003, ValueKind::Bool, params);
        return Record::Taken;
      case kAngle:
        if (t.type != kPhongTag) return r.unknown(f);
        namedParam(x, 1002, ValueKind::Float, params);
        return Record::Taken;
      case kUvw:
        if (t.type != kUvwTag) return r.unknown(f);
        corners(x, owner, "UVW", false, t);
        return Record::Taken;
      case kNormals:
        if (t.type != kNormalTag) return r.unknown(f);
        corners(x, owner, "normal", true, t);
        return Record::Taken;
      case kPolygons: {
        if (t.type != kPolygonSelectionTag) return r.unknown(f);
        od::array a = array(x);
        InElement in(path_);
        std::size_t i = 0;
        for (auto element : a) {
          in.set(i++);
          od::value e = take(std::move(element));
          const std::int32_t idx = integer(e);
          if (idx < 0 || static_cast<std::size_t>(idx) >= owner.polygons.size()) {
            fail("selects polygon " + std::to_string(idx) + ", but the object has " +
                 count(owner.polygons.size(), "polygon"));
          }
          t.selection.push_back(idx);
        }
        return Record::Taken;
      }
      default:
        break;
    }
    // The texture tag's own fields.
    if (!texture) return r.unknown(f);
    switch (f) {
      case kRestriction:
        namedParam(x, 1006, ValueKind::String, params);
        break;
      case kProjection: {
        ParamRecord p;
        p.id = 1004;
        p.place = path_.str();
        p.kind = ValueKind::Int;
        if (typeOf(x) == od::json_type::string) {
          const std::string_view name = string(x);
          const KindName* k = findKind(kProjections, name);
          if (k == nullptr) {
            fail("unknown projection " + inQuotes(name) + " (known: " + kindList(kProjections) +
                 ")");
          }
          p.integer = k->type;
        } else {
          p.integer = integer(x);
        }
        params.named(std::move(p));
        break;
      }
      case kOffset:
      case kLength: {
        double uv[2];
        od::array a;
        bool isArray = false;
        const int n = numbers(x, uv, a, isArray);
        if (!isArray || n != 2) {
          if (!isArray || n >= 0) fail("must be an array of two numbers");
          check(a.reset().error());
          if (countOf(a) != 2) fail("must be an array of two numbers");
          InElement in(path_);
          std::size_t k = 0;
          for (auto element : a) {
            in.set(k);
            od::value c = take(std::move(element));
            uv[k++] = number(c);
          }
        }
        for (int k = 0; k < 2; ++k) {
          ParamRecord p;
          p.id = (f == kOffset ? 1000 : 1002) + k;
          InElement in(path_, static_cast<std::size_t>(k));
          p.place = path_.str();
          p.kind = ValueKind::Float;
          p.real = uv[k];
          params.named(std::move(p));
        }
        break;
      }
      case kTile:
      case kSeamless:
        namedParam(x, f == kTile ? 1007 : 1008, ValueKind::Bool, params);
        break;
      default:
        namedParam(x, 1011 + (f - kPosition), ValueKind::Vector, params);
    }
    return Record::Taken;
  });
  if (!r.taken(kType)) failAt(t.place, "needs a \"type\": a kind name or a type id");
  // A UVW or normal tag without data must still match the polygons (it holds one entry each).
  if ((t.type == kUvwTag || t.type == kNormalTag) && !r.has(t.type == kUvwTag ? kUvw : kNormals) &&
      !owner.polygons.empty()) {
    failAt(t.place, std::string("needs \"") + (t.type == kUvwTag ? "uvw" : "normals") +
                        "\" with one entry per polygon (the object has " +
                        count(owner.polygons.size(), "polygon") + ")");
  }
  params.finish(*this, t.params);
  r.done();
  return t;
}

KeyRecord Parser::key(od::value& v, std::size_t i, const std::vector<KeyRecord>& before) {
  static constexpr std::string_view kFields[] = {"time", "value", "interpolation"};
  KeyRecord key;
  double tv[2];
  od::array a;
  bool isArray = false;
  const int n = numbers(v, tv, a, isArray);
  if (n == 2) {
    key.time = tv[0];
    key.value = tv[1];
  } else if (isArray) {
    if (n >= 0) fail("a key is [time, value] or an object");
    check(a.reset().error());
    if (countOf(a) != 2) fail("a key is [time, value] or an object");
    InElement in(path_);
    std::size_t k = 0;
    for (auto element : a) {
      in.set(k);
      od::value x = take(std::move(element));
      tv[k++] = number(x);
    }
    key.time = tv[0];
    key.value = tv[1];
  } else {
    Record r(*this, v, kFields);
    r.each([&](Record::Field f, od::value& x) {
      if (f == 0) {
        key.time = number(x);
      } else if (f == 1) {
        key.value = number(x);
      } else {
        const std::string_view s = string(x);
        if (s == "linear") {
          key.interpolation = KeyInterpolation::Linear;
        } else if (s == "step") {
          key.interpolation = KeyInterpolation::Step;
        } else if (s == "spline") {
          key.interpolation = KeyInterpolation::Spline;
        } else {
          fail("unknown interpolation " + inQuotes(s) + " (known: linear, step, spline)");
        }
      }
      return Record::Taken;
    });
    if (!r.has(0) || !r.has(1)) fail("a key needs \"time\" and \"value\"");
    r.done();
  }
  // The host keeps times in whole milliseconds: two keys must differ by at least one.
  auto ms = [](double seconds) { return std::floor(seconds * 1000.0 + 0.5); };
  if (!before.empty() && ms(key.time) <= ms(before.back().time)) {
    const double earlier = before.back().time;
    fail("key " + std::to_string(i) + " at " + fmtNumber(key.time) +
         " s does not come after the key before it at " + fmtNumber(earlier) + " s" +
         (key.time > earlier ? "; key times count in whole milliseconds" : ""));
  }
  return key;
}

TrackRecord Parser::track(od::value& v) {
  constexpr std::int32_t kDtypeReal = 19;
  constexpr std::int32_t kDtypeVector = 23;
  enum { kParam, kDescId, kName, kEnabled, kKeys, kParams };
  static constexpr std::string_view kFields[] = {"param",   "descId", "name",
                                                 "enabled", "keys",   "params"};
  TrackRecord t;
  ParamList params;
  Record r(*this, v, kFields);
  t.place = r.place();
  r.each([&](Record::Field f, od::value& x) {
    switch (f) {
      case kParam: {
        const std::string_view s = string(x);
        const auto dot = s.find('.');
        const std::string_view head = s.substr(0, dot);
        const std::string_view tail = dot == std::string_view::npos ? "" : s.substr(dot + 1);
        const std::int32_t first = head == "position"   ? 903
                                   : head == "rotation" ? 904
                                   : head == "scale"    ? 905
                                                        : 0;
        const std::int32_t second = tail == "x" || tail == "h"   ? 1000
                                    : tail == "y" || tail == "p" ? 1001
                                    : tail == "z" || tail == "b" ? 1002
                                                                 : 0;
        if (first == 0 || second == 0) {
          fail("unknown parameter " + inQuotes(s) +
               " (known: position.x/y/z, rotation.h/p/b, scale.x/y/z; others by \"descId\")");
        }
        t.descId = {{first, kDtypeVector}, {second, kDtypeReal}};
        break;
      }
      case kDescId: {
        od::array levels = array(x);
        const std::size_t n = countOf(levels);
        if (n == 0 || n > 3) fail("a description id has one to three levels");
        t.descId.clear();
        InElement in(path_);
        std::size_t i = 0;
        for (auto element : levels) {
          in.set(i);
          od::value l = take(std::move(element));
          DescLevelRecord level;
          if (typeOf(l) == od::json_type::array) {
            od::array pair = take(l.get_array());
            if (countOf(pair) != 2) fail("a level is an id or an array [id, data type]");
            InElement ip(path_);
            std::size_t k = 0;
            for (auto pe : pair) {
              ip.set(k);
              od::value y = take(std::move(pe));
              (k++ == 0 ? level.id : level.dtype) = integer(y);
            }
          } else {
            level.id = integer(l);
            const bool vectorParam = i == 0 && n > 1 && level.id >= 903 && level.id <= 905;
            level.dtype = vectorParam ? kDtypeVector : kDtypeReal;
          }
          t.descId.push_back(level);
          ++i;
        }
        break;
      }
      case kName:
        t.name = std::string(string(x));
        break;
      case kEnabled:
        t.enabled = boolean(x);
        break;
      case kKeys: {
        od::array keys = array(x);
        InElement in(path_);
        std::size_t i = 0;
        for (auto element : keys) {
          in.set(i);
          od::value k = take(std::move(element));
          t.keys.push_back(key(k, i, t.keys));
          ++i;
        }
        break;
      }
      default:
        this->params(x, params);
    }
    return Record::Taken;
  });
  if (r.has(kParam) == r.has(kDescId))
    failAt(t.place, "a track needs either \"param\" (as \"position.x\") or \"descId\"");
  params.finish(*this, t.params);
  r.done();
  return t;
}

ObjectRecord Parser::object(od::value& v, int depth) {
  if (depth > kMaxObjectDepth)
    fail("objects nest deeper than " + std::to_string(kMaxObjectDepth) + " levels");
  enum {
    kId,
    kType,
    kName,
    kPosition,
    kRotation,
    kScale,
    kRotationOrder,
    kBits,
    kLayer,
    kParams,
    kPoints,
    kPolygons,
    kStrands,
    kTags,
    kTracks,
    kCache,
    kDeformCache,
    kChildren
  };
  static constexpr std::string_view kFields[] = {
      "id",     "type",  "name",        "position", "rotation", "scale",   "rotationOrder",
      "bits",   "layer", "params",      "points",   "polygons", "strands", "tags",
      "tracks", "cache", "deformCache", "children"};
  ObjectRecord o;
  ParamList params;
  Record r(*this, v, kFields);
  o.place = r.place();
  auto list = [&](od::value& x, auto&& each) {
    od::array a = array(x);
    InElement in(path_);
    std::size_t i = 0;
    for (auto element : a) {
      in.set(i++);
      od::value e = take(std::move(element));
      each(e);
    }
  };
  r.each([&](Record::Field f, od::value& x) {
    // Geometry needs the type, polygons the points, tags the polygons.
    if ((f == kPoints || f == kPolygons || f == kStrands) && !r.ready(kType)) return Record::Later;
    if (f == kPolygons && !r.ready(kPoints)) return Record::Later;
    if (f == kTags && !r.ready(kPolygons)) return Record::Later;
    if ((f == kPoints || f == kPolygons || f == kStrands) && !r.taken(kType))
      failAt(o.place, "needs a \"type\": a kind name or a type id");
    switch (f) {
      case kId:
        takeId(x, IdKind::Object, o.id, o.place);
        break;
      case kType:
        o.type = kindOf(x, "object", kObjectKinds);
        break;
      case kName:
        o.name = std::string(string(x));
        break;
      case kPosition:
        o.position = vec3(x);
        break;
      case kRotation:
        o.rotation = vec3(x);
        break;
      case kScale:
        o.scale = vec3(x);
        break;
      case kRotationOrder:
        if (typeOf(x) == od::json_type::string) {
          const std::string_view name = string(x);
          const KindName* k = findKind(kRotationOrders, name);
          if (k == nullptr) {
            fail("unknown rotation order " + inQuotes(name) +
                 " (known: " + kindList(kRotationOrders) + ")");
          }
          o.rotationOrder = k->type;
        } else {
          o.rotationOrder = integer(x);
          if (o.rotationOrder < 0 || o.rotationOrder > 6) fail("a rotation order is 0 to 6");
        }
        break;
      case kBits:
        o.bits = integer(x);
        break;
      case kLayer:
        o.layer = std::string(string(x));
        reference(o.layer, path_.str(), {IdKind::Layer}, "a layer");
        break;
      case kParams:
        this->params(x, params);
        break;
      case kPoints:
      case kPolygons:
        if (o.type != kPolygonObject) {
          fail("only a polygon object (type 5100) has points and polygons, not type " +
               std::to_string(o.type));
        }
        if (f == kPoints) {
          points(x, o);
        } else {
          polygons(x, o);
        }
        break;
      case kStrands:
        if (o.type != kHairObject) {
          fail("only a hair object (type 1017305) has strands, not type " + std::to_string(o.type));
        }
        strands(x, o);
        break;
      case kTags:
        list(x, [&](od::value& e) { o.tags.push_back(tag(e, o)); });
        break;
      case kTracks:
        list(x, [&](od::value& e) { o.tracks.push_back(track(e)); });
        break;
      case kCache:
        list(x, [&](od::value& e) { o.cache.push_back(object(e, depth + 1)); });
        break;
      case kDeformCache:
        o.deformCache.push_back(object(x, depth + 1));
        if (o.deformCache.front().type != kPolygonObject) {
          fail("a deform cache is a polygon object (type 5100), not type " +
               std::to_string(o.deformCache.front().type));
        }
        break;
      default:
        list(x, [&](od::value& e) { o.children.push_back(object(e, depth + 1)); });
    }
    return Record::Taken;
  });
  if (!r.taken(kType)) failAt(o.place, "needs a \"type\": a kind name or a type id");
  params.finish(*this, o.params);
  r.done();
  return o;
}

void Parser::resolveReferences() const {
  for (const Reference& r : references_) {
    auto it = ids_.find(r.id);
    if (it == ids_.end()) {
      failAt(r.place, "nothing has the id " + inQuotes(r.id) +
                          (r.allowed.empty() ? std::string() : std::string(" (") + r.wanted + ")"));
    }
    if (!r.allowed.empty() &&
        std::find(r.allowed.begin(), r.allowed.end(), it->second.kind) == r.allowed.end()) {
      failAt(r.place, inQuotes(r.id) + " is " + idKindName(it->second.kind) + " (" +
                          it->second.place + "), not " + r.wanted);
    }
  }
}

// ---------------------------------------------------------------------------------------
// The document

DocumentRecord Parser::run(DocumentText& text) {
  enum {
    kVersion,
    kName,
    kFolder,
    kFps,
    kMinTime,
    kMaxTime,
    kTime,
    kLayers,
    kMaterials,
    kObjects,
    kSelection
  };
  static constexpr std::string_view kFields[] = {"version",   "name",    "folder",   "fps",
                                                 "minTime",   "maxTime", "time",     "layers",
                                                 "materials", "objects", "selection"};
  const std::string_view bytes = text.view();
  od::parser parser(std::max<std::size_t>(bytes.size(), 1));
  od::document doc = take(parser.iterate(bytes.data(), bytes.size(), bytes.size() + kTextPadding));
  doc_ = &doc;
  text_ = &text;
  od::value root = take(doc.get_value());

  DocumentRecord rec;
  std::optional<double> time;
  auto list = [&](od::value& x, auto&& each) {
    od::array a = array(x);
    InElement in(path_);
    std::size_t i = 0;
    for (auto element : a) {
      in.set(i++);
      od::value e = take(std::move(element));
      each(e);
    }
  };
  Record r(*this, root, kFields);
  r.each([&](Record::Field f, od::value& x) {
    if (f != kVersion && !r.ready(kVersion)) return Record::Later;
    if (!r.taken(kVersion) && f != kVersion)
      failAt("document", "needs \"version\": " + std::to_string(kFormatVersion));
    switch (f) {
      case kVersion: {
        // The version as written: a whole number, never 1.0 or "1".
        std::string_view raw;
        const od::json_type type = typeOf(x);
        if (type == od::json_type::array) {
          raw = take(take(x.get_array()).raw_json());
        } else if (type == od::json_type::object) {
          raw = take(take(x.get_object()).raw_json());
        } else {
          raw = x.raw_json_token();
        }
        while (!raw.empty() && std::strchr(" \t\r\n", raw.back()) != nullptr) raw.remove_suffix(1);
        if (raw != std::to_string(kFormatVersion)) {
          fail("this reader understands version " + std::to_string(kFormatVersion) + ", not " +
               excerpt(raw));
        }
        break;
      }
      case kName:
        rec.name = std::string(string(x));
        break;
      case kFolder: {
        const std::string_view folder = string(x);
        if (!folder.empty()) {
          std::filesystem::path path(folder);
          if (path.is_relative() && !options_.baseFolder.empty())
            path = std::filesystem::path(options_.baseFolder) / path;
          std::string resolved = path.lexically_normal().string();
          while (resolved.size() > 1 && resolved.back() == '/') resolved.pop_back();
          rec.folder = resolved;
        }
        break;
      }
      case kFps:
        rec.fps = integer(x);
        if (rec.fps <= 0) fail("the frame rate is at least 1");
        break;
      case kMinTime:
        rec.minTime = number(x);
        break;
      case kMaxTime:
        rec.maxTime = number(x);
        break;
      case kTime:
        time = number(x);
        break;
      case kLayers:
        list(x, [&](od::value& e) { rec.layers.push_back(layer(e)); });
        break;
      case kMaterials:
        list(x, [&](od::value& e) { rec.materials.push_back(material(e)); });
        break;
      case kObjects:
        list(x, [&](od::value& e) { rec.objects.push_back(object(e, 1)); });
        break;
      default:
        list(x, [&](od::value& e) {
          rec.selection.emplace_back(string(e));
          reference(rec.selection.back(), path_.str(),
                    {IdKind::Object, IdKind::Tag, IdKind::Material},
                    "an object, a tag or a material");
        });
    }
    return Record::Taken;
  });
  if (!r.taken(kVersion))
    failAt("document", "needs \"version\": " + std::to_string(kFormatVersion));
  if (rec.maxTime < rec.minTime) {
    failAt("maxTime", "the time range ends at " + fmtNumber(rec.maxTime) +
                          " s, before it starts at " + fmtNumber(rec.minTime) + " s");
  }
  rec.time = time.value_or(rec.minTime);
  r.done();
  // Nothing may follow the document's object.
  if (doc.current_location().error() != simdjson::OUT_OF_BOUNDS) refuse(simdjson::TRAILING_CONTENT);
  resolveReferences();
  return rec;
}

}  // namespace

DocumentError::DocumentError(std::string source, std::string place, std::string message)
    : std::runtime_error(source + ": " + place + ": " + message),
      source_(std::move(source)),
      place_(std::move(place)),
      message_(std::move(message)) {}

DocumentRecord parseDocumentText(DocumentText& text, std::string_view sourceName,
                                 const ParseOptions& options) {
  const std::string source(sourceName);
  ContentFault fault;
  try {
    Parser parser{source, options};
    return parser.run(text);
  } catch (const ContentFault& f) {
    fault = f;
    text.restoreAll();
  } catch (const SyntaxFault& f) {
    text.restoreAll();
    // The check of the text below names the fault; should it find none, the parser's own
    // reason stands.
    fault = ContentFault{f.offset == std::string_view::npos ? std::string("document")
                                                            : lineColumn(text.view(), f.offset),
                         std::string("not valid JSON: ") + simdjson::error_message(f.code)};
  }
  if (std::optional<TextFault> textFault = findTextFault(text.view()))
    throw DocumentError(source, textFault->place, textFault->message);
  throw DocumentError(source, fault.place, fault.message);
}

DocumentRecord parseDocument(std::string_view json, std::string_view sourceName,
                             const ParseOptions& options) {
  DocumentText text = DocumentText::copyOf(json, sourceName);
  return parseDocumentText(text, sourceName, options);
}

}  // namespace c4ddoc
