// The text of a document in memory, as the parser reads it: one buffer with room after the
// text, since the JSON parser reads whole blocks and may look past the text's last byte.
#pragma once

#include "document_content.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace c4ddoc {

// Bytes readable after the text (the JSON parser's padding).
inline constexpr std::size_t kTextPadding = 64;

class DocumentText {
 public:
  // A copy of text held in memory. Throws DocumentError for a text over kMaxDocumentSize.
  static DocumentText copyOf(std::string_view text, std::string_view sourceName);
  // The whole of a regular file, read once. Throws DocumentError (naming the file and the
  // system's reason) for a file that cannot be opened or read, a folder, a device, a pipe
  // or a socket, and a file over kMaxDocumentSize.
  static DocumentText readFile(const std::string& path);

  std::string_view view() const { return {bytes_.get(), size_}; }

 private:
  explicit DocumentText(std::size_t size);

  std::unique_ptr<char[]> bytes_;
  std::size_t size_ = 0;
};

// Parses and checks a document's text, as parseDocument does.
DocumentRecord parseDocumentText(const DocumentText& text, std::string_view sourceName,
                                 const ParseOptions& options);

}  // namespace c4ddoc
