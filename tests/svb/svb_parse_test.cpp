// The reader on hand-written scene text: statements, both parameter styles,
// string and byte tokens, numbers, text and binary arrays, captured shaders.
// Expectations are one-line renderings of the tree (see svb_test_bytes.h).
#include "svb_reader.h"

#include "svb_test_bytes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using svbtest::dump;

struct Case {
  std::string text;
  const char* tree;
};

void expect_trees(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    try {
      EXPECT_EQ(dump(svb::parse(c.text)), c.tree) << "input:\n" << c.text;
    } catch (const svb::ParseError& e) {
      ADD_FAILURE() << e.what() << "\ninput:\n" << c.text;
    }
  }
}

TEST(SvbParse, ExportedScene) {
  const std::string bytes = svbtest::exported_scene();
  const svb::Scene scene = svb::parse(bytes);
  ASSERT_EQ(scene.nodes.size(), 9u);
  EXPECT_EQ(dump(scene.nodes[7]),
            "camera \"Camera\" { projection = \"perspective\"; fov = 90; reflection map = shader "
            "\"zel_envmap\" "
            "{ \"texture\" = \"startup.hdr\"; \"format\" = 3; \"radius\" = 25 }; position = 0 0 0; "
            "up = 0 1 0; "
            "transform = 1 0 0 0 0 1 0 0 0 0 -1 0 1 2 -3 1 }");
  EXPECT_EQ(scene.nodes[5].offset, bytes.find("version"));
  const svb::Node* root = scene.find_group("untitled");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(scene.find_group("Quad"), nullptr);  // not a top-level group
  const svb::Node* quad = root->child(svb::NodeKind::Group, "Quad")->child(svb::NodeKind::Object);
  ASSERT_NE(quad, nullptr);
  EXPECT_EQ(dump(*quad->child(svb::NodeKind::Geometry)),
            "geometry \"triangles\" { \"vertices\" = [c:0,0,0,1,0,0,1,1,0,0,1,0]; \"triangles\" = "
            "[i:0,3,1,2,1,3] }");
  EXPECT_EQ(root->children[3].children[2].param("matrices")->value.array().numbers.at(16 + 12),
            0.5);
  // Its summary: svbinfo_test.
}

TEST(SvbParse, ParametersTokensAndNumbers) {
  expect_trees({
      {"xX610a22 7,\n", "\"a\\n\"\" = 7"},
      // A bare name runs up to the first word that starts a value.
      {"visible to the eye off\n", "visible to the eye = off"},
      {"clipping range 0.1 100\n", "clipping range = 0.1 100"},
      // Reserved types write no value at all, in either style.
      {"\"reserved\" ,\nreserved \n", "\"reserved\" = \nreserved = "},
      {"blob bX00ff7f\n\"n\" bX,\n", "blob = b00ff7f\n\"n\" = b"},
      {"\"s\" xXc3a9220d,\n", "\"s\" = x\"\\xc3\\xa9\"\\x0d\""},
      // Quoted tokens carry no escapes.
      {"\"s\" \"a\\tb {x}\",\n", "\"s\" = \"a\\tb {x}\""},
      {"\"f\" -1 1e+20 3e-05 -0.1250000000000000,\n", "\"f\" = -1 1e+20 3e-05 -0.125"},
      // Fixed-point infinity is padded to the field width.
      {"\"d\"              inf,\n\"v\" nan -nan -inf,\n", "\"d\" = inf\n\"v\" = nan -nan -inf"},
      // Beyond double range: infinity or zero, with the sign.
      {"\"x\" 1e400 -1e400 -1e-400,\n", "\"x\" = inf -inf -0"},
  });
  EXPECT_EQ(svb::parse("id 4294967295\n").nodes.at(0).value.number(), 4294967295.0);
  EXPECT_EQ(svb::parse("version 8\n").version(), 8);
  EXPECT_EQ(svb::parse("version 8.5\n").version(), -1);
}

