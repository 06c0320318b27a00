// Statements, blocks, parameter styles, shaders and the write primitives of the text
// scene writer. Expected bytes are written out by hand from the format's rules.
#include "scene_bytes.h"

#include <clocale>
#include <cstring>
#include <string>

using scenetest::hexBytes;
using scenetest::sameBytes;
using scenetest::writeToMemory;

namespace {

TEST(WriterStatements, BlocksSwitchParameterStyle) {
  std::string out = writeToMemory([](zelScene_api_file& w) {
    EXPECT_TRUE(w.group_begin("root", true));
    w.set_parameter_int("n", 1);
    EXPECT_TRUE(w.object_begin("obj", false));
    w.set_parameter_bool("visible", 0);
    w.object_end();
    EXPECT_TRUE(w.geometry_use("mesh"));
    w.set_parameter_float("w", 0.5f);
    w.geometry_end();
    w.set_parameter_int("after", 2);
    EXPECT_TRUE(w.animation_begin("anim", "matrix"));
    w.animation_end();
    EXPECT_TRUE(w.light_begin("lamp"));
    w.set_parameter_bool("on", 1);
    w.light_end();
    EXPECT_TRUE(w.material_begin("m", false));
    w.material_end();
    EXPECT_TRUE(w.material_begin("p", true));
    w.material_end();
    EXPECT_TRUE(w.material_use("m"));
    w.group_end();
    EXPECT_TRUE(w.group_begin("def", false));
    w.group_end();
    EXPECT_TRUE(w.module_begin("mod.so"));
    w.set_parameter_int("k", 3);
    w.module_end();
    EXPECT_TRUE(w.matrix_begin("mx"));
    w.matrix_end();
    EXPECT_TRUE(w.accel_use("bvh"));
    w.accel_end();
    EXPECT_TRUE(w.output_begin("a", "b", "c"));
    w.set_parameter_int("x", 1);
    w.output_end();
    w.set_parameter_int("y", 4);  // output_end leaves bare style behind
    w.set_attribute("source file", "v");
  });
  EXPECT_TRUE(sameBytes(out,
                        "\ngroup \"root\" {\n"
                        "n 1\n"
                        "#define object \"obj\" {\n"
                        "visible off\n"
                        "}\n"
                        "geometry \"mesh\" {\n"
                        "\"w\" 0.5,\n"
                        "}\n"
                        "after 2\n"
                        "animation \"anim\" \"matrix\" {\n}\n"
                        "\nlight \"lamp\" {\n"
                        "on on\n"
                        "}\n"
                        "\n#define material \"m\" {\n}\n"
                        "material \"p\" {\n}\n"
                        "material \"m\"\n"
                        "}\n"
                        "\n#define group \"def\" {\n}\n"
                        "load \"mod.so\" {\n"
                        "\"k\" 3,\n"
                        "}\n"
                        "#define matrix \"mx\" {\n}\n"
                        "\naccel \"bvh\" {\n}\n"
                        "output \"a\" \"b\" \"c\" {\n"
                        "\"x\" 1,\n"
                        "}\n"
                        "y 4\n"
                        "attribute \"source file\" \"v\"\n"));
}

TEST(WriterStatements, SimpleStatements) {
  std::string out = writeToMemory([](zelScene_api_file& w) {
    w.set_version(-1);
    w.set_progress("half", 0.5f);
    w.set_icon("\x01\xab", 2);
    w.set_icon(nullptr, 0);
    w.set_data("blob", "z", 1);
    w.set_id(-1);
    w.set_flags(16);
    zelMatrix m;
    m.make_identity();
    m.m[12] = 2.5;
    w.transform(m);
    w.transform_set(m);
    w.scale(1, 2.5, -3);
    w.translate(0, 0.25, 1e7);
    w.rotate(90, 0, -45);
    EXPECT_TRUE(w.render());
    EXPECT_FALSE(w.cancel());
    w.clear(true);
    w.install();
    w.add_comment("// 100% sure %s %d\n");  // texts are never used as formats
    w.print("50% done %n");
    w.error("bad %s");
  });
  EXPECT_TRUE(sameBytes(out,
                        "version 8\n\n"
                        "progress \"half\" 0.500\n\n"
                        "icon bX01ab\n"
                        "icon bX\n"
                        "blob bX7a\n"
                        "id 4294967295\n"
                        "flags 16\n"
                        "transform 1 0 0 0 0 1 0 0 0 0 1 0 2.5 0 0 1\n"
                        "set transform 1 0 0 0 0 1 0 0 0 0 1 0 2.5 0 0 1\n"
                        "scale 1 2.5 -3\n"
                        "translate 0 0.25 1e+07\n"
                        "rotate 90 0 -45\n"
                        "\nrender\n"
                        "// 100% sure %s %d\n"
                        "#print \"50% done %n\"\n"
                        "#error \"bad %s\"\n"));
}

TEST(WriterBlockKinds, OptionsCameraAndImageRefusedInsideAnotherBlock) {
  std::string out = writeToMemory([](zelScene_api_file& w) {
    EXPECT_TRUE(w.object_begin("o", true));
    w.set_parameter_int("bare", 1);
    EXPECT_FALSE(w.options_begin());
    EXPECT_FALSE(w.camera_begin("c"));
    EXPECT_FALSE(w.image_begin());
    w.camera_end();  // kind did not match: no brace, but style quoted and kind cleared
    w.set_parameter_int("quoted", 2);
    w.object_end();

    EXPECT_TRUE(w.options_begin());
    w.set_parameter_int("samples", 4);
    EXPECT_FALSE(w.camera_modify("c"));  // "#modify " and nothing more
    w.options_end();

    EXPECT_TRUE(w.image_begin());
    EXPECT_FALSE(w.options_begin());
    w.image_end();

    EXPECT_TRUE(w.camera_begin(nullptr));
    EXPECT_FALSE(w.image_begin());
    w.camera_end();

    EXPECT_TRUE(w.camera_modify("main"));
    w.camera_end();
  });
  EXPECT_TRUE(sameBytes(out,
                        "object \"o\" {\n"
                        "bare 1\n"
                        "\"quoted\" 2,\n"
                        "}\n"
                        "\noptions {\n"
                        "samples 4\n"
                        "#modify }\n"
                        "\nimage {\n}\n"
                        "\ncamera {\n}\n"
                        "#modify \ncamera \"main\" {\n}\n"));
}

TEST(WriterShaders, NamedAndNumberedShadersAndMaterialReferences) {
  std::string out = writeToMemory([](zelScene_api_file& w) {
    w.group_begin("g", true);
    EXPECT_TRUE(w.shader_begin("wood", "zel_texture"));
    w.set_parameter_int("format", 3);
    w.shader_end();
    EXPECT_TRUE(w.shader_begin("zel_diffuse", 2));
    w.set_subshader("texture", 1);
    w.shader_end();
    w.set_parameter_int("bare", 1);
    w.material_begin("m", true);
    w.material_set_shader(SHADER_SURFACE, 2);
    w.material_set_shader(SHADER_SHADOW, 3);
    w.material_set_shader(SHADER_VOLUME, 4);
    w.material_set_shader(SHADER_REFLECTION_MAP, 5);
    w.material_set_shader(SHADER_SURFACE, static_cast<zelShader*>(nullptr));
    w.material_end();
    w.group_end();
  });
  EXPECT_TRUE(sameBytes(out,
                        "\ngroup \"g\" {\n"
                        "#define shader \"wood\" \"zel_texture\" {\n"
                        "\"format\" 3,\n"
                        "}\n"
                        "#define shader 2 zel_diffuse {\n"
                        "\"texture\" ! 1,\n"
                        "}\n"
                        "bare 1\n"
                        "material \"m\" {\n"
                        "surface 2\n"
                        "shadow 3\n"
                        "volume 4\n"
                        "reflection map 5\n"
                        "}\n"
                        "}\n"));
}

TEST(WriterShaders, NestedCaptureWithPushAndPop) {
  std::string out = writeToMemory([](zelScene_api_file& w) {
    w.shader_begin(nullptr, "outer");
    w.set_parameter_int("a", 1);
    w.shader_push();
    w.shader_begin(nullptr, "inner");
    w.set_parameter_int("b", 2);
    w.shader_end();
    zelShader* inner = w.shader_get();
    w.shader_pop();
    w.set_subshader("child", inner);
    w.shader_end();
    zelShader* outer = w.shader_get();
    w.set_subshader("top", outer);
  });
  EXPECT_TRUE(sameBytes(out,
                        "\"top\" ! \"outer\" {\n"
                        "\"a\" 1,\n"
                        "\"child\" ! \"inner\" {\n\"b\" 2,\n},\n"
                        "},\n"));
}

// A captured shader text got its depth when it was captured; holding a binary block it is
// raw and written back as it is, without the depth of where it is used.
TEST(WriterIndentation, DepthBlanksAfterEveryInnerLineFeed) {
  std::string out = writeToMemory([](zelScene_api_file& w) {
    w.set_output_mode(static_cast<zelScene_api_output_mode>(0));
    w.group_begin("g", true);
    w.set_parameter_int("n", 1);
    w.geometry_use("m");
    w.set_parameter_float("w", 2.0f);
    w.add_comment("// a\n// b\n");
    float ten[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    zelArray a{ten, 10};
    w.set_parameter("a", zel_array_of(TYPE_FLOAT), &a);
    w.geometry_end();
    w.set_output_mode(OUTPUT_BINARY_ARRAYS);
    w.shader_begin(nullptr, "s");
    zelArray one{ten, 1};
    w.set_parameter("v", zel_array_of(TYPE_FLOAT), &one);
    w.shader_end();
    zelShader* s = w.shader_get();
    EXPECT_TRUE(s->raw);
    w.set_parameter("sh", TYPE_SHADER, &s);
    w.group_end();
  });
  EXPECT_TRUE(sameBytes(out,
                        "\ngroup \"g\" {\n"
                        " n 1\n"
                        " geometry \"m\" {\n"
                        "  \"w\" 2,\n"
                        "  // a\n  // b\n"
                        "  \"a\" [ 1,2,3,4,5,6,7,8,9,\n  10 ] ,\n"
                        " }\n"
                        " sh \"s\" {\n \"v\" [ " +
                            hexBytes("01 02 03 66 01 00 00 00 00 00 80 3f") +
                            "] ,\n}\n"
                            "}\n"));
}

// A write longer than the 1 MiB working buffer still reaches the output whole.
TEST(WriterLongTexts, NothingIsCutAtTheWorkingBufferSize) {
  const size_t big = zelScene_api_file::kWorkBufferSize + 1000;
  const std::string comment = "//" + std::string(big, 'c') + "\n";
  const std::string text(big, 'p');
  const std::string value(big, 'v');
  std::string out = writeToMemory([&](zelScene_api_file& w) {
    w.add_comment(comment.c_str());
    w.print(text.c_str());
    w.error(text.c_str());
    w.shader_begin(nullptr, "big");
    w.set_parameter("s", TYPE_STRING, value.c_str());
    w.shader_end();
    w.material_set_shader(SHADER_SURFACE, w.shader_get());
  });
  const std::string expected = comment + "#print \"" + text + "\"\n" + "#error \"" + text + "\"\n" +
                               "surface \"big\" {\n\"s\" \"" + value + "\",\n}\n";
  EXPECT_TRUE(sameBytes(out, expected));

  // The same with indentation on, where every inner line gains the depth.
  std::string lines;
  while (lines.size() < zelScene_api_file::kWorkBufferSize) lines += "ab\n";
  out = writeToMemory([&](zelScene_api_file& w) {
    w.set_output_mode(static_cast<zelScene_api_output_mode>(0));
    w.group_begin("g", true);
    w.add_comment(lines.c_str());
    w.group_end();
  });
  std::string indented;
  for (size_t i = 0; i < lines.size(); i += 3) indented += " ab\n";
  EXPECT_TRUE(sameBytes(out, "\ngroup \"g\" {\n" + indented + "}\n"));
}

TEST(WriterNullInput, NullNamesAndStringsAreEmptyTokens) {
  std::string out = writeToMemory([](zelScene_api_file& w) {
    w.group_begin(nullptr, true);
    w.set_parameter(nullptr, TYPE_INT, nullptr);  // bare style, no value
    w.group_end();
    w.set_parameter(nullptr, TYPE_STRING, nullptr);
    const char* none = nullptr;
    w.set_parameter("ref", TYPE_STRING_REF, &none);
    w.set_parameter("noref", TYPE_STRING_REF, nullptr);
    w.set_attribute(nullptr, nullptr);
    w.add_comment(nullptr);
    w.print(nullptr);
    w.set_subshader("s", static_cast<zelShader*>(nullptr));
  });
  EXPECT_TRUE(sameBytes(out,
                        "\ngroup \"\" {\n"
                        " \n"
                        "}\n"
                        "\"\" \"\",\n"
                        "\"ref\" \"\",\n"
                        "\"noref\" \"\",\n"
                        "attribute \"\" \"\"\n"
                        "#print \"\"\n"
                        "\"s\" ! ,\n"));
}

TEST(WriterNullInput, NoStreamWritesNothingAndKeepsResults) {
  zelScene_api_file w(nullptr, true);
  EXPECT_TRUE(w.group_begin("g", true));
  EXPECT_TRUE(w.shader_begin(nullptr, "s"));
  EXPECT_TRUE(w.set_parameter_float("f", 1.0f));
  w.shader_end();
  EXPECT_NE(w.shader_get(), nullptr);
  EXPECT_TRUE(w.initialize_array_mode("a"));
  int one = 1;
  w.set_array_parameter(TYPE_INT, &one);
  w.finalize_array_mode();
  w.group_end();
}

// Under a comma-decimal locale the writer still writes decimal points, and the user's
// locale is back in force once the writer is gone.
TEST(WriterLocale, DecimalPointUnderCommaLocale) {
  const std::string before = std::setlocale(LC_NUMERIC, nullptr);
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE.utf8") &&
      !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.utf8"))
    GTEST_SKIP() << "no comma-decimal locale installed on this machine";
  const std::string active = std::setlocale(LC_NUMERIC, nullptr);

  std::string out = writeToMemory([](zelScene_api_file& w) {
    w.set_parameter_float("f", 0.5f);
    double d = 1.25;
    w.set_parameter("d", TYPE_DOUBLE, &d);
    w.set_progress("p", 0.25f);
    w.scale(1.5, 1, 1);
  });
  EXPECT_TRUE(sameBytes(out,
                        "\"f\" 0.5,\n"
                        "\"d\" 1.2500000000000000,\n"
                        "progress \"p\" 0.250\n\n"
                        "scale 1.5 1 1\n"));
  EXPECT_EQ(std::string(std::setlocale(LC_NUMERIC, nullptr)), active);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%g", 0.5);
  EXPECT_STREQ(buf, "0,5");
  std::setlocale(LC_NUMERIC, before.c_str());
}

}  // namespace
