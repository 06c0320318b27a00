// Round trips: whatever the scene file writer writes, the reader reads back
// to the same values, in both parameter styles and both array forms.
#include "svb_reader.h"

#include "zelsceneapi_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

using svb::NodeKind;
using svb::Value;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// Every byte the writer puts out for `body`.
std::string write_scene(const std::function<void(zelScene_api_file&)>& body, bool binary) {
  char* data = nullptr;
  size_t size = 0;
  FILE* stream = open_memstream(&data, &size);
  if (!stream) return "open_memstream failed";
  {
    zelScene_api_file writer(stream, binary);
    body(writer);
  }
  std::fclose(stream);
  std::string out(data, size);
  std::free(data);
  return out;
}

// Parses, reporting the bytes when they do not read back.
svb::Scene read_back(const std::string& bytes) {
  try {
    return svb::parse(bytes);
  } catch (const svb::ParseError& e) {
    ADD_FAILURE() << e.what() << "\nin:\n" << bytes;
    return {};
  }
}

std::vector<double> widen(const std::vector<float>& v) { return std::vector<double>(v.begin(), v.end()); }

// Text numbers carry six significant digits ("%g"); values chosen for the
// tests survive that exactly once narrowed back to float.
std::vector<float> narrow(const std::vector<double>& v) { return std::vector<float>(v.begin(), v.end()); }

// Parameters of one scope (top level: quoted style; inside a group: bare).
const std::vector<svb::Node>& params_of(const svb::Scene& scene, bool bare) {
  static const std::vector<svb::Node> none;
  if (!bare) return scene.nodes;
  return scene.nodes.empty() ? none : scene.nodes.front().children;
}

const svb::Node* find(const std::vector<svb::Node>& nodes, const char* name) {
  for (const svb::Node& n : nodes) {
    if ((n.kind == NodeKind::Parameter || n.kind == NodeKind::Subshader) && n.name() == name) return &n;
  }
  return nullptr;
}

class RoundTrip : public ::testing::TestWithParam<bool> {
 protected:
  bool bare() const { return GetParam(); }
  // Writes `body` at the top level (quoted style) or in a group (bare style).
  svb::Scene scoped(const std::function<void(zelScene_api_file&)>& body, bool binary) {
    const bool in_group = bare();
    bytes_ = write_scene(
        [&](zelScene_api_file& w) {
          if (in_group) w.group_begin("g", true);
          body(w);
          if (in_group) w.group_end();
        },
        binary);
    return read_back(bytes_);
  }
  std::string bytes_;
};

