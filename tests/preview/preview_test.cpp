// The preview renderer on scenes small enough to work out by hand: where a
// triangle lands through the camera, which of two surfaces is nearer, how a
// texture is placed, how a scene without a camera is framed, and the picture
// the renderer writes beside a stored scene.
#include "svb_preview.h"
#include "svb_reader.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

using Pixel = std::pair<int, int>;

// A camera at the origin looking down -z; 90 degrees across a square picture puts
// a point (x, y, z) at pixel (50 + 50 x / -z, 50 - 50 y / -z) of 100 x 100.
const std::string kCamera =
    "camera \"Camera\" {\nfov 90\nposition 0 0 0\ndirection 0 0 -1\nup 0 1 0\n}\n";

std::string object(const std::string& name, const std::string& vertices,
                   const std::string& triangles, const std::string& color) {
  return "object \"" + name + "\" {\ngeometry \"triangles\" {\n\"vertices\" [ " + vertices +
         " ] ,\n\"triangles\" [ " + triangles + " ] ,\n}\nmaterial \"" + name +
         "\" {\nsurface \"zel_diffuse\" {\n\"diffuse\" " + color + ",\n}\n}\n}\n";
}

std::string group(const std::string& body) { return "group \"root\" {\n" + body + "}\n"; }

svb_preview::Image draw(const std::string& text, svb_preview::Options options = {},
                        std::vector<std::string>* notes = nullptr) {
  options.width = options.width == svb_preview::kDefaultWidth ? 100 : options.width;
  options.height = options.height == svb_preview::kDefaultHeight ? 100 : options.height;
  std::vector<std::string> drawn;
  svb_preview::Image image = svb_preview::draw(svb::parse(text), options, drawn);
  if (notes) *notes = drawn;
  return image;
}

bool isBackground(const svb_preview::Image& image, Pixel p) {
  const std::uint8_t* c = image.pixel(p.first, p.second);
  return c[0] == svb_preview::kBackground[0] && c[1] == svb_preview::kBackground[1] &&
         c[2] == svb_preview::kBackground[2];
}

// Lit, so at least the ambient fifth of the colour; channels the colour lacks stay 0.
bool shows(const svb_preview::Image& image, Pixel p, bool r, bool g, bool b) {
  const std::uint8_t* c = image.pixel(p.first, p.second);
  return (r ? c[0] >= 51 : c[0] == 0) && (g ? c[1] >= 51 : c[1] == 0) &&
         (b ? c[2] >= 51 : c[2] == 0);
}

std::string describe(const svb_preview::Image& image, Pixel p) {
  const std::uint8_t* c = image.pixel(p.first, p.second);
  return "pixel (" + std::to_string(p.first) + ", " + std::to_string(p.second) + ") is " +
         std::to_string(c[0]) + " " + std::to_string(c[1]) + " " + std::to_string(c[2]);
}

const std::string kTriangle = "-1 -1 -2, 1 -1 -2, 0 1 -2";  // base row 75, apex (50, 25)

// The camera moves 4 along +z over one second; at 1 s the triangle is 6 away.
const std::string kCameraMove =
    "animation \"fbx_animation\" \"\" {\n\"start_time\" 0,\n\"folder\" \"Camera/Camera "
    "Position\",\n\"matrices\" [ 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 ,\n"
    "1 0 0 0 0 1 0 0 0 0 1 0 0 0 4 1 ] ,\n\"timestamps\" [ 0, 1000 ] ,\n}\n";

struct Projection {
  const char* name;
  std::string scene;
  double time;
  std::vector<Pixel> red;
  std::vector<Pixel> background;
};

