#include "zelsceneapi_file.h"

#include "zelformat.h"

#include <algorithm>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t kStartMode = 0x400001;
constexpr int32_t kInvisibleFlag = 0x4000;
constexpr size_t kAccumulatorStep = 65536;

using zel_format::kBinaryColor;
using zel_format::kBinaryDouble;
using zel_format::kBinaryFloat;
using zel_format::kBinaryHeaderSize;
using zel_format::kBinaryInt;
using zel_format::kBinaryMagic;

const char* const kShaderKindNames[4] = {"surface", "shadow", "volume", "reflection map"};

// Floats outside the finite float range (and NaN) are written as -1.
bool outside_float_range(double v) {
  return !(v > -static_cast<double>(FLT_MAX) && v < static_cast<double>(FLT_MAX));
}

bool needs_hex(const char* text) {
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    if (*p == '\n' || *p == '\r' || *p == '"' || *p >= 0x80) return true;
  }
  return false;
}

void zelstring_append(zelString* s, const char* bytes, size_t length) {
  size_t needed = static_cast<size_t>(s->length) + length + 1;
  if (needed > static_cast<size_t>(s->capacity)) {
    size_t capacity = s->capacity > 0 ? static_cast<size_t>(s->capacity) : 256;
    while (capacity < needed) capacity *= 2;
    char* grown = static_cast<char*>(std::realloc(s->buffer, capacity));
    if (!grown) std::abort();
    s->buffer = grown;
    s->capacity = static_cast<int32_t>(capacity);
  }
  std::memcpy(s->buffer + s->length, bytes, length);
  s->length += static_cast<int32_t>(length);
  s->buffer[s->length] = '\0';
}

// Size of an element of a base type inside a zelArray, 0 for types without arrays.
size_t element_size(zelType base) {
  switch (base) {
    case TYPE_COLOR:
      return 3 * sizeof(float);
    case TYPE_FLOAT4:
      return 4 * sizeof(float);
    case TYPE_FLOAT:
      return sizeof(float);
    case TYPE_DOUBLE:
      return sizeof(double);
    case TYPE_VECTOR:
      return 3 * sizeof(double);
    case TYPE_INT:
    case TYPE_INT_ALT:
    case TYPE_BOOL:
      return sizeof(int32_t);
    case TYPE_MATRIX:
      return sizeof(zelMatrix);
    case TYPE_STRING:
    case TYPE_STRING_REF:
      return sizeof(char*);
    default:
      return 0;
  }
}

}  // namespace

zelScene_api_file::zelScene_api_file(FILE* stream, bool binaryArrays)
    : stream_(stream),
      binaryArrays_(binaryArrays),
      outputMode_(kStartMode),
      depth_(0),
      bareStyle_(false),
      blockKind_(BLOCK_NONE),
      objectFlags_(0),
      capture_(false),
      current_(nullptr),
      arrayCounter_(0),
      accumulatorLetter_(0),
      formatBuffer_(new char[kWorkBufferSize]),
      indentBuffer_(new char[kWorkBufferSize]) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  savedNumericLocale_ = previous ? previous : "C";
  std::setlocale(LC_NUMERIC, "C");
}

zelScene_api_file::~zelScene_api_file() {
  for (zelShader* s : shaders_) {
    std::free(s->buffer);
    delete s;
  }
  std::setlocale(LC_NUMERIC, savedNumericLocale_.c_str());
}

// ---------------------------------------------------------------------------
// Write primitives

void zelScene_api_file::emit(const char* text, size_t length) const {
  if (!stream_ || length == 0) return;
  if (capture_) {
    if (current_) zelstring_append(current_, text, length);
    return;
  }
  std::fwrite(text, 1, length, stream_);
}

