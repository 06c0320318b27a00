// The live object's binary contract: what the renderer's link library hands out through its
// entry point, solvane_live_initialize. The library and the plug-in are built apart and meet
// only through these virtual tables, so the slot order of each class is fixed: new operations
// go after the last slot, never between.
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
  // Why the scene API's last connect or disconnect failed, naming the renderer (process id
  // and port) and the reason: its ERROR reply, a connection closed before the reply, or a
  // wait that ran out. "" after a success. Valid until the next call on the live object.
  virtual char const* get_last_error() = 0;  // slot 4
  // The renderer the scene API is connected to, or was connected to last: its process id and
  // port. False when it never connected.
  virtual bool get_peer(std::int64_t& process_id, int& port) const = 0;  // slot 5
  // Scene bytes the scene API streamed over its current or last connection.
  virtual std::uint64_t get_bytes_sent() const = 0;  // slot 6
};

// The library's entry point, looked up by name and called without arguments.
extern "C" {
typedef zelSolvaneLive* (*solvane_live_initialize_t)();
}
