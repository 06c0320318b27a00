#include "LightFileFactory.h"

#include "zelsceneapi_file.h"

#include <unistd.h>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace zel {

namespace {

// "-": a private copy of the standard output the process started with; descriptor 1
// then becomes a copy of standard error so that nothing else mixes into the scene data.
FILE* open_standard_output() {
  std::fflush(stdout);
  int fd = dup(fileno(stdout));
  if (fd < 0) return nullptr;
  FILE* stream = fdopen(fd, "wb");
  if (!stream) {
    close(fd);
    return nullptr;
  }
  dup2(2, 1);
  return stream;
}

}  // namespace

LightFileFactory::LightFileFactory(std::string path)
    : writer_(nullptr), stream_(nullptr), path_(std::move(path)) {
  stream_ = path_ == "-" ? open_standard_output() : std::fopen(path_.c_str(), "wb+");
  if (!stream_) {
    std::perror("opening file");
    throw std::runtime_error("could not open file: \"" + path_ + "\"");
  }
  writer_ = new zelScene_api_file(stream_, true);
}

LightFileFactory::~LightFileFactory() {
  try {
    shutdown();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: \"%s\"; the scene written there may be incomplete\n", e.what(),
                 path_.c_str());
  }
}

zelScene_api* LightFileFactory::getApi() { return writer_; }

void LightFileFactory::init(zelSceneapi_oo*) { writeHeader(); }

void LightFileFactory::writeHeader() {
  sceneapi_comment(writer_, "%s", "//---tessan:dal:7---\n");
  sceneapi_comment(writer_, "%s", "//---import:dal:1---\n");
  sceneapi_comment(writer_, "%s", "//---id:1---\n");
  sceneapi_comment(writer_, "%s", "// This is a Solvane scene file\n\n");
}

void LightFileFactory::shutdown() {
  delete writer_;
  writer_ = nullptr;
  if (!stream_) return;
  FILE* stream = stream_;
  stream_ = nullptr;
  // A write that failed in an earlier flush leaves only the stream's error flag behind;
  // fclose alone would then report success for an incomplete file.
  const bool earlierWriteFailed = std::ferror(stream) != 0;
  if (std::fclose(stream) != 0) {
    std::perror("closing file");
    throw std::runtime_error("could not close file");
  }
  if (earlierWriteFailed) {
    std::fprintf(stderr, "closing file: an earlier write to the file failed\n");
    throw std::runtime_error("could not close file");
  }
}

}  // namespace zel

// Formats into a 4 KiB buffer; a longer comment is formatted again on the heap so that it
// is never cut short.
void sceneapi_comment(zelScene_api* api, char const* format, ...) {
  if (!api || !format) return;
  char buffer[4096];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n < 0) {
    va_end(again);
    return;
  }
  if (static_cast<size_t>(n) < sizeof buffer) {
    va_end(again);
    api->add_comment(buffer);
    return;
  }
  std::unique_ptr<char[]> large(new char[static_cast<size_t>(n) + 1]);
  std::vsnprintf(large.get(), static_cast<size_t>(n) + 1, format, again);
  va_end(again);
  api->add_comment(large.get());
}
