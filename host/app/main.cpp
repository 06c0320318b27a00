// c4dhost: runs a plug-in's command on a document, as the host would.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "c4d.h"
#include "c4dhost_runtime.h"
#include "command_line.h"
#include "document_open.h"
#include "embedded_demo.h"
#include "plugin_host.h"
#include "status_line.h"

namespace {

const char kUsage[] =
    "Usage: c4dhost [--plugin PATH] [DOCUMENT] COMMAND [--save-as PATH]\n"
    "               [--quiet]\n"
    "       c4dhost [--plugin PATH] --list\n"
    "       c4dhost --help | --version\n"
    "\n"
    "Loads a plug-in, starts it and runs one of its commands on a document file\n"
    "(JSON, or a model file such as .fbx, .gltf, .glb, .obj, .dae, .stl, .ply, .3ds;\n"
    "\"-\" reads a JSON document from standard input; without DOCUMENT the built-in\n"
    "demo document).\n"
    "\n"
    "  --plugin PATH   the plug-in library (default: the plug-in of this build, else\n"
    "                  the installed one, else solvane_c4d.so beside c4dhost)\n"
    "  --list          list the plug-in's commands: id, name, help text, icon\n"
    "  --save-as PATH  the answer to the plug-in's save dialog (\"-\" is a valid\n"
    "                  answer: standard output). The dialog forces its suffix: a\n"
    "                  name without one gets it (Export: \"out\" writes out.svb).\n"
    "                  Without --save-as the dialog is cancelled: the command\n"
    "                  writes nothing, c4dhost says so and exits with 0.\n"
    "  -q, --quiet     no progress and no summary line\n"
    "  --help          show this text\n"
    "  --version       show c4dhost's version\n"
    "\n"
    "What the plug-in shows the user goes to standard error. While a command runs\n"
    "on a terminal, its progress is drawn there on one line; when it is done, one\n"
    "summary line says what it wrote and how long it took, e.g.\n"
    "  Export: 5 objects, 16 triangles, 3 materials, 4512 bytes written to out.svb in 0.02 s\n"
    "Options may come before or after the arguments; \"--opt=value\" is the same\n"
    "as \"--opt value\", and \"--\" ends the options.\n"
    "Exit status: 0 when the command did its job; 1 when the document, the plug-in\n"
    "or the command fails, the command returns false or shows the user a message\n"
    "dialog; 2 for a wrong command line.\n";

struct Options {
  std::optional<std::string> plugin;
  std::vector<std::string> positional;
  std::optional<std::string> saveAs;
  bool list = false;
  bool quiet = false;
  Int32 hostVersion = c4dhost::kHostInterfaceVersion;
};

// Declares the options on the parser; checks that depend on several of them come after.
void declareOptions(solvane_cli::CommandLine& commandLine, Options& o) {
  commandLine.values("arguments", o.positional);
  commandLine.flag("--list", o.list);
  commandLine.flag("-q,--quiet", o.quiet);
  commandLine.option("--plugin", o.plugin);
  commandLine.option("--save-as", o.saveAs);
  // For tests: pretend to be a host of another interface version.
  commandLine.option("--host-version", o.hostVersion);
}

void checkOptions(const Options& o) {
  using solvane_cli::UsageError;
  if (o.plugin && o.plugin->empty()) throw UsageError{"--plugin needs a path"};
  if (o.saveAs && o.saveAs->empty()) throw UsageError{"--save-as needs a path (or \"-\")"};
  if (o.list) {
    if (!o.positional.empty()) throw UsageError{"--list takes no document or command"};
    if (o.saveAs) throw UsageError{"--list takes no --save-as"};
  } else if (o.positional.empty()) {
    throw UsageError{"no command given"};
  } else if (o.positional.size() > 2) {
    throw UsageError{"too many arguments: give at most a document and a command"};
  }
}

// The folder of this executable, or empty.
std::string executableFolder() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return std::string();
  std::string path(buf, static_cast<std::size_t>(n));
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// `relative` (a path relative to the executable's folder, from the build) made absolute.
std::string besideExecutable(const char* relative) {
  return std::filesystem::path(executableFolder() + "/" + relative).lexically_normal().string();
}

// The plug-in of this build, else the installed one, else the one beside the executable.
std::string defaultPlugin() {
  const std::string candidates[] = {besideExecutable(C4DHOST_BUILD_PLUGIN),
                                    besideExecutable(C4DHOST_INSTALLED_PLUGIN),
                                    executableFolder() + "/solvane_c4d.so"};
  for (const std::string& path : candidates) {
    if (access(path.c_str(), F_OK) == 0) return path;
  }
  throw c4dhost::PluginError("no plug-in found at " + candidates[0] + ", " + candidates[1] +
                             " or " + candidates[2] + "; give one with --plugin");
}

// The demo's folder (for its texture): the installed examples, else the source's.
std::string examplesFolder() {
  const std::string installed = besideExecutable(C4DHOST_INSTALLED_EXAMPLES);
  return access(installed.c_str(), F_OK) == 0 ? installed : C4DHOST_EXAMPLES_FOLDER;
}

// A JSON document read from standard input; relative folders start at the current folder.
c4ddoc::DocumentPtr readStandardInput() {
  const char* source = "standard input";
  std::string text;
  char buffer[1 << 16];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) {
    text.append(buffer, n);
    if (text.size() > c4ddoc::kMaxDocumentSize)
      throw c4ddoc::DocumentError(source, "file", "is larger than 2 GiB");
  }
  if (std::ferror(stdin))
    throw c4ddoc::DocumentError(source, "file",
                                std::string("cannot be read: ") + std::strerror(errno));
  c4ddoc::ReadOptions options;
  options.baseFolder = std::filesystem::current_path().string();
  return c4ddoc::readDocument(text, source, options);
}

