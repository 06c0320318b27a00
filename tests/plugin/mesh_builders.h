// Builders for the polygon and material tests: small meshes, tags and materials
// made through the host's own API, owned by one document.
#pragma once

#include "c4d.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace mesh_test {

// A document that owns everything the builders make.
struct Scene {
  BaseDocument* doc = BaseDocument::Alloc();
  ~Scene() { BaseDocument::Free(doc); }
  Scene() = default;
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;
};

inline void setParam(C4DAtom* atom, Int32 id, const GeData& value) {
  atom->SetParameter(DescID(id), value, DESCFLAGS_SET::NONE);
}

// A polygon object under `parent` (top level when null).
inline PolygonObject* makeMesh(Scene& scene, const char* name, const std::vector<Vector>& points,
                               const std::vector<CPolygon>& polygons,
                               BaseObject* parent = nullptr) {
  PolygonObject* mesh = PolygonObject::Alloc(Int32(points.size()), Int32(polygons.size()));
  if (name) mesh->SetName(name);
  for (size_t i = 0; i < points.size(); ++i) mesh->GetPointW()[i] = points[i];
  for (size_t i = 0; i < polygons.size(); ++i) mesh->GetPolygonW()[i] = polygons[i];
  scene.doc->InsertObject(mesh, parent, parent ? parent->GetDownLast() : nullptr);
  return mesh;
}

// Points 0 .. n-1 at (i, 10 i, 100 i), so that every coordinate tells its point.
inline std::vector<Vector> numberedPoints(int n) {
  std::vector<Vector> points;
  for (int i = 0; i < n; ++i) points.emplace_back(i, 10.0 * i, 100.0 * i);
  return points;
}

inline void appendTag(BaseObject* object, BaseTag* tag) {
  object->InsertTag(tag, object->GetLastTag());
}

// A standard material with only its colour channel, coloured `color`.
inline Material* makeMaterial(Scene& scene, const char* name, const Vector& color) {
  Material* mat = Material::Alloc();
  mat->SetName(name);
  setParam(mat, 2100, GeData(color));
  scene.doc->InsertMaterial(mat);
  return mat;
}

// A texture tag applying `mat`, restricted to `restriction` when given.
inline TextureTag* addTextureTag(BaseObject* object, BaseMaterial* mat,
                                 const char* restriction = nullptr) {
  TextureTag* tag = TextureTag::Alloc();
  tag->SetMaterial(mat);
  if (restriction) setParam(tag, 1006, GeData(restriction));
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

// Texture coordinates where corner k of polygon p is (p + k / 10, -p - k / 10).
inline UVWTag* addNumberedUvw(PolygonObject* mesh) {
  const Int32 n = mesh->GetPolygonCount();
  UVWTag* tag = UVWTag::Alloc(n);
  for (Int32 p = 0; p < n; ++p) {
    Vector c[4];
    for (int k = 0; k < 4; ++k) c[k] = Vector(p + k / 10.0, -p - k / 10.0, 0.0);
    UVWTag::Set(tag->GetDataAddressW(), p, UVWStruct(c[0], c[1], c[2], c[3]));
  }
  appendTag(mesh, tag);
  return tag;
}

inline void addPhong(BaseObject* object) { object->MakeTag(Tphong, object->GetLastTag()); }

// The tag list the traversal hands to an object: the driver's null entry, the
// inherited texture tags, then the object's own.
inline std::vector<BaseTag*> tagList(std::initializer_list<BaseObject*> fromRootDown) {
  std::vector<BaseTag*> tags{nullptr};
  for (BaseObject* object : fromRootDown)
    for (BaseTag* tag = object->GetFirstTag(); tag; tag = tag->GetNext())
      if (tag->GetType() == Ttexture) tags.push_back(tag);
  return tags;
}

}  // namespace mesh_test
