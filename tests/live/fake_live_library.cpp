// A link library that talks to no renderer: its behaviour is scripted by the
// test through the control block.
#include "fake_live.h"

#include "zellive.h"
#include "zelsceneapi_file.h"

#include <string>

namespace {

FakeLiveControl control;

class FakeScene : public zelScene_api_file {
 public:
  FakeScene() : zelScene_api_file(nullptr, false) {}
  bool connect(char const* host, int port, int how) override {
    control.connects.push_back(std::string(host) + " " + std::to_string(port) + " " +
                               std::to_string(how));
    return control.openPorts.count(port) != 0;
  }
  bool disconnect() override {
    ++control.disconnects;
    return true;
  }
  void set_id(int id) override { control.ids.push_back(id); }
};

class FakeQuery : public zelQuery_api {
 public:
  char const* get_instances() override {
    ++control.instanceListCalls;
    if (control.instanceListIsNull) return nullptr;
    if (control.instanceListCalls <= control.instancesHiddenForCalls) return "<instances/>";
    return control.instances.c_str();
  }
  bool attach(std::int64_t processId) override {
    bool known = control.scenes.count(processId) || control.nullScenes.count(processId);
    if (known) {
      attached_ = processId;
      control.attached.push_back(processId);
    }
    return known;
  }
  bool is_attached() const override { return attached_ >= 0; }
  void detach() override {
    ++control.detaches;
    attached_ = -1;
  }
  int get_port() const override { return -1; }
  std::int64_t get_process_id() const override { return attached_; }
  char const* get_scene() override {
    auto found = control.scenes.find(attached_);
    return found == control.scenes.end() ? nullptr : found->second.c_str();
  }

 private:
  std::int64_t attached_ = -1;
};

class FakeLive : public zelSolvaneLive {
 public:
  FakeLive() { ++control.liveObjects; }
  ~FakeLive() override { --control.liveObjects; }
  zelScene_api* get_scene_api() override { return control.noSceneApi ? nullptr : &scene_; }
  zelQuery_api* get_query_api() override { return control.noQueryApi ? nullptr : &query_; }
  char const* get_last_error() override { return ""; }
  bool get_peer(std::int64_t&, int&) const override { return false; }
  std::uint64_t get_bytes_sent() const override { return 0; }

 private:
  FakeScene scene_;
  FakeQuery query_;
};

}  // namespace

extern "C" FakeLiveControl* fake_live_control() { return &control; }

extern "C" zelSolvaneLive* solvane_live_initialize() {
  ++control.entryCalls;
  return new FakeLive();
}
