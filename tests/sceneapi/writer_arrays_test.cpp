// Whole and streamed arrays of the text scene writer, as text and as binary blocks.
#include "scene_bytes.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

using scenetest::hexBytes;
using scenetest::sameBytes;
using scenetest::writeToMemory;

namespace {

template <typename T>
void setArray(zelScene_api_file& w, const char* name, zelType base, std::vector<T> values,
              int count = -1) {
  zelArray a{values.data(), static_cast<uint32_t>(count < 0 ? values.size() : count)};
  w.set_parameter(name, zel_array_of(base), &a);
}

TEST(WriterArrays, TextForms) {
  std::string out = writeToMemory([](zelScene_api_file& w) {
    setArray<float>(w, "f", TYPE_FLOAT, {1, 2.5f, std::numeric_limits<float>::infinity()});
    setArray<float>(w, "c", TYPE_COLOR, {1, 0, 0, 0, 0.5f, 1}, 2);
    setArray<float>(w, "empty", TYPE_FLOAT, {});
    // Nine elements on the first line, then eight a line.
    setArray<int>(w, "nine", TYPE_INT, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    setArray<int>(w, "eighteen", TYPE_INT,
                  {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18});
    zelMatrix m[2];
    m[0].make_identity();
    m[1].make_identity();
    m[1].m[12] = 1e39;  // matrix arrays are not rounded to single precision
    zelArray a{m, 2};
    w.set_parameter("m", zel_array_of(TYPE_MATRIX), &a);
  });
  EXPECT_TRUE(sameBytes(out,
                        "\"f\" [ 1,2.5,-1 ] ,\n"
                        "\"c\" [ 1 0 0,0 0.5 1 ] ,\n"
                        "\"empty\" [ ] ,\n"
                        "\"nine\" [ 1,2,3,4,5,6,7,8,9 \n] ,\n"
                        "\"eighteen\" [ 1,2,3,4,5,6,7,8,9,\n10,11,12,13,14,15,16,17,\n18 ] ,\n"
                        "\"m\" [ 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 ,\n"
                        "1 0 0 0 0 1 0 0 0 0 1 0 1e+39 0 0 1 \n] ,\n"));
}

// The block header counts numbers, not elements: three for each colour.
TEST(WriterArrays, BinaryBlocks) {
  std::string out = writeToMemory(
      [](zelScene_api_file& w) {
        setArray<float>(w, "f", TYPE_FLOAT, {1.0f, -2.0f});
        setArray<int>(w, "i", TYPE_INT, {1, -1});
        setArray<float>(w, "c", TYPE_COLOR, {1, 0, 0.5f}, 1);
        setArray<float>(w, "empty", TYPE_FLOAT, {});
      },
      true);
  const std::string expected =
      "\"f\" [ " + hexBytes("01 02 03 66 02 00 00 00 00 00 80 3f 00 00 00 c0") + "] ,\n" +
      "\"i\" [ " + hexBytes("01 02 03 69 02 00 00 00 01 00 00 00 ff ff ff ff") + "] ,\n" +
      "\"c\" [ " + hexBytes("01 02 03 63 03 00 00 00 00 00 80 3f 00 00 00 00 00 00 00 3f") +
      "] ,\n" + "\"empty\" [ " + hexBytes("01 02 03 66 00 00 00 00") + "] ,\n";
  EXPECT_TRUE(sameBytes(out, expected));
}

// A streamed array gives the bytes of the whole array, in text and in binary blocks, however
// its source cuts the pieces and wherever the writer's buffer ends.
TEST(WriterArrays, StreamedArraysWriteTheBytesOfWholeOnes) {
  struct Source {
    const unsigned char* data;
    size_t elementSize;
    uint32_t next;
    uint32_t most;  // the most the source gives at a time
    static uint32_t fill(void* context, void* buffer, uint32_t capacity) {
      Source& s = *static_cast<Source*>(context);
      const uint32_t n = std::min(capacity, s.most);
      std::memcpy(buffer, s.data + s.next * s.elementSize, n * s.elementSize);
      s.next += n;
      return n;
    }
  };
  const uint32_t big = zelScene_api_file::kStreamBufferSize / sizeof(zelMatrix) + 5;
  const uint32_t intsPastBuffer = zelScene_api_file::kStreamBufferSize / sizeof(int) + 3;
  // Enough values for the longest case: 100,001 colours.
  std::vector<double> numbers(std::max<size_t>({16 * big, 3 * 100001, intsPastBuffer}));
  for (size_t i = 0; i < numbers.size(); ++i) numbers[i] = 0.25 * double(i % 1000) - 7;
  std::vector<float> floats(numbers.begin(), numbers.end());
  std::vector<int> ints(numbers.size());
  for (size_t i = 0; i < ints.size(); ++i) ints[i] = int(i) - 40;
  struct Case {
    zelType base;
    const void* data;
    size_t elementSize;
    uint32_t count;
  } const cases[] = {
      {TYPE_INT, ints.data(), 4, intsPastBuffer},
      {TYPE_COLOR, floats.data(), 12, 100001},
      {TYPE_MATRIX, numbers.data(), sizeof(zelMatrix), big},
      {TYPE_INT, ints.data(), 4, 0},
  };
  for (const Case& c : cases) {
    for (bool binary : {false, true}) {
      // Long text arrays cost time and show nothing the matrices do not.
      if (!binary && c.base != TYPE_MATRIX && c.count > 1000) continue;
      for (uint32_t most : {7u, 1u << 30}) {
        SCOPED_TRACE(std::to_string(c.base) + (binary ? " binary" : " text") + " pieces of " +
                     std::to_string(most));
        const std::string whole = writeToMemory(
            [&](zelScene_api_file& w) {
              zelArray a{const_cast<void*>(c.data), c.count};
              w.set_parameter("a", zel_array_of(c.base), &a);
            },
            binary);
        const std::string streamed = writeToMemory(
            [&](zelScene_api_file& w) {
              Source source{static_cast<const unsigned char*>(c.data), c.elementSize, 0, most};
              zelArrayStream s{c.count, &source, Source::fill};
              w.set_parameter("a", zel_stream_of(c.base), &s);
            },
            binary);
        EXPECT_TRUE(whole == streamed);
      }
    }
  }
}

}  // namespace
