// Control block of the fake link library used by the loader and factory
// tests. The test opens the same library file and reaches this block through
// `fake_live_control`, so it can script the library and read what it saw.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

struct FakeLiveControl {
  // What the library saw.
  int entryCalls = 0;   // calls of solvane_live_initialize
  int liveObjects = 0;  // live objects alive
  int instanceListCalls = 0;
  std::vector<std::string> connects;  // "host port how"
  std::vector<int> ids;               // set_id values
  int disconnects = 0;
  std::vector<std::int64_t> attached;
  int detaches = 0;

  // The script.
  bool noSceneApi = false;
  bool noQueryApi = false;
  bool instanceListIsNull = false;
  std::string instances = "<instances/>";
  int instancesHiddenForCalls = 0;             // this many first lists come back empty
  std::map<std::int64_t, std::string> scenes;  // attachable instances by process id
  std::set<std::int64_t> nullScenes;           // attachable, but scene XML null
  std::set<int> openPorts;

  void reset() { *this = FakeLiveControl(); }
};

extern "C" FakeLiveControl* fake_live_control();
