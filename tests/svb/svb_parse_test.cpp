// The reader on hand-written scene text: statements, both parameter styles,
// string and byte tokens, numbers, text and binary arrays, captured shaders.
#include "svb_reader.h"

#include "svb_test_bytes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace svb {
// Readable kinds in failure messages.
inline void PrintTo(NodeKind kind, std::ostream* os) { *os << kind_name(kind); }
}  // namespace svb

namespace {

using svb::NodeKind;
using svb::Style;
using svb::Value;
using ::testing::ElementsAre;

std::vector<NodeKind> kinds(const std::vector<svb::Node>& nodes) {
  std::vector<NodeKind> out;
  for (const svb::Node& n : nodes) out.push_back(n.kind);
  return out;
}

// The single top-level node of `text`.
svb::Node only(const std::string& text) {
  svb::Scene scene = svb::parse(text);
  EXPECT_EQ(scene.nodes.size(), 1u) << text;
  return scene.nodes.empty() ? svb::Node() : scene.nodes.front();
}

// The value of the single parameter in `text`.
Value value_of(const std::string& text) {
  const svb::Node n = only(text);
  EXPECT_EQ(n.kind, NodeKind::Parameter) << text;
  return n.value;
}

TEST(SvbParse, ExportedSceneTree) {
  const std::string bytes = svbtest::exported_scene();
  const svb::Scene scene = svb::parse(bytes);
  EXPECT_THAT(kinds(scene.nodes),
              ElementsAre(NodeKind::Comment, NodeKind::Comment, NodeKind::Comment, NodeKind::Comment,
                          NodeKind::Print, NodeKind::Version, NodeKind::Module, NodeKind::Camera,
                          NodeKind::Group));
  EXPECT_EQ(scene.nodes[0].value.text, "//---tessan:dal:7---");
  EXPECT_EQ(scene.nodes[4].value.text, "Solvane SceneApi oo 9.0.45  (built Wed Feb 20 12:07:52 2019)");
  EXPECT_EQ(scene.version(), 8);
  EXPECT_EQ(scene.nodes[5].offset, bytes.find("version"));

  const svb::Node& module = scene.nodes[6];
  EXPECT_EQ(module.name(), "zelrtopt.so");
  ASSERT_NE(module.param("import_mode"), nullptr);
  EXPECT_EQ(module.param("import_mode")->style, Style::Quoted);
  EXPECT_TRUE(module.param("import_mode")->value.is(Value::Kind::Bool));
  EXPECT_TRUE(module.param("import_mode")->value.boolean);
  EXPECT_FALSE(module.param("ext")->value.boolean);
  EXPECT_EQ(module.param("meter_scale")->value.number(), 100);

  const svb::Node& camera = scene.nodes[7];
  EXPECT_EQ(camera.name(), "Camera");
  EXPECT_EQ(camera.param("projection")->style, Style::Bare);
  EXPECT_EQ(camera.param("projection")->value.text, "perspective");
  const svb::Node* env = camera.param("reflection map");
  ASSERT_NE(env, nullptr);
  ASSERT_NE(env->value.shader(), nullptr);
  EXPECT_EQ(env->value.shader()->shader_type(), "zel_envmap");
  EXPECT_TRUE(env->value.shader()->anonymous);
  EXPECT_EQ(env->value.shader()->param("texture")->value.text, "startup.hdr");
  EXPECT_EQ(env->value.shader()->param("radius")->value.number(), 25);
  EXPECT_THAT(camera.param("up")->value.numbers, ElementsAre(0, 1, 0));
  EXPECT_EQ(camera.child(NodeKind::Transform)->value.numbers.at(14), -3);

  const svb::Node* root = scene.find_group("untitled");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(scene.find_group("Cube"), nullptr);  // not a top-level group
  EXPECT_EQ(root->child(NodeKind::Attribute)->value.text, "source file");
  EXPECT_EQ(root->child(NodeKind::Progress)->name(), "Cube");
  const svb::Node* cube = root->child(NodeKind::Group, "Cube");
  ASSERT_NE(cube, nullptr);
  EXPECT_EQ(cube->child(NodeKind::Flags)->value.number(), 1);
  const svb::Node* geometry = cube->child(NodeKind::Object, "Cube")->child(NodeKind::Geometry);
  ASSERT_NE(geometry, nullptr);
  const svb::Array& vertices = geometry->param("vertices")->value.array();
  EXPECT_EQ(vertices.binary, svb::kBinaryColor);
  EXPECT_EQ(vertices.binary_count, 12u);
  EXPECT_EQ(vertices.floats.at(6), 1.0f);
  EXPECT_THAT(geometry->param("triangles")->value.array().ints, ElementsAre(0, 3, 1, 2, 1, 3));

  const svb::Node* material = cube->child(NodeKind::Object)->child(NodeKind::Material, "Wood");
  ASSERT_NE(material, nullptr);
  const svb::Node* surface = material->child(NodeKind::MaterialShader, "surface");
  ASSERT_NE(surface, nullptr);
  const svb::Node* advanced = surface->value.shader();
  ASSERT_NE(advanced, nullptr);
  EXPECT_EQ(advanced->shader_type(), "zel_advanced");
  EXPECT_THAT(advanced->param("diffuse")->value.numbers, ElementsAre(0.8, 0.6, 0.4));
  const svb::Node* sub = advanced->child(NodeKind::Subshader, "diffuse");
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->value.shader()->shader_type(), "texture2_rgb");
  EXPECT_EQ(sub->value.shader()->param("uv_flags")->value.number(), 62);

