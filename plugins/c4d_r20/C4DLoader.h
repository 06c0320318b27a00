#pragma once

#include "ZelMat.h"
#include "c4dtrianglestreams.h"

#include "c4d.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace zel {
class LightFactory;
class zelSceneapi_oo;
}  // namespace zel

// The conversion driver: one instance for the life of the plug-in. It runs one
// command at a time (render, update, svbExport), each of which opens an
// output, converts the document through load() and closes the output again.
// The content writers are member functions and share the fields below.
// Host objects are borrowed for one command; sceneOO is the only owned pointer
// and exists only while a command runs.
class C4DLoader {
 public:
  C4DLoader();

  // Commands. render and update always return true; svbExport returns false
  // when the file dialog is cancelled or the chosen name cannot be converted.
  bool render(BaseDocument* doc);
  bool update(BaseDocument* doc);
  bool svbExport(BaseDocument* doc);

  // One output session: opens the factory's output through a new wrapper, writes the
  // import settings and the document, and ends the output. Returns "" when the scene
  // arrived whole, else what went wrong (naming the file or the renderer and the reason).
  // A document deeper than kMaxHierarchyDepth is refused before anything is opened.
  std::string convertInto(BaseDocument* doc, zel::LightFactory& factory);

  // The conversion proper, onto sceneOO (which must exist).
  void load(BaseDocument* doc);

  // What one conversion wrote, for the summary a command shows when it is done: a group per
  // host object, the triangles of the triangle groups, the materials.
  struct Counts {
    uint64_t objects = 0;
    uint64_t triangles = 0;
    uint64_t materials = 0;
  };
  // The host's status bar: the traversal's progress as a percentage and the object's label.
  void showProgress(const char* label);

  // Deepest object nesting that the scene can hold: the format's nesting limit less the
  // blocks an object's content adds inside its group, and the root group.
  static const int kMaxHierarchyDepth;
  // Levels of groups that the traversal would write for the document's objects (caches
  // included), counted without recursion; 0 for no document or no objects.
  static int hierarchyDepth(BaseDocument* doc);

  // Traversal and tag classification.
  void browseHierarchy(BaseObject* object, std::vector<BaseTag*> tags, bool editorVisible,
                       bool renderVisible, float share, bool parentSelected);
  void browseTag(BaseTag* tag, UVWTag** uvw, NormalTag** normal,
                 std::map<std::string, SelectionTag*>* selections, std::vector<BaseTag*>& tags);

  // Polygon objects and triangle streams.
  void writePolygonObject(PolygonObject* object, std::vector<BaseTag*> tags, float progressShare);
  // Writes one material group (an ascending list of polygons) as one renderer object.
  void writeTriangleGroup(const char* name, const int32_t* group, size_t count,
                          TriangleStreams& streams, const ZelMat& mat);

  // Hair.
  void writeHairObject(HairObject* hair, std::vector<BaseTag*> tags, float progressShare);

  // Material model and writing.
  bool getMaterial(BaseTag* tag, ZelMat& mat);
  bool getMaterial(Material* material, ZelMat& mat);
  bool getMaterial(BaseShader* shader, ZelMat& mat);
  maxon::Vec3<double, 1ll> getDefaultColor(BaseObject* object);
  void writeMaterial(ZelMat mat);

  // Lights.
  void writeLight(std::string name, BaseObject* light);

  // Cameras.
  void getCameras(BaseObject* object, std::vector<BaseObject*>& cameras);
  void writeCamera(BaseObject* camera);

  // Animation tracks.
  // The object's position, rotation and scale tracks, each baked into animation blocks
  // relative to the given rest transform (a camera's in its mirrored frame).
  void writeAnimation(const char* label, BaseObject* object, const Vector& position,
                      const Vector& rotation, ROTATIONORDER order, const Vector& scale,
                      bool camera);
  void browseTrack(CTrack* track, std::vector<CTrack*>& scales, std::vector<CTrack*>& rotations,
                   std::vector<CTrack*>& positions);
  void writeTracksSeparate(const char* objectName, std::vector<CTrack*> tracks, const char* kind,
                           maxon::Vec3<double, 1ll> position, maxon::Vec3<double, 1ll> rotation,
                           ROTATIONORDER order, maxon::Vec3<double, 1ll> scale, bool camera);

  bool runLive(BaseDocument* doc, const std::string& modelName, bool update);

  int32_t materialCounter;
  std::string documentPath;
  // Materials already written, per base name; kept for the plug-in's lifetime
  // so that names stay stable across commands.
  std::map<std::string, std::map<ZelMat, uint64_t>> materialVariants;
  zel::zelSceneapi_oo* sceneOO;
  float progress;
  Counts counts;
  BaseDocument* document;
  bool selectionOnly;
  std::set<uint64_t> selectedGuids;
};

// Orders the component tracks (second description level minus 1000) of one
// channel by the rotation order's row of components.
struct rotationSorter {
  explicit rotationSorter(ROTATIONORDER order);
  bool operator()(CTrack* a, CTrack* b);

  ROTATIONORDER order;
};
