#include "solvanelive_loader.h"

#include "log.h"
#include "solvane_system.h"
#include "zel_sys.h"

#include <dlfcn.h>

#include <string>

zelSolvaneLiveLoader* solvane_live_loader = nullptr;

char const* zel_live_library_base_name(int version) {
  return version > 5 ? "zelsolvanelive6" : "zelsolvanelive";
}

void* zelSolvaneLiveLoader::shared_library_open(char const* path) const {
  ZEL_LOG(logDEBUG) << "shared_library_open: " << path;
  return dlopen(path, RTLD_LAZY | RTLD_LOCAL);
}

bool zelSolvaneLiveLoader::initialize(int lowest, int highest) {
  if (live) return false;
  int version = -1;
  std::string directory = SolvaneSystem::instance().find_bin_path(version, lowest, highest);
  if (directory.empty()) return false;
  std::string baseName = zel_live_library_base_name(version);

  if (!handle) {
    std::string installed = zel_sys::joinPath(directory, baseName) + ".so";
    handle = shared_library_open(installed.c_str());
    if (!handle) {
      std::string local = zel_sys::joinPath(".", baseName) + ".so";
      handle = shared_library_open(local.c_str());
      // Intended fallback, but a library from the current folder is not the
      // installation's: leave a trace of it.
      if (handle) {
        ZEL_LOG(logWARNING) << "link library loaded from the current folder: " << local
                            << " (not found as " << installed << ")";
      }
    }
  }
  if (!handle) {
    ZEL_LOG(logWARNING) << "NO shared handle";
    return false;
  }

  void* symbol = dlsym(handle, "solvane_live_initialize");
  if (symbol) {
    auto entry = reinterpret_cast<solvane_live_initialize_t>(symbol);
    live = entry();
  }
  ZEL_LOG(logDEBUG4) << "Solvane live: " << static_cast<void*>(live);
  return live != nullptr;
}

namespace {

// Returns the loader with a live object, creating and initialising it on
// first use; null when loading failed (the loader is then discarded).
zelSolvaneLiveLoader* ensureLoader(int lowest, int highest) {
  if (!solvane_live_loader) {
    solvane_live_loader = new zelSolvaneLiveLoader();
    if (!solvane_live_loader->initialize(lowest, highest)) {
      zel_free_scene_api_linked();
      return nullptr;
    }
  }
  return solvane_live_loader->live ? solvane_live_loader : nullptr;
}

}  // namespace

zelScene_api* zel_get_scene_api_linked(int lowest, int highest) {
  zelSolvaneLiveLoader* loader = ensureLoader(lowest, highest);
  return loader ? loader->live->get_scene_api() : nullptr;
}

zelQuery_api* zel_get_query_api(int lowest, int highest) {
  ZEL_LOG(logDEBUG4) << "zel_get_query_api -> solvane_live_loader: "
                     << static_cast<void*>(solvane_live_loader);
  zelSolvaneLiveLoader* loader = ensureLoader(lowest, highest);
  return loader ? loader->live->get_query_api() : nullptr;
}

void zel_free_scene_api_linked() {
  if (solvane_live_loader) {
    delete solvane_live_loader->live;
    if (solvane_live_loader->handle) dlclose(solvane_live_loader->handle);
    delete solvane_live_loader;
  }
  solvane_live_loader = nullptr;
}

std::string zel_live_last_error() {
  if (!solvane_live_loader || !solvane_live_loader->live) return std::string();
  char const* text = solvane_live_loader->live->get_last_error();
  return text ? text : "";
}

std::uint64_t zel_live_bytes_sent() {
  return solvane_live_loader && solvane_live_loader->live
             ? solvane_live_loader->live->get_bytes_sent()
             : 0;
}

bool zel_live_peer(std::int64_t& process_id, int& port) {
  return solvane_live_loader && solvane_live_loader->live &&
         solvane_live_loader->live->get_peer(process_id, port);
}