  const svb::Node* animation = cube->child(NodeKind::Animation);
  ASSERT_NE(animation, nullptr);
  EXPECT_THAT(animation->names, ElementsAre("fbx_animation", "Position . X"));
  const svb::Array& matrices = animation->param("matrices")->value.array();
  EXPECT_EQ(matrices.elements, 2u);
  EXPECT_EQ(matrices.width, 16u);
  EXPECT_EQ(matrices.numbers.at(16 + 12), 0.5);

  const svb::Summary s = svb::summarize(scene);
  EXPECT_EQ(s.version, 8);
  EXPECT_EQ(s.groups, 4u);
  EXPECT_EQ(s.models, 1u);
  EXPECT_EQ(s.objects, 3u);
  EXPECT_EQ(s.triangles, 10u);
  EXPECT_EQ(s.vertices, 10u);
  EXPECT_EQ(s.curves, 2u);
  EXPECT_EQ(s.materials, 3u);
  EXPECT_EQ(s.shaders, 5u);
  EXPECT_EQ(s.cameras, 1u);
  EXPECT_EQ(s.lights, 1u);
  EXPECT_EQ(s.animations, 1u);
  EXPECT_EQ(s.modules, 1u);
}

TEST(SvbParse, ParameterStyles) {
  // Quoted style: name token, blank, value, comma; the name may be hex.
  svb::Node n = only("\"scale_u\" 2.5,\n");
  EXPECT_EQ(n.name(), "scale_u");
  EXPECT_EQ(n.style, Style::Quoted);
  EXPECT_THAT(n.value.numbers, ElementsAre(2.5));
  n = only("xX610a22 7,\n");
  EXPECT_EQ(n.name(), "a\n\"");
  // Bare style: the name runs up to the first word that starts a value.
  n = only("visible to the eye off\n");
  EXPECT_EQ(n.name(), "visible to the eye");
  EXPECT_EQ(n.style, Style::Bare);
  EXPECT_TRUE(n.value.is(Value::Kind::Bool));
  n = only("clipping range 0.1 100\n");
  EXPECT_EQ(n.name(), "clipping range");
  EXPECT_THAT(n.value.numbers, ElementsAre(0.1, 100));
  // A value of a reserved type is nothing at all, in either style.
  EXPECT_TRUE(value_of("\"reserved\" ,\n").is(Value::Kind::None));
  EXPECT_TRUE(value_of("reserved \n").is(Value::Kind::None));
  // A data line is a bare name and a byte token, in every block.
  const svb::Scene scene = svb::parse("geometry \"g\" {\nblob bX00ff7f\n\"n\" bX,\n}\n");
  const svb::Node& g = scene.nodes.at(0);
  EXPECT_EQ(g.param("blob")->value.text, std::string("\x00\xff\x7f", 3));
  EXPECT_TRUE(g.param("n")->value.is(Value::Kind::Bytes));
  EXPECT_EQ(g.param("n")->value.text, "");
}