void zelScene_api_file::write_raw(const void* bytes, size_t length) const {
  if (!stream_) return;
  if (capture_) {
    if (!current_) return;
    zelstring_append(current_, static_cast<const char*>(bytes), length);
    if (length > 0) current_->raw = true;
    return;
  }
  if (length > 0) std::fwrite(bytes, 1, length, stream_);
}

// Inserts `depth_` blanks at the start and after every line feed followed by more text.
void zelScene_api_file::put_indented(const char* text, size_t length) const {
  if (!stream_) return;
  if ((outputMode_ & OUTPUT_NO_INDENT) || depth_ <= 0) {
    emit(text, length);
    return;
  }
  const size_t pad = static_cast<size_t>(depth_);
  size_t lines = 1;
  for (size_t i = 0; i + 1 < length; ++i)
    if (text[i] == '\n') ++lines;
  const size_t total = length + pad * lines;
  std::unique_ptr<char[]> large;
  char* out = indentBuffer_.get();
  if (total > kWorkBufferSize) {
    large.reset(new char[total]);
    out = large.get();
  }
  size_t n = 0;
  std::memset(out, ' ', pad);
  n += pad;
  for (size_t i = 0; i < length; ++i) {
    out[n++] = text[i];
    if (text[i] == '\n' && i + 1 < length) {
      std::memset(out + n, ' ', pad);
      n += pad;
    }
  }
  emit(out, n);
}

// Formats into the working buffer; a text that does not fit is formatted again into
// `large`, sized for it, so that no write is ever cut short. Null on a format error.
const char* zelScene_api_file::format_text(std::unique_ptr<char[]>& large, size_t& length,
                                           const char* format, va_list args) const {
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(formatBuffer_.get(), kWorkBufferSize, format, args);
  const char* text = n < 0 ? nullptr : formatBuffer_.get();
  if (n >= 0 && static_cast<size_t>(n) >= kWorkBufferSize) {
    large.reset(new char[static_cast<size_t>(n) + 1]);
    std::vsnprintf(large.get(), static_cast<size_t>(n) + 1, format, again);
    text = large.get();
  }
  va_end(again);
  length = n < 0 ? 0 : static_cast<size_t>(n);
  return text;
}

void zelScene_api_file::print_formatted(bool indented, const char* format, va_list args) const {
  if (!stream_) return;
  std::unique_ptr<char[]> large;
  size_t length = 0;
  const char* text = format_text(large, length, format, args);
  if (!text) return;
  if (indented) {
    put_indented(text, length);
  } else {
    emit(text, length);
  }
}

void zelScene_api_file::print_out(const char* format, ...) const {
  va_list args;
  va_start(args, format);
  print_formatted(true, format, args);
  va_end(args);
}

void zelScene_api_file::print_ni(const char* format, ...) const {
  va_list args;
  va_start(args, format);
  print_formatted(false, format, args);
  va_end(args);
}

// ---------------------------------------------------------------------------
// Value encodings

// Two-letter prefix, then two lowercase hex digits per byte, as raw bytes in small chunks.
void zelScene_api_file::write_hex_token(const char* prefix, const unsigned char* bytes,
                                        size_t count) {
  static const char digits[] = "0123456789abcdef";
  char chunk[512];
  write_raw(prefix, 2);
  for (size_t i = 0; i < count;) {
    size_t n = 0;
    for (; i < count && n < sizeof chunk; ++i) {
      chunk[n++] = digits[bytes[i] >> 4];
      chunk[n++] = digits[bytes[i] & 0x0f];
    }
    write_raw(chunk, n);
  }
}

void zelScene_api_file::print_string(char const* text) {
  if (!text) text = "";
  if (needs_hex(text))
    write_hex_token("xX", reinterpret_cast<const unsigned char*>(text), std::strlen(text));
  else
    print_out("\"%s\"", text);
}

void zelScene_api_file::print_string_at_depth(char const* text, int depth) {
  int32_t saved = depth_;
  depth_ = depth;
  print_string(text);
  depth_ = saved;
}

