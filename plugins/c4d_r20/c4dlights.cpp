#include "C4DLoader.h"

#include "c4dnumeric.h"
#include "c4dread.h"
#include "zelsceneapi_oo.h"

namespace {
// Host light parameters.
constexpr Int32 kLightColor = 90000;
constexpr Int32 kLightBrightness = 90001;
constexpr Int32 kLightKind = 90002;
constexpr Int32 kLightAreaSizeX = 100010;
constexpr Int32 kLightAreaSizeY = 100011;
constexpr Int32 kLightAreaSizeZ = 100012;
constexpr Int32 kLightUseIntensity = 90046;
constexpr Int32 kLightIntensityUnit = 90037;
constexpr Int32 kLightIntensity = 90043;

constexpr Int32 kAreaLight = 8;

// The eight faces of the light octahedron, over the vertex table built in writeLight.
const int32_t kOctahedronTriangles[24] = {2, 1, 0, 1, 2, 5, 3, 2, 0, 2, 3, 5,
                                          4, 3, 0, 3, 4, 5, 1, 4, 0, 4, 1, 5};
}  // namespace

// A light becomes a small closed mesh around its own origin (the traversal has
// already placed it) with an emitting shader as its material.
void C4DLoader::writeLight(std::string name, BaseObject* light) {
  if (!light || !sceneOO) return;
  zelScene_api* api = sceneOO->get_scene_api();
  if (!api) return;

  const Vector color = readVector(light, kLightColor);
  const float brightness = static_cast<float>(readFloat(light, kLightBrightness));
  const Int32 kind = readInt(light, kLightKind);

  float hx = 1.0f;
  float hy = 1.0f;
  float hz = 1.0f;
  if (kind == kAreaLight) {
    hx = static_cast<float>(readFloat(light, kLightAreaSizeX) / 2.0);
    hy = static_cast<float>(readFloat(light, kLightAreaSizeY) / 2.0);
    hz = static_cast<float>(readFloat(light, kLightAreaSizeZ) / 2.0);
  }

  const bool lumen = readBool(light, kLightUseIntensity);
  int32_t power = 0;
  if (lumen) {
    float intensity = static_cast<float>(readFloat(light, kLightIntensity));
    if (readInt(light, kLightIntensityUnit) == 1)
      intensity = static_cast<float>(static_cast<double>(intensity) * 12.566);
    power = truncToInt32(intensity);
  } else {
    power = truncToInt32(brightness * 100.0f);
  }

  float points[18] = {0.0f, -hy,  0.0f, hx,   0.0f, 0.0f, 0.0f, 0.0f, hz,
                      -hx,  0.0f, 0.0f, 0.0f, 0.0f, -hz,  0.0f, hy,   0.0f};
  int32_t indices[24];
  for (int i = 0; i < 24; ++i) indices[i] = kOctahedronTriangles[i];
  zelArray pointArray = {points, 6};
  zelArray indexArray = {indices, 24};

  api->object_begin(name.c_str(), true);
  api->geometry_use("triangles");
  api->set_parameter("vertices", zel_array_of(TYPE_COLOR), &pointArray);
  // The normal of each vertex is its position: the octahedron is centred on the origin.
  api->set_parameter("normals", zel_array_of(TYPE_COLOR), &pointArray);
  api->set_parameter("triangles", zel_array_of(TYPE_INT), &indexArray);
  api->geometry_end();

  api->material_begin(name.c_str(), true);
  const float r = static_cast<float>(color.x);
  const float g = static_cast<float>(color.y);
  const float b = static_cast<float>(color.z);
  if (kind == kAreaLight) {
    api->shader_begin(nullptr, "zel_mesh_light");
    api->set_parameter_int("power", power);
    api->set_parameter_color("color", r, g, b);
    api->set_parameter_bool("lumen", lumen);
    api->set_parameter_bool("visible to the eye", false);
    api->set_parameter_bool("visible in reflections", false);
    api->set_parameter_bool("visible in shadows", false);
    api->shader_end();
  } else {
    api->shader_begin(nullptr, "zel_point_light");
    api->set_parameter_int("power", power);
    api->set_parameter_color("color", r, g, b);
    api->set_parameter_bool("lumen", lumen);
    api->set_parameter_float("radius", 0.0f);
    api->shader_end();
  }
  zelShader* shader = api->shader_get();
  api->material_set_shader(SHADER_SURFACE, shader);
  api->material_end();
  api->object_end();
}
