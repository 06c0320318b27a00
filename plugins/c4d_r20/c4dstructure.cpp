#include "C4DLoader.h"

#include "c4dread.h"
#include "zelapi.h"
#include "zelformat.h"
#include "zelsceneapi_oo.h"

#include "c4d.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Host bit that marks an object whose geometry is not written.
const Int32 kNoGeometryBit = 0x200;

const size_t kLabelSize = 1024;

// Inside an object's group the deepest content is an object block, its geometry and an array
// in it, or a material with its captured material and texture shaders.
const int kContentNesting = 4;

}  // namespace

const int C4DLoader::kMaxHierarchyDepth = zel_format::kMaxNesting - kContentNesting - 1;

int C4DLoader::hierarchyDepth(BaseDocument* doc) {
  int deepest = 0;
  std::vector<std::pair<BaseObject*, int>> pending;
  for (BaseObject* object = doc ? doc->GetFirstObject() : nullptr; object;
       object = object->GetNext())
    pending.emplace_back(object, 1);
  while (!pending.empty()) {
    auto [object, level] = pending.back();
    pending.pop_back();
    deepest = std::max(deepest, level);
    BaseObject* cache = object->GetDeformCache();
    if (!cache) cache = object->GetCache(nullptr);
    if (cache) pending.emplace_back(cache, level + 1);
    for (BaseObject* child = object->GetDown(); child; child = child->GetNext())
      pending.emplace_back(child, level + 1);
  }
  return deepest;
}

void C4DLoader::browseHierarchy(BaseObject* object, std::vector<BaseTag*> tags, bool editorVisible,
                                bool renderVisible, float share, bool parentSelected) {
  bool selected = parentSelected || selectedGuids.count(object->GetGUID()) != 0;
  const float entry = progress;
  float remaining = share;

  const Int32 type = object->GetType();
  const maxon::Mat3<maxon::Vec3<double, 1ll>> ml = object->GetMl();
  const maxon::Vec3<double, 1ll> relPos = object->GetRelPos();
  const maxon::Vec3<double, 1ll> relRot = object->GetRelRot();
  const maxon::Vec3<double, 1ll> relScale = object->GetRelScale();
  const ROTATIONORDER order = object->GetRotationOrder();
  const bool noGeometry = object->GetBit(kNoGeometryBit);

  const zelMatrix transform = toZelMatrix(ml);

  char label[kLabelSize];
  copyUtf8(object->GetName(), label, kLabelSize, "object");
  zelScene_api* api = sceneOO->get_scene_api();
  api->set_progress(label, progress);
  showProgress(label);

  const Int32 editorMode = readInt(object, ID_BASEOBJECT_VISIBILITY_EDITOR);
  const Int32 renderMode = readInt(object, ID_BASEOBJECT_VISIBILITY_RENDER);
  const bool editorOn = editorMode == OBJECT_UNDEF ? editorVisible : editorMode == 0;
  const bool renderOn = renderMode == OBJECT_UNDEF ? renderVisible : renderMode == 0;
  const bool visible = editorOn && renderOn;

  sceneOO->begin_group(label);
  ++counts.objects;
  api->set_flags(1);
  api->transform(transform);

  for (BaseTag* tag = object->GetFirstTag(); tag; tag = tag->GetNext())
    browseTag(tag, nullptr, nullptr, nullptr, tags);

  if (BaseObject* deformed = object->GetDeformCache()) {
    browseHierarchy(deformed, tags, editorOn, renderOn, remaining / 2, selected);
    remaining /= 2;
  } else if (BaseObject* cache = object->GetCache(nullptr)) {
    browseHierarchy(cache, tags, editorOn, renderOn, remaining / 2, selected);
    remaining /= 2;
  } else if (type == Opolygon) {
    if ((!selectionOnly || selected || selectedGuids.empty()) && visible && !noGeometry) {
      writePolygonObject(static_cast<PolygonObject*>(object), tags, remaining / 2);
      remaining /= 2;
    }
  } else if (type == Olight) {
    writeLight(label, object);
  } else if (type == Ohair) {
    writeHairObject(static_cast<HairObject*>(object), tags, remaining / 2);
  }

  int children = 0;
  for (BaseObject* child = object->GetDown(); child; child = child->GetNext()) ++children;
  for (BaseObject* child = object->GetDown(); child; child = child->GetNext())
    browseHierarchy(child, tags, editorOn, renderOn, remaining / children, selected);

  writeAnimation(label, object, relPos, relRot, order, relScale, false);

  sceneOO->end_group();

  const float consumed = progress - entry;
  progress += share - consumed;
  if (share - consumed > 0.00001f) {
    api->set_progress(label, progress);
    showProgress(label);
  }
}

void C4DLoader::browseTag(BaseTag* tag, UVWTag** uvw, NormalTag** normal,
                          std::map<std::string, SelectionTag*>* selections,
                          std::vector<BaseTag*>& tags) {
  switch (tag->GetType()) {
    case Ttexture:
    case Thairmaterial:
      tags.push_back(tag);
      break;
    case Tuvw:
      if (uvw) *uvw = static_cast<UVWTag*>(tag);
      break;
    case Tnormal:
      if (normal) *normal = static_cast<NormalTag*>(tag);
      break;
    case Tpolygonselection:
      if (selections) (*selections)[utf8Or(tag->GetName(), "")] = static_cast<SelectionTag*>(tag);
      break;
    default:
      break;
  }
}
