#include "C4DLoader.h"

#include "c4dread.h"
#include "zelsceneapi_oo.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {
// The hair material tag's link to its material.
constexpr Int32 kHairTagMaterial = 1000;

// Values that the hair material tags of the list give the strands, the
// front-most tag winning (the list runs from the outermost ancestor down).
void applyHairTags(C4DLoader& loader, const std::vector<BaseTag*>& tags, ZelMat& mat, float& root,
                   float& tip) {
  GeData data;
  for (auto it = tags.rbegin(); it != tags.rend(); ++it) {
    BaseTag* tag = *it;
    if (!tag || tag->GetType() != Thairmaterial) continue;
    std::string tagName;
    if (readParam(tag, ID_BASELIST_NAME, data) && toUtf8(data.GetString(), tagName))
      std::snprintf(mat.name, sizeof mat.name, "%s", tagName.c_str());
    if (!readParam(tag, kHairTagMaterial, data)) continue;
    BaseList2D* material = data.GetLink(loader.document);
    if (!material || material->GetType() != Mhair) continue;
    root = static_cast<float>(readFloat(material, HAIRMATERIAL_THICKNESS_ROOT));
    tip = static_cast<float>(readFloat(material, HAIRMATERIAL_THICKNESS_TIP));
    if (readParam(material, HAIRMATERIAL_COLOR_HAIR_ROOTS_SHADER, data)) {
      if (BaseShader* shader = dynamic_cast<BaseShader*>(data.GetLink(loader.document)))
        loader.getMaterial(shader, mat);
    }
    if (readParam(material, HAIRMATERIAL_COLOR_GRADIENT, data)) {
      if (Gradient* gradient =
              static_cast<Gradient*>(data.GetCustomDataType(CUSTOMDATATYPE_GRADIENT)))
        mat.color = gradient->GetKnot(0).col;
    }
  }
}
}  // namespace

// Each generated strand becomes one Bezier curve in the hair object's own space,
// with a radius per point running linearly from the root to the tip thickness and
// the strand's root texture coordinate.
void C4DLoader::writeHairObject(HairObject* hair, std::vector<BaseTag*> tags, float) {
  if (!hair || !sceneOO) return;
  zelScene_api* api = sceneOO->get_scene_api();
  if (!api) return;

  hair->Lock(document, nullptr, false, 0);
  HairGuides* guides = hair->GenerateHair(0, -1, -1, nullptr, nullptr);
  const Matrix toLocal = ~hair->GetMl();
  if (guides) {
    float root = 0.5f;
    float tip = 0.1f;
    const Vector* points = guides->GetPoints();
    // Without a point array no strand has points, whatever the count says.
    const Int32 pointsPerStrand = points ? std::max<Int32>(guides->GetGuidePointCount(), 0) : 0;
    const Int32 strands = std::max<Int32>(guides->GetCount(), 0);

    ZelMat mat;
    mat.color = getDefaultColor(hair);
    applyHairTags(*this, tags, mat, root, tip);

    const std::string name = utf8Or(hair->GetName(), "object");
    api->object_begin(name.c_str(), true);
    api->geometry_use("zel_bezier_curves");

    float step = 0.0f;
    if (pointsPerStrand > 1)
      step = static_cast<float>(static_cast<double>(tip - root) /
                                static_cast<double>(static_cast<float>(pointsPerStrand - 1)));
    std::vector<float> positions;
    std::vector<float> radii;
    std::vector<float> rootUv;
    std::vector<int32_t> counts;
    const size_t total = static_cast<size_t>(strands) * static_cast<size_t>(pointsPerStrand);
    positions.reserve(total * 3);
    radii.reserve(total);
    for (Int32 i = 0; i < strands; ++i) {
      float r = root;
      for (Int32 j = 0; j < pointsPerStrand; ++j) {
        const Vector p = toLocal * points[static_cast<size_t>(i) * pointsPerStrand + j];
        positions.push_back(static_cast<float>(p.x));
        positions.push_back(static_cast<float>(p.y));
        positions.push_back(static_cast<float>(p.z));
        radii.push_back(r);
        r = r + step;
      }
      counts.push_back(pointsPerStrand);
      const Vector uv = guides->GetRootUV(i);
      rootUv.push_back(static_cast<float>(uv.x));
      rootUv.push_back(static_cast<float>(uv.y));
    }

    zelArray positionArray = {positions.data(), static_cast<uint32_t>(positions.size() / 3)};
    zelArray radiusArray = {radii.data(), static_cast<uint32_t>(radii.size())};
    zelArray uvArray = {rootUv.data(), static_cast<uint32_t>(rootUv.size())};
    zelArray countArray = {counts.data(), static_cast<uint32_t>(counts.size())};
    api->set_parameter_float("radius", 0.5f);
    api->set_parameter_int("order", 2);
    api->set_parameter("p", zel_array_of(TYPE_COLOR), &positionArray);
    api->set_parameter("pr", zel_array_of(TYPE_FLOAT), &radiusArray);
    api->set_parameter("curve_uv", zel_array_of(TYPE_FLOAT), &uvArray);
    api->set_parameter("nvertices", zel_array_of(TYPE_INT), &countArray);
    api->geometry_end();
    writeMaterial(mat);
    api->object_end();
  }
  hair->Unlock();
}
