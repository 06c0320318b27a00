// The live link factory: the scene API of a running renderer, reached
// through the renderer's link library.
#pragma once

#include "LightFactory.h"
#include "solvane_system.h"
#include "solvanelive_loader.h"
#include "zelapi.h"

#include <cstdint>
#include <string>
#include <vector>

class TiXmlElement;

namespace zel {

// One running renderer as the query API reports it. Version 0 means none.
struct SolvaneInstance {
  int version = 0;
  std::int64_t process_id = 0;
  int livelink_port = 0;
  bool flag = false;
};

// Factory of the Render and Update commands. On the first getApi it loads
// the link library, picks a running renderer through the query API (an
// empty scene for Render, the one holding the model or any for Update),
// launches the renderer and waits for it when none fits, and connects the
// library's scene API to it. Destroying or shutting down the factory
// disconnects and releases the library.
class RepeatLinkFactory : public LightFactory {
 public:
  RepeatLinkFactory();
  ~RepeatLinkFactory() override;

  // Connects on first use; null after a failure (see message()).
  zelScene_api* getApi() override;
  void init(zelSceneapi_oo* oo) override;
  // Ends the stream and releases the library: true when the renderer replied
  // OK (or nothing was connected), false with the renderer's reason in
  // message() otherwise.
  bool shutdown() override;
  // The last failure text, empty after a successful getApi.
  std::string const& message() const override { return message_; }
  // Whether the instance chosen by the last selection held the model.
  bool hadModel() const override { return hadModel_; }
  // The scene bytes streamed, once shut down.
  std::uint64_t bytesWritten() const override { return bytesSent_; }
  // "sent to the renderer (process N, port P)".
  std::string destination() const override;

  void setVersionRange(int lowest, int highest);
  void setModelName(std::string name);
  void setUpdate(bool update);
  // Waiting after a launch: at most count - 1 polls, each followed by a
  // pause of delayMs.
  void setRetry(int count, int delayMs);

  // Port reported by the instance chosen at the last successful connection.
  int getConnectedPort() const { return connectedPort_; }

  // Running instances whose major version lies in the configured range, in
  // the query API's order. Entries lacking a readable version, process id or
  // port are skipped.
  std::vector<SolvaneInstance> getInstances(zelQuery_api* query);
  // Chooses among instances: the one holding the model, else (for an
  // update) any attachable one, else one with an empty scene; among equal
  // versions the first listed wins. Sets hadModel.
  SolvaneInstance getValidInstance(zelQuery_api* query, std::vector<SolvaneInstance> instances);

  // Depth-first search by element name, the element itself included.
  static TiXmlElement* findElement(TiXmlElement* element, std::string const& name);
  // Search by "name" attribute over `depth` levels, the element itself
  // being the first; elements whose "modelset" is not "active" are not
  // entered.
  static TiXmlElement* findByNameAttribute(TiXmlElement* element, std::string const& name,
                                           int depth);

 protected:
  // Starts the renderer; true when it runs (see SolvaneSystem::launch_solvane).
  virtual bool launchRenderer(SolvaneLaunch& launched);

 private:
  bool connectOrInit();
  // Launches the renderer and polls until an instance is chosen, the renderer
  // ends, or the rounds run out (then waitBound_ says so). False when the
  // launch failed or the renderer ended.
  bool launchAndWait(zelQuery_api* query, SolvaneInstance& chosen);
  SolvaneInstance poll(zelQuery_api* query);
  std::string portRange() const;

  int retryCount_ = 20;
  int retryDelay_ = 1000;
  zelScene_api* sceneApi_ = nullptr;
  int lowest_ = 7;
  int highest_ = 20;
  int connectedPort_ = -1;
  std::int64_t peerProcessId_ = 0;  // the renderer reached, as the link library reports it
  int peerPort_ = 0;
  std::uint64_t bytesSent_ = 0;
  std::string modelName_;
  bool update_ = false;
  bool hadModel_ = false;
  std::string message_;
  int clientId_ = 1;
  bool connected_ = false;
  std::string waitBound_;  // which bound ran out while waiting for a launched renderer
};

}  // namespace zel
