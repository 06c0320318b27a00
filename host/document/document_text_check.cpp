// The check runs only for a text that the fast parser refused, so it favours exact messages
// over speed: nlohmann-json's event parser gives the place and wording of syntax errors.
#include "document_text_check.h"

#include "document_messages.h"
#include "document_reader.h"

#include <nlohmann/json.hpp>

#include <cstring>
#include <set>
#include <vector>

namespace c4ddoc {
namespace {

using json = nlohmann::json;

struct Found : std::exception {
  TextFault fault;
  explicit Found(TextFault f) : fault(std::move(f)) {}
};

// Nesting is checked on the bytes before any parser sees the text, so that a hostile text
// cannot exhaust the stack anywhere.
std::optional<TextFault> tooDeep(std::string_view text) {
  int depth = 0;
  bool inString = false;
  bool escaped = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxJsonDepth) {
        return TextFault{lineColumn(text, i),
                         "the text nests deeper than " + std::to_string(kMaxJsonDepth) + " levels"};
      }
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return std::nullopt;
}

// Events of the parser: keeps the path to the current value, refuses a field given twice in
// one object (which the reader would otherwise have to resolve by a guess), and turns the
// parser's errors into faults.
class Events : public json::json_sax_t {
 public:
  explicit Events(std::string_view text) : text_(text) {}

  bool null() override { return value(); }
  bool boolean(bool) override { return value(); }
  bool number_integer(number_integer_t) override { return value(); }
  bool number_unsigned(number_unsigned_t) override { return value(); }
  bool number_float(number_float_t, const string_t&) override { return value(); }
  bool string(string_t&) override { return value(); }
  bool binary(binary_t&) override { return value(); }
  bool start_object(std::size_t) override { return open(true); }
  bool start_array(std::size_t) override { return open(false); }
  bool end_object() override { return close(); }
  bool end_array() override { return close(); }

  bool key(string_t& key) override {
    Frame& top = frames_.back();
    top.key = key;
    if (!top.keys.insert(key).second)
      throw Found({path(frames_.size() - 1), "the field " + inQuotes(key) + " is given twice"});
    return true;
  }

  bool parse_error(std::size_t position, const std::string& token,
                   const nlohmann::detail::exception& e) override {
    if (e.id == 406) {  // a number too large for a double; `position` is just past it
      const std::size_t start = position >= token.size() ? position - token.size() : 0;
      throw Found({lineColumn(text_, start), "the number " + excerpt(token) + " is too large"});
    }
    // The parser counts the failing byte itself; report the position of that byte.
    const auto* syntax = dynamic_cast<const json::parse_error*>(&e);
    const std::size_t byte = syntax != nullptr ? syntax->byte : position;
    std::string reason = e.what();
    const auto colon = reason.find(": ", reason.find("column"));
    if (colon != std::string::npos) reason = reason.substr(colon + 2);
    // What the parser last read may be a whole line of the file.
    const std::string lastRead = "; last read: '";
    const auto quoted = reason.find(lastRead);
    if (quoted != std::string::npos) {
      const std::size_t from = quoted + lastRead.size();
      reason = reason.substr(0, from) + excerpt(token) + "'";
    }
    throw Found({lineColumn(text_, byte == 0 ? 0 : byte - 1), reason});
  }

 private:
  struct Frame {
    bool object;
    std::string key;    // the current key of an object
    std::size_t index;  // the current element of an array
    std::set<std::string> keys;
  };

  bool value() {
    if (!frames_.empty() && !frames_.back().object) ++frames_.back().index;
    return true;
  }
  bool open(bool object) {
    frames_.push_back(Frame{object, {}, 0, {}});
    return true;
  }
  bool close() {
    frames_.pop_back();
    return value();
  }

  // The place of the container at frames_[n], written as the reader writes places.
  std::string path(std::size_t n) const {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
      const Frame& f = frames_[i];
      if (f.object) {
        out += (out.empty() ? "" : ".") + excerpt(f.key);
      } else {
        out += "[" + std::to_string(f.index) + "]";
      }
    }
    return out.empty() ? std::string("document") : out;
  }

  std::string_view text_;
  std::vector<Frame> frames_;
};

}  // namespace

std::optional<TextFault> findTextFault(std::string_view text) {
  if (auto deep = tooDeep(text)) return deep;
  // The parser takes a NUL byte for the end of the text; the text before it is checked as it
  // is, and a NUL byte is a fault of its own.
  const void* nul = std::memchr(text.data(), '\0', text.size());
  const std::size_t end =
      nul != nullptr ? static_cast<const char*>(nul) - text.data() : text.size();
  try {
    Events events(text);
    json::sax_parse(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(end), &events);
  } catch (const Found& found) {
    if (nul == nullptr || found.fault.place != lineColumn(text, end)) return found.fault;
  }
  if (nul != nullptr) {
    return TextFault{lineColumn(text, end),
                     "a NUL byte; a document file is text and never holds one"};
  }
  return std::nullopt;
}

}  // namespace c4ddoc
