// Reading model files (FBX, glTF, OBJ, COLLADA, STL, PLY, 3DS and the other formats of the
// Open Asset Import Library) into a DocumentRecord, which the document builder turns into a
// document as it does for JSON files.
//
// The library delivers a right-handed scene with y up and counter-clockwise front faces; the
// host is left-handed. Everything is mirrored in z once on the way in (points, normals,
// matrices, keys) and every polygon's corners are reversed, so that the plug-in's own mirror
// gives back the file's geometry, neither mirrored nor turned inside out. Texture
// coordinates are turned so that v = 0 is the top of the image, as in the host's UV space.
//
// Internal to the c4ddocument library: model_reader.cpp walks the scene, model_mesh.cpp
// makes polygon objects, model_material.cpp materials, model_texture_file.cpp the files of
// embedded textures, model_animation.cpp tracks, model_space.cpp the coordinate conversion.
#pragma once

#include "c4d.h"
#include "document_content.h"

#include <assimp/scene.h>

#include <cstddef>
#include <string>
#include <vector>

namespace c4ddoc::model {

struct ImportOptions {
  // Where textures embedded in the model are written as image files; empty when there is
  // no such folder (a model with embedded textures is then refused).
  std::string textureFolder;
  // Whether the folder may be made when it does not exist (a cache folder of the host's
  // own); a user's save folder is never made.
  bool makeTextureFolder = false;
};

// Whether the library reads files with this extension (".glb", case ignored).
bool isModelExtension(const std::string& extension);
// The extensions the library reads, as "*.3ds;*.obj;...".
std::string modelExtensions();

// Reads a model file. Throws DocumentError naming the file and the library's reason when
// it cannot be read, and the place (node, mesh, material) of content the host cannot hold.
// What is left out (lines, points, bones, morph targets, further animations, ambient
// lights) is told through GePrint.
DocumentRecord importModel(const std::string& path, const ImportOptions& options);

// What the import leaves out or decides on its own, told to the user at the end.
struct ImportNotes {
  std::string source;  // the model file, for messages
  std::size_t lines = 0;
  std::size_t points = 0;
  std::size_t skinnedMeshes = 0;
  std::size_t morphedMeshes = 0;
  std::vector<std::string> messages;
};

// Coordinate conversion (model_space.cpp). The host's point of a library point: z mirrored.
Vec3 hostPoint(const aiVector3D& p);
// The host's matrix of a library matrix: mirrored in z on both sides.
Matrix hostMatrix(const aiMatrix4x4& m);
// A host object's relative position, rotation (HPB order, radians, each angle in
// (-pi, pi]) and scale that give the matrix; a mirroring matrix gets a negative z scale.
struct Placement {
  Vec3 position;
  Vec3 rotation;
  Vec3 scale{1.0, 1.0, 1.0};
};
Placement decompose(const Matrix& m);
// The host matrix of a camera or light that sits at `position`, looks along `forward` and
// has `up` above it, all in library space: its z axis is the view, its y axis the up
// direction. A zero forward looks along the library's -z, a zero or parallel up is chosen.
Matrix viewFrame(const aiVector3D& position, const aiVector3D& forward, const aiVector3D& up);

// One polygon object of a node's meshes (model_mesh.cpp): points, triangles and
// quadrangles, corner normals and UVs, and a texture tag per material (restricted to a
// polygon selection when there are several). `materials` are the scene's materials, in
// the scene's order.
void fillPolygonObject(const aiScene& scene, const aiNode& node,
                       const std::vector<MaterialRecord>& materials, ObjectRecord& object,
                       ImportNotes& notes);
// Triangles (index triples into `corners`, in the polygon's own turning sense) that cover
// a simple polygon, convex or not, given its corner positions.
std::vector<int> splitPolygon(const std::vector<aiVector3D>& corners);

// Materials (model_material.cpp), one per scene material, with ids "material[i]".
struct TextureContext {
  std::string modelFolder;  // absolute folder of the model file
  ImportOptions options;
};
std::vector<MaterialRecord> importMaterials(const aiScene& scene, const TextureContext& context,
                                            ImportNotes& notes);

// Writes the image of an embedded texture into `folder` as "<baseName>.<type>"
// (model_texture_file.cpp): atomically, never replacing a file with other content (then
// "<baseName>-2.<type>" and so on; a file with the same bytes is used as it is). Returns the path;
// tells in `notes` which file it wrote or used. Throws DocumentError (source, place) when it cannot
// write.
std::string writeTextureFile(const aiTexture& texture, const std::string& folder,
                             const std::string& baseName, const std::string& place,
                             ImportNotes& notes);

// The position, rotation and scale tracks of an animated node (model_animation.cpp), with
// times in seconds; `rest` is the node's own placement, which the first rotation key is
// kept near.
void addNodeTracks(const aiNodeAnim& channel, double ticksPerSecond, const Placement& rest,
                   ObjectRecord& object);

}  // namespace c4ddoc::model
