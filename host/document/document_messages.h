// Pieces of the reader's messages, shared by the parser and the check of the text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace c4ddoc {

// Quoted text in a message is cut to this many characters, then "...".
inline constexpr std::size_t kExcerptLength = 40;

// `text` as it may appear in a message: at most kExcerptLength characters (never a broken
// UTF-8 sequence), control characters written as \uXXXX, "..." when cut.
std::string excerpt(std::string_view text);
// The excerpt in double quotes.
std::string inQuotes(std::string_view text);
// "line L, column C" of the byte at `offset` (columns count bytes, from 1).
std::string lineColumn(std::string_view text, std::size_t offset);
// "1 point", "10 points".
std::string count(std::size_t n, const char* noun);
// A number as a message shows it (up to ten significant digits).
std::string fmtNumber(double v);

}  // namespace c4ddoc
