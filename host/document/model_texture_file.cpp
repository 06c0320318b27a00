// Textures embedded in a model become image files that the plug-in and the renderer read.
#include "model_import.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace c4ddoc::model {
namespace {

// Names tried before giving up: "<name>.<type>", "<name>-2.<type>", ...
constexpr int kMaxNames = 1000;
// Longest base name, in bytes.
constexpr std::size_t kMaxBaseName = 100;

struct Image {
  std::string bytes;
  std::string type;  // the file name extension
};

bool startsWith(const std::string& bytes, const char* magic, std::size_t size) {
  return bytes.size() >= size && bytes.compare(0, size, magic, size) == 0;
}

// The type of a compressed image: from its first bytes, else from the library's hint.
std::string imageType(const std::string& bytes, const char* hint) {
  if (startsWith(bytes, "\x89PNG\r\n\x1a\n", 8)) return "png";
  if (startsWith(bytes, "\xff\xd8\xff", 3)) return "jpg";
  std::string type;
  for (const char* c = hint; *c != '\0'; ++c) {
    if (!std::isalnum(static_cast<unsigned char>(*c))) return "bin";
    type += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
  }
  return type.empty() ? "bin" : type;
}

// Uncompressed texels as a 32-bit TGA file, top row first.
Image tgaImage(const aiTexture& texture) {
  Image image;
  image.type = "tga";
  const unsigned char header[18] = {0,
                                    0,
                                    2,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0,
                                    static_cast<unsigned char>(texture.mWidth & 0xff),
                                    static_cast<unsigned char>(texture.mWidth >> 8),
                                    static_cast<unsigned char>(texture.mHeight & 0xff),
                                    static_cast<unsigned char>(texture.mHeight >> 8),
                                    32,
                                    0x28};
  image.bytes.assign(reinterpret_cast<const char*>(header), sizeof header);
  const std::size_t count = std::size_t(texture.mWidth) * texture.mHeight;
  for (std::size_t i = 0; i < count; ++i) {
    const aiTexel& t = texture.pcData[i];
    image.bytes.append({static_cast<char>(t.b), static_cast<char>(t.g), static_cast<char>(t.r),
                        static_cast<char>(t.a)});
  }
  return image;
}

// A material name as a file name: no folder separators, control or shell-special
// characters, no leading dot, at most kMaxBaseName bytes (not cutting a UTF-8 character).
std::string fileSafe(const std::string& name) {
  std::string safe;
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    safe += u < 0x20 || u == 0x7f || std::strchr("/\\:*?\"<>|", c) != nullptr ? '_' : c;
  }
  safe.erase(0, safe.find_first_not_of(". "));
  if (safe.size() > kMaxBaseName) {
    std::size_t cut = kMaxBaseName;
    while (cut > 0 && (static_cast<unsigned char>(safe[cut]) & 0xc0) == 0x80) --cut;
    safe.resize(cut);
  }
  return safe.empty() ? std::string("texture") : safe;
}

bool holdsBytes(const std::string& path, const std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const std::string existing((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  return !in.bad() && existing == bytes;
}

// A temporary file in the target folder, removed unless it was given its final name.
class TempFile {
 public:
  explicit TempFile(std::string path) : path_(std::move(path)) {}
  ~TempFile() { unlink(path_.c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The reason of the last failed system call, for "<what> <path>: <reason>".
std::string failure(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

}  // namespace

std::string writeTextureFile(const aiTexture& texture, const std::string& folder,
                             const std::string& baseName, const std::string& place,
                             ImportNotes& notes) {
  Image image;
  if (texture.mHeight == 0) {
    image.bytes.assign(reinterpret_cast<const char*>(texture.pcData), texture.mWidth);
    image.type = imageType(image.bytes, texture.achFormatHint);
  } else {
    image = tgaImage(texture);
  }
  const std::string stem = fileSafe(baseName);
  const auto fail = [&](const std::string& message) {
    return DocumentError(notes.source, place, message);
  };

  // Written whole and synced under a temporary name, then linked to its final name, which
  // fails rather than replace a file that is already there.
  std::string pattern = folder + "/." + stem + ".XXXXXX";
  const int fd = mkstemp(pattern.data());
  if (fd < 0) throw fail(failure("cannot write a texture file into", folder));
  TempFile temp(pattern);
  bool written = fchmod(fd, 0644) == 0;
  for (std::size_t done = 0; written && done < image.bytes.size();) {
    const ssize_t n = write(fd, image.bytes.data() + done, image.bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    written = n > 0;
    done += n > 0 ? static_cast<std::size_t>(n) : 0;
  }
  written = written && fsync(fd) == 0;
  if (close(fd) != 0 || !written) throw fail(failure("cannot write the texture file", temp.path()));

  for (int n = 1; n <= kMaxNames; ++n) {
    const std::string path =
        folder + "/" + stem + (n == 1 ? "" : "-" + std::to_string(n)) + "." + image.type;
    if (link(temp.path().c_str(), path.c_str()) == 0) {
      notes.messages.push_back(
          place + ": the embedded texture was written to " + path +
          (n == 1 ? std::string() : " (the name " + stem + "." + image.type + " is taken)"));
      return path;
    }
    if (errno != EEXIST) throw fail(failure("cannot write the texture file", path));
    if (holdsBytes(path, image.bytes)) {
      notes.messages.push_back(place + ": the embedded texture is " + path +
                               ", which already holds the same image");
      return path;
    }
  }
  throw fail("no free name for the texture file in " + folder + " (tried " + stem + "." +
             image.type + " to " + stem + "-" + std::to_string(kMaxNames) + "." + image.type + ")");
}

}  // namespace c4ddoc::model