void zelScene_api_file::print_bytes(char const* bytes, int count) {
  size_t n = (bytes && count > 0) ? static_cast<size_t>(count) : 0;
  write_hex_token("bX", reinterpret_cast<const unsigned char*>(bytes), n);
}

void zelScene_api_file::print_shader_string(const zelShader* shader) {
  if (!shader || !shader->buffer) return;
  if (!shader->raw) {
    put_indented(shader->buffer, std::strlen(shader->buffer));
    return;
  }
  size_t length =
      shader->length > 0 ? static_cast<size_t>(shader->length) : std::strlen(shader->buffer);
  write_raw(shader->buffer, length);
}

void zelScene_api_file::print_type(zelType type, void const* value) {
  // A missing string is the empty string; any other missing value writes nothing.
  if (!value && type != TYPE_STRING && type != TYPE_STRING_REF) return;
  if ((type & TYPE_ARRAY) && (type & TYPE_STREAM)) {
    print_array_stream(static_cast<zelType>(type & ~(TYPE_ARRAY | TYPE_STREAM)),
                       static_cast<const zelArrayStream*>(value));
    return;
  }
  if (type & TYPE_ARRAY) {
    print_array(static_cast<zelType>(type & ~TYPE_ARRAY), static_cast<const zelArray*>(value));
    return;
  }
  const float* f = static_cast<const float*>(value);
  const double* d = static_cast<const double*>(value);
  const int32_t* i = static_cast<const int32_t*>(value);
  switch (type) {
    case TYPE_COLOR:
      print_ni("%g %g %g", f[0], f[1], f[2]);
      break;
    case TYPE_FLOAT4:
    case TYPE_FLOAT4_ALT:
      print_ni("%g %g %g %g", f[0], f[1], f[2], f[3]);
      break;
    case TYPE_FLOAT:
      print_ni("%g", outside_float_range(f[0]) ? -1.0 : static_cast<double>(f[0]));
      break;
    case TYPE_DOUBLE:
      print_ni("%16.16f", d[0]);
      break;
    case TYPE_VECTOR:
      print_ni("%g %g %g", d[0], d[1], d[2]);
      break;
    case TYPE_INT:
    case TYPE_INT_ALT:
      print_ni("%d", i[0]);
      break;
    case TYPE_BOOL:
      print_ni("%s", i[0] ? "on" : "off");
      break;
    case TYPE_MATRIX: {
      const zelMatrix& m = *static_cast<const zelMatrix*>(value);
      float r[16];
      for (int k = 0; k < 16; ++k) r[k] = static_cast<float>(m.m[k]);
      print_ni("%g %g %g %g %g %g %g %g %g %g %g %g %g %g %g %g", r[0], r[1], r[2], r[3], r[4],
               r[5], r[6], r[7], r[8], r[9], r[10], r[11], r[12], r[13], r[14], r[15]);
      break;
    }
    case TYPE_STRING:
      print_string_at_depth(static_cast<const char*>(value), 0);
      break;
    case TYPE_STRING_REF: {
      const char* ref = value ? *static_cast<const char* const*>(value) : nullptr;
      std::string copy = ref ? ref : "";
      print_string_at_depth(copy.c_str(), 0);
      break;
    }
    case TYPE_FLOAT2:
      print_ni("%g %g", f[0], f[1]);
      break;
    case TYPE_INT2:
      print_ni("%d %d", i[0], i[1]);
      break;
    case TYPE_INT3:
      print_ni("%d %d %d", i[0], i[1], i[2]);
      break;
    case TYPE_INT4:
      print_ni("%d %d %d %d", i[0], i[1], i[2], i[3]);
      break;
    case TYPE_SHADER: {
      int32_t saved = depth_;
      depth_ = 2;
      print_shader_string(*static_cast<zelShader* const*>(value));
      depth_ = saved;
      break;
    }
    default:
      break;  // reserved and unknown codes carry no value
  }
}

