// Entry point of the link library: hands out the live object that owns the
// scene API and the query API.
#include "live_scene_api.h"
#include "query_api.h"
#include "solvanelive_loader.h"

namespace {

class SolvaneLive : public zelSolvaneLive {
 public:
  zelScene_api* get_scene_api() override { return &scene_; }
  zelQuery_api* get_query_api() override { return &query_; }

 private:
  solvane_link::LiveSceneApi scene_;
  solvane_link::QueryApi query_;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) zelSolvaneLive* solvane_live_initialize() {
  return new SolvaneLive();
}
