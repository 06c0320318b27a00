// A driver writing through the text scene writer into memory, to read as bytes or svb scene.
#pragma once

#include "C4DLoader.h"
#include "LightFactory.h"
#include "svb_reader.h"
#include "zelsceneapi_file.h"
#include "zelsceneapi_oo.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace plugin_test {

// The text writer over a memory stream: arrays as text, or as binary blocks when `binary`.
class MemoryFactory : public zel::LightFactory {
 public:
  explicit MemoryFactory(bool binary)
      : stream_(open_memstream(&buffer_, &size_)), writer_(stream_, binary) {}
  ~MemoryFactory() override {
    std::fclose(stream_);
    std::free(buffer_);
  }
  zelScene_api* getApi() override { return &writer_; }
  void init(zel::zelSceneapi_oo*) override {}
  bool shutdown() override { return true; }
  std::string const& message() const override { return message_; }
  std::string bytes() {
    std::fflush(stream_);
    return std::string(buffer_, size_);
  }

 private:
  char* buffer_ = nullptr;
  size_t size_ = 0;
  FILE* stream_;
  zelScene_api_file writer_;
  std::string message_;
};

// A driver with an open output, as during load(); text() leaves out the banner and version.
struct Capture {
  MemoryFactory factory;
  C4DLoader loader;
  size_t opening = 0;

  explicit Capture(bool binary = false) : factory(binary) {
    loader.sceneOO = new zel::zelSceneapi_oo(&factory);
    opening = factory.bytes().size();
  }
  ~Capture() { delete loader.sceneOO; }
  std::string text() { return factory.bytes().substr(opening); }
  svb::Scene scene() { return svb::parse(text()); }
};

// Every node of `kind`, depth first in file order.
inline std::vector<const svb::Node*> nodesOf(const svb::Scene& scene, svb::NodeKind kind) {
  std::vector<const svb::Node*> out;
  svb::walk(scene, [&](const svb::Node& n) {
    if (n.kind == kind) out.push_back(&n);
  });
  return out;
}
std::vector<const svb::Node*> nodesOf(const svb::Scene&& scene, svb::NodeKind kind) = delete;

inline std::vector<std::string> namesOf(const svb::Scene& scene, svb::NodeKind kind) {
  std::vector<std::string> names;
  for (const svb::Node* n : nodesOf(scene, kind)) names.emplace_back(n->name());
  return names;
}

// The value of the parameter `name` of `node`; a failure and an empty value when it has none.
inline const svb::Value& valueOf(const svb::Node& node, const char* name) {
  static const svb::Value none;
  const svb::Node* parameter = node.param(name);
  EXPECT_NE(parameter, nullptr) << "no parameter " << name;
  return parameter ? parameter->value : none;
}

}  // namespace plugin_test
