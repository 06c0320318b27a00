// The scene interface: every piece of scene content passes through zelScene_api.
//
// Implementations:
//  - zelScene_api_file (zelsceneapi_file.h): writes the text scene format to a C stream
//    (export files, standard output, or a socket stream inside the link library);
//  - the live scene API handed out by the renderer's link library, which carries the
//    scene to a running renderer.
// The link library is built separately and is called through this class's virtual table,
// so the order of the virtual operations below is a binary contract: never reorder, insert
// or remove a virtual operation.
#pragma once

#include <cstdint>

static_assert(sizeof(float) == 4, "scene values rely on 4-byte floats");
static_assert(sizeof(double) == 8, "scene values rely on 8-byte doubles");
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "binary array blocks are little-endian machine values");

// 16 doubles in index order (element 0 to 15). Which elements hold the translation is
// decided by whoever fills the matrix; consumers read the elements in index order.
struct zelMatrix {
  double m[16];

  // Elements 0, 5, 10 and 15 become 1, all others 0.
  void make_identity() {
    for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0 : 0.0;
  }
  double& operator[](int i) { return m[i]; }
  double operator[](int i) const { return m[i]; }
};

// Red, green, blue as three 4-byte floats (12 bytes, also the element layout in arrays).
struct zelColor {
  float r, g, b;
  zelColor() : r(0.0f), g(0.0f), b(0.0f) {}
  zelColor(float red, float green, float blue) : r(red), g(green), b(blue) {}
};

struct zelVector {
  double x, y, z;
};

// Value of an array-typed parameter: elements back to back in the base type's layout.
struct zelArray {
  void* data;
  uint32_t count;
};

// Value of an array-typed parameter whose elements are made in pieces, for arrays too big to
// hold whole: the scene API calls `fill` again and again for the next elements, in order, at
// most `capacity` at a time, into a buffer of its own; `fill` returns how many it wrote, at
// least one until all `count` are done. The result is the same as for a zelArray holding all
// elements.
struct zelArrayStream {
  uint32_t count;
  void* context;
  uint32_t (*fill)(void* context, void* buffer, uint32_t capacity);
};

// A byte buffer that captures the text of an anonymous shader. `raw` says the buffer
// holds raw bytes (hex tokens or binary blocks) and must be written back verbatim.
struct zelString {
  char* buffer;
  int32_t length;
  int32_t capacity;
  bool raw;
};

// Shader handle: owned by the scene API object that created it, valid until that object
// is destroyed.
typedef zelString zelShader;

enum zelShader_type : int32_t {
  SHADER_SURFACE = 0,
  SHADER_SHADOW = 1,
  SHADER_VOLUME = 2,
  SHADER_REFLECTION_MAP = 3,
};

// Type code given with every parameter value. Codes 8, 11, 12 and 19 to 22 are reserved.
enum zelType : int32_t {
  TYPE_NONE = 0,
  TYPE_COLOR = 1,        // zelColor
  TYPE_FLOAT4 = 2,       // 4 floats
  TYPE_FLOAT = 3,        // float
  TYPE_DOUBLE = 4,       // double
  TYPE_VECTOR = 5,       // zelVector
  TYPE_INT = 6,          // int32
  TYPE_BOOL = 7,         // int32, zero is false
  TYPE_MATRIX = 9,       // zelMatrix
  TYPE_STRING = 10,      // the value pointer is the string itself
  TYPE_STRING_REF = 13,  // pointer to a string pointer
  TYPE_FLOAT2 = 14,      // 2 floats
  TYPE_FLOAT4_ALT = 15,  // 4 floats
  TYPE_INT2 = 16,
  TYPE_INT3 = 17,
  TYPE_INT4 = 18,
  TYPE_INT_ALT = 23,      // int32
  TYPE_ARRAY = 0x8000,    // flag added to a base type; the value is a zelArray
  TYPE_SHADER = 0x10000,  // pointer to a zelShader handle
  TYPE_STREAM = 0x20000,  // flag added to an array type; the value is a zelArrayStream
};

inline zelType zel_array_of(zelType base) { return static_cast<zelType>(base | TYPE_ARRAY); }
inline zelType zel_stream_of(zelType base) {
  return static_cast<zelType>(base | TYPE_ARRAY | TYPE_STREAM);
}

// Bit set for zelScene_api::set_output_mode. Bit 0 has no effect in the file writer.
enum zelScene_api_output_mode : uint32_t {
  OUTPUT_BINARY_ARRAYS = 0x2,
  OUTPUT_NO_INDENT = 0x400000,
};

// Scene described as nested blocks carrying named, typed parameters. Names are
// NUL-terminated byte strings; a begin operation returns true when the block was opened.
class zelScene_api {
 public:
  virtual ~zelScene_api() {}

