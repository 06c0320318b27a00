// Run-time loading of the renderer's link library, and the two interfaces it
// hands out: the live scene API and the query API.
#pragma once

#include <cstdint>

class zelScene_api;

// The link library's view of the running renderers. Owned by the live
// object; the virtual slot order is a binary contract with the library.
// An instance must be attached (slot 1) before its scene can be read.
class zelQuery_api {
 public:
  // XML list of the running renderer instances, or null. Valid until the
  // next call on this object.
  virtual char const* get_instances() = 0;  // slot 0
  // Attaches to the instance with this process id; false when there is none.
  virtual bool attach(std::int64_t process_id) = 0;  // slot 1
  virtual bool is_attached() const = 0;              // slot 2
  virtual void detach() = 0;                         // slot 3
  // Live link port of the attached instance, or -1.
  virtual int get_port() const = 0;  // slot 4
  // Process id of the attached instance, or -1.
  virtual std::int64_t get_process_id() const = 0;  // slot 5
  // XML of the attached instance's scene, or null. Valid until the next
  // call on this object.
  virtual char const* get_scene() = 0;  // slot 6

 protected:
  ~zelQuery_api() = default;
};

// What the library's entry point returns; deleting it releases both APIs.
class zelSolvaneLive {
 public:
  virtual ~zelSolvaneLive() = default;        // slots 0 and 1
  virtual zelScene_api* get_scene_api() = 0;  // slot 2
  virtual zelQuery_api* get_query_api() = 0;  // slot 3
};

// The library's entry point, looked up by name and called without arguments.
extern "C" {
typedef zelSolvaneLive* (*solvane_live_initialize_t)();
}

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

// File name of the link library for an installation version.
char const* zel_live_library_base_name(int version);