void zelScene_api_file::write_binary_block(char letter, uint32_t count, const void* payload,
                                           size_t bytes) {
  unsigned char header[kBinaryHeaderSize];
  std::memcpy(header, kBinaryMagic, 3);
  header[3] = static_cast<unsigned char>(letter);
  std::memcpy(header + 4, &count, 4);
  write_raw(header, sizeof header);
  if (bytes > 0 && payload) write_raw(payload, bytes);
}

// One element of a text array, without separator.
void zelScene_api_file::print_element(zelType base, const unsigned char* e) {
  float f[4];
  double d[3];
  int32_t i;
  switch (base) {
    case TYPE_COLOR:
      std::memcpy(f, e, 3 * sizeof(float));
      print_ni("%g %g %g", f[0], f[1], f[2]);
      break;
    case TYPE_FLOAT4:
      std::memcpy(f, e, 4 * sizeof(float));
      print_ni("%g %g %g %g", f[0], f[1], f[2], f[3]);
      break;
    case TYPE_FLOAT:
      std::memcpy(f, e, sizeof(float));
      print_ni("%g", outside_float_range(f[0]) ? -1.0 : static_cast<double>(f[0]));
      break;
    case TYPE_DOUBLE:
      std::memcpy(d, e, sizeof(double));
      print_ni("%16.16f", outside_float_range(d[0]) ? -1.0 : d[0]);
      break;
    case TYPE_VECTOR:
      std::memcpy(d, e, 3 * sizeof(double));
      print_ni("%g %g %g", d[0], d[1], d[2]);
      break;
    case TYPE_INT:
    case TYPE_INT_ALT:
      std::memcpy(&i, e, sizeof i);
      print_ni("%d", i);
      break;
    case TYPE_BOOL:
      std::memcpy(&i, e, sizeof i);
      print_ni("%d", i ? 1 : 0);
      break;
    default:
      break;
  }
}

void zelScene_api_file::print_array(zelType base, const zelArray* array) {
  if (!array->data && array->count > 0) return;
  const unsigned char* data = static_cast<const unsigned char*>(array->data);
  const size_t size = element_size(base);
  print_array_pieces(base, array->count, [&](uint32_t first, uint32_t wanted) {
    return Piece{data + static_cast<size_t>(first) * size, wanted};
  });
}

void zelScene_api_file::print_array_stream(zelType base, const zelArrayStream* stream) {
  const size_t size = element_size(base);
  if (size == 0 || !stream->fill) return;
  if (!streamBuffer_) streamBuffer_.reset(new unsigned char[kStreamBufferSize]);
  const uint32_t capacity = static_cast<uint32_t>(kStreamBufferSize / size);
  print_array_pieces(base, stream->count, [&](uint32_t, uint32_t wanted) {
    uint32_t made = stream->fill(stream->context, streamBuffer_.get(), std::min(wanted, capacity));
    if (made == 0 || made > wanted) {
      // A source that ends early still leaves the count it announced: zeros fill up.
      made = std::min(wanted, capacity);
      std::memset(streamBuffer_.get(), 0, made * size);
    }
    return Piece{streamBuffer_.get(), made};
  });
}

template <typename NextPiece>
void zelScene_api_file::print_array_pieces(zelType base, uint32_t count, NextPiece next) {
  const size_t size = element_size(base);
  if (size == 0) return;  // not an array base type: nothing, not even brackets

  print_ni("[ ");
  if (binaryArrays_) {
    char letter = 0;
    uint32_t field = count;
    switch (base) {
      case TYPE_FLOAT:
        letter = kBinaryFloat;
        break;
      case TYPE_INT:
      case TYPE_INT_ALT:
        letter = kBinaryInt;
        break;
      case TYPE_COLOR:
        letter = kBinaryColor;
        field = 3 * count;
        break;
      case TYPE_DOUBLE:
        letter = kBinaryDouble;
        break;
      default:
        break;
    }
    if (letter) {
      write_binary_block(letter, field, nullptr, 0);
      for (uint32_t done = 0; done < count;) {
        Piece piece = next(done, count - done);
        write_raw(piece.data, static_cast<size_t>(piece.count) * size);
        done += piece.count;
      }
      print_ni("] ");
      return;
    }
  }
  for (uint32_t k = 0; k < count;) {
    Piece piece = next(k, count - k);
    for (uint32_t i = 0; i < piece.count; ++i, ++k)
      print_array_element(base, piece.data + i * size, k, count);
  }
  print_ni("] ");
}

