#pragma once

#include "c4d_string.h"
#include "ge_prepass.h"

// Shows a message to the user (the stand-in host collects it; the runner
// prints it).
void MessageDialog(const maxon::String& str);
// Writes a line to the console (collected like messages).
void GePrint(const maxon::String& str);
// The status bar: a text, a progress bar (percent, 0 to 100) and clearing both. The host
// shows them while a command runs; they change nothing in the document.
void StatusSetText(const maxon::String& str);
void StatusSetBar(Int32 p);
void StatusClear();
// The host's version number (20026 here).
Int32 GetC4DVersion();
