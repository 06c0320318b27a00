#include "RepeatLinkFactory.h"

#include "log.h"
#include "solvane_system.h"
#include "zel_sys.h"

#include <tinyxml.h>

#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace zel {

namespace {

// The whole text of the element's first child as a base-10 number.
bool readNumber(TiXmlElement* element, long long& value) {
  if (!element || !element->FirstChild()) return false;
  char const* text = element->FirstChild()->Value();
  if (!text || !*text) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtoll(text, &end, 10);
  return errno == 0 && end != text && *end == '\0';
}

// An empty scene: below the root's first child no element has children.
// A document without a child of the root is not empty.
bool sceneIsEmpty(TiXmlElement* root) {
  if (!root) return false;
  TiXmlElement* scene = root->FirstChildElement();
  if (!scene) return false;
  for (TiXmlElement* child = scene->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    if (child->FirstChildElement()) return false;
  }
  return true;
}

char const kLaunchFailed[] = "Unabled to launch Solvane. Please check your Solvane installation.";

void keepHighest(SolvaneInstance& candidate, SolvaneInstance const& instance) {
  if (instance.version > candidate.version) candidate = instance;
}

}  // namespace

RepeatLinkFactory::RepeatLinkFactory() = default;

RepeatLinkFactory::~RepeatLinkFactory() { shutdown(); }

void RepeatLinkFactory::setVersionRange(int lowest, int highest) {
  lowest_ = lowest;
  highest_ = highest;
}

void RepeatLinkFactory::setModelName(std::string name) { modelName_ = std::move(name); }

void RepeatLinkFactory::setUpdate(bool update) { update_ = update; }

void RepeatLinkFactory::setRetry(int count, int delayMs) {
  retryCount_ = count;
  retryDelay_ = delayMs;
}

zelScene_api* RepeatLinkFactory::getApi() {
  if (connected_) return sceneApi_;
  message_.clear();
  if (!connectOrInit()) {
    message_ = "Failed to connect. " + message_;
    // A scene API that is still held (the query API was missing) stays
    // held until shutdown releases the library, but it is not connected
    // and must not be written to.
    return nullptr;
  }
  return sceneApi_;
}

void RepeatLinkFactory::init(zelSceneapi_oo*) {}

bool RepeatLinkFactory::shutdown() {
  if (!sceneApi_) return !connected_ || message_.empty();
  bool arrived = true;
  if (connected_) {
    arrived = sceneApi_->disconnect();
    bytesSent_ = zel_live_bytes_sent();
    if (!arrived) {
      std::string reason = zel_live_last_error();
      message_ = "The scene did not arrive: " +
                 (reason.empty() ? std::string("the renderer did not confirm it") : reason);
    }
  }
  zel_free_scene_api_linked();
  sceneApi_ = nullptr;
  connected_ = false;
  return arrived;
}

bool RepeatLinkFactory::launchRenderer(SolvaneLaunch& launched) {
  return SolvaneSystem::instance().launch_solvane(lowest_, highest_, launched);
}

SolvaneInstance RepeatLinkFactory::poll(zelQuery_api* query) {
  return getValidInstance(query, getInstances(query));
}

std::string RepeatLinkFactory::portRange() const {
  int first = 0;
  int last = -1;
  SolvaneSystem::instance().getDefaultPortRange(first, last, lowest_, highest_);
  return std::to_string(first) + " to " + std::to_string(last);
}

bool RepeatLinkFactory::launchAndWait(zelQuery_api* query, SolvaneInstance& chosen) {
  SolvaneLaunch launched;
  if (!launchRenderer(launched)) {
    message_ = std::string(kLaunchFailed) + " " + launched.error + ".";
    return false;
  }
  ZEL_LOG(logINFO) << "launched " << launched.program << " as process " << launched.processId;
  int rounds = 0;
  for (int n = retryCount_; n >= 2; --n, ++rounds) {
    chosen = poll(query);
    if (chosen.version != 0) return true;
    int status = 0;
    if (launched.processId > 0 &&
        waitpid(launched.processId, &status, WNOHANG) == launched.processId) {
      message_ = std::string(kLaunchFailed) + " The renderer " + launched.program + " (process " +
                 std::to_string(launched.processId) + ") " + zel_sys::describeExit(status) +
                 " before it answered on ports " + portRange() + ".";
      return false;
    }
    zel_sys::sleep(retryDelay_);
  }
  waitBound_ = "the renderer " + launched.program +
               (launched.processId > 0 ? " (process " + std::to_string(launched.processId) + ")"
                                       : std::string()) +
               " did not answer on ports " + portRange() + " within " + std::to_string(rounds) +
               " polls of " + std::to_string(retryDelay_) + " ms";
  return true;
}

