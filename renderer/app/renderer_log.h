// The renderer's log: one stamped line per event on standard error, which
// the detached renderer points at its log file.
#pragma once

#include <string>

namespace solvane_renderer {

// Writes "<date> <time> solvane[<pid>]: <text>" in one call under the
// stream's lock, so lines from connection threads never interleave.
void logLine(std::string const& text);

}  // namespace solvane_renderer
