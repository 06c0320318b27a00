// Helpers of the live-link tests: temporary installation trees, the path
// templates pointed at them, and a captured log.
#pragma once

#include "log.h"
#include "solvane_system.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace livetest {

namespace fs = std::filesystem;

// A fresh folder removed with everything in it at the end.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "zel-live-XXXXXX").string();
    char* made = mkdtemp(&pattern[0]);
    if (!made) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
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
  InstallTree()
      : regular_(dir_ / "reg%d/"),
        floating_(dir_ / "flt%d/"),
        savedRegular_(SolvaneSystem::solvaneNLPath),
        savedFloating_(SolvaneSystem::solvaneFltPath) {
    SolvaneSystem::solvaneNLPath = regular_.c_str();
    SolvaneSystem::solvaneFltPath = floating_.c_str();
  }
  ~InstallTree() {
    SolvaneSystem::solvaneNLPath = savedRegular_;
    SolvaneSystem::solvaneFltPath = savedFloating_;
  }

  std::string regular(int version) const { return dir_ / ("reg" + std::to_string(version) + "/"); }
  std::string floating(int version) const {
    return dir_ / ("flt" + std::to_string(version) + "/");
  }
  std::string addRegular(int version) const { return make(regular(version)); }
  std::string addFloating(int version) const { return make(floating(version)); }
  std::string const& root() const { return dir_.path(); }

 private:
  static std::string make(std::string const& path) {
    fs::create_directories(path);
    return path;
  }
  TempDir dir_;
  std::string regular_;
  std::string floating_;
  char const* savedRegular_;
  char const* savedFloating_;
};

// Sends the log to a temporary file for the life of the object.
class LogCapture {
 public:
  LogCapture() : saved_(Output2FILE::Stream()), file_(std::tmpfile()) {
    Output2FILE::Stream() = file_;
  }
  ~LogCapture() {
    // Without a log of its own the process keeps writing to nowhere rather
    // than trying the installation's log folder on every message.
    static FILE* nowhere = std::fopen("/dev/null", "w");
    Output2FILE::Stream() = saved_ ? saved_ : nowhere;
    if (file_) std::fclose(file_);
  }
  LogCapture(LogCapture const&) = delete;
  LogCapture& operator=(LogCapture const&) = delete;

  std::string text() const {
    std::string result;
    std::rewind(file_);
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file_)) > 0) result.append(buffer, n);
    std::fseek(file_, 0, SEEK_END);
    return result;
  }

 private:
  FILE* saved_;
  FILE* file_;
};

inline void writeFile(std::string const& path, std::string const& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
}

}  // namespace livetest
