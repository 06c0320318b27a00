#include "command_line.h"

#include "solvane_version.h"

#include <cstdio>
#include <utility>

namespace solvane_cli {

CommandLine::CommandLine(std::string name, std::string usage)
    : name_(std::move(name)), usage_(std::move(usage)), app_(usage_, name_) {
  app_.set_help_flag("-h,--help");
  app_.add_flag_callback("--version", [this] {
    std::printf("%s %s\n", name_.c_str(), SOLVANE_VERSION);
    throw CLI::Success();
  });
}

int CommandLine::finish(const CLI::ParseError& e) {
  if (dynamic_cast<const CLI::CallForHelp*>(&e) != nullptr) {
    std::fputs(usage_.c_str(), stdout);
    return 0;
  }
  if (dynamic_cast<const CLI::Success*>(&e) != nullptr) return 0;
  return usageError(e.what());
}

int CommandLine::usageError(const std::string& message) {
  std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", name_.c_str(), message.c_str(), name_.c_str());
  return 2;
}

}  // namespace solvane_cli
