// Round trips: whatever the scene file writer writes, the reader reads back
// to the same values, in both parameter styles and both array forms.
#include "svb_reader.h"

#include "../sceneapi/scene_bytes.h"
#include "svb_test_bytes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

namespace {

using svb::Value;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Body = std::function<void(zelScene_api_file&)>;

// Every byte the writer puts out for `body`, parsed back. With `in_group`
// the body runs inside a group, where parameters take the bare style.
svb::Scene round_trip(const Body& body, bool binary, bool in_group = false) {
  const std::string bytes = scenetest::writeToMemory(
      [&](zelScene_api_file& w) {
        if (in_group) w.group_begin("g", true);
        body(w);
        if (in_group) w.group_end();
      },
      binary);
  try {
    svb::Scene scene = svb::parse(bytes);
    if (!in_group) return scene;
    svb::Scene inner;
    inner.nodes = scene.nodes.at(0).children;
    return inner;
  } catch (const svb::ParseError& e) {
    ADD_FAILURE() << e.what() << "\nin:\n" << bytes;
    return {};
  }
}

const svb::Node& param(const svb::Scene& scene, const char* name) {
  static const svb::Node missing;
  for (const svb::Node& n : scene.nodes) {
    if (n.name() == name) return n;
  }
  ADD_FAILURE() << "no parameter " << name;
  return missing;
}

// Text numbers are "%g" (six digits): float values compare after narrowing.
std::vector<float> narrow(const std::vector<double>& v) { return {v.begin(), v.end()}; }

class RoundTrip : public ::testing::TestWithParam<bool> {};

TEST_P(RoundTrip, ScalarValuesOfEveryType) {
  const zelColor color(0.5f, -2.0f, 1e20f);
  const float f4[4] = {1.25f, -0.75f, 3e-05f, 65536.0f};
  const float singles[2] = {-1234.5f, std::numeric_limits<float>::infinity()};
  const double fixed = 0.1;
  const zelVector vector{1.5, -3.0, 250000.0};
  const int least = std::numeric_limits<int>::min();
  zelMatrix matrix;
  for (int i = 0; i < 16; ++i) matrix.m[i] = i * 0.25 - 1.0;
  const char* ref = "by reference";
  const struct {
    const char* name;
    zelType type;
    const void* value;
    Value::Kind kind;
    std::vector<double> numbers;  // narrowed to float before comparing
    std::string text;
  } cases[] = {
      {"color", TYPE_COLOR, &color, Value::Kind::Number, {0.5, -2, 1e20f}, ""},
      {"float4", TYPE_FLOAT4, f4, Value::Kind::Number, {f4[0], f4[1], f4[2], f4[3]}, ""},
      {"float", TYPE_FLOAT, &singles[0], Value::Kind::Number, {-1234.5}, ""},
      // Outside the open finite float range a float reads -1.
      {"inf", TYPE_FLOAT, &singles[1], Value::Kind::Number, {-1}, ""},
      {"double", TYPE_DOUBLE, &fixed, Value::Kind::Number, {0.1}, ""},
      {"vector", TYPE_VECTOR, &vector, Value::Kind::Number, {1.5, -3, 250000}, ""},
      {"int", TYPE_INT, &least, Value::Kind::Number, {-2147483648.0}, ""},
      {"matrix", TYPE_MATRIX, &matrix, Value::Kind::Number, {matrix.m, matrix.m + 16}, ""},
      {"true", TYPE_BOOL, &least, Value::Kind::Bool, {1}, ""},
      {"string", TYPE_STRING, "plain text", Value::Kind::String, {}, "plain text"},
      {"tricky",
       TYPE_STRING,
       "say \"hi\"\n\xc3\xa9",
       Value::Kind::String,
       {},
       "say \"hi\"\n\xc3\xa9"},
      {"ref", TYPE_STRING_REF, &ref, Value::Kind::String, {}, "by reference"},
      {"reserved", static_cast<zelType>(8), &least, Value::Kind::None, {}, ""},
  };
  const svb::Scene scene = round_trip(
      [&](zelScene_api_file& w) {
        for (const auto& c : cases) w.set_parameter(c.name, c.type, c.value);
      },
      false, GetParam());
  ASSERT_EQ(scene.nodes.size(), std::size(cases));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const svb::Node& n = param(scene, c.name);
    EXPECT_EQ(n.style, GetParam() ? svb::Style::Bare : svb::Style::Quoted);
    ASSERT_EQ(n.value.kind, c.kind);
    if (c.kind == Value::Kind::Bool) {
      EXPECT_EQ(n.value.boolean, c.numbers[0] != 0);
    } else {
      EXPECT_THAT(narrow(n.value.numbers), ElementsAreArray(narrow(c.numbers)));
      EXPECT_EQ(n.value.text, c.text);
    }
  }
  // Doubles read back exactly, not just to float precision.
  EXPECT_EQ(param(scene, "double").value.number(), 0.1);
  EXPECT_THAT(param(scene, "matrix").value.numbers, ElementsAreArray(matrix.m));
}

