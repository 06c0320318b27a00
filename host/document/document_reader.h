// Reading document files (JSON) into the stand-in host's document model.
//
// The file format is described in host/document/README.md. A file is checked whole before
// anything is built: a bad file gives a DocumentError that names the place of the fault
// (for example "objects[2]: polygon 7 uses point 12, but the object has 10 points") and no
// document at all.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

class BaseDocument;

namespace c4ddoc {

// The format version this reader understands (the file's "version" field).
inline constexpr int kFormatVersion = 1;
// Objects nest (children, caches and deform caches) at most this many levels deep.
inline constexpr int kMaxObjectDepth = 100;
// Arrays and objects of the JSON text nest at most this many levels deep.
inline constexpr int kMaxJsonDepth = 256;
// A document's text has at most this many bytes (2 GiB); reading one takes about four times
// its size in memory while it is parsed.
inline constexpr std::size_t kMaxDocumentSize = std::size_t{2} << 30;

// A document file that cannot be read. what() is "<source>: <place>: <message>"; a syntax
// error's place is "line L, column C".
class DocumentError : public std::runtime_error {
 public:
  DocumentError(std::string source, std::string place, std::string message);

  const std::string& source() const { return source_; }
  const std::string& place() const { return place_; }
  const std::string& message() const { return message_; }

 private:
  std::string source_;
  std::string place_;
  std::string message_;
};

// Frees a document with the host's own deallocation.
struct DocumentDeleter {
  void operator()(BaseDocument* doc) const;
};
using DocumentPtr = std::unique_ptr<BaseDocument, DocumentDeleter>;

struct ReadOptions {
  // Folder that a relative "folder" field of the file is resolved against; for a file read
  // from disk, the file's own folder.
  std::string baseFolder;
};

// Reads a document from JSON text. `sourceName` names the text in messages. Throws
// DocumentError on any fault of the text.
DocumentPtr readDocument(std::string_view json, std::string_view sourceName,
                         const ReadOptions& options = {});

// Reads a document file; its folder is the base for a relative "folder" field. Throws
// DocumentError also when the file cannot be read, is not a regular file or is larger than
// kMaxDocumentSize; such a message names the file and the reason.
DocumentPtr readDocumentFile(const std::string& path);

}  // namespace c4ddoc
