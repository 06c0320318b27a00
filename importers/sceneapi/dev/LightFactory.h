// Link factory: the one place that decides what stands behind the scene interface.
#pragma once

#include "zelapi.h"

#include <cstdint>
#include <string>

namespace zel {

class zelSceneapi_oo;

// Implementations: LightFileFactory (text scene file or a given stream) and
// RepeatLinkFactory (live link to a running renderer).
//
// Life of one output: getApi() opens it, the scene is written, shutdown() ends it and says
// whether the scene arrived whole. A factory destroyed without a shutdown abandons its
// output: a file export leaves the target as it was, a live link just drops the connection.
class LightFactory {
 public:
  virtual ~LightFactory() {}
  // Opens the output on first use; the scene API, or null when no output is possible
  // (message() says why). Owned by the factory.
  virtual zelScene_api* getApi() = 0;
  // Called by the wrapper once it holds a non-null scene API, before its banner.
  virtual void init(zelSceneapi_oo* oo) = 0;
  // Ends the output. True when everything written was confirmed (file closed, synced and in
  // place; the renderer replied OK) or nothing was opened; false with message() set
  // otherwise. A second call does nothing and returns true.
  virtual bool shutdown() = 0;
  // What went wrong last, naming the file or the renderer and the reason; "" when nothing did.
  virtual std::string const& message() const = 0;
  // Whether the receiving end already held the model before this output (a renderer that
  // is updated); a file never does.
  virtual bool hadModel() const { return false; }
  // Bytes the output carried (the file's; the stream's to the renderer), once shut down.
  virtual std::uint64_t bytesWritten() const { return 0; }
  // Where the scene went, for the user: "written to PATH", "sent to the renderer (...)".
  virtual std::string destination() const { return std::string(); }
};

}  // namespace zel
