#include "scene_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace solvane_renderer {

namespace {

std::string failure(char const* what, std::string const& path, int code) {
  return std::string(what) + " " + path + ": " + std::strerror(code);
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Makes the folder's entries (a rename) durable.
bool syncFolder(std::string const& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool synced = ::fsync(fd) == 0;
  int code = errno;
  ::close(fd);
  errno = code;
  return synced;
}

bool makeFolder(std::string const& folder, std::string& error) {
  std::error_code code;
  std::filesystem::create_directories(folder, code);
  if (code) {
    error = "cannot create scene folder " + folder + ": " + code.message();
    return false;
  }
  if (!std::filesystem::is_directory(folder, code)) {
    error = failure("cannot use scene folder", folder, ENOTDIR);
    return false;
  }
  return true;
}

}  // namespace

std::string temporaryName(std::string const& name) { return "." + name + ".tmp"; }

bool writeFileAtomically(std::string const& folder, std::string const& name, std::string_view bytes,
                         std::string& error) {
  if (!makeFolder(folder, error)) return false;
  std::string const temporary = folder + "/" + temporaryName(name);
  std::string const final = folder + "/" + name;

  auto fail = [&](char const* what, std::string const& path, int code) {
    error = failure(what, path, code);
    ::unlink(temporary.c_str());
    return false;
  };

  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return fail("cannot create", temporary, errno);
  if (!writeAll(fd, bytes) || ::fsync(fd) != 0) {
    int code = errno;
    ::close(fd);
    return fail("cannot write", temporary, code);
  }
  if (::close(fd) != 0) return fail("cannot write", temporary, errno);
  if (::rename(temporary.c_str(), final.c_str()) != 0) {
    int code = errno;
    return fail(("cannot rename " + temporary + " to").c_str(), final, code);
  }
  if (!syncFolder(folder)) {
    // Until the folder reaches the disk the name may not survive a crash,
    // and a scene is only kept once it would.
    int code = errno;
    ::unlink(final.c_str());
    return fail("cannot sync scene folder", folder, code);
  }
  return true;
}

}  // namespace solvane_renderer
