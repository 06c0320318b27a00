// Choosing the reader by the file's extension, and where embedded textures go.
#include "document_open.h"

#include "document_content.h"
#include "model_import.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace c4ddoc {
namespace {

namespace fs = std::filesystem;

std::string lowerExtension(const std::string& path) {
  std::string extension = fs::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

// The per-user cache folder for the model's textures, empty when the environment names
// no home.
std::string cacheTextureFolder(const std::string& modelPath) {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  const char* home = std::getenv("HOME");
  fs::path base;
  if (cache != nullptr && fs::path(cache).is_absolute()) {
    base = cache;
  } else if (home != nullptr && *home != '\0') {
    base = fs::path(home) / ".cache";
  } else {
    return std::string();
  }
  return (base / "c4dhost" / "textures" / fs::path(modelPath).stem()).string();
}

}  // namespace

DocumentPtr openDocumentFile(const std::string& path, const OpenOptions& options) {
  const std::string extension = lowerExtension(path);
  if (extension == ".json") return readDocumentFile(path);
  if (!model::isModelExtension(extension))
    throw DocumentError(path, "file",
                        "is neither a document (.json) nor a model file of a type that can be "
                        "read (" +
                            model::modelExtensions() + ")");
  model::ImportOptions import;
  if (!options.saveTarget.empty() && options.saveTarget != "-") {
    std::error_code error;
    const fs::path target = fs::absolute(options.saveTarget, error);
    import.textureFolder = (error ? fs::path(options.saveTarget) : target).parent_path().string();
  } else {
    import.textureFolder = cacheTextureFolder(path);
    import.makeTextureFolder = true;
  }
  return buildDocument(model::importModel(path, import), path);
}

}  // namespace c4ddoc
