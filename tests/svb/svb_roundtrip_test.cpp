// Round trips: the arrays of every type that the scene file writer writes, the reader reads
// back to the same values, in both parameter styles and both array forms. (Statements and
// values are pinned byte by byte in tests/sceneapi and read in svb_parse_test.)
#include "svb_reader.h"

#include "../sceneapi/scene_bytes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using svb::Value;
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

INSTANTIATE_TEST_SUITE_P(Styles, RoundTrip, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Bare" : "Quoted"; });

}  // namespace
