#include "status_line.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

namespace c4dhost_app {

namespace {

constexpr int kBarWidth = 20;
constexpr int kDefaultWidth = 80;

void writeAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n <= 0) return;  // a terminal that went away loses its progress line, nothing more
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

std::string statusLineText(const c4dhost::StatusBar& status, int width) {
  const int filled = status.percent * kBarWidth / 100;
  std::string line = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, ' ') + "]";
  char percent[8];
  std::snprintf(percent, sizeof percent, " %3d%% ", status.percent);
  line += percent;
  line += status.text;
  // The last column stays free: a line that fills the terminal wraps on some of them.
  if (width > 1 && line.size() > static_cast<std::size_t>(width - 1)) line.resize(width - 1);
  return line;
}

StatusLine::StatusLine(int fd, bool enabled) : fd_(fd), enabled_(enabled && isatty(fd) == 1) {}

int StatusLine::width() const {
  struct winsize size {};
  if (ioctl(fd_, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return kDefaultWidth;
}

void StatusLine::show(const c4dhost::StatusBar& status) {
  if (!enabled_) return;
  if (status.percent < 0) {
    erase();
    return;
  }
  const auto now = std::chrono::steady_clock::now();
  if (drawn_ && status.percent == lastPercent_ &&
      now - lastDraw_ < std::chrono::milliseconds(kRedrawMs))
    return;
  // "\r" to the line's start, the text, then clear what a longer line left behind.
  writeAll(fd_, "\r" + statusLineText(status, width()) + "\033[K");
  drawn_ = true;
  lastPercent_ = status.percent;
  lastDraw_ = now;
}

void StatusLine::erase() {
  if (!drawn_) return;
  writeAll(fd_, "\r\033[K");
  drawn_ = false;
  lastPercent_ = -1;
}

}  // namespace c4dhost_app
