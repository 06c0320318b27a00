// The operations of the scene interface, listed once for its implementations.
#pragma once

#include "zelapi.h"

// Every operation of zelScene_api but the connection ones (connect, disconnect,
// get_version), in slot order, as X(return type, name, (parameters), (arguments),
// qualifier). zelapi.h stays the reference for what each does; this list only spares every
// implementation restating it.
#define ZEL_SCENE_OPERATIONS(X)                                                                 \
  X(void, install, (), (), )                                                                    \
  X(bool, group_begin, (char const* name, bool placed), (name, placed), )                       \
  X(void, group_end, (), (), )                                                                  \
  X(bool, object_begin, (char const* name, bool placed), (name, placed), )                      \
  X(void, object_end, (), (), )                                                                 \
  X(bool, geometry_use, (char const* name), (name), )                                           \
  X(void, geometry_end, (), (), )                                                               \
  X(bool, animation_begin, (char const* name, char const* kind), (name, kind), )                \
  X(void, animation_end, (), (), )                                                              \
  X(bool, module_begin, (char const* name), (name), )                                           \
  X(void, module_end, (), (), )                                                                 \
  X(bool, options_begin, (), (), )                                                              \
  X(void, options_end, (), (), )                                                                \
  X(bool, camera_begin, (char const* name), (name), )                                           \
  X(void, camera_end, (), (), )                                                                 \
  X(bool, image_begin, (), (), )                                                                \
  X(void, image_end, (), (), )                                                                  \
  X(bool, output_begin, (char const* a, char const* b, char const* c), (a, b, c), )             \
  X(void, output_end, (), (), )                                                                 \
  X(bool, light_begin, (char const* name), (name), )                                            \
  X(void, light_end, (), (), )                                                                  \
  X(bool, accel_use, (char const* name), (name), )                                              \
  X(void, accel_end, (), (), )                                                                  \
  X(void, transform, (zelMatrix const& m), (m), )                                               \
  X(void, transform_set, (zelMatrix const& m), (m), )                                           \
  X(void, scale, (double const& x, double const& y, double const& z), (x, y, z), )              \
  X(void, rotate, (double const& x, double const& y, double const& z), (x, y, z), )             \
  X(void, translate, (double const& x, double const& y, double const& z), (x, y, z), )          \
  X(bool, matrix_begin, (char const* name), (name), )                                           \
  X(void, matrix_end, (), (), )                                                                 \
  X(bool, material_begin, (char const* name, bool placed), (name, placed), )                    \
  X(bool, material_use, (char const* name), (name), )                                           \
  X(void, material_end, (), (), )                                                               \
  X(void, material_set_shader, (zelShader_type kind, int shaderId), (kind, shaderId), )         \
  X(bool, shader_begin, (char const* type, int shaderId), (type, shaderId), )                   \
  X(void, shader_end, (), (), )                                                                 \
  X(void, material_set_shader, (zelShader_type kind, zelShader * shader), (kind, shader), )     \
  X(bool, shader_begin, (char const* name, char const* type), (name, type), )                   \
  X(zelShader*, shader_get, (), (), )                                                           \
  X(void, shader_push, (), (), )                                                                \
  X(void, shader_pop, (), (), )                                                                 \
  X(bool, set_parameter, (char const* name, zelType type, const void* value),                   \
    (name, type, value), )                                                                      \
  X(bool, set_subshader, (char const* name, zelShader* shader), (name, shader), )               \
  X(bool, set_subshader, (char const* name, int shaderId), (name, shaderId), )                  \
  X(bool, initialize_array_mode, (char const* name), (name), )                                  \
  X(void, finalize_array_mode, (), (), )                                                        \
  X(void, set_array_parameter, (zelType type, void* value), (type, value), )                    \
  X(zelType, get_array_type, (), (), )                                                          \
  X(zelType, get_parameter_type, (char const* name), (name), )                                  \
  X(void*, geometry_get, (), (), )                                                              \
  X(void, set_attribute, (char const* name, char const* value), (name, value), )                \
  X(void, add_comment, (char const* text), (text), )                                            \
  X(void, set_output_mode, (zelScene_api_output_mode mode), (mode), )                           \
  X(void, set_version, (int version), (version), )                                              \
  X(void, clear, (bool all), (all), )                                                           \
  X(void, set_progress, (char const* text, float value), (text, value), )                       \
  X(void, set_icon, (char const* bytes, int length), (bytes, length), )                         \
  X(void, set_data, (char const* name, char const* bytes, int length), (name, bytes, length), ) \
  X(void, set_id, (int id), (id), )                                                             \
  X(void, set_flags, (int flags), (flags), )                                                    \
  X(bool, cancel, (), (), )                                                                     \
  X(bool, render, (), (), )                                                                     \
  X(void, print, (char const* text), (text), const)                                             \
  X(void, error, (char const* text), (text), const)                                             \
  X(bool, camera_modify, (char const* name), (name), )

#define ZEL_DECLARE_OVERRIDE(ret, name, params, args, qualifier) ret name params qualifier override;

// Declares every operation of ZEL_SCENE_OPERATIONS as an override, inside a class derived
// from zelScene_api.
#define ZEL_SCENE_OVERRIDES ZEL_SCENE_OPERATIONS(ZEL_DECLARE_OVERRIDE)
