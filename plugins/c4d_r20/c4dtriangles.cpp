#include "C4DLoader.h"

#include "zelsceneapi_oo.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

const int32_t textureTagType = 5616;
const int32_t restrictionParameter = 1006;
const int32_t layerViewParameter = 1001;
const int32_t layerRenderParameter = 1002;

typedef maxon::Vec3<double, 1ll> Vector64;
typedef maxon::Vec3<float, 1ll> Vector32;
static_assert(sizeof(Vector32) == 3 * sizeof(float),
              "Phong normals are handed on as colour triples in place");

bool layerSwitch(BaseList2D* layer, int32_t id) {
  GeData data;
  if (!layer->GetParameter(DescID(id), data, DESCFLAGS_GET::NONE) || data.GetType() == DA_NIL)
    return false;
  return data.GetBool();
}

inline bool isTriangle(const CPolygon& polygon) { return polygon.c == polygon.d; }

inline void appendVector(float*& out, const Vector64& v) {
  out[0] = static_cast<float>(v.x);
  out[1] = static_cast<float>(v.y);
  out[2] = static_cast<float>(v.z);
  out += 3;
}

inline void appendVector(float*& out, const Vector32& v) {
  out[0] = v.x;
  out[1] = v.y;
  out[2] = v.z;
  out += 3;
}

inline void appendUv(float*& out, const Vector64& v) {
  out[0] = static_cast<float>(v.x);
  out[1] = static_cast<float>(v.y);
  out += 2;
}

void setArray(zelScene_api* api, const char* name, zelType type, void* data, size_t count) {
  zelArray value;
  value.data = data;
  value.count = static_cast<uint32_t>(count);
  api->set_parameter(name, type, &value);
}

inline bool pointsValid(const CPolygon& polygon, int32_t pointCount) {
  return polygon.a >= 0 && polygon.b >= 0 && polygon.c >= 0 && polygon.d >= 0 &&
         polygon.a < pointCount && polygon.b < pointCount && polygon.c < pointCount &&
         polygon.d < pointCount;
}

}  // namespace

