#include "document_messages.h"

#include <algorithm>
#include <cstdio>

namespace c4ddoc {

std::string excerpt(std::string_view text) {
  // Most text in messages (keys, ids, names) is short and plain.
  if (text.size() <= kExcerptLength &&
      std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; }))
    return std::string(text);
  std::string out;
  std::size_t characters = 0;
  std::size_t i = 0;
  while (i < text.size() && characters < kExcerptLength) {
    const auto c = static_cast<unsigned char>(text[i]);
    // The length of the UTF-8 sequence that starts here; a stray byte counts as one.
    std::size_t n = c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (i + n > text.size()) n = text.size() - i;
    if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out.append(text, i, n);
    }
    i += n;
    ++characters;
  }
  if (i < text.size()) out += "...";
  return out;
}

std::string inQuotes(std::string_view text) { return "\"" + excerpt(text) + "\""; }

std::string lineColumn(std::string_view text, std::size_t offset) {
  std::size_t line = 1;
  std::size_t column = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

std::string count(std::size_t n, const char* noun) {
  return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

std::string fmtNumber(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.10g", v);
  return buf;
}

}  // namespace c4ddoc
