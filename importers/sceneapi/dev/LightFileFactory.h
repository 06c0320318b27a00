// File factory: the text scene writer over an export file or a given stream.
#pragma once

#include "LightFactory.h"
#include "zelapi.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

class zelScene_api_file;

namespace zel {

class FileSink;

class LightFileFactory : public LightFactory {
 public:
  // Exports into the file at `path`. The scene is written to a temporary file beside the
  // target (".NAME.XXXXXX.tmp", never taken for a scene), which replaces the target only
  // when shutdown() found every byte written and synced; until then, and after any failure,
  // the target keeps its old bytes or stays absent. A symbolic link is followed, so the
  // file it names is replaced and the link stays. A target that exists and is not a regular
  // file (a device, a FIFO) is written in place.
  explicit LightFileFactory(std::string path);
  // Writes to an open stream (not owned, never closed; flushed at shutdown). `name` names it
  // in messages, e.g. "standard output".
  LightFileFactory(FILE* stream, std::string name);
  // Without a successful shutdown the output is abandoned: the temporary file is removed.
  ~LightFileFactory() override;

  LightFileFactory(const LightFileFactory&) = delete;
  LightFileFactory& operator=(const LightFileFactory&) = delete;

  // Opens the output on first use and creates the writer with binary arrays on; null when
  // the output cannot be opened (message(): "could not open file: \"PATH\": REASON").
  zelScene_api* getApi() override;
  // Writes the file header comments.
  void init(zelSceneapi_oo* oo) override;
  // Destroys the writer, flushes, syncs and closes the output and moves the temporary file
  // into place. False with message() "could not write file: \"PATH\": REASON" when any step
  // failed; the target is then left as it was.
  bool shutdown() override;
  std::string const& message() const override { return message_; }
  // The bytes written, once shut down (0 for an in-memory stream).
  std::uint64_t bytesWritten() const override { return bytes_; }
  // "written to PATH" (or to the stream's name).
  std::string destination() const override { return "written to " + path_; }

  void writeHeader();

 private:
  bool open();
  void abandon();
  bool fail(char const* what, int error);

  std::string path_;       // as given, for messages
  FILE* given_ = nullptr;  // the stream of the second constructor
  std::unique_ptr<FileSink> sink_;
  FILE* stream_ = nullptr;
  zelScene_api_file* writer_ = nullptr;
  bool opened_ = false;
  bool done_ = false;
  std::uint64_t bytes_ = 0;
  std::string message_;
};

}  // namespace zel

// Formats a comment (printf rules) and hands it to the API's add_comment verbatim.
// The caller supplies the comment marks and line ends.
void sceneapi_comment(zelScene_api* api, char const* format, ...)
    __attribute__((format(printf, 2, 3)));