bool RepeatLinkFactory::connectOrInit() {
  waitBound_.clear();
  sceneApi_ = zel_get_scene_api_linked(lowest_, highest_);
  if (!sceneApi_) {
    message_ = "Could not get a scene api. Please check your Solvane installation";
    // No library loaded at all: say where it was looked for.
    if (!solvane_live_loader) {
      message_ += " (looked for the link library in " +
                  SolvaneSystem::instance().describeSearch(lowest_, highest_) + ")";
    }
    message_ += ".\n";
    return false;
  }
  sceneApi_->set_id(clientId_);

  zelQuery_api* query = zel_get_query_api(lowest_, highest_);
  if (!query) {
    message_ = "Could not get a query api. Please check your Solvane installation.\n";
    return false;
  }

  SolvaneInstance chosen = poll(query);
  if (chosen.version == 0 && !launchAndWait(query, chosen)) return false;

  bool connected = false;
  std::string reasons;
  if (chosen.livelink_port > 0) {
    ZEL_LOG(logDEBUG) << "connecting to localhost:" << chosen.livelink_port;
    connected = sceneApi_->connect("localhost", chosen.livelink_port, 4);
    if (!connected) reasons = zel_live_last_error();
  } else {
    int first = 0;
    int last = -1;
    SolvaneSystem::instance().getDefaultPortRange(first, last, lowest_, highest_);
    for (int port = first; port <= last && !connected; ++port) {
      connected = sceneApi_->connect("127.0.0.1", port, 1);
      if (!connected) reasons = zel_live_last_error();
    }
  }
  if (!connected) {
    message_ =
        "Could not connect on any known port. Please check your Solvane installation and Live "
        "Link settings.";
    if (!waitBound_.empty()) {
      message_ += " Waiting ran out: " + waitBound_ + ".";
    } else if (!reasons.empty()) {
      message_ += " Last refusal: " + reasons + ".";
    }
    sceneApi_ = nullptr;
    return false;
  }
  connectedPort_ = chosen.livelink_port;
  if (!zel_live_peer(peerProcessId_, peerPort_)) {
    peerProcessId_ = chosen.process_id;
    peerPort_ = chosen.livelink_port;
  }
  connected_ = true;
  return true;
}

std::string RepeatLinkFactory::destination() const {
  return "sent to the renderer (process " + std::to_string(peerProcessId_) + ", port " +
         std::to_string(peerPort_) + ")";
}

std::vector<SolvaneInstance> RepeatLinkFactory::getInstances(zelQuery_api* query) {
  std::vector<SolvaneInstance> instances;
  char const* xml = query->get_instances();
  if (!xml) return instances;
  TiXmlDocument document;
  document.Parse(xml);
  if (document.Error()) {
    ZEL_LOG(logWARNING) << "instance list does not parse: " << document.ErrorDesc();
    return instances;
  }
  TiXmlElement* root = document.RootElement();
  if (!root) return instances;
  for (TiXmlElement* entry = root->FirstChildElement(); entry;
       entry = entry->NextSiblingElement()) {
    long long version = 0;
    if (!readNumber(findElement(entry, "version_major"), version)) continue;
    if (version < lowest_ || version > highest_) continue;
    long long processId = 0;
    long long port = 0;
    if (!readNumber(findElement(entry, "process_id"), processId) ||
        !readNumber(findElement(entry, "livelink_port"), port)) {
      ZEL_LOG(logWARNING) << "instance without process id or port skipped";
      continue;
    }
    SolvaneInstance instance;
    instance.version = static_cast<int>(version);
    instance.process_id = processId;
    instance.livelink_port = static_cast<int>(port);
    instances.push_back(instance);
  }
  return instances;
}

SolvaneInstance RepeatLinkFactory::getValidInstance(zelQuery_api* query,
                                                    std::vector<SolvaneInstance> instances) {
  SolvaneInstance emptyCandidate;
  SolvaneInstance updateCandidate;
  SolvaneInstance modelCandidate;
  hadModel_ = false;
  if (instances.empty()) return SolvaneInstance();

  for (SolvaneInstance const& instance : instances) {
    if (!query->attach(instance.process_id)) continue;
    char const* xml = query->get_scene();
    if (xml) {
      TiXmlDocument document;
      document.Parse(xml);
      TiXmlElement* root = document.Error() ? nullptr : document.RootElement();
      bool empty = sceneIsEmpty(root);
      bool hasModel = root && !modelName_.empty() &&
                      findByNameAttribute(root, modelName_, instance.version > 6 ? 4 : 3);
      ZEL_LOG(logDEBUG) << "instance " << instance.process_id << " version " << instance.version
                        << " port " << instance.livelink_port << (empty ? " empty" : "")
                        << (hasModel ? " has model" : "");
      if (empty) keepHighest(emptyCandidate, instance);
      if (update_) keepHighest(updateCandidate, instance);
      if (hasModel) keepHighest(modelCandidate, instance);
    }
    query->detach();
  }

  if (modelCandidate.version != 0) {
    hadModel_ = true;
    return modelCandidate;
  }
  if (updateCandidate.version != 0) return updateCandidate;
  return emptyCandidate;
}

TiXmlElement* RepeatLinkFactory::findElement(TiXmlElement* element, std::string const& name) {
  if (!element) return nullptr;
  if (name == element->Value()) return element;
  for (TiXmlElement* child = element->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    if (TiXmlElement* found = findElement(child, name)) return found;
  }
  return nullptr;
}

TiXmlElement* RepeatLinkFactory::findByNameAttribute(TiXmlElement* element, std::string const& name,
                                                     int depth) {
  if (!element || depth <= 0) return nullptr;
  char const* modelset = element->Attribute("modelset");
  if (modelset && std::string(modelset) != "active") return nullptr;
  char const* own = element->Attribute("name");
  if (own && name == own) return element;
  for (TiXmlElement* child = element->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    if (TiXmlElement* found = findByNameAttribute(child, name, depth - 1)) return found;
  }
  return nullptr;
}

}  // namespace zel
