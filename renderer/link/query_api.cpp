#include "query_api.h"

#include "link_net.h"

#include <unistd.h>

#include <cstdio>
#include <sstream>

namespace solvane_link {

namespace {

// Every port is asked at once, so a scan costs at most this long, however
// many of the ports are held by programs that accept and stay silent.
constexpr int kQueryTimeoutMs = 1000;
// Largest scene description a renderer may send back.
constexpr std::size_t kMaxSceneXml = 16u << 20;

}  // namespace

bool parseInfoReply(std::string const& reply, RunningRenderer& renderer) {
  std::istringstream in(reply);
  std::string word;
  RunningRenderer parsed;
  if (!(in >> word) || word != "SOLVANE") return false;
  if (!(in >> parsed.versionMajor >> parsed.versionMinor >> parsed.processId >> parsed.port)) {
    return false;
  }
  std::string rest;
  if (in >> rest) return false;
  renderer = parsed;
  return true;
}

std::vector<RunningRenderer> QueryApi::scan(int firstPort, int lastPort) {
  std::vector<RunningRenderer> found;
  std::vector<std::string> replies = requestAll(firstPort, lastPort, "INFO", kQueryTimeoutMs);
  for (std::string const& reply : replies) {
    RunningRenderer renderer;
    if (parseInfoReply(reply, renderer)) found.push_back(renderer);
  }
  return found;
}

std::vector<RunningRenderer> QueryApi::scan() {
  int first = 0;
  int last = 0;
  portRange(first, last);
  return scan(first, last);
}

std::string QueryApi::instancesXml(std::vector<RunningRenderer> const& renderers) {
  std::string xml = "<instances>\n";
  for (RunningRenderer const& r : renderers) {
    xml += "  <instance>\n";
    xml += "    <version_major>" + std::to_string(r.versionMajor) + "</version_major>\n";
    xml += "    <version_minor>" + std::to_string(r.versionMinor) + "</version_minor>\n";
    xml += "    <process_id>" + std::to_string(r.processId) + "</process_id>\n";
    xml += "    <livelink_port>" + std::to_string(r.port) + "</livelink_port>\n";
    xml += "  </instance>\n";
  }
  return xml + "</instances>\n";
}

char const* QueryApi::get_instances() {
  listed_ = scan();
  instances_ = instancesXml(listed_);
  return instances_.c_str();
}

bool QueryApi::attach(std::int64_t process_id) {
  detach();
  std::vector<RunningRenderer> candidates = listed_;
  bool known = false;
  for (int round = 0; round < 2 && !known; ++round) {
    if (round == 1) candidates = scan();
    for (RunningRenderer const& r : candidates) {
      if (r.processId == process_id) {
        current_ = r;
        known = true;
        break;
      }
    }
  }
  if (!known) return false;

  // "SCENE" is answered by "XML <length>" and the XML bytes.
  int fd = -1;
  std::string reply;
  if (!request(current_.port, "SCENE", reply, kQueryTimeoutMs, fd)) return false;
  unsigned long long length = 0;
  char tail = '\0';
  bool ok = std::sscanf(reply.c_str(), "XML %llu%c", &length, &tail) == 1 &&
            length <= kMaxSceneXml && readExactly(fd, scene_, static_cast<std::size_t>(length));
  close(fd);
  if (!ok) {
    scene_.clear();
    return false;
  }
  attached_ = true;
  return true;
}

void QueryApi::detach() {
  attached_ = false;
  scene_.clear();
}

}  // namespace solvane_link
