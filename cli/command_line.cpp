#include "command_line.h"

#include "solvane_version.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <utility>

namespace solvane_cli {

struct CommandLine::Parser {
  Parser(const std::string& usage, const std::string& name) : app(usage, name) {}
  CLI::App app;
};

CommandLine::CommandLine(std::string name, std::string usage)
    : name_(std::move(name)),
      usage_(std::move(usage)),
      parser_(std::make_unique<Parser>(usage_, name_)) {
  parser_->app.set_help_flag("-h,--help");
  parser_->app.add_flag_callback("--version", [this] {
    std::printf("%s %s\n", name_.c_str(), SOLVANE_VERSION);
    throw CLI::Success();
  });
}

CommandLine::~CommandLine() = default;

void CommandLine::flag(const std::string& names, bool& target) {
  parser_->app.add_flag(names, target);
}

void CommandLine::option(const std::string& names, std::string& target) {
  parser_->app.add_option(names, target);
}

void CommandLine::option(const std::string& names, int& target) {
  parser_->app.add_option(names, target);
}

void CommandLine::option(const std::string& names, std::optional<std::string>& target) {
  parser_->app.add_option(names, target)->multi_option_policy(CLI::MultiOptionPolicy::Throw);
}

void CommandLine::values(const std::string& names, std::vector<std::string>& target, int count) {
  CLI::Option* option = parser_->app.add_option(names, target);
  if (count > 0) option->expected(count);
}

void CommandLine::exclusive(const std::string& first, const std::string& second) {
  CLI::Option* a = parser_->app.get_option_no_throw(first);
  CLI::Option* b = parser_->app.get_option_no_throw(second);
  if (a && b) b->excludes(a);
}

int CommandLine::parse(int argc, char** argv, const std::function<void()>& check) {
  try {
    parser_->app.parse(argc, argv);
    check();
  } catch (const UsageError& e) {
    return usageError(e.message);
  } catch (const CLI::CallForHelp&) {
    std::fputs(usage_.c_str(), stdout);
    return 0;
  } catch (const CLI::Success&) {
    return 0;
  } catch (const CLI::ParseError& e) {
    return usageError(e.what());
  }
  return -1;
}

int CommandLine::usageError(const std::string& message) {
  std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", name_.c_str(), message.c_str(), name_.c_str());
  return 2;
}

}  // namespace solvane_cli