// Where a triangle lands through the camera (also its animated place) and through the group
// transforms above it: each group's transform applies after its children's (points are row
// vectors).
TEST(PreviewProjection, RedWhereTheTriangleProjectsAndBackgroundElsewhere) {
  const std::string flat = object("T", "-1 -1 0, 1 -1 0, 0 1 0", "0 1 2", "1 0 0");
  const Projection cases[] = {
      {"in front",
       kCamera + group(object("T", kTriangle, "0 1 2", "1 0 0")),
       0.0,
       {{50, 50}, {30, 73}, {70, 73}, {50, 27}},
       {{10, 10}, {50, 20}, {30, 40}, {50, 80}, {99, 99}}},
      {"behind",
       kCamera + group(object("T", "-1 -1 2, 1 -1 2, 0 1 2", "0 1 2", "1 0 0")),
       0.0,
       {},
       {{50, 50}, {30, 73}, {50, 27}, {50, 80}}},
      // Rays 0.1 or more below the view axis meet the floor in front within 10.
      {"a floor reaching behind the camera",
       kCamera + group(object("F", "-10 -1 -10, 10 -1 -10, 10 -1 10, -10 -1 10", "0 1 2, 0 2 3",
                              "1 0 0")),
       0.0,
       {{50, 90}, {5, 95}, {95, 60}, {50, 56}},
       {{50, 20}, {50, 45}, {5, 5}, {50, 53}}},
      {"seen from the camera's animated place",
       kCamera + kCameraMove + group(object("T", kTriangle, "0 1 2", "1 0 0")),
       1.0,
       {{50, 50}, {45, 57}},
       {{30, 73}, {50, 40}, {50, 60}}},
      // Moved 2 along z, then mirrored in z by the root: 2 in front of the camera.
      {"an inner offset inside the mirroring root",
       kCamera + "group \"root\" {\ntransform 1 0 0 0 0 1 0 0 0 0 -1 0 0 0 0 1\n" +
           "group \"inner\" {\ntransform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 2 1\n" + flat + "}\n}\n",
       0.0,
       {{50, 50}, {30, 73}, {70, 73}},
       {{10, 10}, {50, 20}, {50, 80}}},
      // A quarter turn about z (x axis to +y) after the move: the apex points left.
      {"a quarter turn around an offset",
       kCamera + "group \"turn\" {\ntransform 0 1 0 0 -1 0 0 0 0 0 1 0 0 0 0 1\n" +
           "group \"away\" {\ntransform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 -2 1\n" + flat + "}\n}\n",
       0.0,
       {{60, 50}, {72, 30}, {72, 70}},
       {{30, 30}, {30, 70}, {80, 50}}},
  };
  for (const Projection& c : cases) {
    SCOPED_TRACE(c.name);
    svb_preview::Options options;
    options.time = c.time;
    const svb_preview::Image image = draw(c.scene, options);
    for (Pixel p : c.red) EXPECT_TRUE(shows(image, p, true, false, false)) << describe(image, p);
    for (Pixel p : c.background) EXPECT_TRUE(isBackground(image, p)) << describe(image, p);
  }
}

TEST(PreviewDepth, TheNearerOfTwoOverlappingSurfacesShowsInEitherOrder) {
  const std::string red = object("Near", kTriangle, "0 1 2", "1 0 0");
  const std::string blue =
      object("Far", "-4 -4 -4, 4 -4 -4, 4 4 -4, -4 4 -4", "0 1 2, 0 2 3", "0 0 1");
  for (const std::string& body : {red + blue, blue + red}) {
    const svb_preview::Image image = draw(kCamera + group(body));
    EXPECT_TRUE(shows(image, {50, 50}, true, false, false)) << describe(image, {50, 50});
    EXPECT_TRUE(shows(image, {10, 10}, false, false, true)) << describe(image, {10, 10});
  }
}

