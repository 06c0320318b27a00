#include "C4DLoader.h"

#include "c4dread.h"
#include "zelsceneapi_oo.h"

#include <sys/stat.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Shaders whose first gradient knot gives the colour: the gradient shader (its gradient in
// parameter 1007) and its gradient-based relatives (in parameter 10001).
const int32_t kGradientBasedShaderType = 1012158;
const int32_t kGradientShaderGradient = 1007;
// Material channels and parameters read besides the colour channel's.
const int32_t kLuminanceChannel = 1;
const int32_t kSpecularChannel = 3;
const int32_t kAlphaChannel = 7;
const int32_t kReflectionLayerChannels[2] = {8, 9};
const int32_t kLuminanceColor = 2300;
const int32_t kLuminanceShader = 8002;
const int32_t kSpecularColor = 3100;
const int32_t kSpecularFallback = 65;

// Step of the record ordering for two doubles: -1 left less, 1 left greater, 0 equal.
// A NaN on either side counts as a difference that leaves the left not less.
int compareDouble(double a, double b) {
  if (a < b) return -1;
  if (a > b || std::isnan(a) || std::isnan(b)) return 1;
  return 0;
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
  const std::string fullPath = utf8Or(file.GetString(), "");
  if (!fullPath.empty() && fileOpens(fullPath)) return fullPath;
  if (!documentPath.empty()) {
    const std::string bareName = utf8Or(file.GetFileString(), "");
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
  if (!tag || tag->GetType() != Ttexture) return false;
  TextureTag* textureTag = dynamic_cast<TextureTag*>(tag);
  BaseMaterial* material = textureTag ? textureTag->GetMaterial(false) : nullptr;
  if (!material) return false;
  copyUtf8(material->GetName(), mat.name, sizeof(mat.name), "");
  bool found = false;
  if (material->GetType() == Mmaterial) found = getMaterial(dynamic_cast<Material*>(material), mat);
  if (found) {
    // The placement is taken as read, present or not.
    mat.textureTag = tag;
    mat.projection = readInt(tag, TEXTURETAG_PROJECTION);
    mat.textureMatrix = textureTag->GetMl();
    mat.shiftU = readFloat(tag, TEXTURETAG_OFFSETX);
    mat.shiftV = readFloat(tag, TEXTURETAG_OFFSETY);
    mat.scaleU = readFloat(tag, TEXTURETAG_LENGTHX);
    mat.scaleV = readFloat(tag, TEXTURETAG_LENGTHY);
    mat.tile = readBool(tag, TEXTURETAG_TILE);
  }
  return found;
}

bool C4DLoader::getMaterial(Material* material, ZelMat& mat) {
  if (!material) return false;
  bool found = false;
  if (!material->GetChannelState(kAlphaChannel)) {
    GeData data;
    if (material->GetChannelState(0)) {
      if (readParam(material, MATERIAL_COLOR_COLOR, data)) mat.color = data.GetVector();
      if (readParam(material, MATERIAL_COLOR_BRIGHTNESS, data)) {
        const double factor = data.GetFloat();
        mat.color = maxon::Vec3<double, 1ll>(mat.color.x * factor, mat.color.y * factor,
                                             mat.color.z * factor);
      }
      if (readParam(material, MATERIAL_COLOR_SHADER, data))
        getMaterial(dynamic_cast<BaseShader*>(data.GetLink(document)), mat);
      found = true;
    } else if (material->GetChannelState(kLuminanceChannel) &&
               readParam(material, kLuminanceColor, data)) {
      mat.color = data.GetVector();
      if (readParam(material, kLuminanceShader, data))
        getMaterial(dynamic_cast<BaseShader*>(data.GetLink(document)), mat);
      found = true;
    }

    if (material->GetChannelState(kReflectionLayerChannels[0]) ||
        material->GetChannelState(kReflectionLayerChannels[1])) {
      if (readParam(material, kSpecularColor, data)) {
        mat.specular = data.GetVector();
        found = true;
      }
    } else if (material->GetChannelState(kSpecularChannel)) {
      if (readParam(material, kSpecularColor, data)) {
        mat.specular = data.GetVector();
        found = true;
      } else {
        BaseContainer* container = material->GetDataInstance();
        mat.specular =
            container ? container->GetVector(kSpecularFallback) : maxon::Vec3<double, 1ll>();
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
    case Xcolor:
      if (!readParam(shader, COLORSHADER_COLOR, data)) return false;
      mat.color = data.GetVector();
      return true;
    case Xbitmap:
      if (readParam(shader, BITMAPSHADER_FILENAME, data))
        mat.texture = findTexture(data.GetFilename(), documentPath);
      return false;
    case Xgradient:
    case kGradientBasedShaderType: {
      const int32_t id = shader->GetType() == Xgradient ? kGradientShaderGradient : 10001;
      if (readParam(shader, id, data)) {
        Gradient* gradient =
            static_cast<Gradient*>(data.GetCustomDataType(CUSTOMDATATYPE_GRADIENT));
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
  if (!readParam(object, ID_BASEOBJECT_USECOLOR, data)) return result;
  switch (data.GetInt32()) {
    case ID_BASEOBJECT_USECOLOR_AUTOMATIC:
      if (readParam(object, ID_BASEOBJECT_COLOR, data)) result = data.GetVector();
      break;
    case ID_BASEOBJECT_USECOLOR_LAYER:
      if (layer && readParam(layer, ID_LAYER_COLOR, data)) result = data.GetVector();
      break;
    default:
      break;
  }
  return result;
}

void C4DLoader::writeMaterial(ZelMat mat) {
  ++counts.materials;
  const char* baseName = mat.name[0] ? mat.name : "Display color";
  std::map<ZelMat, uint64_t>& variants = materialVariants[baseName];
  const uint64_t index = variants.emplace(mat, variants.size()).first->second;
  // Composed names are cut to 1023 bytes.
  std::string materialName = baseName;
  if (index != 0) materialName += " #" + std::to_string(static_cast<int>(index));
  if (materialName.size() > 1023) materialName.resize(1023);

  zelScene_api* api = sceneOO->get_scene_api();
  zelShader* textureShader = nullptr;
  if (!mat.texture.empty()) {
    api->shader_begin(nullptr, "texture2_rgb");
    api->set_parameter("texture", TYPE_STRING, mat.texture.c_str());
    api->set_parameter_color("default_color", 0.0f, 0.0f, 0.0f);
    api->set_parameter_bool("wrap", mat.tile);
    if (mat.projection == TEXTURETAG_PROJECTION_FLAT) {
      api->set_parameter_int("uv_projection", 5);
      writePlacement(api, mat);
      const zelMatrix uvMatrix = objectToUv(mat.textureMatrix);
      api->set_parameter("transform_obj_to_uv", TYPE_MATRIX, &uvMatrix);
    } else {
      api->set_parameter_int("uv_projection", 4);
      writePlacement(api, mat);
      api->set_parameter_int("uv_flags", 62);
    }
    api->shader_end();
    textureShader = api->shader_get();
  }

  ++materialCounter;
  const double specularLength =
      std::sqrt(mat.specular.x * mat.specular.x + mat.specular.y * mat.specular.y +
                mat.specular.z * mat.specular.z);
  if (textureShader || specularLength > 1e-06) {
    api->shader_begin(nullptr, "zel_advanced");
    setColor(api, "diffuse", mat.color);
    setColor(api, "specular", mat.specular);
    api->set_parameter_bool("fresnel", 1);
    api->set_parameter_float("roughness", 0.0f);
    api->set_parameter_float("ior", 1.5f);
    api->set_parameter_bool("glossy", 1);
    api->set_parameter_int("glossy_samples", 9);
    api->set_parameter_float("alpha", 1.0f);
    if (textureShader) api->set_subshader("diffuse", textureShader);
  } else {
    api->shader_begin(nullptr, "zel_diffuse");
    setColor(api, "diffuse", mat.color);
  }
  api->shader_end();
  zelShader* surfaceShader = api->shader_get();

  api->material_begin(materialName.c_str(), true);
  api->material_set_shader(SHADER_SURFACE, surfaceShader);
  api->material_end();
}
