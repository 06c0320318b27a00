// Helpers for byte-exact checks of the text scene writer.
#pragma once

#include "zelsceneapi_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace scenetest {

// Bytes from hex pairs separated by blanks: "01 02 03 66".
inline std::string hexBytes(const char* pairs) {
  std::string out;
  for (const char* p = pairs; *p;) {
    if (*p == ' ') {
      ++p;
      continue;
    }
    char digits[3] = {p[0], p[1], 0};
    out.push_back(static_cast<char>(std::strtoul(digits, nullptr, 16)));
    p += 2;
  }
  return out;
}

// Runs `body` on a writer over an in-memory stream and returns every byte written,
// including what the writer's destruction leaves behind.
inline std::string writeToMemory(const std::function<void(zelScene_api_file&)>& body,
                                 bool binaryArrays = false) {
  char* data = nullptr;
  size_t size = 0;
  FILE* stream = open_memstream(&data, &size);
  if (!stream) return "<open_memstream failed>";
  {
    zelScene_api_file writer(stream, binaryArrays);
    body(writer);
  }
  std::fclose(stream);
  std::string out(data, size);
  std::free(data);
  return out;
}

// Equal bytes, or a message naming the first differing offset with the 16 bytes around it
// in hex, for both sides.
inline ::testing::AssertionResult sameBytes(const std::string& actual,
                                            const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  auto window = [at](const std::string& s) {
    std::string out;
    for (size_t i = at >= 8 ? at - 8 : 0; i < s.size() && i < at + 8; ++i) {
      char cell[8];
      std::snprintf(cell, sizeof cell, i == at ? "[%02x]" : "%02x ",
                    static_cast<unsigned char>(s[i]));
      out += cell;
    }
    return out;
  };
  return ::testing::AssertionFailure()
         << "first difference at offset " << at << " (actual " << actual.size()
         << " bytes, expected " << expected.size() << ")\n  actual:   " << window(actual)
         << "\n  expected: " << window(expected);
}

}  // namespace scenetest