// A white wall filling the view 2 away, lit by one light mesh 1 to the left and 0.5
// in front of it: ambient 0.2 plus 0.8 times the light's colour and its cosine.
TEST(PreviewLighting, LightMeshesLightFromTheirCentresInTheirColour) {
  const std::string wall =
      object("Wall", "-2 -2 -2, 2 -2 -2, 2 2 -2, -2 2 -2", "0 1 2, 0 2 3", "1 1 1");
  auto light = [](const std::string& surface, const std::string& extra = "") {
    return "object \"Lamp\" {\ngeometry \"triangles\" {\n\"vertices\" [ -1 -0.1 -1.5, "
           "-0.9 0 -1.5, -1 0 -1.4, -1.1 0 -1.5, -1 0 -1.6, -1 0.1 -1.5 ] ,\n"
           "\"triangles\" [ 2 1 0, 1 2 5, 3 2 0, 2 3 5, 4 3 0, 3 4 5, 1 4 0, 4 1 5 ] ,\n}\n"
           "material \"Lamp\" {\nsurface \"" +
           surface + "\" {\n\"power\" 100,\n\"color\" 1 0.5 0.25,\n" + extra + "}\n}\n}\n";
  };
  struct Case {
    const char* name;
    std::string scene;
    Pixel pixel;
    int rgb[3];
  };
  const Case cases[] = {
      // Cosine 0.5 / |(-1.02, 0.02, 0.5)| = 0.4401 at the pixel's centre.
      {"the wall in the middle",
       kCamera + group(wall + light("zel_point_light")),
       {50, 50},
       {141, 96, 73}},
      {"the lamp itself, unlit",
       kCamera + group(wall + light("zel_point_light")),
       {16, 50},
       {255, 128, 64}},
      // Hidden from the eye, the lamp shows the wall behind it: cosine 0.8246.
      {"behind a hidden lamp",
       kCamera + group(wall + light("zel_mesh_light", "\"visible to the eye\" off,\n")),
       {16, 50},
       {220, 135, 93}},
      // Without lights a headlight at the eye: cosine 0.9999 in the middle.
      {"a headlight", kCamera + group(wall), {50, 50}, {255, 255, 255}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const svb_preview::Image image = draw(c.scene);
    const std::uint8_t* got = image.pixel(c.pixel.first, c.pixel.second);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(got[k], c.rgb[k], 1) << describe(image, c.pixel);
  }
}

// Content the preview cannot use is left out and named; the rest is still drawn.
TEST(PreviewNotes, UnusableContentIsNamedAndTheRestDrawn) {
  struct Case {
    const char* name;
    std::string body;
    std::string note;
  };
  auto geometry = [](const std::string& kind, const std::string& arrays) {
    return "object \"o\" {\ngeometry \"" + kind + "\" {\n" + arrays +
           "}\nmaterial \"m\" {\nsurface \"zel_diffuse\" {\n\"diffuse\" 1 0 0,\n}\n}\n}\n";
  };
  const std::string vertices = "\"vertices\" [ " + kTriangle + " ] ,\n";
  const Case cases[] = {
      {"an index past the vertices",
       geometry("triangles", vertices + "\"triangles\" [ 0 1 2, 0 1 3 ] ,\n"),
       "\"o\": triangles referring to missing vertices left out: 1"},
      {"normals for fewer corners",
       geometry("triangles", vertices + "\"normals\" [ 0 0 1 ] ,\n\"triangles_norm\" [ 0 0 ] ,\n" +
                                 "\"triangles\" [ 0 1 2 ] ,\n"),
       "\"o\": normals left out (triangles_norm does not fit the triangles)"},
      {"a strand longer than its points",
       geometry("zel_bezier_curves", "\"p\" [ 0 -1 -2, 0 1 -2 ] ,\n\"nvertices\" [ 2, 3 ] ,\n") +
           object("T", kTriangle, "0 1 2", "1 0 0"),
       "\"o\": strands running past the end of the points left out: 1"},
      {"an unknown geometry", geometry("sphere", "") + object("T", kTriangle, "0 1 2", "1 0 0"),
       "\"o\": geometry \"sphere\" is not drawn"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> notes;
    const svb_preview::Image image = draw(kCamera + group(c.body), {}, &notes);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0], c.note);
    EXPECT_TRUE(shows(image, {45, 60}, true, false, false)) << describe(image, {45, 60});
  }
}

class PreviewFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ::testing::TempDir() + "preview_test_" + std::to_string(getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_EQ(std::system(("mkdir -p '" + dir_ + "'").c_str()), 0);
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }
  std::string dir_;
};

