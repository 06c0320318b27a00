// One output file written so that a failure never costs the user what was there before.
#pragma once

#include <cstdio>
#include <string>

namespace zel {

// A C stream over a file descriptor that keeps the system's reason for the first failed
// write (a stdio stream forgets it: a later fflush reports success). Regular files are
// written to a temporary file in the target's folder and renamed over the target by
// commit(); anything else (a device, a FIFO, a descriptor handed in) is written in place.
class FileSink {
 public:
  FileSink() = default;
  ~FileSink();  // abandons an uncommitted output
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;

  // Opens `path`. A folder is refused (EISDIR); a FIFO without a reader is refused at once
  // (ENXIO) rather than waited for. False with error() set.
  bool open(const std::string& path);
  // Writes to the descriptor of `stream` (flushed first; not closed), or to the stream itself
  // when it has none. False with error() set.
  bool adopt(FILE* stream);

  FILE* stream() const { return stream_; }
  // Flushes, syncs and closes the output and renames the temporary file into place (and
  // syncs the folder). False with error() set; the temporary file is then removed.
  bool commit();
  // Closes the output and removes the temporary file; the target is left as it was.
  void abandon();

  // The system's reason (an errno value) for the last failure, 0 when none.
  int error() const { return error_; }
  // Records a write failure; the stream's write function calls it.
  void failed(int error);
  int descriptor() const { return fd_; }
  // Counts bytes that reached the descriptor; the stream's write function calls it.
  void wrote(size_t bytes) { written_ += bytes; }
  // Bytes written to the descriptor since open() or adopt(); 0 for a stream without one.
  unsigned long long bytesWritten() const { return written_; }

 private:
  bool openStream(int fd, bool owned);
  bool fail(int error);
  bool closeStream();

  std::string target_;     // the file the temporary file replaces
  std::string temporary_;  // "" when written in place
  int fd_ = -1;
  bool ownsFd_ = false;
  FILE* stream_ = nullptr;
  bool cookie_ = false;  // stream_ is ours (a cookie stream), not the adopted one
  int error_ = 0;
  unsigned long long written_ = 0;
};

}  // namespace zel
