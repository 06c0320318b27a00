// A zelScene_api that writes nothing and records every call as one readable line, so
// that tests assert the order of scene calls without the text format's noise. The values
// of array parameters and of transforms are kept as well, for tests of the numbers.
#pragma once

#include "LightFactory.h"
#include "zelapi.h"
#include "zelapi_operations.h"

#include <deque>
#include <string>
#include <vector>

namespace solvane_test {

class RecordingSceneApi : public zelScene_api {
 public:
  // Every call appends one line, for example:
  //   group_begin "Cube" placed
  //   transform 1 0 0 0 0 1 0 0 0 0 -1 0 0 0 0 1
  //   set_parameter "power" int 100
  //   set_parameter "vertices" array(0x8001) count 6
  //   set_progress "Cube" 0.5
  std::vector<std::string> calls;

  // An array parameter's values, copied when it was passed.
  struct Array {
    std::string name;
    zelType type;
    std::vector<float> floats;  // colour triples and floats
    std::vector<int32_t> ints;
    std::vector<zelMatrix> matrices;
  };
  std::vector<Array> arrays;
  std::vector<zelMatrix> transforms;

  // The lines whose text starts with `prefix`, in call order.
  std::vector<std::string> with_prefix(const std::string& prefix) const;
  // All lines joined with "\n" (each line ended by "\n"), for readable failure output.
  std::string joined() const;
  // The arrays passed under `name`, in call order.
  std::vector<const Array*> named(const std::string& name) const;

  ZEL_SCENE_OVERRIDES

 private:
  void log(const std::string& line) const;
  bool logged(const std::string& line) {
    log(line);
    return true;
  }
  // Handles given out by shader_get, one per anonymous shader; their text is
  // "shader#N" (N counting from 1), which later lines use to refer to them.
  std::deque<std::string> shaderTexts_;
  std::deque<zelShader> handles_;
  int anonymousShaders_ = 0;
};

// A link factory whose scene API is a RecordingSceneApi, for running the driver's
// conversion on a wrapper without any output.
class RecordingFactory : public zel::LightFactory {
 public:
  RecordingSceneApi api;
  zelScene_api* getApi() override { return &api; }
  void init(zel::zelSceneapi_oo*) override {}
  bool shutdown() override { return true; }
  std::string const& message() const override { return message_; }

 private:
  std::string message_;
};

// "%g"-style text of a number, as the lines above show it.
std::string num(double v);

}  // namespace solvane_test