TEST_P(RoundTrip, ScalarValuesOfEveryType) {
  const zelColor color(0.5f, -2.0f, 1e20f);
  const float float4[4] = {1.25f, -0.75f, 3e-05f, 65536.0f};
  const float single = -1234.5f;
  const float infinite = std::numeric_limits<float>::infinity();
  const float not_a_number = std::numeric_limits<float>::quiet_NaN();
  const float largest = std::numeric_limits<float>::max();
  const double fixed = 0.1;
  const zelVector vector{1.5, -3.0, 250000.0};
  const int integer = std::numeric_limits<int>::min();
  const int truth = 5;
  const int falsehood = 0;
  zelMatrix matrix;
  for (int i = 0; i < 16; ++i) matrix.m[i] = i * 0.25 - 1.0;
  const char* text = "plain text";
  const char* tricky = "say \"hi\"\n\xc3\xa9";
  const char* ref = "by reference";
  const float float2[2] = {0.5f, 8.0f};
  const int ints[4] = {-1, 0, 7, 2147483647};

  const svb::Scene scene = scoped(
      [&](zelScene_api_file& w) {
        w.set_parameter("color", TYPE_COLOR, &color);
        w.set_parameter("float4", TYPE_FLOAT4, float4);
        w.set_parameter("float4 alt", TYPE_FLOAT4_ALT, float4);
        w.set_parameter("float", TYPE_FLOAT, &single);
        w.set_parameter("infinite", TYPE_FLOAT, &infinite);
        w.set_parameter("nan", TYPE_FLOAT, &not_a_number);
        w.set_parameter("largest", TYPE_FLOAT, &largest);
        w.set_parameter("double", TYPE_DOUBLE, &fixed);
        w.set_parameter("vector", TYPE_VECTOR, &vector);
        w.set_parameter("int", TYPE_INT, &integer);
        w.set_parameter("int alt", TYPE_INT_ALT, &ints[2]);
        w.set_parameter("true", TYPE_BOOL, &truth);
        w.set_parameter("false", TYPE_BOOL, &falsehood);
        w.set_parameter("matrix", TYPE_MATRIX, &matrix);
        w.set_parameter("string", TYPE_STRING, text);
        w.set_parameter("tricky", TYPE_STRING, tricky);
        w.set_parameter("empty", TYPE_STRING, "");
        w.set_parameter("ref", TYPE_STRING_REF, &ref);
        w.set_parameter("float2", TYPE_FLOAT2, float2);
        w.set_parameter("int2", TYPE_INT2, ints);
        w.set_parameter("int3", TYPE_INT3, ints);
        w.set_parameter("int4", TYPE_INT4, ints);
        w.set_parameter("reserved", static_cast<zelType>(8), ints);
      },
      false);
  const auto& p = params_of(scene, bare());
  ASSERT_EQ(p.size(), 23u) << bytes_;
  for (const svb::Node& n : p) {
    EXPECT_EQ(n.style, bare() ? svb::Style::Bare : svb::Style::Quoted) << n.name();
  }
  EXPECT_THAT(narrow(find(p, "color")->value.numbers), ElementsAre(0.5f, -2.0f, 1e20f));
  EXPECT_THAT(narrow(find(p, "float4")->value.numbers), ElementsAreArray(float4));
  EXPECT_THAT(narrow(find(p, "float4 alt")->value.numbers), ElementsAreArray(float4));
  EXPECT_THAT(find(p, "float")->value.numbers, ElementsAre(-1234.5));
  // A float outside the open finite range is written as -1.
  EXPECT_THAT(find(p, "infinite")->value.numbers, ElementsAre(-1));
  EXPECT_THAT(find(p, "nan")->value.numbers, ElementsAre(-1));
  EXPECT_THAT(find(p, "largest")->value.numbers, ElementsAre(-1));
  EXPECT_THAT(find(p, "double")->value.numbers, ElementsAre(0.1));
  EXPECT_THAT(find(p, "vector")->value.numbers, ElementsAre(1.5, -3.0, 250000.0));
  EXPECT_THAT(find(p, "int")->value.numbers, ElementsAre(-2147483648.0));
  EXPECT_THAT(find(p, "int alt")->value.numbers, ElementsAre(7));
  EXPECT_TRUE(find(p, "true")->value.is(Value::Kind::Bool));
  EXPECT_TRUE(find(p, "true")->value.boolean);
  EXPECT_FALSE(find(p, "false")->value.boolean);
  EXPECT_THAT(find(p, "matrix")->value.numbers, ElementsAreArray(matrix.m));
  EXPECT_EQ(find(p, "string")->value.text, text);
  EXPECT_EQ(find(p, "tricky")->value.text, tricky);
  EXPECT_TRUE(find(p, "tricky")->value.hex);
  EXPECT_TRUE(find(p, "empty")->value.is(Value::Kind::String));
  EXPECT_EQ(find(p, "empty")->value.text, "");
  EXPECT_EQ(find(p, "ref")->value.text, ref);
  EXPECT_THAT(find(p, "float2")->value.numbers, ElementsAre(0.5, 8));
  EXPECT_THAT(find(p, "int2")->value.numbers, ElementsAre(-1, 0));
  EXPECT_THAT(find(p, "int3")->value.numbers, ElementsAre(-1, 0, 7));
  EXPECT_THAT(find(p, "int4")->value.numbers, ElementsAre(-1, 0, 7, 2147483647));
  EXPECT_TRUE(find(p, "reserved")->value.is(Value::Kind::None));
}

TEST_P(RoundTrip, ShaderValuesAndSubshaders) {
  const svb::Scene scene = scoped(
      [](zelScene_api_file& w) {
        w.shader_begin(nullptr, "inner type");
        w.set_parameter_float("scale", 2.0f);
        w.shader_end();
        zelShader* inner = w.shader_get();
        w.shader_begin(nullptr, "outer\ttype\n");
        w.set_subshader("sub", inner);
        w.set_subshader("by id", 4);
        w.set_parameter_int("count", 3);
        w.shader_end();
        zelShader* outer = w.shader_get();
        w.set_parameter("shader", TYPE_SHADER, &outer);
        w.set_subshader("direct", inner);
      },
      false);
  const auto& p = params_of(scene, bare());
  ASSERT_EQ(p.size(), 2u) << bytes_;
  const svb::Node* outer = find(p, "shader")->value.shader();
  ASSERT_NE(outer, nullptr);
  EXPECT_EQ(outer->shader_type(), "outer\ttype\n");
  EXPECT_EQ(outer->param("count")->value.number(), 3);
  EXPECT_EQ(outer->param("by id")->kind, NodeKind::Subshader);
  EXPECT_TRUE(outer->param("by id")->value.is(Value::Kind::ShaderId));
  EXPECT_EQ(outer->param("by id")->value.number(), 4);
  const svb::Node* inner = outer->param("sub")->value.shader();
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->shader_type(), "inner type");
  EXPECT_EQ(inner->param("scale")->value.number(), 2);
  EXPECT_EQ(find(p, "direct")->kind, NodeKind::Subshader);
  EXPECT_EQ(find(p, "direct")->value.shader()->shader_type(), "inner type");
}