// The line that shows the plug-in's progress; messages are printed below it.
c4dhost_app::StatusLine* statusLine = nullptr;

// Routes the plug-in's status bar to `line` while it lives; messages erase the line first.
struct StatusLineShown {
  explicit StatusLineShown(c4dhost_app::StatusLine& line) {
    statusLine = &line;
    c4dhost::SetStatusSink([&line](const c4dhost::StatusBar& status) { line.show(status); });
  }
  ~StatusLineShown() {
    c4dhost::SetStatusSink({});
    statusLine = nullptr;
  }
  StatusLineShown(const StatusLineShown&) = delete;
  StatusLineShown& operator=(const StatusLineShown&) = delete;
};

void printMessage(const c4dhost::HostMessage& m) {
  if (statusLine != nullptr) statusLine->erase();
  if (m.kind == c4dhost::MessageKind::Dialog) {
    std::cerr << "message: " << m.text << "\n";
  } else {
    std::cerr << m.text << "\n";
  }
  std::cerr.flush();
}

int fail(const std::string& message) {
  std::cout.flush();
  std::cerr << "c4dhost: " << message << "\n";
  return 1;
}

int listCommands() {
  for (const c4dhost::RegisteredCommand& c : c4dhost::RegisteredCommands())
    std::cout << c.id << "\t" << c.name << "\t" << c.help << "\t" << c.icon << "\n";
  std::cout.flush();
  return 0;
}

std::string commandNames() {
  std::string names;
  for (const c4dhost::RegisteredCommand& c : c4dhost::RegisteredCommands()) {
    if (!names.empty()) names += ", ";
    names += c.name;
  }
  return names.empty() ? std::string("none") : names;
}

// The summary of a command that is done: the status text the plug-in left once it cleared
// its progress bar, with the time the command took.
void printSummary(const std::string& command, double seconds) {
  const c4dhost::StatusBar& status = c4dhost::Status();
  if (status.percent >= 0 || status.text.empty()) return;
  char time[32];
  std::snprintf(time, sizeof time, " in %.2f s", seconds);
  std::cerr << command << ": " << status.text << time << "\n";
}

