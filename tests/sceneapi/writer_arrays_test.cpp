// Whole arrays and element-by-element array mode, as text and as binary blocks.
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
    setArray<int>(w, "ialt", TYPE_INT_ALT, {3});
    setArray<float>(w, "c", TYPE_COLOR, {1, 0, 0, 0, 0.5f, 1}, 2);
    setArray<double>(w, "d", TYPE_DOUBLE, {0.5, 1e39});
    setArray<double>(w, "v", TYPE_VECTOR, {1, 2, 3, -1, -2, -3}, 2);
    setArray<int>(w, "b", TYPE_BOOL, {5, 0});
    setArray<float>(w, "f4", TYPE_FLOAT4, {1, 2, 3, 4}, 1);
    setArray<float>(w, "empty", TYPE_FLOAT, {});
    setArray<int>(w, "emptyi", TYPE_INT, {});
    // Nine elements on the first line, then eight a line.
    setArray<int>(w, "nine", TYPE_INT, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    setArray<int>(w, "eighteen", TYPE_INT,
                  {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18});
    // Base types with no array form write no value.
    setArray<float>(w, "f2", TYPE_FLOAT2, {1, 2}, 1);
    setArray<int>(w, "i3", TYPE_INT3, {1, 2, 3}, 1);
  });
  EXPECT_TRUE(sameBytes(out,
                        "\"f\" [ 1,2.5,-1 ] ,\n"
                        "\"ialt\" [ 3 ] ,\n"
                        "\"c\" [ 1 0 0,0 0.5 1 ] ,\n"
                        "\"d\" [ 0.5000000000000000,-1.0000000000000000 ] ,\n"
                        "\"v\" [ 1 2 3,-1 -2 -3 ] ,\n"
                        "\"b\" [ 1,0 ] ,\n"
                        "\"f4\" [ 1 2 3 4 ] ,\n"
                        "\"empty\" [ ] ,\n"
                        "\"emptyi\" [ ] ,\n"
                        "\"nine\" [ 1,2,3,4,5,6,7,8,9 \n] ,\n"
                        "\"eighteen\" [ 1,2,3,4,5,6,7,8,9,\n10,11,12,13,14,15,16,17,\n18 ] ,\n"
                        "\"f2\" ,\n\"i3\" ,\n"));
}

TEST(WriterArrays, StringAndMatrixArrays) {
  std::string out = writeToMemory([](zelScene_api_file& w) {
    const char* names[] = {"a", "b\n", nullptr};
    zelArray s{names, 3};
    w.set_parameter("s", zel_array_of(TYPE_STRING), &s);
    zelMatrix m[2];
    m[0].make_identity();
    m[1].make_identity();
    m[1].m[12] = 1e39;  // matrix arrays are not rounded to single precision
    zelArray a{m, 2};
    w.set_parameter("m", zel_array_of(TYPE_MATRIX), &a);
  });
  EXPECT_TRUE(sameBytes(out,
                        "\"s\" [ \"a\",\nxX620a,\n\"\" \n] ,\n"
                        "\"m\" [ 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 ,\n"
                        "1 0 0 0 0 1 0 0 0 0 1 0 1e+39 0 0 1 \n] ,\n"));
}

TEST(WriterArrays, BinaryBlocks) {
  std::string out = writeToMemory(
      [](zelScene_api_file& w) {
        setArray<float>(w, "f", TYPE_FLOAT, {1.0f, -2.0f});
        setArray<int>(w, "i", TYPE_INT, {1, -1});
        setArray<int>(w, "ialt", TYPE_INT_ALT, {256});
        setArray<float>(w, "c", TYPE_COLOR, {1, 0, 0.5f}, 1);
        setArray<double>(w, "d", TYPE_DOUBLE, {1.0});
        setArray<float>(w, "empty", TYPE_FLOAT, {});
        setArray<double>(w, "emptyd", TYPE_DOUBLE, {});
        setArray<double>(w, "v", TYPE_VECTOR, {1, 2, 3}, 1);  // stays text
      },
      true);
  const std::string expected =
      "\"f\" [ " + hexBytes("01 02 03 66 02 00 00 00 00 00 80 3f 00 00 00 c0") + "] ,\n" +
      "\"i\" [ " + hexBytes("01 02 03 69 02 00 00 00 01 00 00 00 ff ff ff ff") + "] ,\n" +
      "\"ialt\" [ " + hexBytes("01 02 03 69 01 00 00 00 00 01 00 00") + "] ,\n" + "\"c\" [ " +
      hexBytes("01 02 03 63 03 00 00 00 00 00 80 3f 00 00 00 00 00 00 00 3f") + "] ,\n" +
      "\"d\" [ " + hexBytes("01 02 03 72 01 00 00 00 00 00 00 00 00 00 f0 3f") + "] ,\n" +
      "\"empty\" [ " + hexBytes("01 02 03 66 00 00 00 00") + "] ,\n" + "\"emptyd\" [ " +
      hexBytes("01 02 03 72 00 00 00 00") + "] ,\n" + "\"v\" [ 1 2 3 ] ,\n";
  EXPECT_TRUE(sameBytes(out, expected));
}