// One array parameter of every base type, written whole.
struct ArrayCase {
  std::vector<float> floats;
  std::vector<double> doubles;
  std::vector<int> ints;
  std::vector<zelColor> colors;
  std::vector<zelVector> vectors;
  std::vector<zelMatrix> matrices;
  std::vector<const char*> strings;
};

ArrayCase array_case() {
  ArrayCase c;
  // Ten floats: nine on the first text line, one on the next.
  c.floats = {0.5f, -1.0f, 2.25f, 1e-10f, 3e+30f, -0.0f, 100.0f, 7.0f, 8.0f, 9.5f};
  c.doubles = {0.1, -2.5, 1e15, 0.0};
  c.ints = {0, -1, 2147483647, -2147483647 - 1, 42, 5, 6, 7, 8, 9, 10};
  c.colors = {zelColor(1, 0, 0), zelColor(0, 0.5f, 1), zelColor(-3, 4, 5e-05f)};
  c.vectors = {{1, 2, 3}, {-4.5, 0, 1e+06}};
  zelMatrix a, b;
  a.make_identity();
  for (int i = 0; i < 16; ++i) b.m[i] = i * 1.5 - 4;
  c.matrices = {a, b};
  // Nine strings, hex and quoted, crossing the eight-per-line mark.
  c.strings = {"a", "", "b c", "quote\"", "\x01raw", "f", "g", "h", "line\nend"};
  return c;
}

void write_arrays(zelScene_api_file& w, ArrayCase& c) {
  auto set = [&w](const char* name, zelType base, void* data, size_t n) {
    zelArray a{data, static_cast<uint32_t>(n)};
    w.set_parameter(name, zel_array_of(base), &a);
  };
  set("floats", TYPE_FLOAT, c.floats.data(), c.floats.size());
  set("doubles", TYPE_DOUBLE, c.doubles.data(), c.doubles.size());
  set("ints", TYPE_INT, c.ints.data(), c.ints.size());
  set("ints alt", TYPE_INT_ALT, c.ints.data(), c.ints.size());
  set("bools", TYPE_BOOL, c.ints.data(), 3);
  set("colors", TYPE_COLOR, c.colors.data(), c.colors.size());
  set("float4s", TYPE_FLOAT4, c.floats.data(), 2);
  set("vectors", TYPE_VECTOR, c.vectors.data(), c.vectors.size());
  set("matrices", TYPE_MATRIX, c.matrices.data(), c.matrices.size());
  set("strings", TYPE_STRING, c.strings.data(), c.strings.size());
  set("string refs", TYPE_STRING_REF, c.strings.data(), 2);
  set("empty floats", TYPE_FLOAT, c.floats.data(), 0);
  set("empty ints", TYPE_INT, c.ints.data(), 0);
  set("empty colors", TYPE_COLOR, c.colors.data(), 0);
  set("empty doubles", TYPE_DOUBLE, c.doubles.data(), 0);
  set("empty matrices", TYPE_MATRIX, c.matrices.data(), 0);
  set("float2s", TYPE_FLOAT2, c.floats.data(), 2);  // not an array type: nothing written
}

