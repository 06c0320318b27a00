// Opening a document file by its extension: a JSON document (document_reader.h) or a
// model file of any format the Open Asset Import Library reads (FBX, glTF, OBJ, COLLADA,
// STL, PLY, 3DS, ...), read into the same document model.
#pragma once

#include "document_reader.h"

#include <string>

namespace c4ddoc {

struct OpenOptions {
  // Where the command will save its result (the answer to its save dialog), empty when it
  // saves nothing, "-" for standard output. Textures embedded in a model are written beside
  // a saved file; without one into the host's cache folder for the model,
  // $XDG_CACHE_HOME/c4dhost/textures/<model name>/ ($HOME/.cache when XDG_CACHE_HOME is not
  // set). Existing files are never replaced (see host/document/README.md).
  std::string saveTarget;
};

// Opens `path`: ".json" (in any case) with readDocumentFile, every extension the library
// reads as a model. Throws DocumentError naming the file and the reason: an extension that
// neither reads, a file that is missing or the library refuses, content that the host
// cannot hold, an embedded texture that cannot be written. What a model loses on the way
// (lines, points, bones, ...) and which texture files were written is told through GePrint.
DocumentPtr openDocumentFile(const std::string& path, const OpenOptions& options = {});

}  // namespace c4ddoc
