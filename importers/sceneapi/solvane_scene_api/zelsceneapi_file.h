// Text scene writer: the implementation of zelScene_api that turns every call into the
// text scene format (and, for large numeric arrays, binary blocks) in an open C stream.
#pragma once

#include "zelapi.h"

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// Growable stack. Popping an empty stack yields a value-initialised entry (0, false or
// null), never undefined behaviour.
template <typename T>
class zelStack {
 public:
  zelStack() { items_.reserve(32); }
  void push(T value) { items_.push_back(value); }
  T pop() {
    if (items_.empty()) return T{};
    T value = items_.back();
    items_.pop_back();
    return value;
  }
  size_t size() const { return items_.size(); }

 private:
  std::vector<T> items_;
};

// Writes to `stream` (not owned; the writer never closes it). A null stream makes every
// write a no-op while operations still return their normal results.
//
// The writer switches the process-wide numeric locale to "C" for its whole lifetime so
// that numbers always use a decimal point, and restores the previous one when destroyed.
// One writer at a time per process, used by one thread.
class zelScene_api_file : public zelScene_api {
 public:
  zelScene_api_file(FILE* stream, bool binaryArrays);
  ~zelScene_api_file() override;

  zelScene_api_file(const zelScene_api_file&) = delete;
  zelScene_api_file& operator=(const zelScene_api_file&) = delete;

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

  // Value encodings, usable on their own.
  void print_string(char const* text);               // one string token
  void print_bytes(char const* bytes, int count);    // one byte token
  void print_type(zelType type, void const* value);  // one value in its type's form

  // Size of each of the two fixed working buffers (formatting and indenting).
  static constexpr size_t kWorkBufferSize = 1u << 20;
  // Size of the buffer that streamed arrays are made into, piece by piece.
  static constexpr size_t kStreamBufferSize = 1u << 20;

 private:
  enum BlockKind : int32_t {
    BLOCK_NONE = 0,
    BLOCK_OPTIONS = 1,
    BLOCK_CAMERA = 2,
    BLOCK_IMAGE = 3,
    BLOCK_OBJECT = 4
  };

  // Write primitives: every byte of output passes through these.
  void print_out(const char* format, ...) const __attribute__((format(printf, 2, 3)));
  void print_ni(const char* format, ...) const __attribute__((format(printf, 2, 3)));
  void write_raw(const void* bytes, size_t length) const;
  const char* format_text(std::unique_ptr<char[]>& large, size_t& length, const char* format,
                          va_list args) const;
  void put_indented(const char* text, size_t length) const;  // unformatted indented write
  void emit(const char* text, size_t length) const;          // stream or capture buffer

  void print_string_at_depth(char const* text, int depth);  // token with a given depth
  void write_hex_token(const char* prefix, const unsigned char* bytes, size_t count);
  void print_shader_string(const zelShader* shader);
  void print_element(zelType base, const unsigned char* element);
  void print_array(zelType base, const zelArray* array);
  void print_array_stream(zelType base, const zelArrayStream* stream);
  // Elements handed out in pieces: `next(first, wanted)` gives the next Piece, of at most
  // `wanted` elements starting at element `first`.
  struct Piece {
    const unsigned char* data;
    uint32_t count;
  };
  template <typename NextPiece>
  void print_array_pieces(zelType base, uint32_t count, NextPiece next);
  void print_array_element(zelType base, const unsigned char* data, uint32_t k, uint32_t count);
  void write_binary_block(char letter, uint32_t count, const void* payload, size_t bytes);
  void open_block(const char* keyword, char const* name);
  void close_block();
  void enter_style(bool bare);  // saves the parameter style, then sets it
  bool begin_kind(int32_t kind);
  void end_kind(int32_t kind);
  void write_transform(const char* keyword, zelMatrix const& m);
  const char* shader_kind_keyword(zelShader_type kind);

  FILE* stream_;
  bool binaryArrays_;
  uint32_t outputMode_;
  int32_t depth_;
  bool bareStyle_;
  int32_t blockKind_;
  int32_t objectFlags_;
  bool capture_;
  zelShader* current_;

  int32_t arrayCounter_;
  std::vector<uint32_t> accumulator_;
  char accumulatorLetter_;

  zelStack<int32_t> depthStack_;
  zelStack<bool> captureStack_;
  zelStack<bool> styleStack_;
  zelStack<zelShader*> shaderStack_;

  std::vector<zelShader*> shaders_;  // every capture buffer created; freed at the end
  std::unique_ptr<char[]> formatBuffer_;
  std::unique_ptr<char[]> indentBuffer_;
  std::unique_ptr<unsigned char[]> streamBuffer_;  // pieces of streamed arrays
  std::string savedNumericLocale_;
};
