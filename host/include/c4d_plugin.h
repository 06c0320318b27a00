#pragma once

#include "ge_prepass.h"

// What the plug-in supplies: the three entry functions that the SDK binding
// (c4d_main) calls.
Bool PluginStart();
void PluginEnd();
Bool PluginMessage(Int32 id, void* data);

// The oldest host interface version the binding accepts.
#define C4D_MINIMUM_HOST_VERSION 20017

// The module declaration a host reads before starting a plug-in: its id and
// the host frameworks it uses.
struct C4DModuleDeclaration {
  const char* id;
  const char* const* frameworks;
  Int32 frameworkCount;
};

extern "C" {
// Entry of a plug-in library (exported by the SDK binding). The host calls:
//   C4DPL_INIT_VERSION: returns C4DPL_VERSION.
//   C4DPL_INIT_SYS: p1 points to the host's interface version (const Int32*),
//     p3 is the plug-in's path (const char*, not null). Returns
//     C4DPL_ERROR_VERSION when p1 is null or the version is below
//     C4D_MINIMUM_HOST_VERSION, C4DPL_ERROR when p3 is null, else 1.
//     Counted: each INIT_SYS needs its END.
//   C4DPL_MESSAGE: PluginMessage((Int32)(intptr_t)p1, p2); 1 when it returns
//     true, else C4DPL_ERROR.
//   C4DPL_INIT: PluginStart(); 1 when it returns true, else C4DPL_ERROR.
//   C4DPL_END: when the INIT_SYS count falls to 0, PluginEnd(); returns 1.
// MESSAGE, INIT and END before a successful INIT_SYS, and any other action,
// return C4DPL_ERROR. A host starts a plug-in with INIT_VERSION, INIT_SYS,
// MESSAGE C4DMSG_PRIORITY, MESSAGE C4DPL_INIT_SYS, INIT, and stops it with
// MESSAGE C4DPL_ENDPROGRAM and END.
Int32 c4d_main(Int32 action, void* p1, void* p2, void* p3);

// The module declaration (exported by the SDK binding): the module id (see
// MAXON_MODULE_ID) and the frameworks "net.maxon.cinema.framework" and
// "net.maxon.core.framework".
const C4DModuleDeclaration* c4d_module_declaration();
}

// Declares the plug-in's module id; put once in one source file of the
// plug-in. Without it the binding declares "net.tessan.solvane7".
#define MAXON_MODULE_ID(ID) extern "C" const char c4d_module_id[] = ID
