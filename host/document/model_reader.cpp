// Reading a model file with the Open Asset Import Library and walking its scene: the node
// tree as null, polygon, camera and light objects, with materials and the node animation.
#include "model_import.h"

#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/Importer.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <map>
#include <system_error>

namespace c4ddoc::model {
namespace {

namespace fs = std::filesystem;

// Host camera and light parameters, as the plug-in reads them.
constexpr std::int32_t kCameraFov = 1008;  // horizontal field of view, radians
constexpr std::int32_t kLightColor = 90000;
constexpr std::int32_t kLightBrightness = 90001;
constexpr std::int32_t kLightKind = 90002;
constexpr std::int32_t kLightAreaSizeX = 100010;
constexpr std::int32_t kLightAreaSizeY = 100011;
constexpr std::int32_t kLightAreaSizeZ = 100012;
// Light kinds.
constexpr std::int32_t kPointLight = 0;
constexpr std::int32_t kSpotLight = 1;
constexpr std::int32_t kDistantLight = 3;
constexpr std::int32_t kAreaLight = 8;

// The host camera's own field of view (a 36 mm lens on a 36 mm film), for cameras that
// give none (orthographic ones).
const double kDefaultFov = 2.0 * std::atan(0.5);
// Animation ticks per second when the file does not say.
constexpr double kDefaultTicksPerSecond = 25.0;

ParamRecord floatParam(std::int32_t id, double value, const std::string& place) {
  ParamRecord p;
  p.id = id;
  p.kind = ValueKind::Float;
  p.real = value;
  p.place = place;
  return p;
}

ParamRecord intParam(std::int32_t id, std::int32_t value, const std::string& place) {
  ParamRecord p;
  p.id = id;
  p.kind = ValueKind::Int;
  p.integer = value;
  p.place = place;
  return p;
}

ParamRecord vectorParam(std::int32_t id, const Vec3& value, const std::string& place) {
  ParamRecord p;
  p.id = id;
  p.kind = ValueKind::Vector;
  p.vector = value;
  p.place = place;
  return p;
}

void place(ObjectRecord& object, const Matrix& m) {
  const Placement p = decompose(m);
  object.position = p.position;
  object.rotation = p.rotation;
  object.scale = p.scale;
}

// Whether a camera or light sits at its node's origin and looks the node's own way.
bool atNodeFrame(const ObjectRecord& o) {
  const auto length = [](const Vec3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); };
  return length(o.position) < 1e-6 && length(o.rotation) < 1e-6;
}

class SceneReader {
 public:
  SceneReader(const aiScene& scene, const std::string& path, const ImportOptions& options);
  DocumentRecord read();

 private:
  ObjectRecord node(const aiNode& n, int depth, const std::string& parentPlace);
  ObjectRecord camera(const aiCamera& c, const std::string& place);
  ObjectRecord light(const aiLight& l, const std::string& place);
  void tell();

