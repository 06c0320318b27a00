#include "plugin_host.h"

#include <dlfcn.h>

#include <cstdint>
#include <utility>

#include "c4d_plugin.h"
#include "c4dhost_runtime.h"

namespace c4dhost {

PluginHost::PluginHost(std::string path) : path_(std::move(path)) {
  handle_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* why = dlerror();
    throw PluginError("cannot load the plug-in " + path_ + ": " +
                      (why != nullptr ? why : "unknown reason"));
  }
  dlerror();
  void* symbol = dlsym(handle_, "c4d_main");
  if (symbol == nullptr)
    throw PluginError("the library " + path_ + " is not a plug-in: it has no c4d_main");
  entry_ = reinterpret_cast<Entry>(symbol);
}

PluginHost::~PluginHost() {
  if (sysStarted_) {
    call(C4DPL_MESSAGE, reinterpret_cast<void*>(static_cast<std::intptr_t>(C4DPL_ENDPROGRAM)));
    call(C4DPL_END);
  }
  // The command objects are the plug-in's; delete them while its code is still loaded.
  ClearCommands();
}

Int32 PluginHost::call(Int32 action, void* p1, void* p2, void* p3) {
  return entry_(action, p1, p2, p3);
}

void PluginHost::start(Int32 hostVersion) {
  const Int32 version = call(C4DPL_INIT_VERSION);
  if (version != C4DPL_VERSION) {
    throw PluginError("the plug-in " + path_ + " answered the version query with " +
                      std::to_string(version) + ", not " + std::to_string(C4DPL_VERSION));
  }
  Int32 interfaceVersion = hostVersion;
  const Int32 sys =
      call(C4DPL_INIT_SYS, &interfaceVersion, nullptr, const_cast<char*>(path_.c_str()));
  if (sys == C4DPL_ERROR_VERSION) {
    throw PluginError("the plug-in " + path_ + " refuses to start in a host of interface version " +
                      std::to_string(hostVersion));
  }
  if (sys < 0) {
    throw PluginError("the plug-in " + path_ + " failed its system start (" + std::to_string(sys) +
                      ")");
  }
  sysStarted_ = true;
  // The start messages; the host goes on whatever the plug-in answers to them.
  call(C4DPL_MESSAGE, reinterpret_cast<void*>(static_cast<std::intptr_t>(C4DMSG_PRIORITY)));
  call(C4DPL_MESSAGE, reinterpret_cast<void*>(static_cast<std::intptr_t>(C4DPL_INIT_SYS)));
  if (call(C4DPL_INIT) < 0) throw PluginError("the plug-in " + path_ + " failed to start");
}

}  // namespace c4dhost
