#include "document_text.h"

#include "document_reader.h"

#include <fcntl.h>
#include <sys/mman.h>
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

std::size_t pageSize() {
  static const std::size_t size = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  return size;
}

bool sameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

DocumentText::FileHandle::~FileHandle() {
  if (fd_ >= 0) close(fd_);
}

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
  FileHandle file(fd);
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
  if (fstat(fd, &info) != 0) fail("cannot be read: " + reason());
  text.path_ = path;
  text.file_ = std::move(file);
  text.fileSize_ = static_cast<std::uint64_t>(info.st_size);
  text.modified_ = info.st_mtim;
  // Pages are released from the first whole page of the text on.
  const std::size_t page = pageSize();
  const auto base = reinterpret_cast<std::uintptr_t>(text.bytes_.get());
  text.releasedBegin_ = text.releasedEnd_ = (page - base % page) % page;
  return text;
}

std::size_t DocumentText::pageStart(const char* at) const {
  const auto offset = static_cast<std::size_t>(at - bytes_.get());
  if (offset <= releasedBegin_) return releasedBegin_;
  return releasedBegin_ + (offset - releasedBegin_) / pageSize() * pageSize();
}

void DocumentText::release(const char* upTo) {
  if (file_.get() < 0 || size_ < kReleasableSize) return;
  const std::size_t end = pageStart(upTo);
  if (end < releasedEnd_ + kReleaseStep) return;
  // Private pages given back read as zeros; the parser does not look at them again without
  // restoreFrom().
  if (madvise(bytes_.get() + releasedEnd_, end - releasedEnd_, MADV_DONTNEED) == 0)
    releasedEnd_ = end;
}

void DocumentText::restoreFrom(const char* from) {
  // From the start of the page that holds `from`, so that released pages stay whole.
  const std::size_t begin = pageStart(from);
  if (begin >= releasedEnd_) return;
  auto fail = [this](const std::string& message) { throw DocumentError(path_, "file", message); };
  struct stat info {};
  if (fstat(file_.get(), &info) != 0) fail("cannot be read: " + std::string(std::strerror(errno)));
  if (static_cast<std::uint64_t>(info.st_size) != fileSize_ || !sameTime(info.st_mtim, modified_))
    fail("was changed while it was being read; open it again");
  std::size_t done = begin;
  while (done < releasedEnd_) {
    const ssize_t n =
        pread(file_.get(), bytes_.get() + done, releasedEnd_ - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      fail("cannot be read: " + std::string(n < 0 ? std::strerror(errno) : "it ended early"));
    done += static_cast<std::size_t>(n);
  }
  releasedEnd_ = begin;
}

}  // namespace c4ddoc