TEST(SvbParse, TextAndBinaryArrays) {
  using svbtest::block;
  expect_trees({
      // Element by element: closed by " ],", mixed shapes kept apart.
      {"\"m\" [\n1 2, 3 4, 5 6 7, on, \"s\" ],\n", "\"m\" = [{1 2},{3 4},{5 6 7},{on},{\"s\"}]"},
      // Payload bytes that look like syntax do not end the block.
      {"\"i\" [ " + block(svb::kBinaryInt, 2, "}\n\"]" + std::string("\x01\x02\x03\x04", 4)) +
           "] ,\n",
       "\"i\" = [i:1562511997,67305985]"},
      // Doubles take eight bytes each.
      {"\"d\" [ " + block(svb::kBinaryDouble, 2, svbtest::f64(0.1) + svbtest::f64(-2.5)) + "] ,\n",
       "\"d\" = [r:0.1,-2.5]"},
      // Text elements first, then the accumulated block.
      {"\"mix\" [\n0.2500000000000000, 2.0000000000000000" + svbtest::float_block({7, 8}) + " ],\n",
       "\"mix\" = [0.25,2 f:7,8]"},
  });
}

TEST(SvbParse, ShadersAndStatements) {
  expect_trees({
      // Captured shaders nest inside values, a binary block inside the innermost.
      {"#define shader 3 zel advanced {\n\"tex\" ! 2,\n\"outer\" ! \"a\" {\n\"inner\" ! \"b\" "
       "{\n\"deep\" \"c\" {\n"
       "\"data\" [ " +
           svbtest::float_block({1}) + "] ,\n},\n},\n},\n}\n",
       "#define shader \"zel advanced\" = #3 { \"tex\" ! #2; \"outer\" ! shader \"a\" { \"inner\" "
       "! shader \"b\" "
       "{ \"deep\" = shader \"c\" { \"data\" = [f:1] } } } }"},
      {"#define object \"o\" {\ninvisible on\n}\n", "#define object \"o\" { invisible = on }"},
      // A refused modify leaves "#modify " before whatever comes next.
      {"#modify \ncamera \"cam\" {\n}\nobject \"p\" {\n#modify invisible on\n}\n\ncamera {\n}\n",
       "#modify camera \"cam\" {}\nobject \"p\" { modify; invisible = on }\ncamera {}"},
      // A print or error text runs to the first quote that ends a line.
      {"#error \"it said \"no\"\"\nprogress xX41 0.500\n\n\nrender\n",
       "error = \"it said \"no\"\"\nprogress \"A\" = 0.5\nrender"},
      // Indentation (blanks at the start of every line) is allowed.
      {"group \"g\" {\n object \"o\" {\n  \"n\" [ 0,1,2,3,4,5,6,7,8,\n  9 ] ,\n }\n}\n",
       "group \"g\" { object \"o\" { \"n\" = [0,1,2,3,4,5,6,7,8,9] } }"},
  });
}

// Groups and captured shaders nest at most kMaxNesting levels deep.
TEST(SvbParse, NestingLimit) {
  std::string groups, shaders = "\"p\" ";
  for (int i = 0; i < svb::kMaxNesting; ++i) groups = "group \"g\" {\n" + groups + "}\n";
  for (int i = 0; i <= svb::kMaxNesting; ++i) shaders += "\"t\" {\n\"p\" ";
  EXPECT_NO_THROW(svb::parse(groups));
  try {
    svb::parse("group \"g\" {\n" + groups + "}\n");
    FAIL() << "expected a nesting error";
  } catch (const svb::ParseError& e) {
    EXPECT_EQ(e.what(), "offset " + std::to_string(12 * svb::kMaxNesting) +
                            ": nesting deeper than 256 levels");
  }
  EXPECT_THROW(svb::parse(shaders), svb::ParseError);
}

}  // namespace
