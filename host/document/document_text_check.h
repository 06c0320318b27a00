// The exact check of a document's text as JSON, for a text that the fast parser could not
// take: it finds the first fault of the text itself, so that a file that is not even JSON is
// reported as such, at its line and column, before any fault of its content.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace c4ddoc {

struct TextFault {
  std::string place;  // "line L, column C", or the path of an object with a field given twice
  std::string message;
};

// The first of, in this order: nesting deeper than kMaxJsonDepth; a syntax error, a number
// too large or a field given twice in one object (whichever comes first in the text); a NUL
// byte. Nothing when the text is well-formed JSON.
std::optional<TextFault> findTextFault(std::string_view text);

}  // namespace c4ddoc
