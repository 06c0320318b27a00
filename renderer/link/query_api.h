// The link library's query API: running renderers on the default ports.
#pragma once

#include "zellive.h"

#include <cstdint>
#include <string>
#include <vector>

namespace solvane_link {

// A renderer that answered on a port.
struct RunningRenderer {
  int versionMajor = 0;
  int versionMinor = 0;
  std::int64_t processId = 0;
  int port = 0;
};

// Asks every port of the link's range for the renderer behind it. The instance list and
// the scene XML are documented in README.md.
class QueryApi : public zelQuery_api {
 public:
  QueryApi() = default;
  virtual ~QueryApi() = default;

  char const* get_instances() override;
  bool attach(std::int64_t process_id) override;
  bool is_attached() const override { return attached_; }
  void detach() override;
  int get_port() const override { return attached_ ? current_.port : -1; }
  std::int64_t get_process_id() const override { return attached_ ? current_.processId : -1; }
  char const* get_scene() override { return attached_ ? scene_.c_str() : nullptr; }

  // The renderers answering now, in port order; all ports are asked at once
  // and the scan takes at most a second.
  static std::vector<RunningRenderer> scan(int firstPort, int lastPort);
  // The same over the link's ports (portRange).
  static std::vector<RunningRenderer> scan();
  // The instance list XML for these renderers.
  static std::string instancesXml(std::vector<RunningRenderer> const& renderers);

 private:
  std::vector<RunningRenderer> listed_;
  std::string instances_;
  bool attached_ = false;
  RunningRenderer current_;
  std::string scene_;
};

// Parses an "INFO" reply line: "SOLVANE <major> <minor> <process id> <port>".
bool parseInfoReply(std::string const& reply, RunningRenderer& renderer);

}  // namespace solvane_link
