// What the scene format fixes for its writer and its readers alike.
#pragma once

#include <cstddef>

namespace zel_format {

// Binary array block: the bytes 01 02 03, a type letter, a little-endian 32-bit count, then
// the raw little-endian elements.
constexpr unsigned char kBinaryMagic[3] = {0x01, 0x02, 0x03};
constexpr char kBinaryFloat = 'f';   // count floats, 4 bytes each
constexpr char kBinaryInt = 'i';     // count 32-bit ints, 4 bytes each
constexpr char kBinaryColor = 'c';   // count floats (three per colour)
constexpr char kBinaryDouble = 'r';  // count doubles, 8 bytes each
constexpr std::size_t kBinaryHeaderSize = 8;

// Deepest nesting of blocks, arrays and captured shader texts that a scene may have: readers
// refuse deeper scenes, and the exporter refuses documents that would need them.
constexpr int kMaxNesting = 256;

}  // namespace zel_format