TEST(SvbParse, StringTokens) {
  Value v = value_of("\"s\" \"\",\n");
  EXPECT_TRUE(v.is(Value::Kind::String));
  EXPECT_EQ(v.text, "");
  EXPECT_FALSE(v.hex);
  v = value_of("\"s\" xX610a,\n");
  EXPECT_EQ(v.text, "a\n");
  EXPECT_TRUE(v.hex);
  v = value_of("\"s\" xXc3a9220d,\n");
  EXPECT_EQ(v.text, "\xc3\xa9\"\r");
  // Quoted tokens carry no escapes: a backslash is just a byte.
  v = value_of("\"s\" \"a\\tb {x}\",\n");
  EXPECT_EQ(v.text, "a\\tb {x}");
  const svb::Node attr = only("attribute \"k\" xX7b7d\n");
  EXPECT_EQ(attr.name(), "k");
  EXPECT_EQ(attr.value.text, "{}");
}

TEST(SvbParse, Numbers) {
  EXPECT_THAT(value_of("\"f\" -1,\n").numbers, ElementsAre(-1));
  EXPECT_THAT(value_of("\"f\" 1e+20,\n").numbers, ElementsAre(1e20));
  EXPECT_THAT(value_of("\"f\" 3.4028234663852886e+38,\n").numbers, ElementsAre(3.4028234663852886e38));
  EXPECT_THAT(value_of("\"d\" -0.1250000000000000,\n").numbers, ElementsAre(-0.125));
  EXPECT_THAT(value_of("\"v\" 1 -2.5 3e-05,\n").numbers, ElementsAre(1, -2.5, 3e-05));
  // Fixed-point infinity is padded to the field width.
  const Value inf = value_of("\"d\"              inf,\n");
  EXPECT_TRUE(std::isinf(inf.number()) && inf.number() > 0);
  const Value nan = value_of("\"v\" nan -nan -inf,\n");
  ASSERT_EQ(nan.numbers.size(), 3u);
  EXPECT_TRUE(std::isnan(nan.numbers[0]) && std::isnan(nan.numbers[1]));
  EXPECT_TRUE(std::isinf(nan.numbers[2]) && nan.numbers[2] < 0);
  EXPECT_EQ(only("id 4294967295\n").value.number(), 4294967295.0);
  // Beyond double range: overflow to infinity, underflow to zero, sign kept.
  EXPECT_THAT(value_of("\"x\" 1e400 -1e400 -1e-400 4.94066e-324,\n").numbers,
              ElementsAre(HUGE_VAL, -HUGE_VAL, -0.0, 4.94066e-324));
  EXPECT_TRUE(std::signbit(value_of("\"x\" -1e-400,\n").number()));
  // A version that is no whole number in range reads as no version.
  EXPECT_EQ(svb::parse("version 8\n").version(), 8);
  EXPECT_EQ(svb::parse("version 1e300\n").version(), -1);
  EXPECT_EQ(svb::parse("version 8.5\n").version(), -1);
}

