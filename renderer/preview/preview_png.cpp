// PNG encoding with stb_image_write and the atomic file write.
#include "svb_preview.h"

#include <stb_image_write.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace svb_preview {

namespace {

void append(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(context);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool encodePng(const Image& image, std::vector<std::uint8_t>& png, std::string& error) {
  png.clear();
  if (image.width <= 0 || image.height <= 0 ||
      image.rgb.size() != 3 * static_cast<std::size_t>(image.width) * image.height) {
    error = "the picture has no pixels to encode";
    return false;
  }
  if (stbi_write_png_to_func(append, &png, image.width, image.height, 3, image.rgb.data(),
                             3 * image.width) == 0) {
    error = "PNG encoding failed";
    return false;
  }
  return true;
}

bool writePng(const Image& image, const std::string& path, std::string& error) {
  std::vector<std::uint8_t> png;
  if (!encodePng(image, png, error)) {
    error = path + ": " + error;
    return false;
  }
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkstemp(&temporary[0]);
  if (fd < 0) {
    const std::string folder = folderOf(path);
    error = path + ": cannot create a temporary file in " + (folder.empty() ? "." : folder) + ": " +
            std::strerror(errno);
    return false;
  }
  // mkstemp makes the file private; a picture is for everyone to look at.
  int failure = 0;
  if (::fchmod(fd, 0644) != 0 || !writeAll(fd, png.data(), png.size()) || ::fsync(fd) != 0)
    failure = errno;
  if (::close(fd) != 0 && failure == 0) failure = errno;
  if (failure == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) failure = errno;
  if (failure == 0) return true;
  error = path + ": cannot write the picture: " + std::strerror(failure);
  ::unlink(temporary.c_str());
  return false;
}

}  // namespace svb_preview
