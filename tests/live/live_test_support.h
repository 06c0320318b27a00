// Helpers of the live-link tests: temporary installation trees, the path
// templates pointed at them, a captured log and the scripted link library.
#pragma once

#include "fake_live.h"
#include "log.h"
#include "solvane_system.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace livetest {

namespace fs = std::filesystem;

// A fresh folder removed with everything in it at the end.
class TempDir {
 public:
  TempDir() : path_((fs::temp_directory_path() / "zel-live-XXXXXX").string()) {
    if (!mkdtemp(&path_[0])) ADD_FAILURE() << "mkdtemp failed";
  }
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TempDir(TempDir const&) = delete;
  TempDir& operator=(TempDir const&) = delete;

  std::string const& path() const { return path_; }
  std::string operator/(std::string const& relative) const { return path_ + "/" + relative; }

 private:
  std::string path_;
};

// Points both installation templates into a temporary tree and restores
// them afterwards. Regular version v: <root>/reg<v>/, floating: <root>/flt<v>/.
class InstallTree {
 public:
  InstallTree() {
    SolvaneSystem::solvaneNLPath = regular_.c_str();
    SolvaneSystem::solvaneFltPath = floating_.c_str();
  }
  ~InstallTree() {
    SolvaneSystem::solvaneNLPath = savedRegular_;
    SolvaneSystem::solvaneFltPath = savedFloating_;
  }

  std::string regular(int version) const { return dir_ / ("reg" + std::to_string(version) + "/"); }
  std::string floating(int version) const { return dir_ / ("flt" + std::to_string(version) + "/"); }
  std::string addRegular(int version) const { return make(regular(version)); }
  std::string addFloating(int version) const { return make(floating(version)); }
  std::string const& root() const { return dir_.path(); }

 private:
  static std::string make(std::string const& path) {
    fs::create_directories(path);
    return path;
  }
  char const* savedRegular_ = SolvaneSystem::solvaneNLPath;
  char const* savedFloating_ = SolvaneSystem::solvaneFltPath;
  TempDir dir_;
  std::string regular_ = dir_ / "reg%d/";
  std::string floating_ = dir_ / "flt%d/";
};

// Sends the log to memory for the life of the object.
class LogCapture {
 public:
  LogCapture() { Output2FILE::Stream() = file_; }
  ~LogCapture() {
    // Without a log of its own the process keeps writing to nowhere rather
    // than trying the installation's log folder on every message.
    static FILE* nowhere = std::fopen("/dev/null", "w");
    Output2FILE::Stream() = saved_ ? saved_ : nowhere;
    if (file_) std::fclose(file_);
    std::free(data_);
  }
  LogCapture(LogCapture const&) = delete;
  LogCapture& operator=(LogCapture const&) = delete;

  std::string text() const {
    std::fflush(file_);
    return std::string(data_, size_);
  }

 private:
  FILE* saved_ = Output2FILE::Stream();
  char* data_ = nullptr;
  std::size_t size_ = 0;
  FILE* file_ = open_memstream(&data_, &size_);
};

#ifdef FAKE_LIVE_LIBRARY
// Holds the fake link library open so its control block outlives the
// loader's use of it; the block starts reset.
class FakeLibrary {
 public:
  FakeLibrary() {
    auto get = reinterpret_cast<FakeLiveControl* (*)()>(
        handle_ ? dlsym(handle_, "fake_live_control") : nullptr);
    control_ = get ? get() : nullptr;
    if (control_) control_->reset();
  }
  ~FakeLibrary() {
    if (handle_) dlclose(handle_);
  }
  FakeLibrary(FakeLibrary const&) = delete;
  FakeLibrary& operator=(FakeLibrary const&) = delete;

  FakeLiveControl* operator->() const { return control_; }
  bool ok() const { return control_ != nullptr; }

 private:
  void* handle_ = dlopen(FAKE_LIVE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  FakeLiveControl* control_ = nullptr;
};
#endif

}  // namespace livetest