class ArrayRoundTrip : public RoundTrip {
 protected:
  // Checks one numeric array: binary block of `letter` when binary arrays are
  // on and the type has one, else text elements of `width` numbers.
  void check(const std::vector<svb::Node>& p, const char* name, bool binary, char letter, size_t width,
             const std::vector<double>& expected, bool as_float) {
    SCOPED_TRACE(name);
    const svb::Node* n = find(p, name);
    ASSERT_NE(n, nullptr);
    ASSERT_TRUE(n->value.is(Value::Kind::Array));
    const svb::Array& a = n->value.array();
    if (binary && letter) {
      EXPECT_EQ(a.binary, letter);
      EXPECT_EQ(a.binary_count, expected.size());
      EXPECT_EQ(a.elements, 0u);
    } else {
      EXPECT_EQ(a.binary, '\0');
      EXPECT_EQ(a.elements, width ? expected.size() / width : 0);
      if (!expected.empty()) {
        EXPECT_EQ(a.width, width);
      }
    }
    if (as_float) {
      EXPECT_THAT(narrow(a.as_doubles()), ElementsAreArray(narrow(expected)));
    } else {
      EXPECT_THAT(a.as_doubles(), ElementsAreArray(expected));
    }
  }
};

TEST_P(ArrayRoundTrip, WholeArraysInTextAndBinaryForm) {
  for (bool binary : {false, true}) {
    SCOPED_TRACE(binary ? "binary arrays" : "text arrays");
    ArrayCase c = array_case();
    const svb::Scene scene = scoped([&](zelScene_api_file& w) { write_arrays(w, c); }, binary);
    const auto& p = params_of(scene, bare());
    ASSERT_EQ(p.size(), 17u) << bytes_;

    std::vector<double> colors;
    for (const zelColor& col : c.colors) colors.insert(colors.end(), {col.r, col.g, col.b});
    std::vector<double> vectors;
    for (const zelVector& v : c.vectors) vectors.insert(vectors.end(), {v.x, v.y, v.z});
    std::vector<double> matrices;
    for (const zelMatrix& m : c.matrices) matrices.insert(matrices.end(), m.m, m.m + 16);
    const std::vector<double> ints(c.ints.begin(), c.ints.end());

    check(p, "floats", binary, 'f', 1, widen(c.floats), true);
    check(p, "doubles", binary, 'r', 1, c.doubles, false);
    check(p, "ints", binary, 'i', 1, ints, false);
    check(p, "ints alt", binary, 'i', 1, ints, false);
    check(p, "bools", binary, 0, 1, {0, 1, 1}, false);
    check(p, "colors", binary, 'c', 3, colors, true);
    check(p, "float4s", binary, 0, 4, widen({c.floats.begin(), c.floats.begin() + 8}), true);
    check(p, "vectors", binary, 0, 3, vectors, false);
    check(p, "matrices", binary, 0, 16, matrices, false);
    check(p, "empty floats", binary, 'f', 1, {}, false);
    check(p, "empty ints", binary, 'i', 1, {}, false);
    check(p, "empty colors", binary, 'c', 3, {}, false);
    check(p, "empty doubles", binary, 'r', 1, {}, false);
    check(p, "empty matrices", binary, 0, 16, {}, false);

    const svb::Array& strings = find(p, "strings")->value.array();
    ASSERT_EQ(strings.items.size(), c.strings.size());
    for (size_t i = 0; i < c.strings.size(); ++i) EXPECT_EQ(strings.items[i].text, c.strings[i]) << i;
    const svb::Array& refs = find(p, "string refs")->value.array();
    ASSERT_EQ(refs.items.size(), 2u);
    EXPECT_EQ(refs.items[1].text, "");
    EXPECT_TRUE(find(p, "float2s")->value.is(Value::Kind::None));
  }
}

TEST_P(ArrayRoundTrip, BinaryBlocksKeepEveryBit) {
  std::vector<float> floats = {std::numeric_limits<float>::infinity(), -0.0f,
                               std::numeric_limits<float>::denorm_min(), 0.1f};
  std::vector<double> doubles = {-std::numeric_limits<double>::infinity(), 1.0 / 3.0};
  const svb::Scene scene = scoped(
      [&](zelScene_api_file& w) {
        zelArray f{floats.data(), 4};
        w.set_parameter("f", zel_array_of(TYPE_FLOAT), &f);
        zelArray d{doubles.data(), 2};
        w.set_parameter("d", zel_array_of(TYPE_DOUBLE), &d);
      },
      true);
  const auto& p = params_of(scene, bare());
  ASSERT_EQ(p.size(), 2u);
  const std::vector<float>& f = find(p, "f")->value.array().floats;
  ASSERT_EQ(f.size(), 4u);
  EXPECT_TRUE(std::isinf(f[0]));
  EXPECT_TRUE(std::signbit(f[1]));
  EXPECT_EQ(f[2], std::numeric_limits<float>::denorm_min());
  EXPECT_EQ(f[3], 0.1f);
  EXPECT_THAT(find(p, "d")->value.array().doubles, ElementsAreArray(doubles));
}

