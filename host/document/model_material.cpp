// The scene's materials as standard materials of the host: colour, specular colour and
// the colour texture as a bitmap shader.
#include "model_import.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace c4ddoc::model {
namespace {

namespace fs = std::filesystem;

// The specular colour of the standard material (the plug-in reads it with the specular
// channels).
constexpr std::int32_t kSpecularColor = 3100;

ParamRecord param(std::int32_t id, ValueKind kind, const std::string& place) {
  ParamRecord p;
  p.id = id;
  p.kind = kind;
  p.place = place;
  return p;
}

ParamRecord colorParam(std::int32_t id, const aiColor4D& c, const std::string& place) {
  ParamRecord p = param(id, ValueKind::Vector, place);
  p.vector = Vec3{c.r, c.g, c.b};
  return p;
}

bool isFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

// A texture the file refers to: found as written (backslashes read as folder
// separators), beside the model along that path, or by its bare name beside the model;
// then it is given as an absolute path. A texture found nowhere keeps the path as written
// (the plug-in searches the document's folders for it) and the user is told.
std::string externalTexture(const std::string& written, const std::string& modelFolder,
                            const std::string& place, ImportNotes& notes) {
  std::string path = written;
  std::replace(path.begin(), path.end(), '\\', '/');
  const fs::path asWritten(path);
  const fs::path folder(modelFolder);
  for (const fs::path& candidate :
       {asWritten.is_absolute() ? asWritten : folder / asWritten, folder / asWritten.filename()}) {
    if (isFile(candidate)) return candidate.lexically_normal().string();
  }
  notes.messages.push_back(place + ": its texture \"" + written +
                           "\" is not found beside the model; the path is kept as written");
  return path;
}

}  // namespace

std::vector<MaterialRecord> importMaterials(const aiScene& scene, const TextureContext& context,
                                            ImportNotes& notes) {
  std::vector<MaterialRecord> materials;
  for (unsigned i = 0; i < scene.mNumMaterials; ++i) {
    const aiMaterial& source = *scene.mMaterials[i];
    MaterialRecord m;
    m.id = "material[" + std::to_string(i) + "]";
    m.type = Mmaterial;
    m.name = source.GetName().C_Str();
    if (m.name.empty()) m.name = "Material";
    m.place = "material \"" + m.name + "\"";
    m.hasChannels = true;
    m.channels.push_back(CHANNEL_COLOR);

    aiColor4D color;
    if (source.Get(AI_MATKEY_BASE_COLOR, color) == AI_SUCCESS ||
        source.Get(AI_MATKEY_COLOR_DIFFUSE, color) == AI_SUCCESS)
      m.params.push_back(colorParam(MATERIAL_COLOR_COLOR, color, m.place));
    aiColor4D specular;
    if (source.Get(AI_MATKEY_COLOR_SPECULAR, specular) == AI_SUCCESS &&
        (specular.r > 0.0f || specular.g > 0.0f || specular.b > 0.0f)) {
      m.channels.push_back(CHANNEL_SPECULAR);
      m.params.push_back(colorParam(kSpecularColor, specular, m.place));
    }

    aiString texture;
    if ((source.GetTexture(aiTextureType_DIFFUSE, 0, &texture) == AI_SUCCESS ||
         source.GetTexture(aiTextureType_BASE_COLOR, 0, &texture) == AI_SUCCESS) &&
        texture.length > 0) {
      ShaderRecord bitmap;
      bitmap.id = m.id + ".texture";
      bitmap.type = Xbitmap;
      bitmap.name = "Bitmap";
      bitmap.place = m.place + ".texture";
      ParamRecord file = param(BITMAPSHADER_FILENAME, ValueKind::File, bitmap.place);
      if (const aiTexture* embedded = scene.GetEmbeddedTexture(texture.C_Str())) {
        if (context.options.textureFolder.empty())
          throw DocumentError(notes.source, m.place,
                              "its texture is embedded in the model, and there is no folder to "
                              "write it to (give a save target, or set HOME)");
        const std::string& folder = context.options.textureFolder;
        std::error_code error;
        if (context.options.makeTextureFolder) fs::create_directories(folder, error);
        if (error)
          throw DocumentError(
              notes.source, m.place,
              "cannot make the folder " + folder + " for its texture: " + error.message());
        file.text = writeTextureFile(*embedded, folder, m.name, m.place, notes);
      } else {
        file.text = externalTexture(texture.C_Str(), context.modelFolder, m.place, notes);
      }
      bitmap.params.push_back(file);
      m.shaders.push_back(bitmap);
      ParamRecord link = param(MATERIAL_COLOR_SHADER, ValueKind::Link, m.place);
      link.text = bitmap.id;
      m.params.push_back(link);
    }
    materials.push_back(std::move(m));
  }
  return materials;
}

}  // namespace c4ddoc::model