  const aiScene& scene_;
  std::string path_;
  ImportOptions options_;
  ImportNotes notes_;
  std::vector<MaterialRecord> materials_;
  std::map<std::string, const aiCamera*> cameras_;
  std::map<std::string, const aiLight*> lights_;
  std::map<std::string, const aiNodeAnim*> channels_;
  double ticksPerSecond_ = kDefaultTicksPerSecond;
  std::size_t skippedLights_ = 0;
  // A glTF camera has no position of its own, but the library's glTF reader copies its
  // node's translation into it: taken as given, the camera would stand twice as far out.
  bool cameraPositions_ = true;
};

SceneReader::SceneReader(const aiScene& scene, const std::string& path,
                         const ImportOptions& options)
    : scene_(scene), path_(path), options_(options) {
  notes_.source = path;
  std::string extension = fs::path(path).extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  cameraPositions_ = extension != ".gltf" && extension != ".glb";
  for (unsigned i = 0; i < scene.mNumCameras; ++i)
    cameras_.emplace(scene.mCameras[i]->mName.C_Str(), scene.mCameras[i]);
  for (unsigned i = 0; i < scene.mNumLights; ++i)
    lights_.emplace(scene.mLights[i]->mName.C_Str(), scene.mLights[i]);
  // The document has one timeline: the first animation plays on it.
  if (scene.mNumAnimations > 0) {
    const aiAnimation& animation = *scene.mAnimations[0];
    if (animation.mTicksPerSecond > 0.0) ticksPerSecond_ = animation.mTicksPerSecond;
    for (unsigned i = 0; i < animation.mNumChannels; ++i)
      channels_.emplace(animation.mChannels[i]->mNodeName.C_Str(), animation.mChannels[i]);
    if (animation.mNumMorphMeshChannels + animation.mNumMeshChannels > 0)
      notes_.messages.push_back("the animation \"" + std::string(animation.mName.C_Str()) +
                                "\" animates meshes (morph targets), which are not imported");
  }
  if (scene.mNumAnimations > 1)
    notes_.messages.push_back(std::to_string(scene.mNumAnimations - 1) +
                              " further animation(s) left out: the document plays the first, \"" +
                              scene.mAnimations[0]->mName.C_Str() + "\"");
}

ObjectRecord SceneReader::camera(const aiCamera& c, const std::string& where) {
  ObjectRecord object;
  object.type = Ocamera;
  object.name = c.mName.C_Str();
  object.place = where;
  place(object, viewFrame(cameraPositions_ ? c.mPosition : aiVector3D(), c.mLookAt, c.mUp));
  // The library's readers give the whole horizontal angle (whatever its documentation says).
  double fov = c.mHorizontalFOV;
  if (!(fov > 0.0 && fov < PI)) {
    fov = kDefaultFov;
    notes_.messages.push_back(where + ": an orthographic camera, imported as a perspective one");
  }
  object.params.push_back(floatParam(kCameraFov, fov, where));
  return object;
}

ObjectRecord SceneReader::light(const aiLight& l, const std::string& where) {
  ObjectRecord object;
  object.type = Olight;
  object.name = l.mName.C_Str();
  object.place = where;
  place(object, viewFrame(l.mPosition, l.mDirection, l.mUp));
  // The file's colour carries the intensity: the host keeps a colour and a brightness.
  const double r = l.mColorDiffuse.r;
  const double g = l.mColorDiffuse.g;
  const double b = l.mColorDiffuse.b;
  const double brightness = std::max({r, g, b, 0.0});
  const Vec3 color =
      brightness > 0.0 ? Vec3{r / brightness, g / brightness, b / brightness} : Vec3{1.0, 1.0, 1.0};
  object.params.push_back(vectorParam(kLightColor, color, where));
  object.params.push_back(floatParam(kLightBrightness, brightness, where));
  std::int32_t kind = kPointLight;
  if (l.mType == aiLightSource_SPOT) kind = kSpotLight;
  if (l.mType == aiLightSource_DIRECTIONAL) kind = kDistantLight;
  if (l.mType == aiLightSource_AREA) {
    kind = kAreaLight;
    object.params.push_back(floatParam(kLightAreaSizeX, l.mSize.x, where));
    object.params.push_back(floatParam(kLightAreaSizeY, l.mSize.y, where));
    object.params.push_back(floatParam(kLightAreaSizeZ, 0.0, where));
  }
  object.params.push_back(intParam(kLightKind, kind, where));
  return object;
}

ObjectRecord SceneReader::node(const aiNode& n, int depth, const std::string& parentPlace) {
  ObjectRecord object;
  object.name = n.mName.C_Str();
  object.place = parentPlace + "node \"" + object.name + "\"";
  if (depth > kMaxObjectDepth)
    throw DocumentError(path_, object.place,
                        "nodes nest deeper than " + std::to_string(kMaxObjectDepth) + " levels");
  object.type = Onull;
  const Matrix local = hostMatrix(n.mTransformation);
  place(object, local);

  // A camera or light is the node itself when nothing else hangs on it and it looks the
  // node's own way; otherwise it becomes a child object carrying its own placement.
  std::vector<ObjectRecord> attached;
  const auto cam = cameras_.find(object.name);
  const auto lamp = lights_.find(object.name);
  if (cam != cameras_.end()) attached.push_back(camera(*cam->second, object.place + ".camera"));
  if (lamp != lights_.end()) {
    if (lamp->second->mType == aiLightSource_AMBIENT ||
        lamp->second->mType == aiLightSource_UNDEFINED) {
      ++skippedLights_;
    } else {
      attached.push_back(light(*lamp->second, object.place + ".light"));
    }
  }

  if (n.mNumMeshes > 0) fillPolygonObject(scene_, n, materials_, object, notes_);
  const auto channel = channels_.find(object.name);
  if (attached.size() == 1 && object.type == Onull && n.mNumChildren == 0 &&
      atNodeFrame(attached.front())) {
    object.type = attached.front().type;
    object.params = std::move(attached.front().params);
    attached.clear();
  }
  if (channel != channels_.end())
    addNodeTracks(*channel->second, ticksPerSecond_, decompose(local), object);
  for (unsigned i = 0; i < n.mNumChildren; ++i)
    object.children.push_back(node(*n.mChildren[i], depth + 1, object.place + "."));
  for (ObjectRecord& a : attached) object.children.push_back(std::move(a));
  return object;
}

void SceneReader::tell() {
  const auto count = [](std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  if (notes_.lines + notes_.points > 0)
    notes_.messages.push_back(count(notes_.lines, "line", "lines") + " and " +
                              count(notes_.points, "point", "points") +
                              " left out: the host holds polygons only");
  if (notes_.skinnedMeshes > 0)
    notes_.messages.push_back(count(notes_.skinnedMeshes, "mesh has", "meshes have") +
                              " bones, which are not imported: they keep their rest shape");
  if (notes_.morphedMeshes > 0)
    notes_.messages.push_back(count(notes_.morphedMeshes, "mesh has", "meshes have") +
                              " morph targets, which are not imported");
  if (scene_.mNumMeshes + scene_.mNumCameras + scene_.mNumLights == 0)
    notes_.messages.push_back("the model holds no meshes, cameras or lights");
  if (skippedLights_ > 0)
    notes_.messages.push_back(count(skippedLights_, "ambient light", "ambient lights") +
                              " left out: the host has no such light");
  for (const std::string& m : notes_.messages) GePrint(maxon::String(path_ + ": " + m));
}

DocumentRecord SceneReader::read() {
  DocumentRecord doc;
  std::error_code error;
  const fs::path absolute = fs::absolute(path_, error);
  const fs::path file = error ? fs::path(path_) : absolute.lexically_normal();
  doc.name = file.filename().string();
  doc.folder = file.parent_path().string();
  materials_ = importMaterials(scene_, TextureContext{doc.folder, options_}, notes_);
  doc.materials = materials_;
  doc.objects.push_back(node(*scene_.mRootNode, 1, ""));
  if (scene_.mNumAnimations > 0) {
    const aiAnimation& animation = *scene_.mAnimations[0];
    const double end = animation.mDuration / ticksPerSecond_;
    if (std::isfinite(end) && end > 0.0) doc.maxTime = end;
  }
  tell();
  return doc;
}

}  // namespace

bool isModelExtension(const std::string& extension) {
  return !extension.empty() && Assimp::Importer().IsExtensionSupported(extension);
}

std::string modelExtensions() {
  std::string list;
  Assimp::Importer().GetExtensionList(list);
  return list;
}

DocumentRecord importModel(const std::string& path, const ImportOptions& options) {
  std::error_code error;
  if (fs::is_directory(path, error))
    throw DocumentError(path, "file", "is a folder, not a model file");
  if (!fs::exists(path, error)) throw DocumentError(path, "file", "does not exist");
  Assimp::Importer importer;
  // Pivot helper nodes of FBX files are folded into their node's matrix, and a model
  // without meshes gets no stand-in mesh drawn along its nodes.
  importer.SetPropertyBool(AI_CONFIG_IMPORT_FBX_PRESERVE_PIVOTS, false);
  importer.SetPropertyBool(AI_CONFIG_IMPORT_NO_SKELETON_MESHES, true);
  const aiScene* scene =
      importer.ReadFile(path, aiProcess_JoinIdenticalVertices | aiProcess_ValidateDataStructure);
  if (scene == nullptr)
    throw DocumentError(path, "file", std::string("cannot be read: ") + importer.GetErrorString());
  // A scene without meshes (only cameras or lights) is marked incomplete, but opens.
  if (scene->mRootNode == nullptr) throw DocumentError(path, "file", "holds no scene (no nodes)");
  return SceneReader(*scene, path, options).read();
}

}  // namespace c4ddoc::model
