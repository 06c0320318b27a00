// The reader's errors on truncated and corrupted input: where it broke, what
// was expected there, and no crash or runaway allocation on any input.
#include "svb_reader.h"

#include "svb_test_bytes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace {

using ::testing::HasSubstr;

struct Failure {
  bool thrown = false;
  std::size_t offset = 0;
  std::string what;
  bool truncated = false;
};

Failure failure_of(const std::string& text) {
  Failure f;
  try {
    svb::parse(text);
  } catch (const svb::ParseError& e) {
    f.thrown = true;
    f.offset = e.offset();
    f.what = e.what();
    f.truncated = e.truncated();
  }
  return f;
}

TEST(SvbErrors, MissingClosingBrace) {
  Failure f = failure_of("group \"x\" {\nflags 1\n");
  ASSERT_TRUE(f.thrown);
  EXPECT_EQ(f.what, "offset 20: expected \"}\" to close group \"x\" opened at offset 0");
  EXPECT_TRUE(f.truncated);
  // The innermost open block is named.
  f = failure_of("group \"x\" {\nobject \"o\" {\ngeometry \"triangles\" {\n}\n");
  EXPECT_EQ(f.what, "offset 50: expected \"}\" to close object \"o\" opened at offset 12");
  // A captured shader that never closes.
  f = failure_of("\"p\" \"zel_envmap\" {\n\"radius\" 25,\n");
  EXPECT_EQ(f.what, "offset 32: expected \"}\" to close shader \"zel_envmap\" opened at offset 4");
  // One brace too many.
  f = failure_of("group \"x\" {\n}\n}\n");
  EXPECT_EQ(f.what, "offset 14: unexpected \"}\" outside of any block");
  EXPECT_FALSE(f.truncated);
}

TEST(SvbErrors, TruncatedBinaryBlock) {
  const std::string head = "\"f\" [ ";
  // Payload cut short: the block claims four floats, two are there.
  std::string block = svbtest::block(svb::kBinaryFloat, 4, svbtest::f32(1) + svbtest::f32(2));
  Failure f = failure_of(head + block);
  ASSERT_TRUE(f.thrown);
  EXPECT_EQ(f.what, "offset 6: expected 16 bytes of binary array data (4 x \"f\"), only 8 bytes remain");
  EXPECT_TRUE(f.truncated);
  // Header cut short.
  f = failure_of(head + block.substr(0, 5));
  EXPECT_EQ(f.what, "offset 11: expected the 8-byte header of the binary array block at offset 6, only 5 bytes remain");
  EXPECT_TRUE(f.truncated);
  // Whole block, but the closing bracket and line are missing.
  f = failure_of(head + svbtest::int_block({1, 2}));
  EXPECT_EQ(f.what, "offset 22: expected \"]\" to close the array opened at offset 4");
}

TEST(SvbErrors, BadBinaryCountsAndHeaders) {
  // A count far beyond the input is refused before anything is allocated.
  Failure f = failure_of("\"d\" [ " + svbtest::block(svb::kBinaryDouble, 0xffffffffu, std::string(16, '\0')) + "] ,\n");
  EXPECT_THAT(f.what, HasSubstr("offset 6: expected 34359738360 bytes of binary array data (4294967295 x \"r\")"));
  f = failure_of("\"i\" [ " + svbtest::block(svb::kBinaryInt, 5, svbtest::le32(1) + svbtest::le32(2)) + "] ,\n");
  EXPECT_EQ(f.what, "offset 6: expected 20 bytes of binary array data (5 x \"i\"), only 12 bytes remain");
  // Corrupted magic and an unknown letter.
  f = failure_of("\"f\" [ " + std::string("\x01\x02\x04" "f", 4) + svbtest::le32(0) + "] ,\n");
  EXPECT_EQ(f.what, "offset 6: expected the binary array header bytes 01 02 03");
  EXPECT_FALSE(f.truncated);
  f = failure_of("\"f\" [ " + svbtest::block('q', 0, "") + "] ,\n");
  EXPECT_EQ(f.what, "offset 9: expected a binary array type letter (f, i, c or r), found \"q\"");
  // A block count that says less than is there leaves bytes before "]".
  f = failure_of("\"f\" [ " + svbtest::block('f', 1, svbtest::f32(1) + svbtest::f32(2)) + "] ,\n");
  EXPECT_THAT(f.what, HasSubstr("offset 18: expected \"]\" after the binary array block"));
}

