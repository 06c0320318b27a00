// The SDK's entry dispatch, compiled into every plug-in library: the host
// calls c4d_main with its actions (contract in c4d_plugin.h), and the
// dispatch calls the plug-in's PluginStart, PluginMessage and PluginEnd.

#include "c4d_plugin.h"

#include <cstdint>

// Set by MAXON_MODULE_ID in the plug-in; absent when the plug-in does not use it.
extern "C" __attribute__((weak)) const char c4d_module_id[];

namespace {
const char kDefaultModuleId[] = "net.tessan.solvane7";
const char* const kFrameworks[] = {"net.maxon.cinema.framework", "net.maxon.core.framework"};

// How many INIT_SYS calls have not yet been matched by an END.
Int32 g_sysCount = 0;
}  // namespace

extern "C" __attribute__((visibility("default"))) const C4DModuleDeclaration*
c4d_module_declaration() {
  static const C4DModuleDeclaration declaration = {
      c4d_module_id != nullptr ? c4d_module_id : kDefaultModuleId, kFrameworks,
      Int32(sizeof(kFrameworks) / sizeof(kFrameworks[0]))};
  return &declaration;
}

extern "C" __attribute__((visibility("default"))) Int32 c4d_main(Int32 action, void* p1, void* p2,
                                                                 void* p3) {
  switch (action) {
    case C4DPL_INIT_VERSION:
      return C4DPL_VERSION;

    case C4DPL_INIT_SYS: {
      const Int32* hostVersion = static_cast<const Int32*>(p1);
      if (!hostVersion || *hostVersion < C4D_MINIMUM_HOST_VERSION) return C4DPL_ERROR_VERSION;
      if (!p3) return C4DPL_ERROR;
      g_sysCount++;
      return 1;
    }

    case C4DPL_MESSAGE:
      if (g_sysCount <= 0) return C4DPL_ERROR;
      return PluginMessage(Int32(reinterpret_cast<std::intptr_t>(p1)), p2) ? 1 : C4DPL_ERROR;

    case C4DPL_INIT:
      if (g_sysCount <= 0) return C4DPL_ERROR;
      return PluginStart() ? 1 : C4DPL_ERROR;

    case C4DPL_END:
      if (g_sysCount <= 0) return C4DPL_ERROR;
      if (--g_sysCount == 0) PluginEnd();
      return 1;

    default:
      return C4DPL_ERROR;
  }
}