TEST(SvbParse, TextArrays) {
  // Nine elements on the first line, the tenth alone on the next.
  Value v = value_of("\"f\" [ 0,1,2,3,4,5,6,7,8,\n9 ] ,\n");
  const svb::Array* a = &v.array();
  EXPECT_EQ(a->binary, '\0');
  EXPECT_EQ(a->elements, 10u);
  EXPECT_EQ(a->width, 1u);
  EXPECT_EQ(a->numbers.back(), 9);
  // Last element ending a line before the bracket; colours three wide.
  v = value_of("c [ 1 2 3,4 5 6,7 8 9,1 2 3,4 5 6,7 8 9,1 2 3,4 5 6,7 8 9 \n] \n");
  a = &v.array();
  EXPECT_EQ(a->elements, 9u);
  EXPECT_EQ(a->width, 3u);
  EXPECT_EQ(a->scalar_count(), 27u);
  // Strings each end their line.
  v = value_of("\"names\" [ \"a\",\nxX0a,\n\"\" \n] ,\n");
  a = &v.array();
  ASSERT_EQ(a->items.size(), 3u);
  EXPECT_EQ(a->items[1].text, "\n");
  EXPECT_TRUE(a->numbers.empty());
  // Empty arrays, and bools as digits.
  EXPECT_EQ(value_of("\"e\" [ ] ,\n").array().elements, 0u);
  EXPECT_THAT(value_of("\"b\" [ 1,0,1 ] ,\n").array().numbers, ElementsAre(1, 0, 1));
}

TEST(SvbParse, ElementByElementArrays) {
  // Colours two to a line, floats six to a line, closed by " ],".
  Value v = value_of("\"c\" [\n1 2 3, 4 5 6,\n7 8 9 ],\n");
  EXPECT_EQ(v.array().elements, 3u);
  EXPECT_EQ(v.array().width, 3u);
  v = value_of("cols [\n1, 2, 3, 4, 5, 6,\n7 ],\n");
  EXPECT_EQ(v.array().elements, 7u);
  // Elements of different kinds keep their own shapes.
  v = value_of("\"m\" [\n1, 2 3 4, on, \"s\" ],\n");
  const svb::Array& a = v.array();
  ASSERT_EQ(a.items.size(), 4u);
  EXPECT_THAT(a.items[0].numbers, ElementsAre(1));
  EXPECT_THAT(a.items[1].numbers, ElementsAre(2, 3, 4));
  EXPECT_TRUE(a.items[2].boolean);
  EXPECT_EQ(a.items[3].text, "s");
  EXPECT_THAT(a.as_doubles(), ElementsAre(1, 2, 3, 4));
}

TEST(SvbParse, BinaryArrays) {
  using svbtest::block;
  Value v = value_of("\"f\" [ " + svbtest::float_block({1.5f, -0.0f, 3e38f}) + "] ,\n");
  const svb::Array* a = &v.array();
  EXPECT_EQ(a->binary, 'f');
  ASSERT_EQ(a->floats.size(), 3u);
  EXPECT_EQ(a->floats[0], 1.5f);
  EXPECT_TRUE(std::signbit(a->floats[1]));
  EXPECT_EQ(a->floats[2], 3e38f);

  v = value_of("\"i\" [ " + svbtest::int_block({-1, 2147483647, 0}) + "] ,\n");
  EXPECT_THAT(v.array().ints, ElementsAre(-1, 2147483647, 0));

  v = value_of("\"r\" [ " + svbtest::double_block({0.1, -1e300}) + "] ,\n");
  EXPECT_THAT(v.array().doubles, ElementsAre(0.1, -1e300));

  // An empty binary array is the header alone.
  v = value_of("\"f\" [ " + block('f', 0, "") + "] ,\n");
  EXPECT_EQ(v.array().binary, 'f');
  EXPECT_EQ(v.array().binary_count, 0u);

  // Payload bytes that look like syntax do not end the block.
  v = value_of("\"i\" [ " + block('i', 2, "}\n\"]" + std::string("\x01\x02\x03\x04", 4)) + "] ,\n");
  EXPECT_EQ(v.array().ints.size(), 2u);

  // Element by element: text elements first, then the accumulated block.
  v = value_of("\"mix\" [\n0.2500000000000000, 2.0000000000000000" + svbtest::float_block({7, 8}) + " ],\n");
  a = &v.array();
  EXPECT_THAT(a->numbers, ElementsAre(0.25, 2));
  EXPECT_THAT(a->floats, ElementsAre(7, 8));
  EXPECT_THAT(a->as_doubles(), ElementsAre(0.25, 2, 7, 8));
}

