// The command line of every program of the project, parsed by CLI11 so that "--opt=value",
// "--" (the end of options) and "-" (a positional argument: standard input or output) mean
// the same everywhere.
#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace solvane_cli {

// A mistake on the command line that the program finds after parsing (a missing or
// surplus argument); parse() reports it like the library's own.
struct UsageError {
  std::string message;
};

// A parser named after the program with -h/--help (printing `usage`, the program's own
// text) and --version (printing "NAME VERSION").
class CommandLine {
 public:
  CommandLine(std::string name, std::string usage);

  CLI::App& app() { return app_; }

  // Parses argv; `check` (may throw UsageError) runs after a successful parse. Returns -1
  // when the program goes on, else its exit status: 0 after --help or --version, 2 after a
  // wrong command line, reported on standard error as "NAME: WHAT" and
  // "Try 'NAME --help'.".
  template <class Check>
  int parse(int argc, char** argv, Check check) {
    try {
      app_.parse(argc, argv);
      check();
    } catch (const UsageError& e) {
      return usageError(e.message);
    } catch (const CLI::ParseError& e) {
      return finish(e);
    }
    return -1;
  }

 private:
  int finish(const CLI::ParseError& e);
  int usageError(const std::string& message);

  std::string name_;
  std::string usage_;
  CLI::App app_;
};

}  // namespace solvane_cli
