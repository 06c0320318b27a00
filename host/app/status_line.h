// The plug-in's status bar drawn on a terminal: one line of standard error, rewritten in
// place with a carriage return, so that a long command shows that it moves.
#pragma once

#include <chrono>
#include <string>

#include "c4dhost_runtime.h"

namespace c4dhost_app {

class StatusLine {
 public:
  // Draws on descriptor `fd` only when `enabled` and the descriptor is a terminal.
  StatusLine(int fd, bool enabled);
  ~StatusLine() { erase(); }
  StatusLine(const StatusLine&) = delete;
  StatusLine& operator=(const StatusLine&) = delete;

  // Redraws the line for the status bar ("[#####     ]  50% Cube"); a status without a bar
  // erases it. Changes of the text alone are drawn at most every kRedrawMs.
  void show(const c4dhost::StatusBar& status);
  // Removes the line, so that other output starts on a clean line.
  void erase();

  static constexpr int kRedrawMs = 100;

 private:
  int width() const;

  int fd_;
  bool enabled_;
  bool drawn_ = false;
  int lastPercent_ = -1;
  std::chrono::steady_clock::time_point lastDraw_;
};

// "[#####     ]  50% Cube", cut to `width` columns (bytes; UTF-8 labels may come out shorter).
std::string statusLineText(const c4dhost::StatusBar& status, int width);

}  // namespace c4dhost_app
