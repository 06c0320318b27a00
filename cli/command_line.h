// The command line of every program of the project, parsed by CLI11 so that "--opt=value",
// "--" (the end of options) and "-" (a positional argument: standard input or output) mean
// the same everywhere. The library stays behind this file, so that it is compiled once.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace solvane_cli {

// A mistake on the command line that the program finds after parsing (a missing or
// surplus argument); parse() reports it like the library's own.
struct UsageError {
  std::string message;
};

// A parser named after the program with -h/--help (printing `usage`, the program's own
// text) and --version (printing "NAME VERSION"). `names` are as the library takes them:
// "-q,--quiet" for an option, "FILE" for positional arguments.
class CommandLine {
 public:
  CommandLine(std::string name, std::string usage);
  ~CommandLine();
  CommandLine(const CommandLine&) = delete;
  CommandLine& operator=(const CommandLine&) = delete;

  void flag(const std::string& names, bool& target);
  void option(const std::string& names, std::string& target);
  void option(const std::string& names, int& target);
  // An option given at most once: a second one is a mistake.
  void option(const std::string& names, std::optional<std::string>& target);
  // Every value given (positional arguments), or exactly `count` values after the option.
  void values(const std::string& names, std::vector<std::string>& target, int count = 0);
  // The two options (already declared) may not be given together.
  void exclusive(const std::string& first, const std::string& second);

  // Parses argv; `check` (may throw UsageError) runs after a successful parse. Returns -1
  // when the program goes on, else its exit status: 0 after --help or --version, 2 after a
  // wrong command line, reported on standard error as "NAME: WHAT" and
  // "Try 'NAME --help'.".
  int parse(int argc, char** argv, const std::function<void()>& check);

 private:
  int usageError(const std::string& message);

  struct Parser;
  std::string name_;
  std::string usage_;
  std::unique_ptr<Parser> parser_;
};

}  // namespace solvane_cli
