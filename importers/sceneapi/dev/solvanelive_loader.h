// Run-time loading of the renderer's link library, and the two interfaces it
// hands out: the live scene API and the query API.
#pragma once

#include "zellive.h"

#include <cstdint>
#include <string>

// Holds the loaded library and its live object.
class zelSolvaneLiveLoader {
 public:
  zelSolvaneLive* live = nullptr;  // owned
  void* handle = nullptr;          // from dlopen, owned

  // dlopen(path, RTLD_LAZY | RTLD_LOCAL), logged.
  void* shared_library_open(char const* path) const;
  // Finds the installation, opens its library (falling back to the current
  // folder) and calls the entry point. False when no live object resulted
  // or one already existed.
  bool initialize(int lowest, int highest);
};

// The one loader of the process; null until first use and after freeing.
extern zelSolvaneLiveLoader* solvane_live_loader;

// Loads the library on first use and returns its live scene API, or null.
// A loader that exists is reused whatever the versions asked for.
zelScene_api* zel_get_scene_api_linked(int lowest, int highest);
// The same for the query API.
zelQuery_api* zel_get_query_api(int lowest, int highest);
// Destroys the live object and closes the library; the next request loads
// it again.
void zel_free_scene_api_linked();
// Why the live scene API's last connect or disconnect failed ("" when no
// library is loaded or nothing failed).
std::string zel_live_last_error();
// The renderer the live scene API reached last; false when none or no
// library is loaded.
bool zel_live_peer(std::int64_t& process_id, int& port);

// Scene bytes the live scene API streamed over its current or last connection; 0 when no
// library is loaded.
std::uint64_t zel_live_bytes_sent();

// File name of the link library for an installation version.
char const* zel_live_library_base_name(int version);
