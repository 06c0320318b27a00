#include "document_text.h"

#include "document_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace c4ddoc {
namespace {

std::string sizeLimit() {
  return "the " + std::to_string(kMaxDocumentSize >> 30) + " GiB (" +
         std::to_string(kMaxDocumentSize) + " bytes) a document may have";
}

const char* kindOfFile(mode_t mode) {
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

class FileCloser {
 public:
  explicit FileCloser(int fd) : fd_(fd) {}
  ~FileCloser() { close(fd_); }
  FileCloser(const FileCloser&) = delete;
  FileCloser& operator=(const FileCloser&) = delete;

 private:
  int fd_;
};

}  // namespace

DocumentText::DocumentText(std::size_t size)
    // Not zeroed: pages of the text cost memory only once the text is written into them.
    : bytes_(new char[size + kTextPadding]), size_(size) {
  std::memset(bytes_.get() + size, 0, kTextPadding);
}

DocumentText DocumentText::copyOf(std::string_view text, std::string_view sourceName) {
  if (text.size() > kMaxDocumentSize) {
    throw DocumentError(
        std::string(sourceName), "document",
        "the text is " + std::to_string(text.size()) + " bytes, more than " + sizeLimit());
  }
  DocumentText copy(text.size());
  if (!text.empty()) std::memcpy(copy.bytes_.get(), text.data(), text.size());
  return copy;
}

DocumentText DocumentText::readFile(const std::string& path) {
  auto fail = [&path](const std::string& message) { throw DocumentError(path, "file", message); };
  auto reason = [] { return std::string(std::strerror(errno)); };
  // Not blocking: opening a FIFO would otherwise wait for a writer.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) fail("cannot be opened for reading: " + reason());
  FileCloser closer(fd);
  struct stat info {};
  if (fstat(fd, &info) != 0) fail("cannot be read: " + reason());
  if (S_ISDIR(info.st_mode)) fail("is a folder, not a document file");
  if (!S_ISREG(info.st_mode))
    fail(std::string("is ") + kindOfFile(info.st_mode) + ", not a document file");
  const auto size = static_cast<std::uint64_t>(info.st_size);
  if (size > kMaxDocumentSize)
    fail("is " + std::to_string(size) + " bytes, more than " + sizeLimit());

  DocumentText text(static_cast<std::size_t>(size));
  std::size_t done = 0;
  while (done < text.size_) {
    const ssize_t n = read(fd, text.bytes_.get() + done, text.size_ - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) fail("cannot be read: " + reason());
    if (n == 0) break;  // the file shrank meanwhile: it is taken as it is now
    done += static_cast<std::size_t>(n);
  }
  if (done < text.size_) {
    std::memset(text.bytes_.get() + done, 0, kTextPadding);
    text.size_ = done;
  }
  return text;
}

}  // namespace c4ddoc