int runCommand(const Options& o, BaseDocument* doc) {
  const std::string& name = o.positional.back();
  const c4dhost::RegisteredCommand* command = c4dhost::FindCommand(name);
  if (command == nullptr && !name.empty() && name.size() <= 10 &&
      name.find_first_not_of("0123456789") == std::string::npos) {
    const long long id = std::stoll(name);
    if (id <= INT_MAX) command = c4dhost::FindCommand(static_cast<Int32>(id));
  }
  if (command == nullptr || command->data == nullptr)
    return fail("the plug-in has no command \"" + name + "\" (it has: " + commandNames() + ")");
  if ((command->data->GetState(doc) & CMD_ENABLED) == 0)
    return fail("the command \"" + command->name + "\" is not available for this document");

  if (o.saveAs) {
    c4dhost::SetFileDialogAnswer(*o.saveAs);
  } else {
    c4dhost::SetFileDialogCancelled();
  }
  c4dhost::ClearMessages();
  StatusClear();
  const Int32 dialogsBefore = c4dhost::FileDialogCount();
  const auto start = std::chrono::steady_clock::now();
  const bool done = command->data->Execute(doc);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::cout.flush();
  if (statusLine != nullptr) statusLine->erase();
  bool dialogShown = false;
  for (const c4dhost::HostMessage& m : c4dhost::Messages())
    dialogShown = dialogShown || m.kind == c4dhost::MessageKind::Dialog;
  if (!done) return fail("the command \"" + command->name + "\" failed");
  if (dialogShown)
    return fail("the command \"" + command->name + "\" reported a problem (see the message above)");
  if (!o.saveAs && c4dhost::FileDialogCount() > dialogsBefore)
    std::cerr << "c4dhost: the save dialog was cancelled (no --save-as given); nothing was saved\n";
  if (!o.quiet) printSummary(command->name, took.count());
  return 0;
}

int run(const Options& o) {
  // The document first, so that a bad file is reported before the plug-in does anything;
  // what its import tells the user is printed as it comes.
  c4dhost::SetMessageSink(printMessage);
  c4ddoc::DocumentPtr doc;
  if (!o.list) {
    const std::string& document = o.positional.front();
    if (o.positional.size() == 2 && document == "-") {
      doc = readStandardInput();
    } else if (o.positional.size() == 2) {
      doc = c4ddoc::openDocumentFile(document, {o.saveAs.value_or("")});
      c4dhost::SetOpenDocumentFile(document);
    } else {
      c4ddoc::ReadOptions options;
      options.baseFolder = examplesFolder();
      doc = c4ddoc::readDocument(c4dhost_app::embeddedDemo(), "demo.json", options);
    }
  }

  c4dhost::PluginHost plugin(o.plugin ? *o.plugin : defaultPlugin());
  plugin.start(o.hostVersion);
  c4dhost_app::StatusLine line(STDERR_FILENO, !o.quiet);
  const StatusLineShown shown(line);
  return o.list ? listCommands() : runCommand(o, doc.get());
}

}  // namespace

int main(int argc, char** argv) {
  // A closed standard output (a pipe whose reader has gone) is a failed write that the
  // plug-in reports, not a reason to die.
  signal(SIGPIPE, SIG_IGN);
  Options options;
  solvane_cli::CommandLine commandLine("c4dhost", kUsage);
  declareOptions(commandLine, options);
  const int parsed = commandLine.parse(argc, argv, [&options] { checkOptions(options); });
  if (parsed >= 0) return parsed;
  int status = 1;
  try {
    status = run(options);
  } catch (const c4ddoc::DocumentError& e) {
    status = fail(std::string("document error: ") + e.what());
  } catch (const c4dhost::PluginError& e) {
    status = fail(e.what());
  } catch (const std::exception& e) {
    status = fail(e.what());
  }
  c4dhost::SetMessageSink({});
  return status;
}
