// Text scene writer: the implementation of zelScene_api that turns every call into the
// text scene format (and, for large numeric arrays, binary blocks) in an open C stream.
#pragma once

#include "zelapi.h"
#include "zelapi_operations.h"

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

  ZEL_SCENE_OVERRIDES

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
  void print_formatted(bool indented, const char* format, va_list args) const;
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
  // A block with a parameter style of its own: opened with the style set, closed with the
  // previous style restored.
  void open_styled_block(const char* keyword, char const* name, bool bare);
  void close_styled_block();
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
