#include "FileSink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

namespace zel {

namespace {

constexpr size_t kStreamBuffer = 1u << 16;
constexpr int kTemporaryAttempts = 100;
// Longest part of the target's name kept in the temporary file's name, so that the
// temporary name (".", the part, ".XXXXXX.tmp") stays within a file name's limit.
constexpr size_t kNamePart = 200;

ssize_t sinkWrite(void* cookie, char const* data, size_t size) {
  FileSink* sink = static_cast<FileSink*>(cookie);
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(sink->descriptor(), data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      sink->failed(n < 0 ? errno : EIO);
      return -1;
    }
    done += static_cast<size_t>(n);
    sink->wrote(static_cast<size_t>(n));
  }
  return static_cast<ssize_t>(size);
}

int sinkClose(void*) { return 0; }  // the descriptor belongs to the sink

std::string folderOf(std::string const& path) {
  std::string::size_type slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(std::string const& path) {
  std::string::size_type slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string randomTag() {
  static std::mt19937 generator{std::random_device{}()};
  static char const digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string tag(6, 'x');
  for (char& c : tag) c = digits[generator() % (sizeof digits - 1)];
  return tag;
}

// Makes a fresh file's data and name durable: a rename is kept only once its folder is synced.
void syncFolder(std::string const& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  ::close(fd);
}

}  // namespace

FileSink::~FileSink() { abandon(); }

void FileSink::failed(int error) {
  if (error_ == 0) error_ = error;
}

bool FileSink::fail(int error) {
  failed(error != 0 ? error : EIO);
  abandon();
  return false;
}

bool FileSink::open(std::string const& path) {
  abandon();
  error_ = 0;
  written_ = 0;
  if (path.empty()) return fail(ENOENT);
  struct stat info;
  mode_t mode = 0;
  bool replace = true;
  if (stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return fail(EISDIR);
    replace = S_ISREG(info.st_mode);
    mode = info.st_mode & 07777;
  } else if (errno != ENOENT) {
    return fail(errno);
  }

  if (!replace) {
    // A device or a FIFO: written in place. A FIFO nobody reads would block for good.
    int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return fail(errno);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return openStream(fd, true);
  }

  target_ = path;
  if (mode != 0) {
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved)) target_ = resolved;
  }
  std::string const stem = folderOf(target_) + "/." + nameOf(target_).substr(0, kNamePart) + ".";
  int fd = -1;
  for (int attempt = 0; attempt < kTemporaryAttempts && fd < 0; ++attempt) {
    temporary_ = stem + randomTag() + ".tmp";
    fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    int error = errno;
    temporary_.clear();
    return fail(error);
  }
  // The new file takes the place of the old one, permissions included.
  if (mode != 0) fchmod(fd, mode);
  return openStream(fd, true);
}

bool FileSink::adopt(FILE* stream) {
  abandon();
  error_ = 0;
  written_ = 0;
  if (!stream) return fail(EBADF);
  if (std::fflush(stream) != 0) return fail(errno);
  int fd = fileno(stream);
  if (fd >= 0) return openStream(fd, false);
  stream_ = stream;  // an in-memory stream: written as it is
  cookie_ = false;
  return true;
}

bool FileSink::openStream(int fd, bool owned) {
  fd_ = fd;
  ownsFd_ = owned;
  cookie_io_functions_t io = {};
  io.write = sinkWrite;
  io.close = sinkClose;
  stream_ = fopencookie(this, "w", io);
  if (!stream_) return fail(errno);
  cookie_ = true;
  setvbuf(stream_, nullptr, _IOFBF, kStreamBuffer);
  return true;
}

bool FileSink::closeStream() {
  if (!stream_) return error_ == 0;
  bool flushed = std::fflush(stream_) == 0 && !std::ferror(stream_);
  if (cookie_) std::fclose(stream_);
  stream_ = nullptr;
  if (!flushed) failed(EIO);  // keeps the write's own reason when the sink saw one
  return error_ == 0;
}

bool FileSink::commit() {
  if (!closeStream()) return fail(error_);
  if (!temporary_.empty() && fsync(fd_) != 0) return fail(errno);
  if (ownsFd_) {
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return fail(errno);
  }
  fd_ = -1;
  if (!temporary_.empty()) {
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) return fail(errno);
    temporary_.clear();
    syncFolder(folderOf(target_));
  }
  return true;
}

void FileSink::abandon() {
  if (stream_ && cookie_) std::fclose(stream_);
  stream_ = nullptr;
  if (ownsFd_ && fd_ >= 0) ::close(fd_);
  fd_ = -1;
  ownsFd_ = false;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

}  // namespace zel