TEST(SvbParse, Shaders) {
  const std::string text =
      "#define shader \"wood\" \"zel_diffuse\" {\n"
      "\"diffuse\" 1 0 0,\n"
      "}\n"
      "#define shader 3 zel advanced {\n"
      "\"tex\" ! 2,\n"
      "\"outer\" ! \"a\" {\n"
      "\"inner\" ! \"b\" {\n"
      "\"deep\" \"c\" {\n"
      "\"data\" [ " + svbtest::float_block({1}) + "] ,\n"
      "},\n"
      "},\n"
      "},\n"
      "}\n"
      "material \"m\" {\n"
      "// assuming surface shader\n"
      "surface 3\n"
      "reflection map \"env\" {\n"
      "}\n"
      "}\n";
  const svb::Scene scene = svb::parse(text);
  ASSERT_EQ(scene.nodes.size(), 3u);
  const svb::Node& named = scene.nodes[0];
  EXPECT_TRUE(named.defined);
  EXPECT_THAT(named.names, ElementsAre("wood", "zel_diffuse"));
  const svb::Node& numbered = scene.nodes[1];
  EXPECT_EQ(numbered.shader_type(), "zel advanced");
  EXPECT_TRUE(numbered.value.is(Value::Kind::ShaderId));
  EXPECT_EQ(numbered.value.number(), 3);
  EXPECT_EQ(numbered.param("tex")->kind, NodeKind::Subshader);
  EXPECT_EQ(numbered.param("tex")->value.number(), 2);
  const svb::Node* a = numbered.param("outer")->value.shader();
  ASSERT_NE(a, nullptr);
  const svb::Node* b = a->param("inner")->value.shader();
  ASSERT_NE(b, nullptr);
  const svb::Node* c = b->param("deep")->value.shader();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->shader_type(), "c");
  EXPECT_EQ(c->param("data")->value.array().floats.at(0), 1.0f);

  const svb::Node& m = scene.nodes[2];
  EXPECT_THAT(kinds(m.children), ElementsAre(NodeKind::Comment, NodeKind::MaterialShader, NodeKind::MaterialShader));
  EXPECT_TRUE(m.children[1].value.is(Value::Kind::ShaderId));
  EXPECT_EQ(m.children[2].name(), "reflection map");
  EXPECT_EQ(m.children[2].value.shader()->shader_type(), "env");

  // walk() reaches the captured shaders inside values, outer before inner.
  std::vector<std::string> types;
  svb::walk(scene, [&](const svb::Node& n) {
    if (n.kind == NodeKind::Shader) types.emplace_back(n.shader_type());
  });
  EXPECT_THAT(types, ElementsAre("zel_diffuse", "zel advanced", "a", "b", "c", "env"));
}