TEST(SvbErrors, BadTokens) {
  const struct {
    const char* text;
    const char* what;
  } cases[] = {
      {"\"name\" @,\n", "offset 7: expected a value, found \"@,\""},
      {"\"name\" xX6,\n", "offset 10: expected a second hex digit in the string token at offset 7"},
      {"\"name\" bX0,\n", "offset 10: expected a second hex digit in the byte token at offset 7"},
      {"\"na\nme\" 1,\n", "offset 3: expected '\"' to close the string opened at offset 0"},
      {"\"n\" 12ab,\n", "offset 4: expected a number, found \"12ab,\""},
      {"\"n\" 1 2 on,\n", "offset 8: expected end of line after parameter \"n\", found \"on,\""},
      {"transform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0\n",
       "offset 39: expected 16 numbers after \"transform\" (15 read from offset 9), found end of line"},
      {"scale 1 2 3 4\n", "offset 5: expected 3 numbers after \"scale\", found 4"},
      {"#include \"x\"\n", "offset 0: expected a statement, found \"#include \"x\"\""},
      {"group \"g\" flags 1\n", "offset 10: expected \"{\" to open group \"g\", found \"flags 1\""},
      {"group \"g\" {\n} x\n", "offset 14: expected end of line after \"}\" of group \"g\", found \"x\""},
      {"\"a\" [ 1, ] ,\n", "offset 9: expected an array element, found \"] ,\""},
      {"\"a\" [ \"s\" \"t\" ] ,\n", "offset 10: expected \",\" or \"]\" in the array opened at offset 4, found \"\"t\" ] ,\""},
      {"#define light \"l\" {\n}\n",
       "offset 8: expected group, object, material, matrix or shader after \"#define\", found \"light \"l\" {\""},
      {"#print \"unterminated\n", "offset 21: expected '\"' and end of line to close the text opened at offset 7"},
      {"material \"m\" {\nsurface ,\n}\n",
       "offset 23: expected a shader text or a shader number after a material slot, found \",\""},
  };
  for (const auto& c : cases) {
    const Failure f = failure_of(c.text);
    EXPECT_TRUE(f.thrown) << c.text;
    EXPECT_EQ(f.what, c.what) << c.text;
  }
}

// Every prefix of a whole scene either reads (cut between statements) or
// fails at the end of the input, flagged as truncated.
TEST(SvbErrors, EveryTruncationIsReportedAtTheEnd) {
  const std::string scene = svbtest::exported_scene();
  std::size_t failures = 0;
  for (std::size_t cut = 0; cut < scene.size(); ++cut) {
    const Failure f = failure_of(scene.substr(0, cut));
    if (!f.thrown) continue;
    ++failures;
    EXPECT_LE(f.offset, cut) << "cut at " << cut << ": " << f.what;
    EXPECT_TRUE(f.truncated) << "cut at " << cut << ": " << f.what;
  }
  EXPECT_GT(failures, scene.size() * 9 / 10);
}

// Corrupting any byte gives a parse or a ParseError, never a crash (the
// sanitizer build checks the memory side).
TEST(SvbErrors, CorruptedBytesNeverCrash) {
  const std::string scene = svbtest::exported_scene();
  const char replacements[] = {'"', '}', '{', '\n', '\x01', 'x', '[', '9', '\xff'};
  // Each byte once, the replacements taken in turn.
  for (std::size_t i = 0; i < scene.size(); ++i) {
    std::string bad = scene;
    bad[i] = replacements[i % sizeof replacements];
    const Failure f = failure_of(bad);
    if (f.thrown) {
      EXPECT_LE(f.offset, bad.size());
    }
  }
}

}  // namespace
