#include "LightFileFactory.h"

#include "FileSink.h"
#include "zelsceneapi_file.h"

#include <cstdarg>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace zel {

LightFileFactory::LightFileFactory(std::string path) : path_(std::move(path)) {}

LightFileFactory::LightFileFactory(FILE* stream, std::string name)
    : path_(std::move(name)), given_(stream) {}

LightFileFactory::~LightFileFactory() { abandon(); }

zelScene_api* LightFileFactory::getApi() {
  if (!opened_ && !done_) {
    opened_ = true;
    open();
  }
  return writer_;
}

bool LightFileFactory::open() {
  sink_ = std::make_unique<FileSink>();
  bool opened = given_ ? sink_->adopt(given_) : sink_->open(path_);
  if (!opened) return fail("could not open file", sink_->error());
  writer_ = new zelScene_api_file(sink_->stream(), true);
  return true;
}

void LightFileFactory::init(zelSceneapi_oo*) { writeHeader(); }

void LightFileFactory::writeHeader() {
  sceneapi_comment(writer_, "%s", "//---tessan:dal:7---\n");
  sceneapi_comment(writer_, "%s", "//---import:dal:1---\n");
  sceneapi_comment(writer_, "%s", "//---id:1---\n");
  sceneapi_comment(writer_, "%s", "// This is a Solvane scene file\n\n");
}

bool LightFileFactory::shutdown() {
  if (done_) return true;
  done_ = true;
  if (!writer_) return message_.empty();
  delete writer_;
  writer_ = nullptr;
  if (!sink_->commit()) return fail("could not write file", sink_->error());
  bytes_ = sink_->bytesWritten();
  sink_.reset();
  return true;
}

void LightFileFactory::abandon() {
  delete writer_;
  writer_ = nullptr;
  sink_.reset();
}

bool LightFileFactory::fail(char const* what, int error) {
  message_ = std::string(what) + ": \"" + path_ + "\": " + std::strerror(error);
  abandon();
  return false;
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