// Element k of count in the text form, with the separator and line breaks that follow it.
void zelScene_api_file::print_array_element(zelType base, const unsigned char* data, uint32_t k,
                                            uint32_t count) {
  if (base == TYPE_STRING || base == TYPE_STRING_REF) {
    print_string_at_depth(*reinterpret_cast<const char* const*>(data), 0);
    print_ni("%s", k + 1 < count ? "," : " ");
    if (k != 0 && k % 8 == 0) print_out("%s", "");
    print_ni("\n");
  } else if (base == TYPE_MATRIX) {
    const zelMatrix* matrix = reinterpret_cast<const zelMatrix*>(data);
    print_out("%s", "");
    for (int j = 0; j < 16; ++j) print_ni("%g ", matrix->m[j]);
    print_ni(k + 1 < count ? ",\n" : "\n");
  } else {
    print_element(base, data);
    print_ni(k + 1 < count ? "," : " ");
    if (k != 0 && k % 8 == 0) {
      print_ni("\n");
      print_out("%s", "");
    }
  }
}

// ---------------------------------------------------------------------------
// Statements

void zelScene_api_file::install() {}

// Keyword (indented), the name token (never indented), " {", one level deeper.
void zelScene_api_file::open_block(const char* keyword, char const* name) {
  print_out("%s", keyword);
  print_string_at_depth(name, 0);
  print_ni(" {\n");
  ++depth_;
}

void zelScene_api_file::close_block() {
  --depth_;
  print_out("}\n");
}

void zelScene_api_file::enter_style(bool bare) {
  styleStack_.push(bareStyle_);
  bareStyle_ = bare;
}

void zelScene_api_file::open_styled_block(const char* keyword, char const* name, bool bare) {
  open_block(keyword, name);
  enter_style(bare);
}

void zelScene_api_file::close_styled_block() {
  close_block();
  bareStyle_ = styleStack_.pop();
}

bool zelScene_api_file::group_begin(char const* name, bool placed) {
  print_ni("\n");
  if (!placed) print_out("#define ");
  open_styled_block("group ", name, true);
  return true;
}

void zelScene_api_file::group_end() { close_styled_block(); }

bool zelScene_api_file::object_begin(char const* name, bool placed) {
  open_styled_block(placed ? "object " : "#define object ", name, true);
  blockKind_ = BLOCK_OBJECT;
  objectFlags_ = 0;
  return true;
}

void zelScene_api_file::object_end() {
  bareStyle_ = styleStack_.pop();
  blockKind_ = BLOCK_NONE;
  if (objectFlags_ & kInvisibleFlag) print_out("invisible on\n");
  close_block();
}

bool zelScene_api_file::geometry_use(char const* name) {
  open_styled_block("geometry ", name, false);
  return true;
}

void zelScene_api_file::geometry_end() { close_styled_block(); }

bool zelScene_api_file::animation_begin(char const* name, char const* kind) {
  print_out("animation ");
  print_string_at_depth(name, 0);
  open_styled_block(" ", kind, false);
  return true;
}

void zelScene_api_file::animation_end() { close_styled_block(); }

bool zelScene_api_file::accel_use(char const* name) {
  open_styled_block("\naccel ", name, false);
  return true;
}