TEST_P(RoundTrip, CapturedShadersAndSubshaders) {
  const svb::Scene scene = round_trip(
      [](zelScene_api_file& w) {
        w.shader_begin(nullptr, "inner type");
        w.set_parameter_float("scale", 2.0f);
        w.shader_end();
        zelShader* inner = w.shader_get();
        w.shader_begin(nullptr, "outer\ttype\n");
        w.set_subshader("sub", inner);
        w.set_subshader("by id", 4);
        w.shader_end();
        zelShader* outer = w.shader_get();
        w.set_parameter("shader", TYPE_SHADER, &outer);
      },
      false, GetParam());
  EXPECT_EQ(svbtest::dump(scene),
            std::string(GetParam() ? "shader" : "\"shader\"") +
                " = shader \"outer\\x09type\\n\" { \"sub\" ! shader \"inner type\" "
                "{ \"scale\" = 2 }; \"by id\" ! #4 }");
}

TEST_P(RoundTrip, WholeArraysInTextAndBinaryForm) {
  std::vector<float> floats = {0.5f, -1.0f, 2.25f, 1e-10f, 3e+30f, -0.0f, 100.0f, 7.0f, 8.0f, 9.5f};
  std::vector<double> doubles = {0.1, -2.5, 1e15, 1.0 / 3.0};
  std::vector<int> ints = {0, -1, 2147483647, -2147483647 - 1, 42, 5, 6, 7, 8, 9, 10};
  std::vector<zelVector> vectors = {{1, 2, 3}, {-4.5, 0, 1e+06}};
  std::vector<zelMatrix> matrices(2);
  for (int i = 0; i < 32; ++i) matrices[i / 16].m[i % 16] = i * 1.5 - 4;
  std::vector<const char*> strings = {"a", "",  "b c", "quote\"",  "\x01raw",
                                      "f", "g", "h",   "line\nend"};
  const struct {
    const char* name;
    zelType base;
    void* data;
    uint32_t count;
    char letter;  // binary form, or 0 when the type has none
    std::size_t width;
    std::vector<double> expected;
  } cases[] = {
      {"floats", TYPE_FLOAT, floats.data(), 10, 'f', 1, {floats.begin(), floats.end()}},
      {"doubles", TYPE_DOUBLE, doubles.data(), 3, 'r', 1, {0.1, -2.5, 1e15}},
      {"ints", TYPE_INT, ints.data(), 11, 'i', 1, {ints.begin(), ints.end()}},
      {"colors", TYPE_COLOR, floats.data(), 3, 'c', 3, {floats.begin(), floats.begin() + 9}},
      {"bools", TYPE_BOOL, ints.data(), 3, 0, 1, {0, 1, 1}},
      {"float4s", TYPE_FLOAT4, floats.data(), 2, 0, 4, {floats.begin(), floats.begin() + 8}},
      {"vectors", TYPE_VECTOR, vectors.data(), 2, 0, 3, {1, 2, 3, -4.5, 0, 1e+06}},
      {"matrices", TYPE_MATRIX, matrices.data(), 2, 0, 16, {matrices[0].m, matrices[1].m + 16}},
      {"empty floats", TYPE_FLOAT, floats.data(), 0, 'f', 1, {}},
      {"empty matrices", TYPE_MATRIX, matrices.data(), 0, 0, 16, {}},
  };
  for (bool binary : {false, true}) {
    SCOPED_TRACE(binary ? "binary arrays" : "text arrays");
    const svb::Scene scene = round_trip(
        [&](zelScene_api_file& w) {
          for (const auto& c : cases) {
            zelArray a{c.data, c.count};
            w.set_parameter(c.name, zel_array_of(c.base), &a);
          }
          zelArray s{strings.data(), static_cast<uint32_t>(strings.size())};
          w.set_parameter("strings", zel_array_of(TYPE_STRING), &s);
          w.set_parameter("float2s", zel_array_of(TYPE_FLOAT2), &s);  // no array form: nothing
        },
        binary, GetParam());
    for (const auto& c : cases) {
      SCOPED_TRACE(c.name);
      const svb::Array& a = param(scene, c.name).value.array();
      const bool block = binary && c.letter;
      EXPECT_EQ(a.binary, block ? c.letter : '\0');
      EXPECT_EQ(a.elements, block ? 0 : c.count);
      if (!block && c.count) {
        EXPECT_EQ(a.width, c.width);
      }
      // Binary blocks and doubles are exact; text floats have six digits.
      if (block || c.base == TYPE_DOUBLE || c.base == TYPE_INT || c.base == TYPE_BOOL ||
          c.base == TYPE_MATRIX) {
        EXPECT_THAT(a.as_doubles(), ElementsAreArray(c.expected));
      } else {
        EXPECT_THAT(narrow(a.as_doubles()), ElementsAreArray(narrow(c.expected)));
      }
    }
    const svb::Array& s = param(scene, "strings").value.array();
    ASSERT_EQ(s.items.size(), strings.size());
    for (size_t i = 0; i < strings.size(); ++i) EXPECT_EQ(s.items[i].text, strings[i]) << i;
    EXPECT_TRUE(param(scene, "float2s").value.is(Value::Kind::None));
  }
}

