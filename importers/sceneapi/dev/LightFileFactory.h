// File factory: the text scene writer over an export file or standard output.
#pragma once

#include "LightFactory.h"
#include "zelapi.h"

#include <cstdio>
#include <string>

class zelScene_api_file;

namespace zel {

class LightFileFactory : public LightFactory {
 public:
  // Opens `path` for writing ("-" is the standard output the process started with;
  // anything else the process then prints to standard output goes to standard error)
  // and creates the writer with binary arrays on. Throws std::runtime_error
  // ("could not open file: \"PATH\"") when the output cannot be opened.
  explicit LightFileFactory(std::string path);
  // Shuts down; a close failure is reported on standard error, never thrown.
  ~LightFileFactory() override;

  LightFileFactory(const LightFileFactory&) = delete;
  LightFileFactory& operator=(const LightFileFactory&) = delete;

  zelScene_api* getApi() override;
  // Writes the file header comments.
  void init(zelSceneapi_oo* oo) override;
  // Destroys the writer and closes the stream; throws std::runtime_error
  // ("could not close file") when closing fails. A second call does nothing.
  void shutdown() override;

  void writeHeader();

 private:
  zelScene_api_file* writer_;
  FILE* stream_;
  std::string path_;
};

}  // namespace zel

// Formats a comment (printf rules) and hands it to the API's add_comment verbatim.
// The caller supplies the comment marks and line ends.
void sceneapi_comment(zelScene_api* api, char const* format, ...)
    __attribute__((format(printf, 2, 3)));