  virtual void install() = 0;
  // The base class cannot connect: connect, disconnect and get_version return false,
  // and get_version leaves its outputs untouched.
  virtual bool connect(char const* host, int port, int how) {
    (void)host;
    (void)port;
    (void)how;
    return false;
  }
  virtual bool disconnect() { return false; }
  virtual bool get_version(int& major, int& minor, int& patch) const {
    (void)major;
    (void)minor;
    (void)patch;
    return false;
  }

  virtual bool group_begin(char const* name, bool placed) = 0;
  virtual void group_end() = 0;
  virtual bool object_begin(char const* name, bool placed) = 0;
  virtual void object_end() = 0;
  virtual bool geometry_use(char const* name) = 0;
  virtual void geometry_end() = 0;
  virtual bool animation_begin(char const* name, char const* kind) = 0;
  virtual void animation_end() = 0;
  virtual bool module_begin(char const* name) = 0;
  virtual void module_end() = 0;
  virtual bool options_begin() = 0;
  virtual void options_end() = 0;
  virtual bool camera_begin(char const* name) = 0;  // name may be null
  virtual void camera_end() = 0;
  virtual bool image_begin() = 0;
  virtual void image_end() = 0;
  virtual bool output_begin(char const* a, char const* b, char const* c) = 0;
  virtual void output_end() = 0;
  virtual bool light_begin(char const* name) = 0;
  virtual void light_end() = 0;
  virtual bool accel_use(char const* name) = 0;
  virtual void accel_end() = 0;

  virtual void transform(zelMatrix const& m) = 0;
  virtual void transform_set(zelMatrix const& m) = 0;
  virtual void scale(double const& x, double const& y, double const& z) = 0;
  virtual void rotate(double const& x, double const& y, double const& z) = 0;
  virtual void translate(double const& x, double const& y, double const& z) = 0;
  virtual bool matrix_begin(char const* name) = 0;
  virtual void matrix_end() = 0;

  virtual bool material_begin(char const* name, bool placed) = 0;
  virtual bool material_use(char const* name) = 0;
  virtual void material_end() = 0;
  // Refers to a shader defined with shader_begin(type, id).
  virtual void material_set_shader(zelShader_type kind, int shaderId) = 0;
  virtual bool shader_begin(char const* type, int shaderId) = 0;
  virtual void shader_end() = 0;
  virtual void material_set_shader(zelShader_type kind, zelShader* shader) = 0;
  // A null name opens an anonymous shader whose text is captured; take its handle with
  // shader_get.
  virtual bool shader_begin(char const* name, char const* type) = 0;
  virtual zelShader* shader_get() = 0;
  virtual void shader_push() = 0;
  virtual void shader_pop() = 0;

  virtual bool set_parameter(char const* name, zelType type, const void* value) = 0;
  virtual bool set_subshader(char const* name, zelShader* shader) = 0;
  virtual bool set_subshader(char const* name, int shaderId) = 0;
  virtual bool initialize_array_mode(char const* name) = 0;
  virtual void finalize_array_mode() = 0;
  virtual void set_array_parameter(zelType type, void* value) = 0;
  virtual zelType get_array_type() = 0;
  virtual zelType get_parameter_type(char const* name) = 0;
  virtual void* geometry_get() = 0;
  virtual void set_attribute(char const* name, char const* value) = 0;
  virtual void add_comment(char const* text) = 0;
  virtual void set_output_mode(zelScene_api_output_mode mode) = 0;
  virtual void set_version(int version) = 0;
  virtual void clear(bool all) = 0;
  virtual void set_progress(char const* text, float value) = 0;
  virtual void set_icon(char const* bytes, int length) = 0;
  virtual void set_data(char const* name, char const* bytes, int length) = 0;
  virtual void set_id(int id) = 0;
  virtual void set_flags(int flags) = 0;
  virtual bool cancel() = 0;
  virtual bool render() = 0;
  virtual void print(char const* text) const = 0;
  virtual void error(char const* text) const = 0;
  virtual bool camera_modify(char const* name) = 0;

  // Convenience setters: one set_parameter call each, returning its result.
  bool set_parameter_int(char const* name, int value) {
    return set_parameter(name, TYPE_INT, &value);
  }
  bool set_parameter_bool(char const* name, int value) {
    return set_parameter(name, TYPE_BOOL, &value);
  }
  bool set_parameter_float(char const* name, float value) {
    return set_parameter(name, TYPE_FLOAT, &value);
  }
  bool set_parameter_color(char const* name, float r, float g, float b) {
    zelColor c(r, g, b);
    return set_parameter(name, TYPE_COLOR, &c);
  }
};