// Writes the given polygons as one object. The list must be ascending without
// repeats and hold no polygon written before for this object; a polygon with a
// point index outside 0 .. pointCount - 1 is left out.
//
// Two streams are handed on without a copy, the bytes being the same: the corner
// indices of "triangles_uv" are those of "triangles_norm" (both live in
// trianglesNorm), and the normals of a run of consecutive quadrangles with Phong
// normals are the Phong array itself.
void C4DLoader::writeTriangleGroup(const char* name, const int32_t* group, size_t count,
                                   const CPolygon* polygons, const Vector64* points,
                                   int32_t pointCount, const ZelMat& mat, UVWTag* uvwTag,
                                   const void* uvwData, NormalTag* normalTag,
                                   const void* normalData, const Vector32* phongNormals) {
  zelScene_api* api = sceneOO->get_scene_api();
  api->object_begin(name ? name : "object", true);
  api->geometry_use("triangles");

  size_t corners = 0;
  size_t indices = 0;
  bool quadrangleRun = count > 0 && static_cast<size_t>(group[count - 1] - group[0]) == count - 1;
  for (size_t i = 0; i < count; ++i) {
    const CPolygon& polygon = polygons[group[i]];
    if (!pointsValid(polygon, pointCount)) {
      quadrangleRun = false;
      continue;
    }
    const bool triangle = isTriangle(polygon);
    quadrangleRun = quadrangleRun && !triangle;
    corners += triangle ? 3 : 4;
    indices += triangle ? 3 : 6;
  }
  const bool phongInPlace = !normalTag && phongNormals && quadrangleRun;
  const bool copyNormals = normalTag || (phongNormals && !phongInPlace);

  if (pointVertex.size() < static_cast<size_t>(pointCount))
    pointVertex.resize(static_cast<size_t>(pointCount), -1);
  vertices.resize(3 * std::min(corners, static_cast<size_t>(pointCount)));
  normals.resize(copyNormals ? 3 * corners : 0);
  uvTex.resize(uvwTag ? 2 * corners : 0);
  triangles.resize(indices);
  trianglesNorm.resize(indices);
  trianglesUv.clear();

  float* vertexOut = vertices.data();
  float* normalOut = normals.data();
  float* uvOut = uvTex.data();
  int32_t* triangleOut = triangles.data();
  int32_t* cornerOut = trianglesNorm.data();
  int32_t* map = pointVertex.data();
  int32_t vertexCount = 0;
  int32_t n = 0;
  // Tags holding fewer records than the object has polygons read as zero beyond
  // their end, as the host's range-checked access does.
  const int32_t uvwCount = uvwTag ? uvwTag->GetDataCount() : 0;
  const int32_t normalCount = normalTag ? normalTag->GetDataCount() : 0;
  UVWStruct uvw;
  NormalStruct tagNormals;
  const Vector32* phong = copyNormals ? phongNormals : nullptr;

  auto vertexOf = [&](int32_t point) {
    int32_t& slot = map[point];
    if (slot < 0) {
      slot = vertexCount++;
      appendVector(vertexOut, points[point]);
    }
    return slot;
  };

  for (size_t i = 0; i < count; ++i) {
    const int32_t p = group[i];
    const CPolygon& polygon = polygons[p];
    if (!pointsValid(polygon, pointCount)) continue;
    const bool triangle = isTriangle(polygon);
    if (uvwTag) {
      if (p < uvwCount && uvwData)
        UVWTag::Get(uvwData, p, uvw);
      else
        uvw = UVWStruct();
    }
    if (normalTag) {
      if (p < normalCount && normalData)
        NormalTag::Get(normalData, p, tagNormals);
      else
        tagNormals = NormalStruct();
    }
    const int32_t va = vertexOf(polygon.a);
    const int32_t vb = vertexOf(polygon.b);
    const int32_t vc = vertexOf(polygon.c);
    if (uvwTag) {
      appendUv(uvOut, uvw.a);
      appendUv(uvOut, uvw.b);
      appendUv(uvOut, uvw.c);
    }
    if (normalTag) {
      appendVector(normalOut, tagNormals.a);
      appendVector(normalOut, tagNormals.b);
      appendVector(normalOut, tagNormals.c);
    } else if (phong) {
      appendVector(normalOut, phong[4 * static_cast<size_t>(p)]);
      appendVector(normalOut, phong[4 * static_cast<size_t>(p) + 1]);
      appendVector(normalOut, phong[4 * static_cast<size_t>(p) + 2]);
    }
    if (triangle) {
      triangleOut[0] = va;
      triangleOut[1] = vc;
      triangleOut[2] = vb;
      triangleOut += 3;
      cornerOut[0] = n;
      cornerOut[1] = n + 2;
      cornerOut[2] = n + 1;
      cornerOut += 3;
      n += 3;
    } else {
      const int32_t vd = vertexOf(polygon.d);
      if (uvwTag) appendUv(uvOut, uvw.d);
      if (normalTag)
        appendVector(normalOut, tagNormals.d);
      else if (phong)
        appendVector(normalOut, phong[4 * static_cast<size_t>(p) + 3]);
      cornerOut[0] = n;
      cornerOut[1] = n + 3;
      cornerOut[2] = n + 1;
      cornerOut[3] = n + 2;
      cornerOut[4] = n + 1;
      cornerOut[5] = n + 3;
      cornerOut += 6;
      n += 4;
      triangleOut[0] = va;
      triangleOut[1] = vd;
      triangleOut[2] = vb;
      triangleOut[3] = vc;
      triangleOut[4] = vb;
      triangleOut[5] = vd;
      triangleOut += 6;
    }
  }

  // Keep what was written (the storage stays) and forget this group's vertices.
  vertices.resize(static_cast<size_t>(vertexOut - vertices.data()));
  for (size_t i = 0; i < count; ++i) {
    const CPolygon& polygon = polygons[group[i]];
    if (pointsValid(polygon, pointCount))
      map[polygon.a] = map[polygon.b] = map[polygon.c] = map[polygon.d] = -1;
  }

  setArray(api, "vertices", zel_array_of(TYPE_COLOR), vertices.data(), vertices.size() / 3);
  if ((copyNormals || phongInPlace) && corners > 0) {
    if (phongInPlace)
      setArray(api, "normals", zel_array_of(TYPE_COLOR),
               const_cast<Vector32*>(phongNormals + 4 * static_cast<size_t>(group[0])), corners);
    else
      setArray(api, "normals", zel_array_of(TYPE_COLOR), normals.data(), normals.size() / 3);
    setArray(api, "triangles_norm", zel_array_of(TYPE_INT), trianglesNorm.data(),
             trianglesNorm.size());
  }
  if (uvwTag && corners > 0) {
    setArray(api, "uv_tex", zel_array_of(TYPE_FLOAT), uvTex.data(), uvTex.size());
    setArray(api, "triangles_uv", zel_array_of(TYPE_INT), trianglesNorm.data(),
             trianglesNorm.size());
  }
  setArray(api, "triangles", zel_array_of(TYPE_INT), triangles.data(), triangles.size());
  api->geometry_end();
  writeMaterial(mat);
  api->object_end();
}