void zelScene_api_file::accel_end() { close_styled_block(); }

bool zelScene_api_file::light_begin(char const* name) {
  print_ni("\n");
  open_block("light ", name);
  return true;
}

void zelScene_api_file::light_end() { close_block(); }

bool zelScene_api_file::module_begin(char const* name) {
  open_block("load ", name);
  return true;
}

void zelScene_api_file::module_end() { close_block(); }

bool zelScene_api_file::matrix_begin(char const* name) {
  open_block("#define matrix ", name);
  return true;
}

void zelScene_api_file::matrix_end() { close_block(); }

bool zelScene_api_file::material_begin(char const* name, bool placed) {
  if (!placed) print_out("\n#define ");
  open_block("material ", name);
  return true;
}

bool zelScene_api_file::material_use(char const* name) {
  print_out("material ");
  print_string_at_depth(name, 0);
  print_ni("\n");
  return true;
}

void zelScene_api_file::material_end() { close_block(); }

// Options, camera and image blocks are refused while one of them or an object is open.
bool zelScene_api_file::begin_kind(int32_t kind) {
  if (blockKind_ != BLOCK_NONE) return false;
  capture_ = false;
  bareStyle_ = true;
  blockKind_ = kind;
  return true;
}

void zelScene_api_file::end_kind(int32_t kind) {
  if (blockKind_ == kind) close_block();
  bareStyle_ = false;
  blockKind_ = BLOCK_NONE;
}

bool zelScene_api_file::options_begin() {
  if (!begin_kind(BLOCK_OPTIONS)) return false;
  print_out("\noptions {\n");
  ++depth_;
  return true;
}

void zelScene_api_file::options_end() { end_kind(BLOCK_OPTIONS); }

bool zelScene_api_file::camera_begin(char const* name) {
  if (!begin_kind(BLOCK_CAMERA)) return false;
  if (name) {
    open_block("\ncamera ", name);
  } else {
    print_out("\ncamera {\n");
    ++depth_;
  }
  return true;
}

bool zelScene_api_file::camera_modify(char const* name) {
  print_out("#modify ");
  return camera_begin(name);
}

void zelScene_api_file::camera_end() { end_kind(BLOCK_CAMERA); }

bool zelScene_api_file::image_begin() {
  if (!begin_kind(BLOCK_IMAGE)) return false;
  print_out("\nimage {\n");
  ++depth_;
  return true;
}

void zelScene_api_file::image_end() { end_kind(BLOCK_IMAGE); }

bool zelScene_api_file::output_begin(char const* a, char const* b, char const* c) {
  bareStyle_ = false;
  print_out("output ");
  print_string_at_depth(a, 0);
  print_ni(" ");
  print_string_at_depth(b, 0);
  print_ni(" ");
  print_string_at_depth(c, 0);
  print_ni(" {\n");
  ++depth_;
  return true;
}

void zelScene_api_file::output_end() {
  bareStyle_ = true;
  close_block();
}

// Each element is rounded to single precision before it is formatted.
void zelScene_api_file::write_transform(const char* keyword, zelMatrix const& m) {
  float r[16];
  for (int k = 0; k < 16; ++k) r[k] = static_cast<float>(m.m[k]);
  print_out("%s %g %g %g %g %g %g %g %g %g %g %g %g %g %g %g %g\n", keyword, r[0], r[1], r[2], r[3],
            r[4], r[5], r[6], r[7], r[8], r[9], r[10], r[11], r[12], r[13], r[14], r[15]);
}

void zelScene_api_file::transform(zelMatrix const& m) { write_transform("transform", m); }

void zelScene_api_file::transform_set(zelMatrix const& m) { write_transform("set transform", m); }

void zelScene_api_file::scale(double const& x, double const& y, double const& z) {
  print_out("scale %g %g %g\n", x, y, z);
}

void zelScene_api_file::rotate(double const& x, double const& y, double const& z) {
  print_out("rotate %g %g %g\n", x, y, z);
}