TEST_P(RoundTrip, ElementByElementArrays) {
  for (bool binary : {false, true}) {
    SCOPED_TRACE(binary ? "binary arrays" : "text arrays");
    const svb::Scene scene = round_trip(
        [](zelScene_api_file& w) {
          w.initialize_array_mode("colors");
          for (int i = 0; i < 3; ++i) {
            zelColor c(static_cast<float>(i), 0.5f, -1.0f);
            w.set_array_parameter(TYPE_COLOR, &c);
          }
          w.finalize_array_mode();
          w.initialize_array_mode("floats");
          for (int i = 0; i < 8; ++i) {
            float f = i * 0.25f;
            w.set_array_parameter(TYPE_FLOAT, &f);
          }
          w.finalize_array_mode();
          // Doubles have no binary form here: text even with binary arrays.
          w.initialize_array_mode("doubles");
          for (double d : {0.5, -8.0}) w.set_array_parameter(TYPE_DOUBLE, &d);
          w.finalize_array_mode();
          w.initialize_array_mode("empty");
          w.finalize_array_mode();
        },
        binary, GetParam());
    const svb::Array& c = param(scene, "colors").value.array();
    const svb::Array& f = param(scene, "floats").value.array();
    EXPECT_THAT(c.as_doubles(), ElementsAre(0, 0.5, -1, 1, 0.5, -1, 2, 0.5, -1));
    EXPECT_THAT(f.as_doubles(), ElementsAre(0, 0.25, 0.5, 0.75, 1, 1.25, 1.5, 1.75));
    EXPECT_EQ(c.binary, binary ? 'c' : '\0');
    EXPECT_EQ(c.binary_count, binary ? 9u : 0u);
    EXPECT_EQ(c.elements, binary ? 0u : 3u);
    EXPECT_EQ(f.elements, binary ? 0u : 8u);
    EXPECT_THAT(param(scene, "doubles").value.array().numbers, ElementsAre(0.5, -8.0));
    EXPECT_EQ(param(scene, "empty").value.array().scalar_count(), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(Styles, RoundTrip, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Bare" : "Quoted"; });

TEST(RoundTripStatements, EveryStatementReadsBack) {
  const svb::Scene scene = round_trip(
      [](zelScene_api_file& w) {
        w.add_comment("// a comment\n");
        w.print("100% \"done\"");
        w.set_version(-1);
        w.set_progress("step \"1\"", 0.25f);
        w.module_begin("zelrtopt.so");
        w.module_end();
        w.options_begin();
        w.options_end();
        w.camera_begin(nullptr);
        w.camera_end();
        w.camera_modify("cam");
        w.camera_end();
        w.image_begin();
        w.image_end();
        w.output_begin("o1", "o2", "o3");
        w.output_end();
        w.shader_begin("named", "zel_diffuse");
        w.shader_end();
        w.shader_begin("zel_advanced", 3);
        w.shader_end();
        w.matrix_begin("m");
        w.matrix_end();
        w.group_begin("gr\xc3\xbcn", false);
        w.set_flags(1);
        zelMatrix m;
        m.make_identity();
        m.m[10] = -1;
        w.transform(m);
        w.transform_set(m);
        w.scale(1, 2, 3);
        w.translate(-1, -2, -3);
        w.rotate(0, 90, 180);
        w.set_attribute("source file", "source file");
        w.set_icon("\x01\x02", 2);
        w.set_data("blob", "\xff", 1);
        w.set_id(7);
        w.object_begin("obj", true);
        w.options_begin();  // refused inside an object: writes nothing
        w.options_end();
        // A captured shader holding a binary block is written back as raw bytes.
        w.shader_begin(nullptr, "zel_mesh_light");
        float weights[2] = {0.5f, 2.0f};
        zelArray wa{weights, 2};
        w.set_parameter("weights", zel_array_of(TYPE_FLOAT), &wa);
        w.shader_end();
        zelShader* light = w.shader_get();
        w.material_begin("mat", true);
        w.material_set_shader(static_cast<zelShader_type>(7), light);
        w.material_set_shader(SHADER_SHADOW, 3);
        w.material_set_shader(SHADER_REFLECTION_MAP, light);
        w.material_end();
        w.object_end();
        w.material_use("mat");
        w.animation_begin("fbx_animation", "Position . X");
        w.animation_end();
        w.light_begin("l");
        w.light_end();
        w.accel_use("bvh");
        w.accel_end();
        w.group_end();
        w.material_begin("loose", false);
        w.material_end();
        w.error("bad\nthing");
        w.render();
      },
      true);
  EXPECT_EQ(
      svbtest::dump(scene),
      "comment = \"// a comment\"\n"
      "print = \"100% \"done\"\"\n"
      "version = 8\n"
      "progress \"step \"1\"\" = 0.25\n"
      "module \"zelrtopt.so\" {}\n"
      "options {}\n"
      "camera {}\n"
      "#modify camera \"cam\" {}\n"
      "image {}\n"
      "output \"o1\" \"o2\" \"o3\" {}\n"
      "#define shader \"named\" \"zel_diffuse\" {}\n"
      "#define shader \"zel_advanced\" = #3 {}\n"
      "#define matrix \"m\" {}\n"
      "#define group \"gr\\xc3\\xbcn\" { flags = 1; transform = 1 0 0 0 0 1 0 0 0 0 -1 0 0 0 0 1; "
      "set transform = 1 0 0 0 0 1 0 0 0 0 -1 0 0 0 0 1; scale = 1 2 3; translate = -1 -2 -3; "
      "rotate = 0 90 180; attribute \"source file\" = \"source file\"; icon = b0102; blob = bff; "
      "id = 7; "
      "object \"obj\" { material \"mat\" { comment = \"// assuming surface shader\"; "
      "surface ! shader \"zel_mesh_light\" { \"weights\" = [f:0.5,2] }; shadow ! #3; "
      "reflection map ! shader \"zel_mesh_light\" { \"weights\" = [f:0.5,2] } } }; material use "
      "\"mat\"; "
      "animation \"fbx_animation\" \"Position . X\" {}; light \"l\" {}; accel \"bvh\" {} }\n"
      "#define material \"loose\" {}\n"
      "error = \"bad\\nthing\"\n"
      "render");
}

}  // namespace