// The same element-by-element calls as text (six a line, colours two) and as binary words.
void arrayModeCalls(zelScene_api_file& w) {
  EXPECT_TRUE(w.initialize_array_mode("pts"));
  for (float f = 1; f <= 7; ++f) w.set_array_parameter(TYPE_FLOAT, &f);
  w.finalize_array_mode();
  w.initialize_array_mode("cols");
  zelColor c[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  for (zelColor& col : c) w.set_array_parameter(TYPE_COLOR, &col);
  w.finalize_array_mode();
  w.initialize_array_mode("ints");
  for (int k : {1, 2}) w.set_array_parameter(TYPE_INT, &k);
  w.finalize_array_mode();
  w.initialize_array_mode("names");  // no binary element types from here on
  w.set_array_parameter(TYPE_STRING, const_cast<char*>("x"));
  const char* ref = "y";
  w.set_array_parameter(TYPE_STRING_REF, &ref);
  zelVector v{1, 2, 3};
  w.set_array_parameter(TYPE_VECTOR, &v);
  w.finalize_array_mode();
  w.initialize_array_mode("none");
  w.finalize_array_mode();
}

TEST(WriterArrayMode, TextAndBinary) {
  EXPECT_TRUE(sameBytes(writeToMemory(arrayModeCalls),
                        "\"pts\" [\n1, 2, 3, 4, 5, 6,\n7 ],\n"
                        "\"cols\" [\n1 0 0, 0 1 0,\n0 0 1 ],\n"
                        "\"ints\" [\n1, 2 ],\n"
                        "\"names\" [\n\"x\", \"y\", 1 2 3 ],\n"
                        "\"none\" [\n ],\n"));
  const std::string binary =
      "\"pts\" [\n" +
      hexBytes(
          "01 02 03 66 07 00 00 00 00 00 80 3f 00 00 00 40 00 00 40 40 00 00 80 40"
          " 00 00 a0 40 00 00 c0 40 00 00 e0 40") +
      " ],\n\"cols\" [\n" +
      hexBytes(
          "01 02 03 63 09 00 00 00 00 00 80 3f 00 00 00 00 00 00 00 00"
          " 00 00 00 00 00 00 80 3f 00 00 00 00 00 00 00 00 00 00 00 00 00 00 80 3f") +
      " ],\n\"ints\" [\n" + hexBytes("01 02 03 69 02 00 00 00 01 00 00 00 02 00 00 00") +
      " ],\n\"names\" [\n\"x\", \"y\", 1 2 3 ],\n\"none\" [\n ],\n";
  EXPECT_TRUE(sameBytes(writeToMemory(arrayModeCalls, true), binary));
}

// Large meshes go through array mode: the accumulator must keep every word.
TEST(WriterArrayMode, BinaryAccumulatorKeepsEveryWordPastItsGrowthSteps) {
  const int n = 200000;
  std::string out = writeToMemory(
      [&](zelScene_api_file& w) {
        w.initialize_array_mode("big");
        for (int k = 0; k < n; ++k) w.set_array_parameter(TYPE_INT, &k);
        w.finalize_array_mode();
      },
      true);
  const std::string head = "\"big\" [\n" + hexBytes("01 02 03 69 40 0d 03 00");
  ASSERT_EQ(out.size(), head.size() + 4u * n + 4);
  EXPECT_TRUE(sameBytes(out.substr(0, head.size()), head));
  for (int k = 0; k < n; k += 9973) {
    int32_t word;
    std::memcpy(&word, out.data() + head.size() + 4 * k, 4);
    ASSERT_EQ(word, k);
  }
  EXPECT_EQ(out.substr(out.size() - 4), " ],\n");
}

}  // namespace

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
  // Enough values for the longest case: 100,001 colours.
  std::vector<double> numbers(std::max<size_t>(16 * big, 3 * 100001));
  for (size_t i = 0; i < numbers.size(); ++i) numbers[i] = 0.25 * double(i % 1000) - 7;
  std::vector<float> floats(numbers.begin(), numbers.end());
  std::vector<int> ints(numbers.size());
  for (size_t i = 0; i < ints.size(); ++i) ints[i] = int(i) - 40;
  const uint32_t floatsPastBuffer = zelScene_api_file::kStreamBufferSize / sizeof(float) + 3;
  ASSERT_LE(floatsPastBuffer, floats.size());
  struct Case {
    zelType base;
    const void* data;
    size_t elementSize;
    uint32_t count;
  } const cases[] = {
      {TYPE_FLOAT, floats.data(), 4, floatsPastBuffer},
      {TYPE_INT, ints.data(), 4, floatsPastBuffer},
      {TYPE_COLOR, floats.data(), 12, 100001},
      {TYPE_DOUBLE, numbers.data(), 8, 9},
      {TYPE_MATRIX, numbers.data(), sizeof(zelMatrix), big},
      {TYPE_FLOAT, floats.data(), 4, 0},
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