void zelScene_api_file::translate(double const& x, double const& y, double const& z) {
  print_out("translate %g %g %g\n", x, y, z);
}

// ---------------------------------------------------------------------------
// Shaders

// Slot keyword of a material shader; an unknown kind is announced and taken as surface.
const char* zelScene_api_file::shader_kind_keyword(zelShader_type kind) {
  if (kind < SHADER_SURFACE || kind > SHADER_REFLECTION_MAP) {
    print_out("// assuming surface shader\n");
    return kShaderKindNames[SHADER_SURFACE];
  }
  return kShaderKindNames[kind];
}

void zelScene_api_file::material_set_shader(zelShader_type kind, int shaderId) {
  print_out("%s", shader_kind_keyword(kind));
  print_ni(" %d\n", shaderId);
}

void zelScene_api_file::material_set_shader(zelShader_type kind, zelShader* shader) {
  if (!shader) return;
  print_out("%s ", shader_kind_keyword(kind));
  print_shader_string(shader);
  print_out("\n");
}

bool zelScene_api_file::shader_begin(char const* type, int shaderId) {
  captureStack_.push(capture_);
  shaderStack_.push(current_);
  enter_style(false);
  capture_ = false;
  print_out("#define shader %d %s {\n", shaderId, type ? type : "");
  ++depth_;
  return true;
}

bool zelScene_api_file::shader_begin(char const* name, char const* type) {
  captureStack_.push(capture_);
  shaderStack_.push(current_);
  enter_style(false);
  if (name) {
    capture_ = false;
    print_out("#define shader ");
    print_string_at_depth(name, 0);
    print_ni(" ");
    print_string_at_depth(type, 0);
    print_ni(" {\n");
    ++depth_;
    return true;
  }
  zelShader* buffer = new zelShader{nullptr, 0, 0, false};
  shaders_.push_back(buffer);
  current_ = buffer;
  capture_ = true;
  depthStack_.push(depth_);
  depth_ = 0;
  print_string_at_depth(type, 0);
  print_ni(" {\n");
  ++depth_;
  return true;
}

void zelScene_api_file::shader_end() {
  --depth_;
  if (capture_) {
    print_out("}");
    depth_ = depthStack_.pop();
  } else {
    print_out("}\n");
  }
  bareStyle_ = styleStack_.pop();
  shaderStack_.pop();
  capture_ = captureStack_.pop();
}

zelShader* zelScene_api_file::shader_get() { return current_; }

void zelScene_api_file::shader_push() { shaderStack_.push(current_); }

void zelScene_api_file::shader_pop() { current_ = shaderStack_.pop(); }

// ---------------------------------------------------------------------------
// Parameters

bool zelScene_api_file::set_parameter(char const* name, zelType type, const void* value) {
  if (bareStyle_) {
    print_out("%s ", name ? name : "");
    print_type(type, value);
    print_ni("\n");
  } else {
    print_string(name);
    print_ni(" ");
    print_type(type, value);
    print_ni(",\n");
  }
  return true;
}

bool zelScene_api_file::set_subshader(char const* name, zelShader* shader) {
  print_string(name);
  print_ni(" ! ");
  print_shader_string(shader);
  print_out(",\n");
  return true;
}

bool zelScene_api_file::set_subshader(char const* name, int shaderId) {
  print_string(name);
  print_ni(" ! %d,\n", shaderId);
  return true;
}

bool zelScene_api_file::initialize_array_mode(char const* name) {
  arrayCounter_ = 0;
  print_string(name);
  print_ni(" [\n");
  ++depth_;
  print_out("%s", "");
  accumulator_.clear();
  accumulatorLetter_ = 0;
  return true;
}

