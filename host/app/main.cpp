// c4dhost: runs a plug-in's command on a document, as the host would.
#include <signal.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "c4d.h"
#include "c4dhost_runtime.h"
#include "document_open.h"
#include "embedded_demo.h"
#include "plugin_host.h"

namespace {

const char kUsage[] =
    "Usage: c4dhost [--plugin PATH] [DOCUMENT] COMMAND [--save-as PATH]\n"
    "       c4dhost [--plugin PATH] --list\n"
    "       c4dhost --help\n"
    "\n"
    "Loads a plug-in, starts it and runs one of its commands on a document file\n"
    "(JSON, or a model file such as .fbx, .gltf, .glb, .obj, .dae, .stl, .ply, .3ds;\n"
    "without DOCUMENT the built-in demo document).\n"
    "\n"
    "  --plugin PATH   the plug-in library (default: the plug-in of this build)\n"
    "  --list          list the plug-in's commands: id, name, help text, icon\n"
    "  --save-as PATH  the answer to the plug-in's save dialog (\"-\" is a valid\n"
    "                  answer); without it the dialog is cancelled\n"
    "  --help          show this text\n"
    "\n"
    "What the plug-in shows the user goes to standard error. Exit status: 0 when\n"
    "the command did its job; 1 when the document, the plug-in or the command\n"
    "fails, the command returns false or shows the user a message dialog;\n"
    "2 for a wrong command line.\n";

struct Options {
  std::string plugin;
  std::vector<std::string> positional;
  std::optional<std::string> saveAs;
  bool list = false;
  bool help = false;
  Int32 hostVersion = c4dhost::kHostInterfaceVersion;
};

struct UsageError {
  std::string message;
};

Options parseOptions(int argc, char** argv) {
  Options o;
  auto value = [&](int& i, const std::string& name) -> std::string {
    if (i + 1 >= argc) throw UsageError{name + " needs a value"};
    return argv[++i];
  };
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      o.help = true;
    } else if (arg == "--list") {
      o.list = true;
    } else if (arg == "--plugin") {
      o.plugin = value(i, arg);
      if (o.plugin.empty()) throw UsageError{"--plugin needs a path"};
    } else if (arg == "--save-as") {
      if (o.saveAs) throw UsageError{"--save-as is given twice"};
      o.saveAs = value(i, arg);
      if (o.saveAs->empty()) throw UsageError{"--save-as needs a path (or \"-\")"};
    } else if (arg == "--host-version") {
      // For tests: pretend to be a host of another interface version.
      const std::string v = value(i, arg);
      char* end = nullptr;
      const long n = std::strtol(v.c_str(), &end, 10);
      if (v.empty() || *end != '\0' || n < INT_MIN || n > INT_MAX)
        throw UsageError{"--host-version needs a whole number, not \"" + v + "\""};
      o.hostVersion = static_cast<Int32>(n);
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw UsageError{"unknown option " + arg};
    } else {
      o.positional.push_back(arg);
    }
  }
  if (o.help) return o;
  if (o.list) {
    if (!o.positional.empty()) throw UsageError{"--list takes no document or command"};
    if (o.saveAs) throw UsageError{"--list takes no --save-as"};
  } else if (o.positional.empty()) {
    throw UsageError{"no command given"};
  } else if (o.positional.size() > 2) {
    throw UsageError{"too many arguments: give at most a document and a command"};
  }
  return o;
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

// The plug-in of this build, else the one beside the executable.
std::string defaultPlugin() {
  const std::string folder = executableFolder();
  const std::string inBuild =
      std::filesystem::path(folder + "/" + C4DHOST_BUILD_PLUGIN).lexically_normal().string();
  const std::string beside = folder + "/solvane_c4d.so";
  for (const std::string& path : {inBuild, beside}) {
    if (access(path.c_str(), F_OK) == 0) return path;
  }
  throw c4dhost::PluginError("no plug-in found at " + inBuild + " or " + beside +
                             "; give one with --plugin");
}

void printMessage(const c4dhost::HostMessage& m) {
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
  const bool done = command->data->Execute(doc);
  std::cout.flush();
  bool dialogShown = false;
  for (const c4dhost::HostMessage& m : c4dhost::Messages())
    dialogShown = dialogShown || m.kind == c4dhost::MessageKind::Dialog;
  if (!done) return fail("the command \"" + command->name + "\" failed");
  if (dialogShown)
    return fail("the command \"" + command->name + "\" reported a problem (see the message above)");
  return 0;
}

int run(const Options& o) {
  // The document first, so that a bad file is reported before the plug-in does anything;
  // what its import tells the user is printed as it comes.
  c4dhost::SetMessageSink(printMessage);
  c4ddoc::DocumentPtr doc;
  if (!o.list) {
    if (o.positional.size() == 2) {
      doc = c4ddoc::openDocumentFile(o.positional.front(), {o.saveAs.value_or("")});
      c4dhost::SetOpenDocumentFile(o.positional.front());
    } else {
      c4ddoc::ReadOptions options;
      options.baseFolder = C4DHOST_EXAMPLES_FOLDER;
      doc = c4ddoc::readDocument(c4dhost_app::embeddedDemo(), "demo.json", options);
    }
  }

  c4dhost::PluginHost plugin(o.plugin.empty() ? defaultPlugin() : o.plugin);
  plugin.start(o.hostVersion);
  const int status = o.list ? listCommands() : runCommand(o, doc.get());
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  // A closed standard output (a pipe whose reader has gone) is a failed write that the
  // plug-in reports, not a reason to die.
  signal(SIGPIPE, SIG_IGN);
  Options options;
  try {
    options = parseOptions(argc, argv);
  } catch (const UsageError& e) {
    std::cerr << "c4dhost: " << e.message << "\nTry 'c4dhost --help'.\n";
    return 2;
  }
  if (options.help) {
    std::cout << kUsage;
    return 0;
  }
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
