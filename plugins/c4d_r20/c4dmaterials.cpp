#include "C4DLoader.h"

#include "c4dconvert.h"
#include "zelsceneapi_oo.h"

#include <sys/stat.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Host type and parameter ids read here.
const int32_t textureTagType = 5616;
const int32_t standardMaterialType = 5703;
const int32_t colorShaderType = 5832;
const int32_t bitmapShaderType = 5833;
const int32_t gradientShaderType = 1011100;
const int32_t gradientBasedShaderType = 1012158;
const int32_t gradientDataType = 1000481;

// Step of the record ordering for two doubles: -1 left less, 1 left greater, 0 equal.
// A NaN on either side counts as a difference that leaves the left not less.
int compareDouble(double a, double b) {
  if (a < b) return -1;
  if (a > b || std::isnan(a) || std::isnan(b)) return 1;
  return 0;
}

// Reads a parameter; true when the element has it.
bool getParam(C4DAtom* atom, int32_t id, GeData& data) {
  data = GeData();
  return atom->GetParameter(DescID(id), data, DESCFLAGS_GET::NONE) && data.GetType() != DA_NIL;
}

GeData readParameter(C4DAtom* atom, int32_t id) {
  GeData data;
  atom->GetParameter(DescID(id), data, DESCFLAGS_GET::NONE);
  return data;
}

// Copies a host string as UTF-8 into a fixed buffer, cut to size - 1 bytes.
bool copyHostString(const String& text, char* buffer, size_t size) {
  char* copy = text.GetCStringCopy(STRINGENCODING::UTF8);
  if (!copy) return false;
  std::snprintf(buffer, size, "%s", copy);
  DeleteMem(copy);
  return true;
}

std::string hostString(const String& text) {
  std::string result;
  toUtf8(text, result);
  return result;
}

// A texture file exists when it opens for reading; a folder opens too but is no
// texture.
bool fileOpens(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "r");
  if (!file) return false;
  struct stat info;
  const bool folder = fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode);
  std::fclose(file);
  return !folder;
}

// Where a bitmap's file is found: the stored path, then the tex folder beside the
// document, then the document's folder. A file found nowhere keeps its stored path.
std::string findTexture(const Filename& file, const std::string& documentPath) {
  const std::string fullPath = hostString(file.GetString());
  if (!fullPath.empty() && fileOpens(fullPath)) return fullPath;
  if (!documentPath.empty()) {
    const std::string bareName = hostString(file.GetFileString());
    const std::string inTex = documentPath + "/tex/" + bareName;
    if (fileOpens(inTex)) return inTex;
    const std::string beside = documentPath + "/" + bareName;
    if (fileOpens(beside)) return beside;
  }
  return fullPath;
}

void setColor(zelScene_api* api, const char* name, const maxon::Vec3<double, 1ll>& color) {
  api->set_parameter_color(name, static_cast<float>(color.x), static_cast<float>(color.y),
                           static_cast<float>(color.z));
}

void writePlacement(zelScene_api* api, const ZelMat& mat) {
  api->set_parameter_float("scale_u", static_cast<float>(mat.scaleU));
  api->set_parameter_float("scale_v", static_cast<float>(mat.scaleV));
  api->set_parameter_float("shift_u", static_cast<float>(mat.shiftU));
  api->set_parameter_float("shift_v", static_cast<float>(mat.shiftV));
}

// The object-to-uv matrix of a flat projection: the inverse texture matrix, halved.
zelMatrix objectToUv(const maxon::Mat3<maxon::Vec3<double, 1ll>>& textureMatrix) {
  zelMatrix result = toZelMatrix(~textureMatrix);
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 3; ++column) result[row * 4 + column] *= 0.5;
  return result;
}

}  // namespace