// A quad filling the picture, uv (0, 0) at its top-left corner, textured with `file`.
std::string texturedQuad(const std::string& file) {
  return kCamera +
         group(
             "object \"Quad\" {\ngeometry \"triangles\" {\n"
             "\"vertices\" [ -1 1 -1, 1 1 -1, 1 -1 -1, -1 -1 -1 ] ,\n"
             "\"uv_tex\" [ 0 0, 1 0, 1 1, 0 1 ] ,\n\"triangles_uv\" [ 0 1 2, 0 2 3 ] ,\n"
             "\"triangles\" [ 0 1 2, 0 2 3 ] ,\n}\nmaterial \"Textured\" {\n"
             "surface \"zel_advanced\" {\n\"diffuse\" 1 1 1,\n\"diffuse\" ! \"texture2_rgb\" {\n"
             "\"texture\" \"" +
             file + "\",\n},\n}\n}\n}\n");
}

TEST_F(PreviewFiles, TextureCornersAtThePictureCornersAndACheckerWhenMissing) {
  svb_preview::Image texture;
  texture.width = texture.height = 2;
  texture.rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
  std::string error;
  ASSERT_TRUE(svb_preview::writePng(texture, dir_ + "/tex.png", error)) << error;

  svb_preview::Options options;
  options.textureFolder = dir_;
  std::vector<std::string> notes;
  svb_preview::Image image = draw(texturedQuad("tex.png"), options, &notes);
  EXPECT_TRUE(notes.empty()) << notes[0];
  EXPECT_TRUE(shows(image, {0, 0}, true, false, false)) << describe(image, {0, 0});
  EXPECT_TRUE(shows(image, {99, 0}, false, true, false)) << describe(image, {99, 0});
  EXPECT_TRUE(shows(image, {0, 99}, false, false, true)) << describe(image, {0, 99});
  EXPECT_TRUE(shows(image, {99, 99}, true, true, true)) << describe(image, {99, 99});

  // Magenta in the top-left square of the checker, grey beside it.
  image = draw(texturedQuad("missing.png"), options, &notes);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].rfind("texture \"" + dir_ + "/missing.png\" cannot be read (", 0), 0u)
      << notes[0];
  EXPECT_TRUE(shows(image, {0, 0}, true, false, true)) << describe(image, {0, 0});
  EXPECT_TRUE(shows(image, {18, 0}, true, true, true)) << describe(image, {18, 0});
}

TEST(PreviewFraming, WithoutACameraTheBoundsFillTheViewFromTheFront) {
  // A 2 x 2 square far from the origin, facing +z. The framing camera sees its
  // bounding sphere (radius sqrt 2) under 45 degrees from 3.6955 away, so the square
  // spans pixels 17.3 to 82.7 both ways.
  const std::string square =
      object("S", "9 4 -3, 11 4 -3, 11 6 -3, 9 6 -3", "0 1 2, 0 2 3", "0 1 0");
  const svb_preview::Image image = draw(group(square));
  for (Pixel p : {Pixel{18, 18}, Pixel{82, 18}, Pixel{18, 82}, Pixel{82, 82}, Pixel{50, 50}})
    EXPECT_TRUE(shows(image, p, false, true, false)) << describe(image, p);
  for (Pixel p : {Pixel{16, 50}, Pixel{83, 50}, Pixel{50, 16}, Pixel{50, 83}})
    EXPECT_TRUE(isBackground(image, p)) << describe(image, p);
}

TEST_F(PreviewFiles, TheRendererPictureLandsBesideTheScene) {
  const svb::Scene scene = svb::parse(kCamera + group(object("T", kTriangle, "0 1 2", "1 0 0")));
  std::string error;
  ASSERT_TRUE(svb_preview::writePreviewBeside(scene, dir_ + "/scene-7-1.svb", error)) << error;
  int width = 0, height = 0, channels = 0;
  stbi_uc* pixels = stbi_load((dir_ + "/scene-7-1.png").c_str(), &width, &height, &channels, 3);
  ASSERT_NE(pixels, nullptr);
  stbi_image_free(pixels);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480);

  EXPECT_FALSE(svb_preview::writePreviewBeside(scene, dir_ + "/gone/scene.svb", error));
  EXPECT_EQ(error.rfind(dir_ + "/gone/scene.png: cannot create a temporary file in " + dir_ +
                            "/gone: No such file or directory",
                        0),
            0u)
      << error;
  // Only the picture is left: no temporary file stays behind.
  EXPECT_EQ(std::system(("test $(ls -A '" + dir_ + "' | wc -l) -eq 1").c_str()), 0);
}

}  // namespace
