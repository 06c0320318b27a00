// A node's meshes as one polygon object of the host.
#include "model_import.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <set>

namespace c4ddoc::model {
namespace {

constexpr std::int32_t kTextureMaterial = TEXTURETAG_MATERIAL;
constexpr std::int32_t kTextureRestriction = TEXTURETAG_RESTRICTION;

bool finite(const aiVector3D& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

Vector toVector(const Vec3& v) { return Vector(v.x, v.y, v.z); }
Vec3 toVec3(const Vector& v) { return Vec3{v.x, v.y, v.z}; }

// Builds the polygons and corner data of the meshes of one node.
class MeshMerger {
 public:
  MeshMerger(const aiScene& scene, const aiNode& node, ObjectRecord& object, ImportNotes& notes)
      : scene_(scene), node_(node), object_(object), notes_(notes) {
    for (unsigned k = 0; k < node.mNumMeshes; ++k) {
      const aiMesh& mesh = *scene.mMeshes[node.mMeshes[k]];
      normals_ = normals_ || mesh.HasNormals();
      uvs_ = uvs_ || mesh.HasTextureCoords(0);
    }
  }

  void addMeshes();
  void addTags(const std::vector<MaterialRecord>& materials);

 private:
  void addMesh(const aiMesh& mesh);
  void addPolygon(const aiMesh& mesh, std::int32_t base, const unsigned* corners, int count);
  [[noreturn]] void fail(const std::string& message) const {
    throw DocumentError(notes_.source, object_.place, message);
  }

  const aiScene& scene_;
  const aiNode& node_;
  ObjectRecord& object_;
  ImportNotes& notes_;
  bool normals_ = false;
  bool uvs_ = false;
  std::vector<CornerRecord> normalCorners_;
  std::vector<CornerRecord> uvCorners_;
  std::vector<unsigned> polygonMaterial_;
};

void MeshMerger::addMeshes() {
  std::size_t points = 0;
  for (unsigned k = 0; k < node_.mNumMeshes; ++k)
    points += scene_.mMeshes[node_.mMeshes[k]]->mNumVertices;
  if (points > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    fail("the meshes have " + std::to_string(points) + " points, more than the host can hold");
  object_.points.reserve(points);
  for (unsigned k = 0; k < node_.mNumMeshes; ++k) addMesh(*scene_.mMeshes[node_.mMeshes[k]]);
  object_.type = object_.polygons.empty() ? Onull : Opolygon;
  if (object_.polygons.empty()) object_.points.clear();
}

void MeshMerger::addMesh(const aiMesh& mesh) {
  if (mesh.mNumBones > 0) ++notes_.skinnedMeshes;
  if (mesh.mNumAnimMeshes > 0) ++notes_.morphedMeshes;
  const auto base = static_cast<std::int32_t>(object_.points.size());
  for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
    if (!finite(mesh.mVertices[v]))
      fail("mesh \"" + std::string(mesh.mName.C_Str()) + "\": point " + std::to_string(v) +
           " has a coordinate that is not a finite number");
    object_.points.push_back(hostPoint(mesh.mVertices[v]));
  }
  for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
    const aiFace& face = mesh.mFaces[f];
    if (face.mNumIndices < 3) {
      notes_.points += face.mNumIndices == 1 ? 1 : 0;
      notes_.lines += face.mNumIndices == 2 ? 1 : 0;
    } else if (face.mNumIndices <= 4) {
      addPolygon(mesh, base, face.mIndices, static_cast<int>(face.mNumIndices));
    } else {
      std::vector<aiVector3D> corners;
      for (unsigned i = 0; i < face.mNumIndices; ++i)
        corners.push_back(mesh.mVertices[face.mIndices[i]]);
      const std::vector<int> triangles = splitPolygon(corners);
      for (std::size_t t = 0; t + 2 < triangles.size(); t += 3) {
        const unsigned triangle[3] = {face.mIndices[triangles[t]], face.mIndices[triangles[t + 1]],
                                      face.mIndices[triangles[t + 2]]};
        addPolygon(mesh, base, triangle, 3);
      }
    }
  }
  if (object_.polygons.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    fail("the meshes have more polygons than the host can hold");
}

// Adds a triangle or quadrangle given by the library's vertex indices in its own turning
// sense; the host gets the corners reversed (first corner kept), since the space is mirrored.
void MeshMerger::addPolygon(const aiMesh& mesh, std::int32_t base, const unsigned* corners,
                            int count) {
  unsigned reversed[4];
  reversed[0] = corners[0];
  for (int i = 1; i < count; ++i) reversed[i] = corners[count - i];
  if (count == 3) reversed[3] = reversed[2];
  const auto point = [&](int i) { return base + static_cast<std::int32_t>(reversed[i]); };
  object_.polygons.push_back(PolygonRecord{point(0), point(1), point(2), point(3)});
  polygonMaterial_.push_back(mesh.mMaterialIndex);

  if (normals_) {
    // The polygon's own normal stands in where the file has none (or a useless one).
    const PolygonRecord& p = object_.polygons.back();
    const Vector a = toVector(object_.points[static_cast<std::size_t>(p.a)]);
    const Vector b = toVector(object_.points[static_cast<std::size_t>(p.b)]);
    const Vector c = toVector(object_.points[static_cast<std::size_t>(p.c)]);
    const Vector d = toVector(object_.points[static_cast<std::size_t>(p.d)]);
    const Vector face = (Vector::Cross(b - a, c - a) + Vector::Cross(c - a, d - a)).GetNormalized();
    Vec3 n[4];
    for (int i = 0; i < 4; ++i) {
      Vector v = face;
      if (mesh.HasNormals()) {
        const aiVector3D& fileNormal = mesh.mNormals[reversed[i]];
        const Vector mirrored = toVector(hostPoint(fileNormal));
        if (finite(fileNormal) && mirrored.GetLength() > 1e-12) v = mirrored.GetNormalized();
      }
      n[i] = toVec3(v);
    }
    normalCorners_.push_back(CornerRecord{n[0], n[1], n[2], n[3]});
  }
  if (uvs_) {
    Vec3 uv[4];
    for (int i = 0; i < 4 && mesh.HasTextureCoords(0); ++i) {
      const aiVector3D& t = mesh.mTextureCoords[0][reversed[i]];
      uv[i] = Vec3{t.x, 1.0 - t.y, 0.0};
    }
    uvCorners_.push_back(CornerRecord{uv[0], uv[1], uv[2], uv[3]});
  }
}

TagRecord textureTag(const MaterialRecord& material, const std::string& restriction,
                     const std::string& place) {
  TagRecord tag;
  tag.type = Ttexture;
  tag.name = material.name;
  tag.place = place;
  ParamRecord link;
  link.id = kTextureMaterial;
  link.kind = ValueKind::Link;
  link.text = material.id;
  link.place = place;
  tag.params.push_back(link);
  if (!restriction.empty()) {
    ParamRecord only;
    only.id = kTextureRestriction;
    only.kind = ValueKind::String;
    only.text = restriction;
    only.place = place;
    tag.params.push_back(only);
  }
  return tag;
}

void MeshMerger::addTags(const std::vector<MaterialRecord>& materials) {
  if (object_.polygons.empty()) return;
  std::map<unsigned, std::vector<std::int32_t>> byMaterial;
  for (std::size_t p = 0; p < polygonMaterial_.size(); ++p)
    byMaterial[polygonMaterial_[p]].push_back(static_cast<std::int32_t>(p));
  const std::string place = object_.place + ".tags";
  if (byMaterial.size() == 1) {
    object_.tags.push_back(textureTag(materials[byMaterial.begin()->first], "", place));
  } else {
    // Texture tags find their polygons through the selection's name, so names stay unique.
    std::set<std::string> names;
    for (const auto& [index, polygons] : byMaterial) {
      const MaterialRecord& material = materials[index];
      std::string name = material.name;
      for (int n = 2; !names.insert(name).second; ++n)
        name = material.name + " " + std::to_string(n);
      TagRecord selection;
      selection.type = Tpolygonselection;
      selection.name = name;
      selection.selection = polygons;
      selection.place = place;
      object_.tags.push_back(selection);
      object_.tags.push_back(textureTag(material, name, place));
    }
  }
  const auto addCornerTag = [&](std::int32_t type, const char* name,
                                std::vector<CornerRecord>& corners) {
    TagRecord tag;
    tag.type = type;
    tag.name = name;
    tag.corners = std::move(corners);
    tag.place = place;
    object_.tags.push_back(std::move(tag));
  };
  if (uvs_) addCornerTag(Tuvw, "UVW", uvCorners_);
  if (normals_) addCornerTag(Tnormal, "Normal", normalCorners_);
}

}  // namespace

void fillPolygonObject(const aiScene& scene, const aiNode& node,
                       const std::vector<MaterialRecord>& materials, ObjectRecord& object,
                       ImportNotes& notes) {
  MeshMerger merger(scene, node, object, notes);
  merger.addMeshes();
  merger.addTags(materials);
}

// Ear clipping in the plane the polygon faces most: a corner is cut off when it turns the
// polygon's way and no other corner lies in its triangle. A polygon that has no such corner
// left (it crosses itself or is degenerate) is cut at the next corner all the same, so
// that every polygon gives n - 2 triangles.
std::vector<int> splitPolygon(const std::vector<aiVector3D>& corners) {
  const int n = static_cast<int>(corners.size());
  aiVector3D normal(0.0f, 0.0f, 0.0f);
  for (int i = 0; i < n; ++i) {
    const aiVector3D& a = corners[static_cast<std::size_t>(i)];
    const aiVector3D& b = corners[static_cast<std::size_t>((i + 1) % n)];
    normal.x += (a.y - b.y) * (a.z + b.z);
    normal.y += (a.z - b.z) * (a.x + b.x);
    normal.z += (a.x - b.x) * (a.y + b.y);
  }
  const float size[3] = {std::abs(normal.x), std::abs(normal.y), std::abs(normal.z)};
  const int drop = size[0] >= size[1] && size[0] >= size[2] ? 0 : (size[1] >= size[2] ? 1 : 2);
  int u = (drop + 1) % 3;
  int v = (drop + 2) % 3;
  if (normal[static_cast<unsigned>(drop)] < 0.0f) std::swap(u, v);
  const auto x = [&](int i) { return double(corners[static_cast<std::size_t>(i)][u]); };
  const auto y = [&](int i) { return double(corners[static_cast<std::size_t>(i)][v]); };
  const auto turn = [&](int a, int b, int c) {
    return (x(b) - x(a)) * (y(c) - y(a)) - (y(b) - y(a)) * (x(c) - x(a));
  };
  const auto same = [&](int a, int b) { return x(a) == x(b) && y(a) == y(b); };

  std::vector<int> left;
  for (int i = 0; i < n; ++i) left.push_back(i);
  std::vector<int> triangles;
  std::size_t at = 0;
  std::size_t misses = 0;
  while (left.size() > 3) {
    const std::size_t m = left.size();
    at %= m;
    const int a = left[(at + m - 1) % m];
    const int b = left[at];
    const int c = left[(at + 1) % m];
    bool ear = turn(a, b, c) > 0.0;
    for (std::size_t k = 0; ear && k < m; ++k) {
      const int p = left[k];
      if (same(p, a) || same(p, b) || same(p, c)) continue;
      ear = !(turn(a, b, p) >= 0.0 && turn(b, c, p) >= 0.0 && turn(c, a, p) >= 0.0);
    }
    if (ear || misses >= m) {
      triangles.insert(triangles.end(), {a, b, c});
      left.erase(left.begin() + static_cast<std::ptrdiff_t>(at));
      misses = 0;
    } else {
      ++at;
      ++misses;
    }
  }
  triangles.insert(triangles.end(), left.begin(), left.end());
  return triangles;
}

}  // namespace c4ddoc::model
