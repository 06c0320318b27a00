#pragma once

#include "c4dhost_runtime.h"

#include <string>

namespace c4dhost_internal {
// Records the request; true with the configured path, false when cancelled.
bool AnswerFileDialog(const c4dhost::FileDialogRequest& request, std::string& answer);
// True, after telling the user, when a save dialog must not answer with `path`: it is the
// open document's own file.
bool RefusesSaveTarget(const std::string& path);
// Stable ids for new list elements.
UInt64 NextGuid();
}  // namespace c4dhost_internal
