// The .svb parser: a recursive-descent reader with an explicit nesting limit.
#include "svb_reader.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <utility>

namespace svb {

ParseError::ParseError(std::size_t offset, const std::string& message, bool truncated, bool binary)
    : std::runtime_error("offset " + std::to_string(offset) + ": " + message),
      offset_(offset),
      message_(message),
      truncated_(truncated),
      binary_(binary) {}

namespace {

bool is_hex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Text fit for an error message: printable ASCII as is, other bytes as \xNN.
std::string printable(std::string_view s, std::size_t limit = 24) {
  std::string out;
  for (std::size_t i = 0; i < s.size() && i < limit; ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      static const char digits[] = "0123456789abcdef";
      out += "\\x";
      out += digits[c >> 4];
      out += digits[c & 15];
    }
  }
  if (s.size() > limit) out += "...";
  return out;
}

std::uint32_t read_le32(const char* p) {
  const auto* b = reinterpret_cast<const unsigned char*>(p);
  return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
         static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

std::uint64_t read_le64(const char* p) {
  return static_cast<std::uint64_t>(read_le32(p)) | static_cast<std::uint64_t>(read_le32(p + 4))
                                                        << 32;
}

static_assert(sizeof(float) == 4 && sizeof(double) == 8,
              "binary blocks hold 4-byte floats and 8-byte doubles");

class Parser {
 public:
  explicit Parser(std::string_view in) : in_(in) {}

  Scene run() {
    Scene scene;
    for (;;) {
      skip_space();
      if (at_end()) break;
      if (in_[pos_] == '}') fail_at(pos_, "unexpected \"}\" outside of any block", false);
      parse_statement(scene.nodes, nullptr);
    }
    return scene;
  }

 private:
  // Counts one level of nesting for as long as it lives.
  class Nesting {
   public:
    Nesting(Parser& p, std::size_t at) : p_(p) {
      if (++p_.depth_ > kMaxNesting) {
        p_.fail_at(at, "nesting deeper than " + std::to_string(kMaxNesting) + " levels", false);
      }
    }
    ~Nesting() { --p_.depth_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

   private:
    Parser& p_;
  };

  std::string_view in_;
  std::size_t pos_ = 0;
  int depth_ = 0;

  // ---- input primitives ----

  bool at_end() const { return pos_ >= in_.size(); }
  std::size_t remaining() const { return in_.size() - pos_; }
  char at(std::size_t i) const { return i < in_.size() ? in_[i] : '\0'; }
  char cur() const { return at(pos_); }

  bool looking_at(std::string_view s) const { return in_.substr(pos_, s.size()) == s; }

  void skip_blanks() {
    while (!at_end() && is_blank(in_[pos_])) ++pos_;
  }
  void skip_space() {
    while (!at_end() && (is_blank(in_[pos_]) || in_[pos_] == '\n')) ++pos_;
  }

  // True when position i ends a token: end of input, blank, line end or
  // one of the punctuation bytes that may follow a value.
  bool delimiter_at(std::size_t i) const {
    if (i >= in_.size()) return true;
    const char c = in_[i];
    return is_blank(c) || c == '\n' || c == ',' || c == ']' || c == '}' || c == '{' ||
           c == static_cast<char>(kBinaryMagic[0]);
  }

  // Matches the keyword at the current position when a delimiter follows;
  // consumes it.
  bool keyword(std::string_view kw) {
    if (!looking_at(kw) || !delimiter_at(pos_ + kw.size())) return false;
    pos_ += kw.size();
    return true;
  }

  // ---- errors ----

  [[noreturn]] void fail_at(std::size_t offset, const std::string& message, bool truncated) const {
    throw ParseError(offset, message, truncated);
  }

  [[noreturn]] void fail_in_binary(std::size_t offset, const std::string& message,
                                   bool truncated) const {
    throw ParseError(offset, message, truncated, true);
  }

  std::string found() const {
    if (at_end()) return "end of input";
    std::size_t n = 0;
    while (pos_ + n < in_.size() && in_[pos_ + n] != '\n' && n < 24) ++n;
    if (n == 0) return "end of line";
    return "\"" + printable(in_.substr(pos_, n)) + "\"";
  }

  // True when the input ends inside the word at the current position, so
  // that more bytes could still complete it.
  bool ends_in_word() const {
    for (std::size_t i = pos_; i < in_.size(); ++i) {
      if (is_blank(in_[i]) || in_[i] == '\n') return false;
    }
    return true;
  }

  [[noreturn]] void expected(const std::string& what) const {
    fail_at(pos_, "expected " + what + ", found " + found(), ends_in_word());
  }

  static std::string describe(const Node& node) {
    std::string s = kind_name(node.kind);
    const std::string_view name = node.kind == NodeKind::Shader ? node.shader_type() : node.name();
    if (!name.empty()) s += " \"" + printable(name, 64) + "\"";
    return s;
  }

  // ---- tokens ----

  bool string_token_here() const {
    return cur() == '"' || (looking_at("xX") && is_hex(at(pos_ + 2)));
  }

  bool bytes_token_here() const {
    return looking_at("bX") && (is_hex(at(pos_ + 2)) || delimiter_at(pos_ + 2));
  }

  bool word_here(std::string_view w) const {
    return looking_at(w) && delimiter_at(pos_ + w.size());
  }

  bool number_here() const {
    const char c = cur();
    if (is_digit(c)) return true;
    if (c == '-' || c == '+' || c == '.') {
      const char d = at(pos_ + 1);
      if (is_digit(d) || (c != '.' && d == '.' && is_digit(at(pos_ + 2)))) return true;
      if (c == '-') {
        const std::size_t save = pos_ + 1;
        for (std::string_view w : {"nan", "inf"}) {
          if (in_.substr(save, 3) == w && delimiter_at(save + 3)) return true;
        }
      }
      return false;
    }
    return word_here("nan") || word_here("inf");
  }

  // Quoted token (no escapes, ends at the next double quote on the line) or
  // xX followed by two hex digits per byte.
  std::string read_string_token(const char* what, bool* hex = nullptr) {
    const std::size_t start = pos_;
    if (cur() == '"') {
      for (std::size_t i = pos_ + 1; i < in_.size(); ++i) {
        if (in_[i] == '"') {
          pos_ = i + 1;
          if (hex) *hex = false;
          return std::string(in_.substr(start + 1, i - start - 1));
        }
        if (in_[i] == '\n') {
          fail_at(i, "expected '\"' to close the string opened at offset " + std::to_string(start),
                  false);
        }
      }
      fail_at(in_.size(),
              "expected '\"' to close the string opened at offset " + std::to_string(start), true);
    }
    if (!string_token_here()) expected(what);
    pos_ += 2;
    std::string out;
    while (!at_end() && is_hex(in_[pos_])) {
      if (!is_hex(at(pos_ + 1))) {
        fail_at(
            pos_ + 1,
            "expected a second hex digit in the string token at offset " + std::to_string(start),
            pos_ + 1 >= in_.size());
      }
      out += static_cast<char>(hex_value(in_[pos_]) << 4 | hex_value(in_[pos_ + 1]));
      pos_ += 2;
    }
    if (hex) *hex = true;
    return out;
  }

  std::string read_bytes_token() {
    const std::size_t start = pos_;
    pos_ += 2;  // bX
    std::string out;
    while (!at_end() && is_hex(in_[pos_])) {
      if (!is_hex(at(pos_ + 1))) {
        fail_at(pos_ + 1,
                "expected a second hex digit in the byte token at offset " + std::to_string(start),
                pos_ + 1 >= in_.size());
      }
      out += static_cast<char>(hex_value(in_[pos_]) << 4 | hex_value(in_[pos_ + 1]));
      pos_ += 2;
    }
    return out;
  }

  double read_number() {
    if (!number_here()) expected("a number");
    const std::size_t start = pos_;
    std::size_t p = pos_;
    if (in_[p] == '+') ++p;
    double v = 0;
    const char* first = in_.data() + p;
    const char* last = in_.data() + in_.size();
    const auto r = std::from_chars(first, last, v);
    if (r.ec == std::errc::result_out_of_range) {
      // Beyond the range of double: a negative exponent underflows to zero,
      // anything else overflows to infinity; the sign stays.
      const std::string_view text(first, static_cast<std::size_t>(r.ptr - first));
      const std::size_t e = text.find_first_of("eE");
      const bool underflow =
          e != std::string_view::npos && e + 1 < text.size() && text[e + 1] == '-';
      v = underflow ? 0.0 : HUGE_VAL;
      if (in_[p] == '-') v = -v;
    } else if (r.ec != std::errc()) {
      fail_at(start, "expected a number, found " + found(), false);
    }
    pos_ = static_cast<std::size_t>(r.ptr - in_.data());
    if (!delimiter_at(pos_)) {
      pos_ = start;
      fail_at(start, "expected a number, found " + found(), false);
    }
    return v;
  }

  // Blank-separated numbers, as many as there are.
  std::vector<double> read_numbers() {
    std::vector<double> v;
    for (;;) {
      skip_blanks();
      if (!number_here()) break;
      v.push_back(read_number());
    }
    return v;
  }

  void read_exact_numbers(Node& node, std::size_t n, const char* statement) {
    const std::size_t at = pos_;
    node.value.kind = Value::Kind::Number;
    node.value.numbers = read_numbers();
    if (node.value.numbers.size() != n) {
      if (node.value.numbers.size() < n) {
        expected(std::to_string(n) + " numbers after \"" + statement + "\" (" +
                 std::to_string(node.value.numbers.size()) + " read from offset " +
                 std::to_string(at) + ")");
      }
      fail_at(at,
              "expected " + std::to_string(n) + " numbers after \"" + statement + "\", found " +
                  std::to_string(node.value.numbers.size()),
              false);
    }
  }

  // Consumes blanks and the line end. `after()` describes what precedes
  // it; it is called only to compose the error message.
  template <class Describe>
  void expect_line_end_after(Describe&& after) {
    skip_blanks();
    if (!at_end() && in_[pos_] == '\n') {
      ++pos_;
      return;
    }
    expected("end of line after " + after());
  }
  void expect_line_end(const char* after) {
    expect_line_end_after([after] { return std::string(after); });
  }

  // ---- values ----

  Value shader_value(std::size_t start, std::string type) {
    auto node = std::make_shared<Node>();
    node->kind = NodeKind::Shader;
    node->offset = start;
    node->anonymous = true;
    node->names.push_back(std::move(type));
    skip_blanks();
    if (cur() != '{') expected("\"{\" to open the shader text");
    ++pos_;
    expect_line_end_after([&] { return "\"{\" of " + describe(*node); });
    {
      Nesting nest(*this, start);
      parse_body(node->children, *node);
    }
    Value v;
    v.kind = Value::Kind::Shader;
    v.shader_value = std::move(node);
    return v;
  }

  // A string token that may start a captured shader text.
  Value string_or_shader() {
    const std::size_t start = pos_;
    Value v;
    v.text = read_string_token("a string", &v.hex);
    const std::size_t after = pos_;
    skip_blanks();
    if (cur() == '{') return shader_value(start, std::move(v.text));
    pos_ = after;
    v.kind = Value::Kind::String;
    return v;
  }

  // One value that is not a number and not an array.
  bool read_single(Value& v) {
    if (string_token_here()) {
      v = string_or_shader();
    } else if (bytes_token_here()) {
      v.kind = Value::Kind::Bytes;
      v.text = read_bytes_token();
    } else if (word_here("on") || word_here("off")) {
      v.kind = Value::Kind::Bool;
      v.boolean = looking_at("on");
      pos_ += v.boolean ? 2 : 3;
    } else {
      return false;
    }
    return true;
  }

  // The value of a parameter, up to (not including) its line end.
  Value parse_value() {
    skip_blanks();
    Value v;
    if (at_end() || cur() == '\n' || cur() == ',') return v;
    if (cur() == '[') {
      v.kind = Value::Kind::Array;
      v.array_value = std::make_shared<const Array>(parse_array());
      return v;
    }
    if (number_here()) {
      v.kind = Value::Kind::Number;
      v.numbers = read_numbers();
      return v;
    }
    if (!read_single(v)) expected("a value");
    return v;
  }

  static void items_from_numbers(Array& a) {
    a.items.reserve(a.elements + 1);
    for (std::size_t i = 0; i < a.elements; ++i) {
      Value v;
      v.kind = Value::Kind::Number;
      v.numbers.assign(a.numbers.begin() + static_cast<std::ptrdiff_t>(i * a.width),
                       a.numbers.begin() + static_cast<std::ptrdiff_t>((i + 1) * a.width));
      a.items.push_back(std::move(v));
    }
    a.numbers.clear();
    a.numbers.shrink_to_fit();
    a.width = 0;
  }

  // One text element: blank-separated numbers, or one other value.
  void parse_element(Array& a, std::vector<double>& scratch) {
    scratch.clear();
    if (number_here()) {
      while (number_here()) {
        scratch.push_back(read_number());
        skip_blanks();
      }
      if (a.items.empty()) {
        if (a.elements == 0) a.width = scratch.size();
        if (scratch.size() == a.width) {
          a.numbers.insert(a.numbers.end(), scratch.begin(), scratch.end());
          ++a.elements;
          return;
        }
        items_from_numbers(a);
      }
      Value v;
      v.kind = Value::Kind::Number;
      v.numbers = scratch;
      a.items.push_back(std::move(v));
      ++a.elements;
      return;
    }
    Value v;
    if (!read_single(v)) expected("an array element");
    if (a.items.empty() && a.elements > 0) items_from_numbers(a);
    a.items.push_back(std::move(v));
    ++a.elements;
    skip_blanks();
  }

  void parse_binary(Array& a) {
    const std::size_t start = pos_;
    if (remaining() < kBinaryHeaderSize) {
      fail_in_binary(in_.size(),
                     "expected the 8-byte header of the binary array block at offset " +
                         std::to_string(start) + ", only " + std::to_string(remaining()) +
                         " bytes remain",
                     true);
    }
    if (static_cast<unsigned char>(in_[start + 1]) != kBinaryMagic[1] ||
        static_cast<unsigned char>(in_[start + 2]) != kBinaryMagic[2]) {
      fail_in_binary(start, "expected the binary array header bytes 01 02 03", false);
    }
    const char letter = in_[start + 3];
    if (letter != kBinaryFloat && letter != kBinaryInt && letter != kBinaryColor &&
        letter != kBinaryDouble) {
      fail_in_binary(start + 3,
                     "expected a binary array type letter (f, i, c or r), found \"" +
                         printable(in_.substr(start + 3, 1)) + "\"",
                     false);
    }
    const std::uint32_t count = read_le32(in_.data() + start + 4);
    const std::uint64_t size =
        static_cast<std::uint64_t>(count) * (letter == kBinaryDouble ? 8u : 4u);
    const std::size_t available = in_.size() - start - kBinaryHeaderSize;
    if (size > available) {
      fail_in_binary(start,
                     std::string("expected ") + std::to_string(size) +
                         " bytes of binary array data (" + std::to_string(count) + " x \"" +
                         letter + "\"), only " + std::to_string(available) + " bytes remain",
                     true);
    }
    const char* p = in_.data() + start + kBinaryHeaderSize;
    a.binary = letter;
    a.binary_count = count;
    if (letter == kBinaryInt) {
      a.ints.resize(count);
      for (std::uint32_t i = 0; i < count; ++i)
        a.ints[i] = static_cast<std::int32_t>(read_le32(p + 4 * i));
    } else if (letter == kBinaryDouble) {
      a.doubles.resize(count);
      for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t bits = read_le64(p + 8 * i);
        std::memcpy(&a.doubles[i], &bits, 8);
      }
    } else {
      a.floats.resize(count);
      for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t bits = read_le32(p + 4 * i);
        std::memcpy(&a.floats[i], &bits, 4);
      }
    }
    pos_ = start + kBinaryHeaderSize + static_cast<std::size_t>(size);
  }

  // "[", text elements separated by commas, an optional binary block, "]".
  Array parse_array() {
    const std::size_t open = pos_;
    Nesting nest(*this, open);
    ++pos_;
    Array a;
    std::vector<double> scratch;
    bool after_comma = false;
    bool after_element = false;
    for (;;) {
      skip_space();
      if (at_end()) {
        fail_at(pos_, "expected \"]\" to close the array opened at offset " + std::to_string(open),
                true);
      }
      const char c = in_[pos_];
      if (c == ']' && !after_comma) {
        ++pos_;
        return a;
      }
      if (c == static_cast<char>(kBinaryMagic[0]) && !after_comma) {
        parse_binary(a);
        skip_space();
        if (at_end()) {
          fail_at(pos_,
                  "expected \"]\" to close the array opened at offset " + std::to_string(open),
                  true);
        }
        if (cur() != ']') expected("\"]\" after the binary array block");
        ++pos_;
        return a;
      }
      if (c == ',' && after_element) {
        ++pos_;
        after_comma = true;
        after_element = false;
        continue;
      }
      if (after_element)
        expected("\",\" or \"]\" in the array opened at offset " + std::to_string(open));
      parse_element(a, scratch);
      after_comma = false;
      after_element = true;
    }
  }

  // ---- statements ----

  // Reads the statements of a block up to and including its "}".
  void parse_body(std::vector<Node>& out, const Node& block) {
    for (;;) {
      skip_space();
      if (at_end()) {
        fail_at(pos_,
                "expected \"}\" to close " + describe(block) + " opened at offset " +
                    std::to_string(block.offset),
                true);
      }
      if (in_[pos_] == '}') {
        ++pos_;
        return;
      }
      parse_statement(out, &block);
    }
  }

  // "{", line end, the body, "}", line end; then the block joins `out`.
  void open_block(Node& node, std::vector<Node>& out) {
    skip_blanks();
    if (cur() != '{') expected("\"{\" to open " + describe(node));
    ++pos_;
    expect_line_end_after([&] { return "\"{\" of " + describe(node); });
    {
      Nesting nest(*this, node.offset);
      parse_body(node.children, node);
    }
    expect_line_end_after([&] { return "\"}\" of " + describe(node); });
    out.push_back(std::move(node));
  }

  void name_token(Node& node, const char* what) {
    skip_blanks();
    node.names.push_back(read_string_token(what));
  }

  void text_statement(Node& node, std::vector<Node>& out, std::size_t keyword_length) {
    const std::size_t open = pos_ + keyword_length;
    pos_ = open;
    if (cur() != '"') expected("'\"' to open the text");
    const std::size_t close = in_.find("\"\n", open + 1);
    if (close == std::string_view::npos) {
      fail_at(in_.size(),
              "expected '\"' and end of line to close the text opened at offset " +
                  std::to_string(open),
              true);
    }
    node.value.kind = Value::Kind::String;
    node.value.text = std::string(in_.substr(open + 1, close - open - 1));
    pos_ = close + 2;
    out.push_back(std::move(node));
  }

  void finish_parameter(Node& node, std::vector<Node>& out) {
    skip_blanks();
    if (cur() == ',') ++pos_;
    expect_line_end_after([&] { return "parameter \"" + printable(node.name(), 64) + "\""; });
    out.push_back(std::move(node));
  }

  // After "!" or a material slot word: captured shader text or shader number.
  void shader_reference(Node& node, const char* context) {
    skip_blanks();
    if (string_token_here()) {
      const std::size_t start = pos_;
      std::string type = read_string_token("a shader type");
      node.value = shader_value(start, std::move(type));
    } else if (number_here()) {
      node.value.kind = Value::Kind::ShaderId;
      node.value.numbers.push_back(read_number());
    } else {
      expected(std::string("a shader text or a shader number after ") + context);
    }
  }

  void quoted_parameter(Node& node, std::vector<Node>& out) {
    node.kind = NodeKind::Parameter;
    node.style = Style::Quoted;
    node.names.push_back(read_string_token("a parameter name"));
    if (!is_blank(cur())) expected("a blank after the parameter name");
    skip_blanks();
    if (cur() == '!') {
      ++pos_;
      node.kind = NodeKind::Subshader;
      shader_reference(node, "\"!\"");
    } else {
      node.value = parse_value();
    }
    finish_parameter(node, out);
  }

  // Does the word at the current position start a value (so that it ends a
  // bare parameter name)?
  bool value_starts_here() const {
    if (at_end()) return true;
    const char c = cur();
    return c == '\n' || c == '"' || c == '[' || (looking_at("xX") && is_hex(at(pos_ + 2))) ||
           bytes_token_here() || number_here() || word_here("on") || word_here("off");
  }

  // name value: the name is the words before the first word that starts a
  // value.
  void bare_parameter(Node& node, std::vector<Node>& out) {
    node.kind = NodeKind::Parameter;
    node.style = Style::Bare;
    const std::size_t start = pos_;
    std::size_t end = pos_;
    for (;;) {
      while (!at_end() && !is_blank(cur()) && cur() != '\n') ++pos_;
      end = pos_;
      skip_blanks();
      if (value_starts_here()) break;
    }
    node.names.emplace_back(in_.substr(start, end - start));
    node.value = parse_value();
    finish_parameter(node, out);
  }

  void define_statement(Node& node, std::vector<Node>& out) {
    pos_ += 7;  // #define
    skip_blanks();
    node.defined = true;
    if (keyword("group")) {
      node.kind = NodeKind::Group;
    } else if (keyword("object")) {
      node.kind = NodeKind::Object;
    } else if (keyword("material")) {
      node.kind = NodeKind::Material;
    } else if (keyword("matrix")) {
      node.kind = NodeKind::Matrix;
    } else if (keyword("shader")) {
      node.kind = NodeKind::Shader;
      skip_blanks();
      if (number_here()) {
        // #define shader N type {   (the type is written as it is)
        node.value.kind = Value::Kind::ShaderId;
        node.value.numbers.push_back(read_number());
        skip_blanks();
        const std::size_t type_start = pos_;
        const std::size_t line_end = std::min(in_.find('\n', pos_), in_.size());
        std::size_t brace = line_end;
        while (brace > type_start && is_blank(in_[brace - 1])) --brace;
        if (brace == type_start || in_[brace - 1] != '{') {
          pos_ = line_end;
          expected("\"{\" at the end of the numbered shader line");
        }
        std::size_t type_end = brace - 1;
        while (type_end > type_start && is_blank(in_[type_end - 1])) --type_end;
        if (type_end == type_start) expected("a shader type after the shader number");
        node.names.emplace_back(in_.substr(type_start, type_end - type_start));
        pos_ = brace - 1;
        open_block(node, out);
        return;
      }
      name_token(node, "a shader name");
      name_token(node, "a shader type");
      open_block(node, out);
      return;
    } else {
      expected("group, object, material, matrix or shader after \"#define\"");
    }
    name_token(node, "a name");
    open_block(node, out);
  }

  void camera_statement(Node& node, std::vector<Node>& out) {
    node.kind = NodeKind::Camera;
    skip_blanks();
    if (cur() != '{') name_token(node, "a camera name or \"{\"");
    open_block(node, out);
  }

  void parse_statement(std::vector<Node>& out, const Node* parent) {
    Node node;
    node.offset = pos_;
    if (looking_at("//")) {
      const std::size_t end = std::min(in_.find('\n', pos_), in_.size());
      node.kind = NodeKind::Comment;
      node.value.kind = Value::Kind::String;
      node.value.text = std::string(in_.substr(pos_, end - pos_));
      pos_ = end < in_.size() ? end + 1 : end;
      out.push_back(std::move(node));
      return;
    }
    if (looking_at("#print ")) {
      node.kind = NodeKind::Print;
      return text_statement(node, out, 7);
    }
    if (looking_at("#error ")) {
      node.kind = NodeKind::Error;
      return text_statement(node, out, 7);
    }
    if (keyword("#define")) {
      pos_ = node.offset;
      return define_statement(node, out);
    }
    if (keyword("#modify")) {
      skip_space();
      if (keyword("camera")) {
        node.modify = true;
        return camera_statement(node, out);
      }
      node.kind = NodeKind::Modify;  // a refused modify: nothing follows it
      out.push_back(std::move(node));
      return;
    }
    if (cur() == '#') expected("a statement");
    if (string_token_here()) return quoted_parameter(node, out);

    if (parent && parent->kind == NodeKind::Material) {
      for (const char* slot : {"surface", "shadow", "volume", "reflection map"}) {
        if (keyword(slot)) {
          node.kind = NodeKind::MaterialShader;
          node.names.emplace_back(slot);
          shader_reference(node, "a material slot");
          expect_line_end_after([slot] { return std::string("\"") + slot + "\" shader"; });
          out.push_back(std::move(node));
          return;
        }
      }
    }

    struct Simple {
      const char* word;
      NodeKind kind;
      std::size_t numbers;
    };
    static const Simple simple[] = {
        {"version", NodeKind::Version, 1}, {"transform", NodeKind::Transform, 16},
        {"scale", NodeKind::Scale, 3},     {"translate", NodeKind::Translate, 3},
        {"rotate", NodeKind::Rotate, 3},   {"id", NodeKind::Id, 1},
        {"flags", NodeKind::Flags, 1},
    };
    for (const Simple& s : simple) {
      if (keyword(s.word)) {
        node.kind = s.kind;
        read_exact_numbers(node, s.numbers, s.word);
        expect_line_end_after([&s] { return std::string("\"") + s.word + "\""; });
        out.push_back(std::move(node));
        return;
      }
    }
    if (looking_at("set transform") && delimiter_at(pos_ + 13)) {
      pos_ += 13;
      node.kind = NodeKind::TransformSet;
      read_exact_numbers(node, 16, "set transform");
      expect_line_end("\"set transform\"");
      out.push_back(std::move(node));
      return;
    }
    if (keyword("progress")) {
      node.kind = NodeKind::Progress;
      name_token(node, "the progress text");
      read_exact_numbers(node, 1, "progress");
      expect_line_end("\"progress\"");
      out.push_back(std::move(node));
      return;
    }
    if (keyword("attribute")) {
      node.kind = NodeKind::Attribute;
      name_token(node, "an attribute name");
      skip_blanks();
      node.value.kind = Value::Kind::String;
      node.value.text = read_string_token("an attribute value", &node.value.hex);
      expect_line_end("\"attribute\"");
      out.push_back(std::move(node));
      return;
    }
    if (keyword("icon")) {
      node.kind = NodeKind::Icon;
      skip_blanks();
      if (!bytes_token_here()) expected("a byte token after \"icon\"");
      node.value.kind = Value::Kind::Bytes;
      node.value.text = read_bytes_token();
      expect_line_end("\"icon\"");
      out.push_back(std::move(node));
      return;
    }
    if (keyword("render")) {
      node.kind = NodeKind::Render;
      expect_line_end("\"render\"");
      out.push_back(std::move(node));
      return;
    }

    struct Named {
      const char* word;
      NodeKind kind;
      int names;
    };
    static const Named named[] = {
        {"group", NodeKind::Group, 1},       {"object", NodeKind::Object, 1},
        {"geometry", NodeKind::Geometry, 1}, {"animation", NodeKind::Animation, 2},
        {"accel", NodeKind::Accel, 1},       {"light", NodeKind::Light, 1},
        {"load", NodeKind::Module, 1},       {"output", NodeKind::Output, 3},
        {"options", NodeKind::Options, 0},   {"image", NodeKind::Image, 0},
    };
    for (const Named& n : named) {
      if (keyword(n.word)) {
        node.kind = n.kind;
        for (int i = 0; i < n.names; ++i) name_token(node, "a name");
        open_block(node, out);
        return;
      }
    }
    if (keyword("camera")) return camera_statement(node, out);
    if (keyword("material")) {
      node.kind = NodeKind::Material;
      name_token(node, "a material name");
      skip_blanks();
      if (cur() == '{') return open_block(node, out);
      node.kind = NodeKind::MaterialUse;
      expect_line_end("\"material\"");
      out.push_back(std::move(node));
      return;
    }
    if (cur() == '{' || cur() == ']' || cur() == ',' ||
        cur() == static_cast<char>(kBinaryMagic[0])) {
      expected("a statement");
    }
    bare_parameter(node, out);
  }
};

}  // namespace

Scene parse(std::string_view bytes) { return Parser(bytes).run(); }

}  // namespace svb
