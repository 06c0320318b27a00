// Atomic storage of a received scene: the bytes go to a temporary file in
// the scene folder, reach the disk, and only then take their final name, so
// the folder never holds a partial scene under a scene's name.
#pragma once

#include <string>
#include <string_view>

namespace solvane_renderer {

// The name a file is written under before it takes `name`: hidden and
// marked temporary (".<name>.tmp"), so nothing mistakes it for a scene.
std::string temporaryName(std::string const& name);

// Creates `folder` when it is missing, writes `bytes` to its temporary file,
// fsyncs it, renames it to folder/name and fsyncs the folder. On failure
// returns false with what failed, where, and the system's reason in
// `error`, and leaves neither the temporary nor the final file.
bool writeFileAtomically(std::string const& folder, std::string const& name, std::string_view bytes,
                         std::string& error);

}  // namespace solvane_renderer
