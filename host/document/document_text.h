// The text of a document in memory, as the parser reads it: one buffer with room after the
// text, since the JSON parser reads whole blocks and may look past the text's last byte.
//
// A big file's text need not be held whole while its records grow: the parser gives back the
// pages it has passed (release) and has them read in again from the file should it go back
// (restoreFrom), so that text, parser index and records do not add up at their full sizes.
#pragma once

#include "document_content.h"

#include <time.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

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

  // The text; only the part from the last released page on is readable after release().
  std::string_view view() const { return {bytes_.get(), size_}; }

  // Gives the whole pages of a file's text before `upTo` back to the system. Only texts of
  // at least kReleasableSize bytes and steps of at least kReleaseStep bytes are released;
  // a copied text is always kept whole.
  void release(const char* upTo);
  // Reads the released pages from `from` on in again. Throws DocumentError when the file was
  // changed since it was read.
  void restoreFrom(const char* from);
  void restoreAll() { restoreFrom(bytes_.get()); }

  static constexpr std::size_t kReleasableSize = std::size_t{1} << 20;
  static constexpr std::size_t kReleaseStep = std::size_t{256} << 10;

 private:
  explicit DocumentText(std::size_t size);

  // An open file, closed with the text.
  class FileHandle {
   public:
    FileHandle() = default;
    explicit FileHandle(int fd) : fd_(fd) {}
    FileHandle(FileHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileHandle& operator=(FileHandle&& other) noexcept {
      std::swap(fd_, other.fd_);
      return *this;
    }
    ~FileHandle();
    int get() const { return fd_; }

   private:
    int fd_ = -1;
  };

  std::unique_ptr<char[]> bytes_;
  std::size_t size_ = 0;
  // The file the text came from, kept open to read released pages in again.
  std::string path_;
  FileHandle file_;
  // The file's size and time of change when it was read; a file changed since cannot give
  // back released pages.
  std::uint64_t fileSize_ = 0;
  struct timespec modified_ {};
  // Released pages: [releasedBegin_, releasedEnd_) as offsets into bytes_.
  std::size_t releasedBegin_ = 0;
  std::size_t releasedEnd_ = 0;

  // The offset of the page boundary at or before `at`, counted on the pages that can be
  // released; never before the first of them.
  std::size_t pageStart(const char* at) const;
};

// Parses and checks a document's text, as parseDocument does.
DocumentRecord parseDocumentText(DocumentText& text, std::string_view sourceName,
                                 const ParseOptions& options);

}  // namespace c4ddoc
