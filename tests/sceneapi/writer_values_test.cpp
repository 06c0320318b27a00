// Scalar value forms and string tokens of the text scene writer, as the plug-in uses them.
#include "scene_bytes.h"

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

using scenetest::sameBytes;
using scenetest::writeToMemory;

namespace {

TEST(WriterValues, EveryScalarForm) {
  std::string out = writeToMemory([](zelScene_api_file& w) {
    zelColor c(1.0f, 0.5f, 0.25f);
    w.set_parameter("color", TYPE_COLOR, &c);
    float f4[4] = {1, 2, 3, 4.5f};
    w.set_parameter("f4alt", TYPE_FLOAT4_ALT, f4);
    w.set_parameter("f2", TYPE_FLOAT2, f4);
    double d = 0.5;
    w.set_parameter("double", TYPE_DOUBLE, &d);
    zelVector v{1.0, -2.0, 0.25};
    w.set_parameter("vector", TYPE_VECTOR, &v);
    int i = -7;
    w.set_parameter("int", TYPE_INT, &i);
    int yes = 2, no = 0;
    w.set_parameter("yes", TYPE_BOOL, &yes);
    w.set_parameter("no", TYPE_BOOL, &no);
    zelMatrix m;
    m.make_identity();
    m.m[3] = 1e39;  // beyond float range: rounding to single precision makes it inf
    m.m[12] = -0.5;
    w.set_parameter("matrix", TYPE_MATRIX, &m);
    w.set_parameter("string", TYPE_STRING, "text");
    // Floats outside the open finite range (and NaN) are written as -1; doubles are not.
    const float inf = std::numeric_limits<float>::infinity();
    for (float f : {1.5f, inf, -inf, std::nanf(""), FLT_MAX, -FLT_MAX,
                    std::nextafter(FLT_MAX, 0.0f), -3.0e38f})
      w.set_parameter_float("f", f);
    double dinf = std::numeric_limits<double>::infinity();
    w.set_parameter("d", TYPE_DOUBLE, &dinf);
  });
  EXPECT_TRUE(sameBytes(out,
                        "\"color\" 1 0.5 0.25,\n"
                        "\"f4alt\" 1 2 3 4.5,\n"
                        "\"f2\" 1 2,\n"
                        "\"double\" 0.5000000000000000,\n"
                        "\"vector\" 1 -2 0.25,\n"
                        "\"int\" -7,\n"
                        "\"yes\" on,\n"
                        "\"no\" off,\n"
                        "\"matrix\" 1 0 0 inf 0 1 0 0 0 0 1 0 -0.5 0 0 1,\n"
                        "\"string\" \"text\",\n"
                        "\"f\" 1.5,\n"
                        "\"f\" -1,\n"
                        "\"f\" -1,\n"
                        "\"f\" -1,\n"
                        "\"f\" -1,\n"
                        "\"f\" -1,\n"
                        "\"f\" 3.40282e+38,\n"
                        "\"f\" -3e+38,\n"
                        "\"d\"              inf,\n"));
}

TEST(WriterValues, StringTokensNeedingHexForm) {
  const std::string wide(300, '\xff');  // longer than one hex chunk
  std::string out = writeToMemory([&](zelScene_api_file& w) {
    w.set_parameter_int("a\n", 1);
    w.set_parameter_int("say \"hi\"", 2);
    w.set_parameter_int("\r", 3);
    w.set_parameter_int("caf\xc3\xa9", 4);
    w.set_parameter_int("", 5);
    w.set_parameter_int("it's fine {}", 6);
    w.set_parameter("s", TYPE_STRING, "two\nlines");
    w.group_begin("\x7f\x80", true);
    w.group_end();
    w.set_parameter_int(wide.c_str(), 7);
  });
  std::string ff;
  for (int k = 0; k < 300; ++k) ff += "ff";
  EXPECT_TRUE(sameBytes(out,
                        "xX610a 1,\n"
                        "xX7361792022686922 2,\n"
                        "xX0d 3,\n"
                        "xX636166c3a9 4,\n"
                        "\"\" 5,\n"
                        "\"it's fine {}\" 6,\n"
                        "\"s\" xX74776f0a6c696e6573,\n"
                        "\ngroup xX7f80 {\n"
                        "}\n"
                        "xX" +
                            ff + " 7,\n"));
}

}  // namespace
