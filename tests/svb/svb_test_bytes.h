// Builders of .svb bytes for the reader's tests: binary array blocks made
// from the format's named constants, and a hand-written exported scene.
#ifndef SVB_TEST_BYTES_H
#define SVB_TEST_BYTES_H

#include "svb_reader.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>

namespace svbtest {

inline std::string le32(std::uint32_t v) {
  std::string s;
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xff);
  return s;
}

inline std::string f32(float f) {
  std::uint32_t bits;
  std::memcpy(&bits, &f, 4);
  return le32(bits);
}

inline std::string f64(double d) {
  std::uint64_t bits;
  std::memcpy(&bits, &d, 8);
  return le32(static_cast<std::uint32_t>(bits)) + le32(static_cast<std::uint32_t>(bits >> 32));
}

// Header (magic, letter, count) followed by the given payload.
inline std::string block(char letter, std::uint32_t count, const std::string& payload) {
  std::string s(reinterpret_cast<const char*>(svb::kBinaryMagic), sizeof svb::kBinaryMagic);
  s += letter;
  s += le32(count);
  return s + payload;
}

inline std::string float_block(std::initializer_list<float> v, char letter = svb::kBinaryFloat) {
  std::string p;
  for (float f : v) p += f32(f);
  return block(letter, static_cast<std::uint32_t>(v.size()), p);
}

inline std::string int_block(std::initializer_list<std::int32_t> v) {
  std::string p;
  for (std::int32_t i : v) p += le32(static_cast<std::uint32_t>(i));
  return block(svb::kBinaryInt, static_cast<std::uint32_t>(v.size()), p);
}

inline std::string double_block(std::initializer_list<double> v) {
  std::string p;
  for (double d : v) p += f64(d);
  return block(svb::kBinaryDouble, static_cast<std::uint32_t>(v.size()), p);
}

// A whole exported scene: header, banner, version, import module, a camera
// with its captured environment shader, and a mirrored root group holding a
// textured cube with an animation track, a point light and a hair object.
// Binary arrays throughout, indentation off.
inline std::string exported_scene() {
  std::string s =
      "//---tessan:dal:7---\n"
      "//---import:dal:1---\n"
      "//---id:1---\n"
      "// This is a Solvane scene file\n\n"
      "#print \"Solvane SceneApi oo 9.0.45  (built Wed Feb 20 12:07:52 2019)\"\n"
      "version 8\n\n"
      "load \"zelrtopt.so\" {\n"
      "\"import_mode\" on,\n"
      "\"import_merge_groups\" off,\n"
      "\"import_up_vector\" 1,\n"
      "\"meter_scale\" 100,\n"
      "\"ext\" off,\n"
      "}\n"
      "\ncamera \"Camera\" {\n"
      "projection \"perspective\"\n"
      "fov 90\n"
      "reflection map \"zel_envmap\" {\n"
      "\"texture\" \"startup.hdr\",\n"
      "\"format\" 3,\n"
      "\"radius\" 25,\n"
      "}\n"
      "position 0 0 0\n"
      "direction 0 0 1\n"
      "up 0 1 0\n"
      "transform 1 0 0 0 0 1 0 0 0 0 -1 0 1 2 -3 1\n"
      "}\n"
      "\ngroup \"untitled\" {\n"
      "transform 1 0 0 0 0 1 0 0 0 0 -1 0 0 0 0 1\n"
      "attribute \"source file\" \"source file\"\n"
      "progress \"Cube\" 0.000\n\n"
      "\ngroup \"Cube\" {\n"
      "flags 1\n"
      "transform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1\n"
      "object \"Cube\" {\n"
      "geometry \"triangles\" {\n"
      "\"vertices\" [ ";
  s += float_block({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}, svb::kBinaryColor);
  s += "] ,\n\"triangles\" [ ";
  s += int_block({0, 3, 1, 2, 1, 3});
  s += "] ,\n"
       "}\n"
       "material \"Wood\" {\n"
       "surface \"zel_advanced\" {\n"
       "\"diffuse\" 0.8 0.6 0.4,\n"
       "\"specular\" 0 0 0,\n"
       "\"fresnel\" on,\n"
       "\"ior\" 1.5,\n"
       "\"glossy_samples\" 9,\n"
       "\"diffuse\" ! \"texture2_rgb\" {\n"
       "\"texture\" \"wood.png\",\n"
       "\"default_color\" 0 0 0,\n"
       "\"wrap\" on,\n"
       "\"uv_projection\" 4,\n"
       "\"uv_flags\" 62,\n"
       "},\n"
       "}\n"
       "}\n"
       "}\n"
       "animation \"fbx_animation\" \"Position . X\" {\n"
       "\"start_time\" 0,\n"
       "\"duration\" 1,\n"
       "\"folder\" \"Cube/Position\",\n"
       "\"matrices\" [ 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 ,\n"
       "1 0 0 0 0 1 0 0 0 0 1 0 0.5 0 0 1 \n"
       "] ,\n"
       "\"timestamps\" [ ";
  s += int_block({0, 33});
  s += "] ,\n"
       "}\n"
       "}\n"
       "\ngroup \"Light\" {\n"
       "flags 1\n"
       "object \"Light\" {\n"
       "geometry \"triangles\" {\n"
       "\"vertices\" [ ";
  s += float_block({0, -1, 0, 1, 0, 0, 0, 0, 1, -1, 0, 0, 0, 0, -1, 0, 1, 0}, svb::kBinaryColor);
  s += "] ,\n\"triangles\" [ ";
  s += int_block({2, 1, 0, 1, 2, 5, 3, 2, 0, 2, 3, 5, 4, 3, 0, 3, 4, 5, 1, 4, 0, 4, 1, 5});
  s += "] ,\n"
       "}\n"
       "material \"Light\" {\n"
       "surface \"zel_point_light\" {\n"
       "\"power\" 100,\n"
       "\"color\" 1 1 1,\n"
       "\"lumen\" off,\n"
       "\"radius\" 0,\n"
       "}\n"
       "}\n"
       "}\n"
       "}\n"
       "\ngroup \"Hair\" {\n"
       "flags 1\n"
       "object \"Hair\" {\n"
       "geometry \"zel_bezier_curves\" {\n"
       "\"radius\" 0.5,\n"
       "\"order\" 2,\n"
       "\"p\" [ ";
  s += float_block({0, 0, 0, 0, 1, 0, 0, 2, 0, 1, 0, 0, 1, 1, 0, 1, 2, 0}, svb::kBinaryColor);
  s += "] ,\n\"pr\" [ ";
  s += float_block({0.5f, 0.3f, 0.1f, 0.5f, 0.3f, 0.1f});
  s += "] ,\n\"nvertices\" [ ";
  s += int_block({3, 3});
  s += "] ,\n"
       "}\n"
       "material \"Display color\" {\n"
       "surface \"zel_diffuse\" {\n"
       "\"diffuse\" 0.5 0.5 0.5,\n"
       "}\n"
       "}\n"
       "}\n"
       "}\n"
       "}\n";
  return s;
}

}  // namespace svbtest

#endif  // SVB_TEST_BYTES_H
