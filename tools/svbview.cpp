// svbview: draws a .svb scene file as a PNG picture.
#include "command_line.h"
#include "scene_file.h"
#include "svb_preview.h"
#include "svb_reader.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: svbview SCENE -o PICTURE.png [--size WxH] [--time SECONDS]\n"
    "       svbview --help | --version\n"
    "Draws the .svb scene SCENE (\"-\" reads standard input) as a PNG picture:\n"
    "the scene's triangles lit by its lights (a headlight without lights), in\n"
    "their materials' colours and textures, hair as thin lines, seen through\n"
    "the scene's camera at the given time (or framed from the front without a\n"
    "camera). Relative texture paths start at the scene's folder; a texture\n"
    "that cannot be read is drawn as a checker and reported.\n"
    "  -o PICTURE.png   the picture to write (\"-\": standard output)\n"
    "  --size WxH       its size in pixels (default 640x480)\n"
    "  --time SECONDS   the time of the camera's animation (default 0)\n"
    "Exits with status 1 and the offset of the first error when the scene is\n"
    "malformed or cannot be read, writing no picture; 2 on a usage mistake.\n"
    "\"--opt=value\" is the same as \"--opt value\"; \"--\" ends the options.\n";

struct Arguments {
  std::string scene;
  std::string picture;
  svb_preview::Options options;
};

bool parseSize(const std::string& text, int& width, int& height) {
  char* end = nullptr;
  const long w = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || (*end != 'x' && *end != 'X')) return false;
  const char* second = end + 1;
  const long h = std::strtol(second, &end, 10);
  if (end == second || *end != '\0') return false;
  if (w < 1 || h < 1 || w > svb_preview::kMaxSide || h > svb_preview::kMaxSide) return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

bool parseTime(const std::string& text, double& time) {
  char* end = nullptr;
  time = std::strtod(text.c_str(), &end);
  return end != text.c_str() && *end == '\0' && std::isfinite(time);
}

// -1 when the arguments are usable, otherwise the exit status (after the message).
int parseArguments(int argc, char** argv, Arguments& args) {
  solvane_cli::CommandLine commandLine("svbview", kUsage);
  std::vector<std::string> scenes;
  std::string size;
  std::string time;
  commandLine.values("SCENE", scenes);
  commandLine.option("-o", args.picture);
  commandLine.option("--size", size);
  commandLine.option("--time", time);
  return commandLine.parse(argc, argv, [&] {
    using solvane_cli::UsageError;
    if (!size.empty() && !parseSize(size, args.options.width, args.options.height))
      throw UsageError{"--size takes WxH, each 1 to " + std::to_string(svb_preview::kMaxSide) +
                       ", not \"" + size + "\""};
    if (!time.empty() && !parseTime(time, args.options.time))
      throw UsageError{"--time takes a number of seconds, not \"" + time + "\""};
    if (scenes.size() > 1)
      throw UsageError{"expected one SCENE, found \"" + scenes[0] + "\" and \"" + scenes[1] + "\""};
    if (scenes.empty()) throw UsageError{"expected a SCENE argument"};
    if (args.picture.empty()) throw UsageError{"expected -o PICTURE.png"};
    args.scene = scenes[0];
  });
}

bool writeToStandardOutput(const svb_preview::Image& image, std::string& error) {
  std::vector<std::uint8_t> png;
  if (!svb_preview::encodePng(image, png, error)) return false;
  if (std::fwrite(png.data(), 1, png.size(), stdout) != png.size() || std::fflush(stdout) != 0) {
    error = std::string("cannot write to standard output: ") + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments args;
  if (const int status = parseArguments(argc, argv, args); status >= 0) return status;

  const bool fromStdin = args.scene == "-";
  const std::string shown = svb_tools::shownName(args.scene);
  std::string bytes;
  if (!svb_tools::readSceneFile("svbview", args.scene, bytes)) return 1;

  svb::Scene scene;
  try {
    scene = svb::parse(bytes);
  } catch (const svb::ParseError& e) {
    std::fprintf(stderr, "svbview: %s: %s\n", shown.c_str(), e.what());
    return 1;
  }

  if (!fromStdin) args.options.textureFolder = svb_preview::folderOf(args.scene);
  std::vector<std::string> notes;
  svb_preview::Image image;
  try {
    image = svb_preview::draw(scene, args.options, notes);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "svbview: %s: not enough memory to draw %dx%d\n", shown.c_str(),
                 args.options.width, args.options.height);
    return 1;
  }
  for (const std::string& note : notes)
    std::fprintf(stderr, "svbview: %s: %s\n", shown.c_str(), note.c_str());
  std::string error;
  const bool written = args.picture == "-" ? writeToStandardOutput(image, error)
                                           : svb_preview::writePng(image, args.picture, error);
  if (!written) {
    std::fprintf(stderr, "svbview: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