TEST(SvbParse, OtherStatements) {
  const std::string text =
      "\n#define group \"proto\" {\n}\n"
      "#define object \"o\" {\ninvisible on\n}\n"
      "\n#define material \"m\" {\n}\n"
      "#define matrix \"x\" {\n}\n"
      "#modify \ncamera \"cam\" {\n}\n"
      "object \"p\" {\n#modify invisible on\n}\n"
      "\ncamera {\n}\n"
      "\noptions {\nthreads 4\n}\n"
      "\nimage {\n}\n"
      "output \"a\" \"b\" \"c\" {\n}\n"
      "\nlight \"l\" {\n}\n"
      "\naccel \"bvh\" {\n}\n"
      "group \"g\" {\n"
      "material \"m\"\n"
      "set transform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1\n"
      "scale 1 2 3\ntranslate 4 5 6\nrotate 7 8 9\n"
      "icon bX0102\nid 7\nflags 16384\n"
      "}\n"
      "#error \"it said \"no\"\"\n"
      "progress xX41 0.500\n\n"
      "\nrender\n";
  const svb::Scene scene = svb::parse(text);
  EXPECT_THAT(kinds(scene.nodes),
              ElementsAre(NodeKind::Group, NodeKind::Object, NodeKind::Material, NodeKind::Matrix,
                          NodeKind::Camera, NodeKind::Object, NodeKind::Camera, NodeKind::Options,
                          NodeKind::Image, NodeKind::Output, NodeKind::Light, NodeKind::Accel,
                          NodeKind::Group, NodeKind::Error, NodeKind::Progress, NodeKind::Render));
  EXPECT_TRUE(scene.nodes[0].defined);
  EXPECT_TRUE(scene.nodes[1].param("invisible")->value.boolean);
  EXPECT_TRUE(scene.nodes[4].modify);
  EXPECT_EQ(scene.nodes[4].name(), "cam");
  // A refused modify leaves "#modify " in front of whatever comes next.
  EXPECT_THAT(kinds(scene.nodes[5].children), ElementsAre(NodeKind::Modify, NodeKind::Parameter));
  EXPECT_FALSE(scene.nodes[6].modify);
  EXPECT_TRUE(scene.nodes[6].names.empty());
  EXPECT_EQ(scene.nodes[7].param("threads")->value.number(), 4);
  EXPECT_THAT(scene.nodes[9].names, ElementsAre("a", "b", "c"));
  const svb::Node& g = scene.nodes[12];
  EXPECT_FALSE(g.defined);
  EXPECT_THAT(kinds(g.children),
              ElementsAre(NodeKind::MaterialUse, NodeKind::TransformSet, NodeKind::Scale, NodeKind::Translate,
                          NodeKind::Rotate, NodeKind::Icon, NodeKind::Id, NodeKind::Flags));
  EXPECT_THAT(g.children[3].value.numbers, ElementsAre(4, 5, 6));
  EXPECT_EQ(g.children[5].value.text, "\x01\x02");
  EXPECT_EQ(g.children[7].value.number(), 16384);
  // A print or error text runs to the first quote that ends a line.
  EXPECT_EQ(scene.nodes[13].value.text, "it said \"no\"");
  EXPECT_EQ(scene.nodes[14].name(), "A");
  EXPECT_EQ(scene.nodes[14].value.number(), 0.5);
  EXPECT_EQ(scene.groups().size(), 2u);
  EXPECT_EQ(scene.find_group("g"), &scene.nodes[12]);
}

TEST(SvbParse, IndentedText) {
  // With indentation on, every line carries the depth in blanks.
  const svb::Scene scene = svb::parse(
      "group \"g\" {\n"
      " object \"o\" {\n"
      "  geometry \"triangles\" {\n"
      "   \"triangles\" [ 0,1,2,3,4,5,6,7,8,\n"
      "   9,10,11 ] ,\n"
      "  }\n"
      " }\n"
      "}\n");
  const svb::Node* geo = scene.nodes.at(0).child(NodeKind::Object)->child(NodeKind::Geometry);
  ASSERT_NE(geo, nullptr);
  EXPECT_EQ(svb::summarize(scene).triangles, 4u);
}

TEST(SvbParse, NestingLimit) {
  auto nested = [](int levels) {
    std::string s;
    for (int i = 0; i < levels; ++i) s += "group \"g\" {\n";
    for (int i = 0; i < levels; ++i) s += "}\n";
    return s;
  };
  EXPECT_NO_THROW(svb::parse(nested(svb::kMaxNesting)));
  try {
    svb::parse(nested(svb::kMaxNesting + 1));
    FAIL() << "expected a nesting error";
  } catch (const svb::ParseError& e) {
    EXPECT_EQ(e.offset(), 12u * svb::kMaxNesting);
    EXPECT_EQ(e.message(), "nesting deeper than 256 levels");
    EXPECT_FALSE(e.truncated());
  }
  // Captured shaders count as levels too.
  std::string shaders = "\"p\" ";
  for (int i = 0; i < svb::kMaxNesting + 1; ++i) shaders += "\"t\" {\n\"p\" ";
  EXPECT_THROW(svb::parse(shaders), svb::ParseError);
}

}  // namespace
