// Loading a plug-in library and driving it through its c4d_main entry, as the host does.
#pragma once

#include <stdexcept>
#include <string>

#include "ge_prepass.h"

namespace c4dhost {

// A plug-in that cannot be loaded or started. what() says why, naming the library.
class PluginError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One loaded plug-in library. start() runs the host's start sequence (INIT_VERSION,
// INIT_SYS with the interface version, the start messages, INIT); the destructor runs the
// stop sequence (C4DPL_ENDPROGRAM, END) when the plug-in was started and then forgets the
// registered commands. The library itself stays loaded until the process ends, since the
// plug-in may keep objects of its own alive until then.
class PluginHost {
 public:
  // Loads the library; throws PluginError when it cannot be loaded or has no c4d_main.
  explicit PluginHost(std::string path);
  ~PluginHost();
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // Starts the plug-in as a host of the given interface version; throws PluginError when
  // the plug-in refuses the version or fails to start.
  void start(Int32 hostVersion);

  const std::string& path() const { return path_; }

 private:
  using Entry = Int32 (*)(Int32 action, void* p1, void* p2, void* p3);
  Int32 call(Int32 action, void* p1 = nullptr, void* p2 = nullptr, void* p3 = nullptr);

  std::string path_;
  void* handle_ = nullptr;
  Entry entry_ = nullptr;
  bool sysStarted_ = false;
};

}  // namespace c4dhost
