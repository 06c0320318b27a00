// A scene API that passes every call on to another one: the base of scene APIs that change
// only a few operations (the live link's, which adds connecting, and test doubles).
#pragma once

#include "zelapi.h"

// Forwards every operation to the target given to setTarget (not owned). Without a target
// every operation does nothing and returns false, null, or TYPE_STRING for the type queries.
// connect, disconnect and get_version keep the base class's answers: they belong to
// whoever decides what the target is.
class zelScene_api_forward : public zelScene_api {
 public:
  zelScene_api_forward() = default;
  ~zelScene_api_forward() override = default;

  void setTarget(zelScene_api* target) { target_ = target; }
  zelScene_api* target() const { return target_; }

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
  zelScene_api* target_ = nullptr;
};
