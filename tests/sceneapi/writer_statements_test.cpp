// Statements, blocks, parameter styles and captured shaders of the text scene writer, as the
// plug-in writes them. Expected bytes are written out by hand from the format's rules.
#include "DefaultRTModule.h"
#include "LightCamera.h"
#include "LightFactory.h"
#include "scene_bytes.h"
#include "zelsceneapi_oo.h"

#include <clocale>
#include <string>

using scenetest::sameBytes;
using scenetest::writeToMemory;

namespace {

// The block forms the plug-in writes, each switching the parameter style (bare or quoted)
// and restoring the outer one at its end.
TEST(WriterStatements, BlocksSwitchParameterStyle) {
  std::string out = writeToMemory([](zelScene_api_file& w) {
    EXPECT_TRUE(w.group_begin("root", true));
    w.set_parameter_int("n", 1);
    EXPECT_TRUE(w.object_begin("obj", true));
    w.set_parameter_bool("visible", 0);
    EXPECT_TRUE(w.geometry_use("mesh"));
    w.set_parameter_float("w", 0.5f);
    w.geometry_end();
    w.object_end();
    w.set_parameter_int("after", 2);
    EXPECT_TRUE(w.animation_begin("anim", "Position . X"));
    w.set_parameter_int("start_time", 0);
    w.animation_end();
    EXPECT_TRUE(w.material_begin("m", true));
    w.material_end();
    w.group_end();
    EXPECT_TRUE(w.group_begin("def", false));
    w.group_end();
    EXPECT_TRUE(w.object_begin("o", false));
    w.object_end();
    w.set_parameter_int("quoted", 4);
    EXPECT_TRUE(w.module_begin("mod.so"));
    w.set_parameter_int("k", 3);
    w.module_end();
    w.set_attribute("source file", "v");
  });
  EXPECT_TRUE(sameBytes(out,
                        "\ngroup \"root\" {\n"
                        "n 1\n"
                        "object \"obj\" {\n"
                        "visible off\n"
                        "geometry \"mesh\" {\n"
                        "\"w\" 0.5,\n"
                        "}\n"
                        "}\n"
                        "after 2\n"
                        "animation \"anim\" \"Position . X\" {\n\"start_time\" 0,\n}\n"
                        "material \"m\" {\n}\n"
                        "}\n"
                        "\n#define group \"def\" {\n}\n"
                        "#define object \"o\" {\n}\n\"quoted\" 4,\n"
                        "load \"mod.so\" {\n"
                        "\"k\" 3,\n"
                        "}\n"
                        "attribute \"source file\" \"v\"\n"));
}

TEST(WriterStatements, SimpleStatements) {
  std::string out = writeToMemory([](zelScene_api_file& w) {
    w.set_version(-1);
    w.set_progress("half", 0.5f);
    w.set_id(-1);
    w.set_flags(16);
    zelMatrix m;
    m.make_identity();
    m.m[12] = 2.5;
    w.transform(m);
    w.transform_set(m);
    EXPECT_TRUE(w.render());
    w.add_comment("// 100% sure %s %d\n");  // texts are never used as formats
    w.print("50% done %n");
    w.error("bad %s");
  });
  EXPECT_TRUE(sameBytes(out,
                        "version 8\n\n"
                        "progress \"half\" 0.500\n\n"
                        "id 4294967295\n"
                        "flags 16\n"
                        "transform 1 0 0 0 0 1 0 0 0 0 1 0 2.5 0 0 1\n"
                        "set transform 1 0 0 0 0 1 0 0 0 0 1 0 2.5 0 0 1\n"
                        "\nrender\n"
                        "// 100% sure %s %d\n"
                        "#print \"50% done %n\"\n"
                        "#error \"bad %s\"\n"));
}

// A texture shader captured, then used inside the surface shader that a material takes.
TEST(WriterShaders, CapturedShadersNestInsideMaterials) {
  std::string out = writeToMemory([](zelScene_api_file& w) {
    w.group_begin("g", true);
    EXPECT_TRUE(w.shader_begin(nullptr, "texture2_rgb"));
    w.set_parameter("texture", TYPE_STRING, "wood.png");
    w.shader_end();
    zelShader* texture = w.shader_get();
    EXPECT_TRUE(w.shader_begin(nullptr, "zel_advanced"));
    w.set_parameter_bool("fresnel", 1);
    w.set_subshader("diffuse", texture);
    w.shader_end();
    zelShader* surface = w.shader_get();
    w.set_parameter_int("bare", 1);
    w.material_begin("m", true);
    w.material_set_shader(SHADER_SURFACE, surface);
    w.material_end();
    w.group_end();
  });
  EXPECT_TRUE(sameBytes(out,
                        "\ngroup \"g\" {\n"
                        "bare 1\n"
                        "material \"m\" {\n"
                        "surface \"zel_advanced\" {\n"
                        "\"fresnel\" on,\n"
                        "\"diffuse\" ! \"texture2_rgb\" {\n\"texture\" \"wood.png\",\n},\n"
                        "}\n"
                        "}\n"
                        "}\n"));
}

// The forms the export does not write, one each: blocks, numbered shaders, refused camera,
// options and image blocks, and element-by-element array mode.
TEST(WriterStatements, OtherFormsOnce) {
  std::string out = writeToMemory([](zelScene_api_file& w) {
    EXPECT_TRUE(w.light_begin("lamp"));
    w.light_end();
    EXPECT_TRUE(w.matrix_begin("mx"));
    w.matrix_end();
    EXPECT_TRUE(w.accel_use("bvh"));
    w.accel_end();
    EXPECT_TRUE(w.shader_begin("zel_diffuse", 2));
    w.set_subshader("texture", 1);
    w.shader_end();
    EXPECT_TRUE(w.material_use("m"));
    w.material_set_shader(SHADER_REFLECTION_MAP, 5);
    EXPECT_TRUE(w.object_begin("o", true));
    EXPECT_FALSE(w.camera_begin("c"));
    w.object_end();
    EXPECT_TRUE(w.options_begin());
    EXPECT_FALSE(w.image_begin());
    w.options_end();
    EXPECT_TRUE(w.initialize_array_mode("pts"));
    for (float f = 1; f <= 7; ++f) w.set_array_parameter(TYPE_FLOAT, &f);
    w.finalize_array_mode();
    EXPECT_TRUE(w.output_begin("a", "b", "c"));
    w.output_end();
  });
  EXPECT_TRUE(sameBytes(out,
                        "\nlight \"lamp\" {\n}\n#define matrix \"mx\" {\n}\n\naccel \"bvh\" {\n}\n"
                        "#define shader 2 zel_diffuse {\n\"texture\" ! 1,\n}\n"
                        "material \"m\"\nreflection map 5\n"
                        "object \"o\" {\n}\n\noptions {\n}\n"
                        "\"pts\" [\n1, 2, 3, 4, 5, 6,\n7 ],\n"
                        "output \"a\" \"b\" \"c\" {\n}\n"));
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
}

TEST(WriterNullInput, NullNamesAndStringsAreEmptyTokens) {
  std::string out = writeToMemory([](zelScene_api_file& w) {
    w.group_begin(nullptr, true);
    w.set_parameter(nullptr, TYPE_INT, nullptr);  // bare style, no value
    w.group_end();
    w.set_parameter(nullptr, TYPE_STRING, nullptr);
    w.set_attribute(nullptr, nullptr);
    w.add_comment(nullptr);
    w.print(nullptr);
    w.set_subshader("s", static_cast<zelShader*>(nullptr));
  });
  EXPECT_TRUE(sameBytes(
      out, "\ngroup \"\" {\n \n}\n\"\" \"\",\nattribute \"\" \"\"\n#print \"\"\n\"s\" ! ,\n"));
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
  });
  EXPECT_TRUE(sameBytes(out, "\"f\" 0.5,\n\"d\" 1.2500000000000000,\nprogress \"p\" 0.250\n\n"));
  EXPECT_EQ(std::string(std::setlocale(LC_NUMERIC, nullptr)), active);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%g", 0.5);
  EXPECT_STREQ(buf, "0,5");
  std::setlocale(LC_NUMERIC, before.c_str());
}

// A link factory that gives no scene API: the wrapper starts nothing and writes nothing.
TEST(SceneWrapper, WithoutSceneApiStaysEmpty) {
  struct NoApi : zel::LightFactory {
    zelScene_api* getApi() override { return nullptr; }
    void init(zel::zelSceneapi_oo*) override { ++inits; }
    bool shutdown() override { return true; }
    std::string const& message() const override { return message_; }
    int inits = 0;
    std::string message_;
  } factory;
  zel::zelSceneapi_oo oo(&factory);
  EXPECT_EQ(oo.get_scene_api(), nullptr);
  EXPECT_EQ(factory.inits, 0);
  EXPECT_FALSE(oo.set_parameter("x", 1));
  EXPECT_FALSE(oo.begin_group("g"));
  EXPECT_EQ(oo.shaderBegin("t"), 1);
  oo.insertNode(zel::DefaultRTModule());
  oo.insertNode(zel::LightCamera("c"));
}

}  // namespace
