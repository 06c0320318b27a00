// The module declaration the host reads before it starts the plug-in; the host
// frameworks it uses and the entry dispatch come from the SDK binding.
#include "c4d_plugin.h"

MAXON_MODULE_ID("net.tessan.solvane7");
