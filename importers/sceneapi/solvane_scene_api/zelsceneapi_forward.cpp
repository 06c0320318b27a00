#include "zelsceneapi_forward.h"

void zelScene_api_forward::install() {
  if (target_) target_->install();
}

bool zelScene_api_forward::group_begin(char const* name, bool placed) {
  return target_ ? target_->group_begin(name, placed) : false;
}

void zelScene_api_forward::group_end() {
  if (target_) target_->group_end();
}

bool zelScene_api_forward::object_begin(char const* name, bool placed) {
  return target_ ? target_->object_begin(name, placed) : false;
}

void zelScene_api_forward::object_end() {
  if (target_) target_->object_end();
}

bool zelScene_api_forward::geometry_use(char const* name) {
  return target_ ? target_->geometry_use(name) : false;
}

void zelScene_api_forward::geometry_end() {
  if (target_) target_->geometry_end();
}

bool zelScene_api_forward::animation_begin(char const* name, char const* kind) {
  return target_ ? target_->animation_begin(name, kind) : false;
}

void zelScene_api_forward::animation_end() {
  if (target_) target_->animation_end();
}

bool zelScene_api_forward::module_begin(char const* name) {
  return target_ ? target_->module_begin(name) : false;
}

void zelScene_api_forward::module_end() {
  if (target_) target_->module_end();
}

bool zelScene_api_forward::options_begin() { return target_ ? target_->options_begin() : false; }

void zelScene_api_forward::options_end() {
  if (target_) target_->options_end();
}

bool zelScene_api_forward::camera_begin(char const* name) {
  return target_ ? target_->camera_begin(name) : false;
}

void zelScene_api_forward::camera_end() {
  if (target_) target_->camera_end();
}

bool zelScene_api_forward::image_begin() { return target_ ? target_->image_begin() : false; }

void zelScene_api_forward::image_end() {
  if (target_) target_->image_end();
}

bool zelScene_api_forward::output_begin(char const* a, char const* b, char const* c) {
  return target_ ? target_->output_begin(a, b, c) : false;
}

void zelScene_api_forward::output_end() {
  if (target_) target_->output_end();
}

bool zelScene_api_forward::light_begin(char const* name) {
  return target_ ? target_->light_begin(name) : false;
}

void zelScene_api_forward::light_end() {
  if (target_) target_->light_end();
}

bool zelScene_api_forward::accel_use(char const* name) {
  return target_ ? target_->accel_use(name) : false;
}

void zelScene_api_forward::accel_end() {
  if (target_) target_->accel_end();
}

void zelScene_api_forward::transform(zelMatrix const& m) {
  if (target_) target_->transform(m);
}

void zelScene_api_forward::transform_set(zelMatrix const& m) {
  if (target_) target_->transform_set(m);
}

void zelScene_api_forward::scale(double const& x, double const& y, double const& z) {
  if (target_) target_->scale(x, y, z);
}

void zelScene_api_forward::rotate(double const& x, double const& y, double const& z) {
  if (target_) target_->rotate(x, y, z);
}

void zelScene_api_forward::translate(double const& x, double const& y, double const& z) {
  if (target_) target_->translate(x, y, z);
}

bool zelScene_api_forward::matrix_begin(char const* name) {
  return target_ ? target_->matrix_begin(name) : false;
}

void zelScene_api_forward::matrix_end() {
  if (target_) target_->matrix_end();
}

bool zelScene_api_forward::material_begin(char const* name, bool placed) {
  return target_ ? target_->material_begin(name, placed) : false;
}

bool zelScene_api_forward::material_use(char const* name) {
  return target_ ? target_->material_use(name) : false;
}

void zelScene_api_forward::material_end() {
  if (target_) target_->material_end();
}

void zelScene_api_forward::material_set_shader(zelShader_type kind, int shaderId) {
  if (target_) target_->material_set_shader(kind, shaderId);
}

bool zelScene_api_forward::shader_begin(char const* type, int shaderId) {
  return target_ ? target_->shader_begin(type, shaderId) : false;
}

void zelScene_api_forward::shader_end() {
  if (target_) target_->shader_end();
}

void zelScene_api_forward::material_set_shader(zelShader_type kind, zelShader* shader) {
  if (target_) target_->material_set_shader(kind, shader);
}

bool zelScene_api_forward::shader_begin(char const* name, char const* type) {
  return target_ ? target_->shader_begin(name, type) : false;
}

zelShader* zelScene_api_forward::shader_get() { return target_ ? target_->shader_get() : nullptr; }

void zelScene_api_forward::shader_push() {
  if (target_) target_->shader_push();
}

void zelScene_api_forward::shader_pop() {
  if (target_) target_->shader_pop();
}

bool zelScene_api_forward::set_parameter(char const* name, zelType type, const void* value) {
  return target_ ? target_->set_parameter(name, type, value) : false;
}

bool zelScene_api_forward::set_subshader(char const* name, zelShader* shader) {
  return target_ ? target_->set_subshader(name, shader) : false;
}

bool zelScene_api_forward::set_subshader(char const* name, int shaderId) {
  return target_ ? target_->set_subshader(name, shaderId) : false;
}

bool zelScene_api_forward::initialize_array_mode(char const* name) {
  return target_ ? target_->initialize_array_mode(name) : false;
}

void zelScene_api_forward::finalize_array_mode() {
  if (target_) target_->finalize_array_mode();
}

void zelScene_api_forward::set_array_parameter(zelType type, void* value) {
  if (target_) target_->set_array_parameter(type, value);
}

zelType zelScene_api_forward::get_array_type() {
  return target_ ? target_->get_array_type() : TYPE_STRING;
}

zelType zelScene_api_forward::get_parameter_type(char const* name) {
  return target_ ? target_->get_parameter_type(name) : TYPE_STRING;
}

void* zelScene_api_forward::geometry_get() { return target_ ? target_->geometry_get() : nullptr; }

void zelScene_api_forward::set_attribute(char const* name, char const* value) {
  if (target_) target_->set_attribute(name, value);
}

void zelScene_api_forward::add_comment(char const* text) {
  if (target_) target_->add_comment(text);
}

void zelScene_api_forward::set_output_mode(zelScene_api_output_mode mode) {
  if (target_) target_->set_output_mode(mode);
}

void zelScene_api_forward::set_version(int version) {
  if (target_) target_->set_version(version);
}

void zelScene_api_forward::clear(bool all) {
  if (target_) target_->clear(all);
}

void zelScene_api_forward::set_progress(char const* text, float value) {
  if (target_) target_->set_progress(text, value);
}

void zelScene_api_forward::set_icon(char const* bytes, int length) {
  if (target_) target_->set_icon(bytes, length);
}

void zelScene_api_forward::set_data(char const* name, char const* bytes, int length) {
  if (target_) target_->set_data(name, bytes, length);
}

void zelScene_api_forward::set_id(int id) {
  if (target_) target_->set_id(id);
}

void zelScene_api_forward::set_flags(int flags) {
  if (target_) target_->set_flags(flags);
}

bool zelScene_api_forward::cancel() { return target_ ? target_->cancel() : false; }

bool zelScene_api_forward::render() { return target_ ? target_->render() : false; }

void zelScene_api_forward::print(char const* text) const {
  if (target_) target_->print(text);
}

void zelScene_api_forward::error(char const* text) const {
  if (target_) target_->error(text);
}

bool zelScene_api_forward::camera_modify(char const* name) {
  return target_ ? target_->camera_modify(name) : false;
}