bool ZelMat::operator<(const ZelMat& other) const {
  int order = std::strcmp(name, other.name);
  if (order != 0) return order < 0;
  const double mineColor[3] = {color.x, color.y, color.z};
  const double theirColor[3] = {other.color.x, other.color.y, other.color.z};
  for (int i = 0; i < 3; ++i) {
    order = compareDouble(mineColor[i], theirColor[i]);
    if (order != 0) return order < 0;
  }
  order = texture.compare(other.texture);
  if (order != 0) return order < 0;
  const double mine[4] = {shiftU, shiftV, scaleU, scaleV};
  const double theirs[4] = {other.shiftU, other.shiftV, other.scaleU, other.scaleV};
  for (int i = 0; i < 4; ++i) {
    order = compareDouble(mine[i], theirs[i]);
    if (order != 0) return order < 0;
  }
  return !tile && other.tile;
}

bool C4DLoader::getMaterial(BaseTag* tag, ZelMat& mat) {
  if (!tag || tag->GetType() != textureTagType) return false;
  TextureTag* textureTag = dynamic_cast<TextureTag*>(tag);
  BaseMaterial* material = textureTag ? textureTag->GetMaterial(false) : nullptr;
  if (!material) return false;
  copyHostString(material->GetName(), mat.name, sizeof(mat.name));
  bool found = false;
  if (material->GetType() == standardMaterialType)
    found = getMaterial(dynamic_cast<Material*>(material), mat);
  if (found) {
    // The placement is taken as read, present or not.
    mat.textureTag = tag;
    mat.projection = readParameter(tag, 1004).GetInt32();
    mat.textureMatrix = textureTag->GetMl();
    mat.shiftU = readParameter(tag, 1000).GetFloat();
    mat.shiftV = readParameter(tag, 1001).GetFloat();
    mat.scaleU = readParameter(tag, 1002).GetFloat();
    mat.scaleV = readParameter(tag, 1003).GetFloat();
    mat.tile = readParameter(tag, 1007).GetBool();
  }
  return found;
}

bool C4DLoader::getMaterial(Material* material, ZelMat& mat) {
  if (!material) return false;
  bool found = false;
  if (!material->GetChannelState(7)) {
    GeData data;
    if (material->GetChannelState(0)) {
      if (getParam(material, 2100, data)) mat.color = data.GetVector();
      if (getParam(material, 2101, data)) {
        const double factor = data.GetFloat();
        mat.color = maxon::Vec3<double, 1ll>(mat.color.x * factor, mat.color.y * factor,
                                             mat.color.z * factor);
      }
      if (getParam(material, 8000, data))
        getMaterial(dynamic_cast<BaseShader*>(data.GetLink(document)), mat);
      found = true;
    } else if (material->GetChannelState(1) && getParam(material, 2300, data)) {
      mat.color = data.GetVector();
      if (getParam(material, 8002, data))
        getMaterial(dynamic_cast<BaseShader*>(data.GetLink(document)), mat);
      found = true;
    }

    if (material->GetChannelState(8) || material->GetChannelState(9)) {
      if (getParam(material, 3100, data)) {
        mat.specular = data.GetVector();
        found = true;
      }
    } else if (material->GetChannelState(3)) {
      if (getParam(material, 3100, data)) {
        mat.specular = data.GetVector();
        found = true;
      } else {
        BaseContainer* container = material->GetDataInstance();
        mat.specular = container ? container->GetVector(65) : maxon::Vec3<double, 1ll>();
      }
    }
    if (found) return true;
  }

  bool result = false;
  for (BaseShader* shader = material->GetFirstShader(); shader; shader = shader->GetNext()) {
    result = getMaterial(shader, mat);
    if (result) break;
  }
  return result;
}

bool C4DLoader::getMaterial(BaseShader* shader, ZelMat& mat) {
  if (!shader) return false;
  GeData data;
  switch (shader->GetType()) {
    case colorShaderType:
      if (!getParam(shader, 1000, data)) return false;
      mat.color = data.GetVector();
      return true;
    case bitmapShaderType:
      if (getParam(shader, 1000, data)) mat.texture = findTexture(data.GetFilename(), documentPath);
      return false;
    case gradientShaderType:
    case gradientBasedShaderType: {
      const int32_t id = shader->GetType() == gradientShaderType ? 1007 : 10001;
      if (getParam(shader, id, data)) {
        Gradient* gradient = static_cast<Gradient*>(data.GetCustomDataType(gradientDataType));
        if (gradient) mat.color = gradient->GetKnot(0).col;
      }
      return false;
    }
    default:
      return false;
  }
}

