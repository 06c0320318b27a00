#include "recording_scene_api.h"

#include <cstdio>

namespace solvane_test {

namespace {

std::string quoted(char const* s) { return s ? "\"" + std::string(s) + "\"" : std::string("null"); }

std::string matrix_text(zelMatrix const& m) {
  std::string out;
  for (int i = 0; i < 16; ++i) out += (i ? " " : "") + num(m.m[i]);
  return out;
}

std::string shader_text(zelShader const* s) {
  if (!s) return "null";
  return s->buffer ? std::string(s->buffer, static_cast<size_t>(s->length)) : "empty";
}

std::string value_text(zelType type, const void* value) {
  if (!value) return "null";
  if (type & TYPE_ARRAY) {
    char head[32];
    std::snprintf(head, sizeof head, "array(0x%x) count ", static_cast<unsigned>(type));
    return head + std::to_string(static_cast<const zelArray*>(value)->count);
  }
  switch (type) {
    case TYPE_INT:
    case TYPE_INT_ALT:
      return "int " + std::to_string(*static_cast<const int32_t*>(value));
    case TYPE_BOOL:
      return std::string("bool ") + (*static_cast<const int32_t*>(value) ? "on" : "off");
    case TYPE_FLOAT:
      return "float " + num(*static_cast<const float*>(value));
    case TYPE_DOUBLE:
      return "double " + num(*static_cast<const double*>(value));
    case TYPE_COLOR: {
      const zelColor* c = static_cast<const zelColor*>(value);
      return "color " + num(c->r) + " " + num(c->g) + " " + num(c->b);
    }
    case TYPE_VECTOR: {
      const zelVector* v = static_cast<const zelVector*>(value);
      return "vector " + num(v->x) + " " + num(v->y) + " " + num(v->z);
    }
    case TYPE_MATRIX:
      return "matrix " + matrix_text(*static_cast<const zelMatrix*>(value));
    case TYPE_STRING:
      return "string " + quoted(static_cast<const char*>(value));
    case TYPE_STRING_REF:
      return "string " + quoted(*static_cast<const char* const*>(value));
    case TYPE_SHADER:
      return "shader " + shader_text(*static_cast<zelShader* const*>(value));
    default:
      return "type " + std::to_string(static_cast<int>(type));
  }
}

}  // namespace

std::string num(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

std::vector<std::string> RecordingSceneApi::with_prefix(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const std::string& line : calls)
    if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
  return out;
}

std::string RecordingSceneApi::joined() const {
  std::string out;
  for (const std::string& line : calls) out += line + "\n";
  return out;
}

std::vector<const RecordingSceneApi::Array*> RecordingSceneApi::named(
    const std::string& name) const {
  std::vector<const Array*> out;
  for (const Array& a : arrays)
    if (a.name == name) out.push_back(&a);
  return out;
}

void RecordingSceneApi::log(const std::string& line) const {
  // print and error are const in the interface; the log is the only state they touch.
  const_cast<RecordingSceneApi*>(this)->calls.push_back(line);
}

void RecordingSceneApi::install() { log("install"); }

bool RecordingSceneApi::group_begin(char const* name, bool placed) {
  return logged("group_begin " + quoted(name) + (placed ? " placed" : ""));
}
void RecordingSceneApi::group_end() { log("group_end"); }
bool RecordingSceneApi::object_begin(char const* name, bool placed) {
  return logged("object_begin " + quoted(name) + (placed ? " placed" : ""));
}
void RecordingSceneApi::object_end() { log("object_end"); }
bool RecordingSceneApi::geometry_use(char const* name) {
  return logged("geometry_use " + quoted(name));
}
void RecordingSceneApi::geometry_end() { log("geometry_end"); }
bool RecordingSceneApi::animation_begin(char const* name, char const* kind) {
  return logged("animation_begin " + quoted(name) + " " + quoted(kind));
}
void RecordingSceneApi::animation_end() { log("animation_end"); }
bool RecordingSceneApi::module_begin(char const* name) {
  return logged("module_begin " + quoted(name));
}
void RecordingSceneApi::module_end() { log("module_end"); }
bool RecordingSceneApi::options_begin() { return logged("options_begin"); }
void RecordingSceneApi::options_end() { log("options_end"); }
bool RecordingSceneApi::camera_begin(char const* name) {
  return logged("camera_begin " + quoted(name));
}
void RecordingSceneApi::camera_end() { log("camera_end"); }
bool RecordingSceneApi::image_begin() { return logged("image_begin"); }
void RecordingSceneApi::image_end() { log("image_end"); }
bool RecordingSceneApi::output_begin(char const* a, char const* b, char const* c) {
  return logged("output_begin " + quoted(a) + " " + quoted(b) + " " + quoted(c));
}
void RecordingSceneApi::output_end() { log("output_end"); }
bool RecordingSceneApi::light_begin(char const* name) {
  return logged("light_begin " + quoted(name));
}
void RecordingSceneApi::light_end() { log("light_end"); }
bool RecordingSceneApi::accel_use(char const* name) { return logged("accel_use " + quoted(name)); }
void RecordingSceneApi::accel_end() { log("accel_end"); }

void RecordingSceneApi::transform(zelMatrix const& m) {
  transforms.push_back(m);
  log("transform " + matrix_text(m));
}
void RecordingSceneApi::transform_set(zelMatrix const& m) {
  log("transform_set " + matrix_text(m));
}
void RecordingSceneApi::scale(double const& x, double const& y, double const& z) {
  log("scale " + num(x) + " " + num(y) + " " + num(z));
}
void RecordingSceneApi::rotate(double const& x, double const& y, double const& z) {
  log("rotate " + num(x) + " " + num(y) + " " + num(z));
}
void RecordingSceneApi::translate(double const& x, double const& y, double const& z) {
  log("translate " + num(x) + " " + num(y) + " " + num(z));
}
bool RecordingSceneApi::matrix_begin(char const* name) {
  return logged("matrix_begin " + quoted(name));
}
void RecordingSceneApi::matrix_end() { log("matrix_end"); }

bool RecordingSceneApi::material_begin(char const* name, bool placed) {
  return logged("material_begin " + quoted(name) + (placed ? " placed" : ""));
}
bool RecordingSceneApi::material_use(char const* name) {
  return logged("material_use " + quoted(name));
}
void RecordingSceneApi::material_end() { log("material_end"); }
void RecordingSceneApi::material_set_shader(zelShader_type kind, int shaderId) {
  log("material_set_shader " + std::to_string(kind) + " id " + std::to_string(shaderId));
}
bool RecordingSceneApi::shader_begin(char const* type, int shaderId) {
  return logged("shader_begin " + quoted(type) + " id " + std::to_string(shaderId));
}
void RecordingSceneApi::shader_end() { log("shader_end"); }
void RecordingSceneApi::material_set_shader(zelShader_type kind, zelShader* shader) {
  log("material_set_shader " + std::to_string(kind) + " " + shader_text(shader));
}
bool RecordingSceneApi::shader_begin(char const* name, char const* type) {
  if (!name) ++anonymousShaders_;
  log("shader_begin " + quoted(name) + " " + quoted(type));
  return true;
}
zelShader* RecordingSceneApi::shader_get() {
  log("shader_get");
  shaderTexts_.push_back("shader#" + std::to_string(anonymousShaders_));
  std::string& text = shaderTexts_.back();
  handles_.push_back(zelShader{&text[0], static_cast<int32_t>(text.size()),
                               static_cast<int32_t>(text.size()), false});
  return &handles_.back();
}
void RecordingSceneApi::shader_push() { log("shader_push"); }
void RecordingSceneApi::shader_pop() { log("shader_pop"); }

bool RecordingSceneApi::set_parameter(char const* name, zelType type, const void* value) {
  if ((type & TYPE_ARRAY) && (type & TYPE_STREAM) && value) {
    // A streamed array is drained and recorded as the whole array it stands for.
    const zelArrayStream* stream = static_cast<const zelArrayStream*>(value);
    const zelType base = static_cast<zelType>(type & ~(TYPE_ARRAY | TYPE_STREAM));
    const size_t size = base == TYPE_COLOR    ? 3 * sizeof(float)
                        : base == TYPE_MATRIX ? sizeof(zelMatrix)
                                              : sizeof(int32_t);
    std::vector<unsigned char> bytes(size * stream->count);
    for (uint32_t done = 0, made = 1; done < stream->count && made > 0; done += made)
      made = stream->fill(stream->context, bytes.data() + done * size, stream->count - done);
    zelArray whole{bytes.data(), stream->count};
    return set_parameter(name, static_cast<zelType>(type & ~TYPE_STREAM), &whole);
  }
  if ((type & TYPE_ARRAY) && value) {
    const zelArray* a = static_cast<const zelArray*>(value);
    Array copy{name ? name : "", type, {}, {}, {}};
    const zelType base = static_cast<zelType>(type & ~TYPE_ARRAY);
    if (base == TYPE_COLOR || base == TYPE_FLOAT) {
      const float* f = static_cast<const float*>(a->data);
      copy.floats.assign(f, f + a->count * (base == TYPE_COLOR ? 3u : 1u));
    } else if (base == TYPE_INT) {
      const int32_t* i = static_cast<const int32_t*>(a->data);
      copy.ints.assign(i, i + a->count);
    } else if (base == TYPE_MATRIX) {
      const zelMatrix* m = static_cast<const zelMatrix*>(a->data);
      copy.matrices.assign(m, m + a->count);
    }
    arrays.push_back(copy);
  }
  return logged("set_parameter " + quoted(name) + " " + value_text(type, value));
}
bool RecordingSceneApi::set_subshader(char const* name, zelShader* shader) {
  return logged("set_subshader " + quoted(name) + " " + shader_text(shader));
}
bool RecordingSceneApi::set_subshader(char const* name, int shaderId) {
  return logged("set_subshader " + quoted(name) + " id " + std::to_string(shaderId));
}
bool RecordingSceneApi::initialize_array_mode(char const* name) {
  return logged("initialize_array_mode " + quoted(name));
}
void RecordingSceneApi::finalize_array_mode() { log("finalize_array_mode"); }
void RecordingSceneApi::set_array_parameter(zelType type, void* value) {
  log("set_array_parameter " + value_text(type, value));
}
zelType RecordingSceneApi::get_array_type() { return TYPE_STRING; }
zelType RecordingSceneApi::get_parameter_type(char const*) { return TYPE_STRING; }
void* RecordingSceneApi::geometry_get() { return nullptr; }
void RecordingSceneApi::set_attribute(char const* name, char const* value) {
  log("set_attribute " + quoted(name) + " " + quoted(value));
}
void RecordingSceneApi::add_comment(char const* text) { log("add_comment " + quoted(text)); }
void RecordingSceneApi::set_output_mode(zelScene_api_output_mode mode) {
  log("set_output_mode " + std::to_string(mode));
}
void RecordingSceneApi::set_version(int version) { log("set_version " + std::to_string(version)); }
void RecordingSceneApi::clear(bool all) { log(std::string("clear ") + (all ? "all" : "")); }
void RecordingSceneApi::set_progress(char const* text, float value) {
  log("set_progress " + quoted(text) + " " + num(value));
}
void RecordingSceneApi::set_icon(char const*, int length) {
  log("set_icon " + std::to_string(length));
}
void RecordingSceneApi::set_data(char const* name, char const*, int length) {
  log("set_data " + quoted(name) + " " + std::to_string(length));
}
void RecordingSceneApi::set_id(int id) { log("set_id " + std::to_string(id)); }
void RecordingSceneApi::set_flags(int flags) { log("set_flags " + std::to_string(flags)); }
bool RecordingSceneApi::cancel() {
  log("cancel");
  return false;
}
bool RecordingSceneApi::render() { return logged("render"); }
void RecordingSceneApi::print(char const* text) const { log("print " + quoted(text)); }
void RecordingSceneApi::error(char const* text) const { log("error " + quoted(text)); }
bool RecordingSceneApi::camera_modify(char const* name) {
  return logged("camera_modify " + quoted(name));
}

}  // namespace solvane_test