TEST_P(ArrayRoundTrip, ElementByElementArrays) {
  for (bool binary : {false, true}) {
    SCOPED_TRACE(binary ? "binary arrays" : "text arrays");
    const svb::Scene scene = scoped(
        [](zelScene_api_file& w) {
          w.initialize_array_mode("colors");
          for (int i = 0; i < 5; ++i) {
            zelColor c(static_cast<float>(i), 0.5f, -1.0f);
            w.set_array_parameter(TYPE_COLOR, &c);
          }
          w.finalize_array_mode();
          w.initialize_array_mode("floats");
          for (int i = 0; i < 13; ++i) {
            float f = i * 0.25f;
            w.set_array_parameter(TYPE_FLOAT, &f);
          }
          w.finalize_array_mode();
          w.initialize_array_mode("ints");
          for (int i = 0; i < 7; ++i) w.set_array_parameter(TYPE_INT, &i);
          w.finalize_array_mode();
          // Doubles have no binary form here: text even with binary arrays.
          w.initialize_array_mode("doubles");
          for (double d : {0.5, -8.0}) w.set_array_parameter(TYPE_DOUBLE, &d);
          w.finalize_array_mode();
          w.initialize_array_mode("empty");
          w.finalize_array_mode();
        },
        binary);
    const auto& p = params_of(scene, bare());
    ASSERT_EQ(p.size(), 5u) << bytes_;
    std::vector<double> colors;
    for (int i = 0; i < 5; ++i) colors.insert(colors.end(), {static_cast<double>(i), 0.5, -1.0});
    std::vector<double> floats;
    for (int i = 0; i < 13; ++i) floats.push_back(i * 0.25);

    const svb::Array& c = find(p, "colors")->value.array();
    EXPECT_THAT(c.as_doubles(), ElementsAreArray(colors));
    const svb::Array& f = find(p, "floats")->value.array();
    EXPECT_THAT(f.as_doubles(), ElementsAreArray(floats));
    const svb::Array& i = find(p, "ints")->value.array();
    EXPECT_THAT(i.as_doubles(), ElementsAre(0, 1, 2, 3, 4, 5, 6));
    if (binary) {
      EXPECT_EQ(c.binary, 'c');
      EXPECT_EQ(c.binary_count, 15u);
      EXPECT_EQ(f.binary, 'f');
      EXPECT_EQ(i.binary, 'i');
      EXPECT_THAT(i.ints, ElementsAre(0, 1, 2, 3, 4, 5, 6));
    } else {
      EXPECT_EQ(c.elements, 5u);
      EXPECT_EQ(c.width, 3u);
      EXPECT_EQ(f.elements, 13u);
    }
    EXPECT_THAT(find(p, "doubles")->value.array().numbers, ElementsAre(0.5, -8.0));
    EXPECT_EQ(find(p, "empty")->value.array().scalar_count(), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(Styles, RoundTrip, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Bare" : "Quoted"; });
INSTANTIATE_TEST_SUITE_P(Styles, ArrayRoundTrip, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Bare" : "Quoted"; });

TEST(RoundTripStatements, EveryStatementReadsBack) {
  const std::string bytes = write_scene(
      [](zelScene_api_file& w) {
        w.add_comment("// a comment\n");
        w.print("100% \"done\"");
        w.set_version(-1);
        w.set_progress("step \"1\"", 0.25f);
        w.module_begin("zelrtopt.so");
        w.set_parameter_bool("import_mode", 1);
        w.module_end();
        w.options_begin();
        w.set_parameter_int("threads", 4);
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
        w.set_parameter_color("diffuse", 1, 0, 0);
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
        w.geometry_use("triangles");
        int tri[3] = {0, 1, 2};
        zelArray a{tri, 3};
        w.set_parameter("triangles", zel_array_of(TYPE_INT), &a);
        w.geometry_end();
        // A captured shader holding a binary block is written back as raw bytes.
        w.shader_begin(nullptr, "zel_mesh_light");
        float weights[3] = {0.5f, 1.0f, 2.0f};
        zelArray wa{weights, 3};
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
  const svb::Scene scene = read_back(bytes);
  ASSERT_EQ(scene.nodes.size(), 17u) << bytes;
  EXPECT_EQ(scene.nodes[0].value.text, "// a comment");
  EXPECT_EQ(scene.nodes[1].value.text, "100% \"done\"");
  EXPECT_EQ(scene.version(), 8);
  EXPECT_EQ(scene.nodes[3].name(), "step \"1\"");
  EXPECT_EQ(scene.nodes[3].value.number(), 0.25);
  EXPECT_TRUE(scene.nodes[4].param("import_mode")->value.boolean);
  EXPECT_EQ(scene.nodes[5].param("threads")->value.number(), 4);
  EXPECT_TRUE(scene.nodes[6].names.empty());
  EXPECT_TRUE(scene.nodes[7].modify);
  EXPECT_EQ(scene.nodes[7].name(), "cam");
  EXPECT_EQ(scene.nodes[8].kind, NodeKind::Image);
  EXPECT_THAT(scene.nodes[9].names, ElementsAre("o1", "o2", "o3"));
  EXPECT_THAT(scene.nodes[10].names, ElementsAre("named", "zel_diffuse"));
  EXPECT_EQ(scene.nodes[11].shader_type(), "zel_advanced");
  EXPECT_EQ(scene.nodes[11].value.number(), 3);
  EXPECT_EQ(scene.nodes[12].kind, NodeKind::Matrix);

  const svb::Node& g = scene.nodes[13];
  EXPECT_EQ(g.name(), "gr\xc3\xbcn");
  EXPECT_TRUE(g.defined);
  EXPECT_EQ(g.child(NodeKind::Flags)->value.number(), 1);
  EXPECT_EQ(g.child(NodeKind::Transform)->value.numbers.at(10), -1);
  EXPECT_EQ(g.child(NodeKind::TransformSet)->value.numbers.at(15), 1);
  EXPECT_THAT(g.child(NodeKind::Scale)->value.numbers, ElementsAre(1, 2, 3));
  EXPECT_THAT(g.child(NodeKind::Translate)->value.numbers, ElementsAre(-1, -2, -3));
  EXPECT_THAT(g.child(NodeKind::Rotate)->value.numbers, ElementsAre(0, 90, 180));
  EXPECT_EQ(g.child(NodeKind::Attribute)->value.text, "source file");
  EXPECT_EQ(g.child(NodeKind::Icon)->value.text, "\x01\x02");
  EXPECT_EQ(g.param("blob")->value.text, "\xff");
  EXPECT_EQ(g.child(NodeKind::Id)->value.number(), 7);
  const svb::Node* obj = g.child(NodeKind::Object, "obj");
  ASSERT_NE(obj, nullptr);
  EXPECT_THAT(obj->child(NodeKind::Geometry)->param("triangles")->value.array().ints, ElementsAre(0, 1, 2));
  const svb::Node* mat = obj->child(NodeKind::Material, "mat");
  ASSERT_NE(mat, nullptr);
  ASSERT_EQ(mat->children.size(), 4u);
  EXPECT_EQ(mat->children[0].value.text, "// assuming surface shader");
  EXPECT_EQ(mat->children[1].name(), "surface");
  const svb::Node* captured = mat->children[1].value.shader();
  ASSERT_NE(captured, nullptr);
  EXPECT_EQ(captured->shader_type(), "zel_mesh_light");
  EXPECT_THAT(captured->param("weights")->value.array().floats, ElementsAre(0.5f, 1.0f, 2.0f));
  EXPECT_EQ(mat->children[2].name(), "shadow");
  EXPECT_EQ(mat->children[2].value.number(), 3);
  EXPECT_EQ(mat->children[3].name(), "reflection map");
  EXPECT_EQ(mat->children[3].value.shader()->shader_type(), "zel_mesh_light");
  EXPECT_EQ(g.child(NodeKind::MaterialUse)->name(), "mat");
  EXPECT_THAT(g.child(NodeKind::Animation)->names, ElementsAre("fbx_animation", "Position . X"));
  EXPECT_NE(g.child(NodeKind::Light, "l"), nullptr);
  EXPECT_NE(g.child(NodeKind::Accel, "bvh"), nullptr);
  EXPECT_EQ(g.child(NodeKind::Options), nullptr);

  EXPECT_TRUE(scene.nodes[14].defined);
  EXPECT_EQ(scene.nodes[14].kind, NodeKind::Material);
  EXPECT_EQ(scene.nodes[15].value.text, "bad\nthing");
  EXPECT_EQ(scene.nodes[16].kind, NodeKind::Render);

  const svb::Summary s = svb::summarize(scene);
  EXPECT_EQ(s.triangles, 1u);
  EXPECT_EQ(s.lights, 2u);  // the light block and the object with an emitting shader
  EXPECT_EQ(s.shaders, 4u);
}

}  // namespace
