#include "zelsceneapi_oo.h"

#include "LightFactory.h"
#include "LightNode.h"

#include <stdexcept>

namespace zel {

zelSceneapi_oo::zelSceneapi_oo(LightFactory* factory)
    : api_(nullptr), factory_(factory), shaderCounter_(0), instanceCounter_(0) {
  init();
}

zelSceneapi_oo::~zelSceneapi_oo() {}

std::string zelSceneapi_oo::banner() {
  return "Solvane SceneApi oo " + std::to_string(kVersionMajor) + "." +
         std::to_string(kVersionMinor) + "." + std::to_string(kVersionPatch) + "  (built " +
         kBuildStamp + ")";
}

// Opening sequence: scene API from the factory, the factory's header, banner, version.
void zelSceneapi_oo::init() {
  setSceneapi(factory_ ? factory_->getApi() : nullptr);
  if (!api_) return;
  factory_->init(this);
  api_->print(banner().c_str());
  api_->set_version(kSceneVersion);
}

void zelSceneapi_oo::setSceneapi(zelScene_api* api) {
  api_ = api;
  shaderCounter_ = 0;
  instanceCounter_ = 0;
}

int zelSceneapi_oo::createInstanceID() {
  ++instanceCounter_;
  if (api_) api_->set_id(instanceCounter_);
  return instanceCounter_;
}

void zelSceneapi_oo::insertNode(const LightNode& node) { node.insert(this); }

void zelSceneapi_oo::setProgress(const std::string& text, float value) {
  if (api_) api_->set_progress(text.c_str(), value);
}

bool zelSceneapi_oo::begin_group(const std::string& name) {
  return api_ && api_->group_begin(name.c_str(), true);
}

void zelSceneapi_oo::end_group() {
  if (api_) api_->group_end();
}

int zelSceneapi_oo::shaderBegin(const std::string& type) {
  ++shaderCounter_;
  if (api_) api_->shader_begin(type.c_str(), static_cast<int>(shaderCounter_));
  return shaderCounter_;
}

void zelSceneapi_oo::shaderEnd() {
  if (api_) api_->shader_end();
}

bool zelSceneapi_oo::set_parameter(const std::string& name, bool value) {
  int widened = value ? 1 : 0;
  return api_ && api_->set_parameter(name.c_str(), TYPE_BOOL, &widened);
}

bool zelSceneapi_oo::set_parameter(const std::string& name, int value) {
  return api_ && api_->set_parameter(name.c_str(), TYPE_INT, &value);
}

bool zelSceneapi_oo::set_parameter(const std::string& name, float value) {
  return api_ && api_->set_parameter(name.c_str(), TYPE_FLOAT, &value);
}

bool zelSceneapi_oo::set_parameter(const std::string& name, double value) {
  return api_ && api_->set_parameter(name.c_str(), TYPE_DOUBLE, &value);
}

bool zelSceneapi_oo::set_parameter(const std::string& name, const zelVector& value) {
  return api_ && api_->set_parameter(name.c_str(), TYPE_VECTOR, &value);
}

bool zelSceneapi_oo::set_parameter(const std::string& name, const zelColor& value) {
  return api_ && api_->set_parameter(name.c_str(), TYPE_COLOR, &value);
}

bool zelSceneapi_oo::set_parameter(const std::string& name, const std::string& value) {
  return api_ && api_->set_parameter(name.c_str(), TYPE_STRING, value.c_str());
}

bool zelSceneapi_oo::set_parameter(const std::string&, const char*) {
  throw std::invalid_argument("const char * are deprecated");
}

namespace {

template <typename T>
bool send_array(zelScene_api* api, const std::string& name, zelType base,
                const std::vector<T>& values, size_t count) {
  if (!api) return false;
  zelArray array{const_cast<T*>(values.data()), static_cast<uint32_t>(count)};
  return api->set_parameter(name.c_str(), zel_array_of(base), &array);
}

}  // namespace

bool zelSceneapi_oo::set_array(const std::string& name, const std::vector<double>& values) {
  return send_array(api_, name, TYPE_DOUBLE, values, values.size());
}

bool zelSceneapi_oo::set_array(const std::string& name, const std::vector<float>& values) {
  return send_array(api_, name, TYPE_FLOAT, values, values.size());
}

bool zelSceneapi_oo::set_array(const std::string& name, const std::vector<int>& values) {
  return send_array(api_, name, TYPE_INT, values, values.size());
}

bool zelSceneapi_oo::set_array(const std::string& name, const std::vector<zelMatrix>& values) {
  return send_array(api_, name, TYPE_MATRIX, values, values.size());
}

bool zelSceneapi_oo::set_vec3_array(const std::string& name, const std::vector<float>& values) {
  return send_array(api_, name, TYPE_COLOR, values, values.size() / 3);
}

void zelSceneapi_oo::set_transform(const zelMatrix& m, bool set) {
  if (!api_) return;
  if (set)
    api_->transform_set(m);
  else
    api_->transform(m);
}

void zelSceneapi_oo::set_transform(const zelMatrix& m) { set_transform(m, false); }

void zelSceneapi_oo::set_flags(int flags) {
  if (api_) api_->set_flags(flags);
}

zelScene_api* zelSceneapi_oo::get_scene_api() { return api_; }

}  // namespace zel