maxon::Vec3<double, 1ll> C4DLoader::getDefaultColor(BaseObject* object) {
  maxon::Vec3<double, 1ll> result(0.65, 0.65, 0.65);
  if (!object) return result;
  LayerObject* layer = object->GetLayerObject(document);
  GeData data;
  if (!getParam(object, 907, data)) return result;
  switch (data.GetInt32()) {
    case 1:
      if (getParam(object, 908, data)) result = data.GetVector();
      break;
    case 3:
      if (layer && getParam(layer, 1009, data)) result = data.GetVector();
      break;
    default:
      break;
  }
  return result;
}

void C4DLoader::writeMaterial(ZelMat mat) {
  const char* baseName = mat.name[0] ? mat.name : "Display color";
  std::map<ZelMat, uint64_t>& variants = materialVariants[baseName];
  const uint64_t index = variants.emplace(mat, variants.size()).first->second;
  // Composed names are cut to 1023 bytes.
  std::string materialName = baseName;
  if (index != 0) materialName += " #" + std::to_string(static_cast<int>(index));
  if (materialName.size() > 1023) materialName.resize(1023);

  zelShader* textureShader = nullptr;
  if (!mat.texture.empty()) {
    sceneOO->get_scene_api()->shader_begin(nullptr, "texture2_rgb");
    sceneOO->get_scene_api()->set_parameter("texture", TYPE_STRING, mat.texture.c_str());
    sceneOO->get_scene_api()->set_parameter_color("default_color", 0.0f, 0.0f, 0.0f);
    sceneOO->get_scene_api()->set_parameter_bool("wrap", mat.tile);
    if (mat.projection == 2) {
      sceneOO->get_scene_api()->set_parameter_int("uv_projection", 5);
      writePlacement(sceneOO->get_scene_api(), mat);
      const zelMatrix uvMatrix = objectToUv(mat.textureMatrix);
      sceneOO->get_scene_api()->set_parameter("transform_obj_to_uv", TYPE_MATRIX, &uvMatrix);
    } else {
      sceneOO->get_scene_api()->set_parameter_int("uv_projection", 4);
      writePlacement(sceneOO->get_scene_api(), mat);
      sceneOO->get_scene_api()->set_parameter_int("uv_flags", 62);
    }
    sceneOO->get_scene_api()->shader_end();
    textureShader = sceneOO->get_scene_api()->shader_get();
  }

  ++materialCounter;
  const double specularLength =
      std::sqrt(mat.specular.x * mat.specular.x + mat.specular.y * mat.specular.y +
                mat.specular.z * mat.specular.z);
  if (textureShader || specularLength > 1e-06) {
    sceneOO->get_scene_api()->shader_begin(nullptr, "zel_advanced");
    setColor(sceneOO->get_scene_api(), "diffuse", mat.color);
    setColor(sceneOO->get_scene_api(), "specular", mat.specular);
    sceneOO->get_scene_api()->set_parameter_bool("fresnel", 1);
    sceneOO->get_scene_api()->set_parameter_float("roughness", 0.0f);
    sceneOO->get_scene_api()->set_parameter_float("ior", 1.5f);
    sceneOO->get_scene_api()->set_parameter_bool("glossy", 1);
    sceneOO->get_scene_api()->set_parameter_int("glossy_samples", 9);
    sceneOO->get_scene_api()->set_parameter_float("alpha", 1.0f);
    if (textureShader) sceneOO->get_scene_api()->set_subshader("diffuse", textureShader);
  } else {
    sceneOO->get_scene_api()->shader_begin(nullptr, "zel_diffuse");
    setColor(sceneOO->get_scene_api(), "diffuse", mat.color);
  }
  sceneOO->get_scene_api()->shader_end();
  zelShader* surfaceShader = sceneOO->get_scene_api()->shader_get();

  sceneOO->get_scene_api()->material_begin(materialName.c_str(), true);
  sceneOO->get_scene_api()->material_set_shader(SHADER_SURFACE, surfaceShader);
  sceneOO->get_scene_api()->material_end();
}