void C4DLoader::writeTriangles(const char* name, std::set<int> polygonSet, const CPolygon* polygons,
                               const maxon::Vec3<double, 1ll>* points, ZelMat mat, UVWTag* uvwTag,
                               const void* uvwData, NormalTag* normalTag,
                               maxon::Vec3<float, 1ll>* phongNormals, std::set<int>& usedPolygons) {
  if (polygonSet.empty()) return;
  // The point count is not given here: every point index the polygons use is taken
  // as valid.
  groupPolygons.clear();
  int64_t pointCount = 0;
  for (int p : polygonSet) {
    if (p < 0 || !usedPolygons.insert(p).second) continue;
    groupPolygons.push_back(p);
    const CPolygon& polygon = polygons[p];
    pointCount = std::max<int64_t>({pointCount, int64_t(polygon.a) + 1, int64_t(polygon.b) + 1,
                                    int64_t(polygon.c) + 1, int64_t(polygon.d) + 1});
  }
  const void* normalData = normalTag ? normalTag->GetDataAddressR() : nullptr;
  writeTriangleGroup(name, groupPolygons.data(), groupPolygons.size(), polygons, points,
                     static_cast<int32_t>(std::min<int64_t>(pointCount, INT32_MAX)), mat, uvwTag,
                     uvwData, normalTag, normalData, phongNormals);
}

void C4DLoader::writePolygonObject(PolygonObject* object, std::vector<BaseTag*> tags, float) {
  if (!object) return;
  if (BaseList2D* layer = object->GetLayerObject(document)) {
    if (!layerSwitch(layer, layerViewParameter) || !layerSwitch(layer, layerRenderParameter))
      return;
  }

  const Vector64 displayColor = getDefaultColor(object);
  const Vector64* points = object->GetPointR();
  const int32_t pointCount = object->GetPointCount();
  const CPolygon* polygons = object->GetPolygonR();
  const int32_t polygonCount = object->GetPolygonCount();
  char* name = object->GetName().GetCStringCopy(STRINGENCODING::UTF8);

  UVWTag* uvwTag = nullptr;
  NormalTag* normalTag = nullptr;
  std::map<std::string, SelectionTag*> selections;
  for (BaseTag* tag = object->GetFirstTag(); tag; tag = tag->GetNext())
    browseTag(tag, &uvwTag, &normalTag, &selections, tags);

  const void* uvwData = uvwTag ? uvwTag->GetDataAddressR() : nullptr;
  const void* normalData = normalTag ? normalTag->GetDataAddressR() : nullptr;
  Vector32* phongNormals = normalTag ? nullptr : object->CreatePhongNormals();

  // Polygons already given a material; flat, since every polygon is looked at.
  polygonUsed.assign(polygonCount > 0 ? polygonCount : 0, 0);
  int32_t usedCount = 0;
  if (pointVertex.size() < static_cast<size_t>(std::max(pointCount, 0)))
    pointVertex.resize(pointCount, -1);

  for (size_t entry = tags.size(); entry-- > 0;) {
    vertices.clear();
    normals.clear();
    uvTex.clear();
    triangles.clear();
    trianglesNorm.clear();
    trianglesUv.clear();
    if (usedCount >= polygonCount) break;
    BaseTag* tag = tags[entry];
    if (tag && tag->GetType() != textureTagType) continue;

    SelectionTag* selection = nullptr;
    if (tag) {
      GeData data;
      tag->GetParameter(DescID(restrictionParameter), data, DESCFLAGS_GET::NONE);
      char* restriction = data.GetString().GetCStringCopy(STRINGENCODING::UTF8);
      if (restriction) {
        auto found = selections.find(restriction);
        if (found != selections.end()) selection = found->second;
        DeleteMem(restriction);
      }
    }

    ZelMat mat;
    mat.color = displayColor;
    if (tag && !getMaterial(tag, mat)) continue;

    groupPolygons.clear();
    if (!selection) {
      for (int32_t p = 0; p < polygonCount; ++p)
        if (!polygonUsed[p]) groupPolygons.push_back(p);
    } else {
      BaseSelect* select = selection->GetBaseSelect();
      const int32_t segments = select ? select->GetSegments() : 0;
      if (segments <= 0) continue;
      bool ascending = true;
      for (int32_t segment = 0; segment < segments; ++segment) {
        int32_t first = 0;
        int32_t last = -1;
        if (!select->GetRange(segment, INT32_MAX, &first, &last)) continue;
        // Indices outside the object's polygons are dropped.
        first = std::max(first, 0);
        last = std::min(last, polygonCount - 1);
        for (int32_t p = first; p <= last; ++p) {
          if (polygonUsed[p]) continue;
          if (!groupPolygons.empty() && groupPolygons.back() >= p) ascending = false;
          groupPolygons.push_back(p);
        }
      }
      if (!ascending) {
        std::sort(groupPolygons.begin(), groupPolygons.end());
        groupPolygons.erase(std::unique(groupPolygons.begin(), groupPolygons.end()),
                            groupPolygons.end());
      }
    }
    if (groupPolygons.empty()) continue;
    for (int32_t p : groupPolygons) polygonUsed[p] = 1;
    usedCount += static_cast<int32_t>(groupPolygons.size());
    writeTriangleGroup(name, groupPolygons.data(), groupPolygons.size(), polygons, points,
                       pointCount, mat, uvwTag, uvwData, normalTag, normalData, phongNormals);
  }

  if (phongNormals) DeleteMem(phongNormals);
  if (name) DeleteMem(name);
}
