// Object wrapper over the scene interface: the conversion code's view of the output.
#pragma once

#include "zelapi.h"

#include <string>
#include <vector>

namespace zel {

class LightFactory;
class LightNode;

// Obtains the scene API from a link factory when constructed, writes the opening banner
// and the scene version, numbers shaders and instances, and offers typed setters over
// standard strings and vectors. Neither the scene API nor the factory is owned.
// When the factory gives no scene API, get_scene_api() is null and every operation is a
// no-op returning false or 0.
class zelSceneapi_oo {
 public:
  static constexpr int kVersionMajor = 9;
  static constexpr int kVersionMinor = 0;
  static constexpr int kVersionPatch = 45;
  static constexpr const char* kBuildStamp = "Wed Feb 20 12:07:52 2019";
  static constexpr int kSceneVersion = 8;

  explicit zelSceneapi_oo(LightFactory* factory);
  virtual ~zelSceneapi_oo();

  zelSceneapi_oo(const zelSceneapi_oo&) = delete;
  zelSceneapi_oo& operator=(const zelSceneapi_oo&) = delete;

  // Stores the scene API and restarts both counters at 0.
  virtual void setSceneapi(zelScene_api* api);
  // Next instance id (1, 2, ... per scene API), announced with set_id.
  virtual int createInstanceID();
  virtual void insertNode(const LightNode& node);
  virtual void setProgress(const std::string& text, float value);
  virtual bool begin_group(const std::string& name);
  virtual void end_group();
  // Opens numbered shader n (1, 2, ...) of the given type and returns n.
  virtual int shaderBegin(const std::string& type);
  virtual void shaderEnd();
  virtual bool set_parameter(const std::string& name, bool value);
  virtual bool set_parameter(const std::string& name, int value);
  virtual bool set_parameter(const std::string& name, float value);
  virtual bool set_parameter(const std::string& name, double value);
  virtual bool set_parameter(const std::string& name, const zelVector& value);
  virtual bool set_parameter(const std::string& name, const zelColor& value);
  virtual bool set_parameter(const std::string& name, const std::string& value);
  // Always throws std::invalid_argument: pass std::string values.
  virtual bool set_parameter(const std::string& name, const char* value);
  virtual bool set_array(const std::string& name, const std::vector<double>& values);
  virtual bool set_array(const std::string& name, const std::vector<float>& values);
  virtual bool set_array(const std::string& name, const std::vector<int>& values);
  virtual bool set_array(const std::string& name, const std::vector<zelMatrix>& values);
  // Colour triples; a trailing incomplete triple is not sent.
  virtual bool set_vec3_array(const std::string& name, const std::vector<float>& values);
  virtual void set_transform(const zelMatrix& m, bool set);
  virtual void set_transform(const zelMatrix& m);
  virtual void set_flags(int flags);
  virtual zelScene_api* get_scene_api();

  // "Solvane SceneApi oo 9.0.45  (built ...)", printed at the start of every output.
  static std::string banner();

 private:
  void init();

  zelScene_api* api_;
  LightFactory* factory_;
  int32_t shaderCounter_;
  int32_t instanceCounter_;
};

}  // namespace zel
