// Documents built through the host model's API; the document owns and frees what they make.
#pragma once

#include "c4d.h"

#include <initializer_list>
#include <utility>
#include <vector>

namespace plugin_test {

struct Document {
  BaseDocument* doc = BaseDocument::Alloc();
  Document() = default;
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;
  ~Document() { BaseDocument::Free(doc); }
};

inline void setParam(C4DAtom* atom, Int32 id, const GeData& value) {
  atom->SetParameter(DescID(id), value, DESCFLAGS_SET::NONE);
}

// `object` named `name` appended as the last child of `parent` (top level when null).
template <typename T>
T* append(Document& d, T* object, const char* name, BaseObject* parent = nullptr) {
  if (name) object->SetName(String(name));
  BaseObject* last = parent ? parent->GetDownLast() : nullptr;
  if (!parent)
    for (BaseObject* o = d.doc->GetFirstObject(); o; o = o->GetNext()) last = o;
  d.doc->InsertObject(object, parent, last);
  return object;
}

inline BaseObject* addObject(Document& d, Int32 type, const char* name,
                             BaseObject* parent = nullptr) {
  return append(d, BaseObject::Alloc(type), name, parent);
}

// A mesh outside any document (a cache, say) until appended.
inline PolygonObject* newMesh(const char* name, const std::vector<Vector>& points,
                              const std::vector<CPolygon>& polygons) {
  PolygonObject* mesh = PolygonObject::Alloc(Int32(points.size()), Int32(polygons.size()));
  for (size_t i = 0; i < points.size(); ++i) mesh->GetPointW()[i] = points[i];
  for (size_t i = 0; i < polygons.size(); ++i) mesh->GetPolygonW()[i] = polygons[i];
  if (name) mesh->SetName(String(name));
  return mesh;
}

inline PolygonObject* addMesh(Document& d, const char* name, const std::vector<Vector>& points,
                              const std::vector<CPolygon>& polygons, BaseObject* parent = nullptr) {
  return append(d, newMesh(name, points, polygons), name, parent);
}

// Points 0 .. n-1 at (i, 10 i, 100 i), so that every coordinate tells its point.
inline std::vector<Vector> numberedPoints(int n) {
  std::vector<Vector> points;
  for (int i = 0; i < n; ++i) points.emplace_back(i, 10.0 * i, 100.0 * i);
  return points;
}

inline PolygonObject* addTriangle(Document& d, const char* name, BaseObject* parent = nullptr) {
  return addMesh(d, name, numberedPoints(3), {CPolygon(0, 1, 2)}, parent);
}

inline void appendTag(BaseObject* object, BaseTag* tag) {
  object->InsertTag(tag, object->GetLastTag());
}

// A standard material with only its colour channel, coloured `color`.
inline Material* addMaterial(Document& d, const char* name, const Vector& color) {
  Material* mat = Material::Alloc();
  mat->SetName(name);
  setParam(mat, MATERIAL_COLOR_COLOR, GeData(color));
  d.doc->InsertMaterial(mat);
  return mat;
}

inline BaseShader* addShader(BaseList2D* owner, Int32 type) {
  BaseShader* shader = BaseShader::Alloc(type);
  BaseShader* last = owner->GetFirstShader();
  while (last && last->GetNext()) last = last->GetNext();
  owner->InsertShader(shader, last);
  return shader;
}

inline BaseShader* addBitmapShader(BaseList2D* owner, const char* path) {
  BaseShader* shader = addShader(owner, Xbitmap);
  setParam(shader, BITMAPSHADER_FILENAME, GeData(Filename(path)));
  return shader;
}

inline BaseShader* addColorShader(BaseList2D* owner, const Vector& color) {
  BaseShader* shader = addShader(owner, Xcolor);
  setParam(shader, COLORSHADER_COLOR, GeData(color));
  return shader;
}

// A standard material whose colour channel shows the bitmap `file`.
inline Material* addTexturedMaterial(Document& d, const char* name, const Vector& color,
                                     const char* file) {
  Material* mat = addMaterial(d, name, color);
  setParam(mat, MATERIAL_COLOR_SHADER,
           GeData(static_cast<BaseList2D*>(addBitmapShader(mat, file))));
  return mat;
}

// Sets the gradient parameter `id` of `atom` to knots of `colors`, in order.
inline void setGradient(C4DAtom* atom, Int32 id, std::initializer_list<Vector> colors) {
  Gradient* gradient = Gradient::Alloc();
  for (const Vector& color : colors) {
    GradientKnot knot;
    knot.col = color;
    gradient->InsertKnot(knot);
  }
  setParam(atom, id, GeData(CUSTOMDATATYPE_GRADIENT, *gradient));
  Gradient::Free(gradient);
}

// A texture tag applying `mat`, restricted to the selection `restriction` when given.
inline TextureTag* addTextureTag(BaseObject* object, BaseMaterial* mat,
                                 const char* restriction = nullptr) {
  TextureTag* tag = TextureTag::Alloc();
  tag->SetMaterial(mat);
  if (restriction) setParam(tag, TEXTURETAG_RESTRICTION, GeData(restriction));
  appendTag(object, tag);
  return tag;
}

inline SelectionTag* addSelection(BaseObject* object, const char* name,
                                  std::initializer_list<Int32> polygons) {
  SelectionTag* tag = static_cast<SelectionTag*>(BaseTag::Alloc(Tpolygonselection));
  tag->SetName(name);
  for (Int32 p : polygons) tag->GetBaseSelect()->Select(p);
  appendTag(object, tag);
  return tag;
}

// A track of one vector component (0 x, 1 y, 2 z) of `channel`, keyed (time, value).
inline CTrack* addTrack(BaseObject* op, Int32 channel, Int32 component, const char* name,
                        std::vector<std::pair<double, double>> keys) {
  CTrack* track = CTrack::Alloc(op, DescID(DescLevel(channel, DTYPE_VECTOR, 0),
                                           DescLevel(VECTOR_X + component, DTYPE_REAL, 0)));
  track->SetName(String(name));
  op->InsertTrackSorted(track);
  CCurve* curve = track->GetCurve();
  for (const auto& key : keys) curve->AddKey(BaseTime(key.first))->SetValue(curve, key.second);
  return track;
}

// `count` strands of `segments` segments: point k of strand g at (g, k, 0.5 k), root uv (0.25 g,
// 0.5).
inline HairObject* addHair(Document& d, const char* name, Int32 count, Int32 segments) {
  HairObject* hair = HairObject::Alloc();
  HairGuides* guides = HairGuides::Alloc(count, segments);
  const Int32 per = guides->GetGuidePointCount();
  for (Int32 g = 0; g < count; ++g) {
    for (Int32 k = 0; k < per; ++k) guides->GetPoints()[g * per + k] = Vector(g, k, 0.5 * k);
    guides->SetRootUV(g, Vector(0.25 * g, 0.5, 0.0));
  }
  hair->SetGuides(guides);
  return append(d, hair, name);
}

}  // namespace plugin_test
