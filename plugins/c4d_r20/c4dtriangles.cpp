#include "C4DLoader.h"

#include "c4dread.h"
#include "zelsceneapi_oo.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

using Vector64 = TriangleStreams::Vector64;
using Vector32 = TriangleStreams::Vector32;
static_assert(sizeof(Vector32) == 3 * sizeof(float),
              "Phong normals are handed on as colour triples in place");

// The polygons of one material group: those of the selection (all when there is none) that
// no later tag claimed, in ascending order.
void collectGroup(SelectionTag* selection, const std::vector<uint8_t>& used,
                  std::vector<int32_t>& group) {
  const int32_t polygonCount = static_cast<int32_t>(used.size());
  group.clear();
  if (!selection) {
    for (int32_t p = 0; p < polygonCount; ++p)
      if (!used[p]) group.push_back(p);
    return;
  }
  BaseSelect* select = selection->GetBaseSelect();
  const int32_t segments = select ? select->GetSegments() : 0;
  bool ascending = true;
  for (int32_t segment = 0; segment < segments; ++segment) {
    int32_t first = 0;
    int32_t last = -1;
    if (!select->GetRange(segment, INT32_MAX, &first, &last)) continue;
    // Indices outside the object's polygons are dropped.
    first = std::max(first, 0);
    last = std::min(last, polygonCount - 1);
    for (int32_t p = first; p <= last; ++p) {
      if (used[p]) continue;
      if (!group.empty() && group.back() >= p) ascending = false;
      group.push_back(p);
    }
  }
  if (!ascending) {
    std::sort(group.begin(), group.end());
    group.erase(std::unique(group.begin(), group.end()), group.end());
  }
}

}  // namespace

// One material group as one renderer object: its triangle streams, then its material.
void C4DLoader::writeTriangleGroup(const char* name, const int32_t* group, size_t count,
                                   TriangleStreams& streams, const ZelMat& mat) {
  zelScene_api* api = sceneOO->get_scene_api();
  api->object_begin(name ? name : "object", true);
  api->geometry_use("triangles");
  counts.triangles += streams.write(api, group, count);
  api->geometry_end();
  writeMaterial(mat);
  api->object_end();
}

// The object's polygons split into material groups: the texture tags from the last (the
// object's own) to the first (the outermost ancestor's, then the default material) each take
// the polygons of their selection that no later tag took.
void C4DLoader::writePolygonObject(PolygonObject* object, std::vector<BaseTag*> tags, float) {
  if (!object) return;
  if (BaseList2D* layer = object->GetLayerObject(document)) {
    GeData data;
    if (!readParam(layer, ID_LAYER_VIEW, data) || !data.GetBool() ||
        !readParam(layer, ID_LAYER_RENDER, data) || !data.GetBool())
      return;
  }

  const Vector64 displayColor = getDefaultColor(object);
  const int32_t polygonCount = std::max<int32_t>(object->GetPolygonCount(), 0);
  std::string name;
  const bool named = toUtf8(object->GetName(), name);

  UVWTag* uvwTag = nullptr;
  NormalTag* normalTag = nullptr;
  std::map<std::string, SelectionTag*> selections;
  for (BaseTag* tag = object->GetFirstTag(); tag; tag = tag->GetNext())
    browseTag(tag, &uvwTag, &normalTag, &selections, tags);

  TriangleStreams::Mesh mesh;
  mesh.polygons = object->GetPolygonR();
  mesh.points = object->GetPointR();
  mesh.pointCount = object->GetPointCount();
  mesh.hasUvw = uvwTag != nullptr;
  mesh.uvw = uvwTag ? uvwTag->GetDataAddressR() : nullptr;
  mesh.uvwCount = uvwTag ? uvwTag->GetDataCount() : 0;
  mesh.hasNormals = normalTag != nullptr;
  mesh.normals = normalTag ? normalTag->GetDataAddressR() : nullptr;
  mesh.normalCount = normalTag ? normalTag->GetDataCount() : 0;
  Vector32* phongNormals = normalTag ? nullptr : object->CreatePhongNormals();
  mesh.phong = phongNormals;
  TriangleStreams streams(mesh);

  std::vector<uint8_t> used(static_cast<size_t>(polygonCount), 0);
  std::vector<int32_t> group;
  int32_t usedCount = 0;
  for (size_t entry = tags.size(); entry-- > 0 && usedCount < polygonCount;) {
    BaseTag* tag = tags[entry];
    if (tag && tag->GetType() != Ttexture) continue;

    SelectionTag* selection = nullptr;
    if (tag) {
      // A missing restriction reads as "", the name of an unnamed selection tag.
      GeData data;
      readParam(tag, TEXTURETAG_RESTRICTION, data);
      std::string restriction;
      if (toUtf8(data.GetString(), restriction)) {
        auto found = selections.find(restriction);
        if (found != selections.end()) selection = found->second;
      }
    }
    ZelMat mat;
    mat.color = displayColor;
    if (tag && !getMaterial(tag, mat)) continue;

    collectGroup(selection, used, group);
    if (group.empty()) continue;
    for (int32_t p : group) used[p] = 1;
    usedCount += static_cast<int32_t>(group.size());
    writeTriangleGroup(named ? name.c_str() : nullptr, group.data(), group.size(), streams, mat);
  }

  if (phongNormals) DeleteMem(phongNormals);
}
