// Entry point of the link library: hands out the live object that owns the
// scene API and the query API.
#include "live_scene_api.h"
#include "query_api.h"
#include "zellive.h"

namespace {

class SolvaneLive : public zelSolvaneLive {
 public:
  zelScene_api* get_scene_api() override { return &scene_; }
  zelQuery_api* get_query_api() override { return &query_; }
  char const* get_last_error() override { return scene_.lastError().c_str(); }
  bool get_peer(std::int64_t& processId, int& port) const override {
    return scene_.peer(processId, port);
  }
  std::uint64_t get_bytes_sent() const override { return scene_.bytesSent(); }

 private:
  solvane_link::LiveSceneApi scene_;
  solvane_link::QueryApi query_;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) zelSolvaneLive* solvane_live_initialize() {
  return new SolvaneLive();
}
