// A zelScene_api that writes nothing and records every call as one readable line, so
// that tests assert the order of scene calls without the text format's noise. The values
// of array parameters and of transforms are kept as well, for tests of the numbers.
#pragma once

#include "LightFactory.h"
#include "zelapi.h"

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

  void install() override;
  bool group_begin(char const* name, bool placed) override;
  void group_end() override;
  bool object_begin(char const* name, bool placed) override;
  void object_end() override;
  bool geometry_use(char const* name) override;
  void geometry_end() override;
  bool animation_begin(char const* name, char const* kind) override;
  void animation_end() override;
  bool module_begin(char const* name) override;
  void module_end() override;
  bool options_begin() override;
  void options_end() override;
  bool camera_begin(char const* name) override;
  void camera_end() override;
  bool image_begin() override;
  void image_end() override;
  bool output_begin(char const* a, char const* b, char const* c) override;
  void output_end() override;
  bool light_begin(char const* name) override;
  void light_end() override;
  bool accel_use(char const* name) override;
  void accel_end() override;
  void transform(zelMatrix const& m) override;
  void transform_set(zelMatrix const& m) override;
  void scale(double const& x, double const& y, double const& z) override;
  void rotate(double const& x, double const& y, double const& z) override;
  void translate(double const& x, double const& y, double const& z) override;
  bool matrix_begin(char const* name) override;
  void matrix_end() override;
  bool material_begin(char const* name, bool placed) override;
  bool material_use(char const* name) override;
  void material_end() override;
  void material_set_shader(zelShader_type kind, int shaderId) override;
  bool shader_begin(char const* type, int shaderId) override;
  void shader_end() override;
  void material_set_shader(zelShader_type kind, zelShader* shader) override;
  bool shader_begin(char const* name, char const* type) override;
  zelShader* shader_get() override;
  void shader_push() override;
  void shader_pop() override;
  bool set_parameter(char const* name, zelType type, const void* value) override;
  bool set_subshader(char const* name, zelShader* shader) override;
  bool set_subshader(char const* name, int shaderId) override;
  bool initialize_array_mode(char const* name) override;
  void finalize_array_mode() override;
  void set_array_parameter(zelType type, void* value) override;
  zelType get_array_type() override;
  zelType get_parameter_type(char const* name) override;
  void* geometry_get() override;
  void set_attribute(char const* name, char const* value) override;
  void add_comment(char const* text) override;
  void set_output_mode(zelScene_api_output_mode mode) override;
  void set_version(int version) override;
  void clear(bool all) override;
  void set_progress(char const* text, float value) override;
  void set_icon(char const* bytes, int length) override;
  void set_data(char const* name, char const* bytes, int length) override;
  void set_id(int id) override;
  void set_flags(int flags) override;
  bool cancel() override;
  bool render() override;
  void print(char const* text) const override;
  void error(char const* text) const override;
  bool camera_modify(char const* name) override;

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