void zelScene_api_file::set_array_parameter(zelType type, void* value) {
  if (binaryArrays_ && (type == TYPE_COLOR || type == TYPE_FLOAT || type == TYPE_INT)) {
    if (!value) return;
    const size_t words = type == TYPE_COLOR ? 3 : 1;
    if (accumulator_.size() + words > accumulator_.capacity())
      accumulator_.reserve(accumulator_.size() + accumulator_.capacity() + kAccumulatorStep);
    uint32_t w[3];
    std::memcpy(w, value, words * 4);
    accumulator_.insert(accumulator_.end(), w, w + words);
    accumulatorLetter_ = type == TYPE_COLOR   ? kBinaryColor
                         : type == TYPE_FLOAT ? kBinaryFloat
                                              : kBinaryInt;
    return;
  }
  if (arrayCounter_ != 0) {
    if (arrayCounter_ % 6 == 0 || (type == TYPE_COLOR && arrayCounter_ % 2 == 0)) {
      print_ni(",\n");
      print_out("%s", "");
    } else {
      print_ni(", ");
    }
  }
  print_type(type, value);
  ++arrayCounter_;
}

void zelScene_api_file::finalize_array_mode() {
  if (binaryArrays_ && !accumulator_.empty() &&
      (accumulatorLetter_ == kBinaryInt || accumulatorLetter_ == kBinaryFloat ||
       accumulatorLetter_ == kBinaryColor)) {
    write_binary_block(accumulatorLetter_, static_cast<uint32_t>(accumulator_.size()),
                       accumulator_.data(), accumulator_.size() * sizeof(uint32_t));
  }
  accumulator_.clear();
  accumulatorLetter_ = 0;
  print_ni(" ],\n");
  --depth_;
}

zelType zelScene_api_file::get_array_type() { return TYPE_STRING; }

zelType zelScene_api_file::get_parameter_type(char const*) { return TYPE_STRING; }

void* zelScene_api_file::geometry_get() { return nullptr; }

// ---------------------------------------------------------------------------
// Other statements

void zelScene_api_file::set_attribute(char const* name, char const* value) {
  print_out("attribute ");
  print_string_at_depth(name, 0);
  print_ni(" ");
  print_string_at_depth(value, 0);
  print_ni("\n");
}

void zelScene_api_file::add_comment(char const* text) {
  if (text) put_indented(text, std::strlen(text));
}

void zelScene_api_file::set_output_mode(zelScene_api_output_mode mode) {
  outputMode_ = mode;
  binaryArrays_ = (mode & OUTPUT_BINARY_ARRAYS) != 0;
}

void zelScene_api_file::set_version(int version) {
  print_out("version %d\n\n", version == -1 ? 8 : version);
}

void zelScene_api_file::clear(bool) {}

void zelScene_api_file::set_progress(char const* text, float value) {
  print_out("progress ");
  print_string_at_depth(text, 0);
  print_ni(" %.3f\n\n", static_cast<double>(value));
}

void zelScene_api_file::set_icon(char const* bytes, int length) {
  print_out("icon ");
  print_bytes(bytes, length);
  print_out("\n");
}

void zelScene_api_file::set_data(char const* name, char const* bytes, int length) {
  print_out("%s ", name ? name : "");
  print_bytes(bytes, length);
  print_out("\n");
}

void zelScene_api_file::set_id(int id) { print_out("id %u\n", static_cast<unsigned>(id)); }

void zelScene_api_file::set_flags(int flags) {
  print_out("flags %u\n", static_cast<unsigned>(flags));
}

bool zelScene_api_file::cancel() { return false; }

bool zelScene_api_file::render() {
  print_out("\nrender\n");
  return true;
}

void zelScene_api_file::print(char const* text) const {
  print_out("#print \"");
  if (text) put_indented(text, std::strlen(text));
  print_ni("\"\n");
}

void zelScene_api_file::error(char const* text) const {
  print_out("#error \"");
  if (text) put_indented(text, std::strlen(text));
  print_ni("\"\n");
}
