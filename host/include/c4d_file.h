#pragma once

#include "c4d_string.h"
#include "ge_prepass.h"

// A file or folder name of the host, kept as one path string with '/'
// separators.
class Filename {
 public:
  Filename() = default;
  Filename(const char* path) : path_(path ? path : "") {}
  Filename(const maxon::String& path) : path_(path.GetUtf8()) {}

  Bool IsPopulated() const { return !path_.empty(); }
  Bool IsEmpty() const { return path_.empty(); }
  Bool Content() const { return !path_.empty(); }

  // The whole path.
  String GetString() const { return String(path_); }
  // The last part of the path (the file name with its suffix).
  String GetFileString() const;
  Filename GetFile() const { return Filename(GetFileString()); }
  // Everything before the last part.
  Filename GetDirectory() const;
  String GetSuffix() const;

  // Keeps the file part and puts it in the folder dir.
  void SetDirectory(const Filename& dir);
  // Keeps the folder and replaces the file part.
  void SetFile(const Filename& file);
  // Replaces the suffix of the file part (or adds one).
  void SetSuffix(const maxon::String& suffix);
  void SetString(const maxon::String& path) { path_ = path.GetUtf8(); }
  // Appends a path part.
  Filename operator+(const Filename& part) const;

  // Opens the host's file dialog, preset to this name. On success the name is
  // replaced by the chosen one and true is returned; false when cancelled.
  // A forced suffix is given to a chosen name that lacks it ("-", standard
  // output, is taken as it is). The stand-in host answers the dialog from its
  // runtime (see c4dhost_runtime.h).
  Bool FileSelect(FILESELECTTYPE type, FILESELECT flags, const maxon::String& title,
                  const maxon::String& force_suffix = maxon::String());

  friend bool operator==(const Filename& a, const Filename& b) { return a.path_ == b.path_; }
  friend bool operator!=(const Filename& a, const Filename& b) { return a.path_ != b.path_; }

 private:
  std::string path_;
};
