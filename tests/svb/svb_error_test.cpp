// The reader's errors on truncated and corrupted input: where it broke, what was expected
// there, and no crash or runaway allocation on any input. (More messages, through svbinfo:
// svbinfo_test.)
#include "svb_reader.h"

#include "svb_test_bytes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using svbtest::block;

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
    f = {true, e.offset(), e.what(), e.truncated()};
  }
  return f;
}

TEST(SvbErrors, MessagesSayWhereAndWhat) {
  const std::string f = "\"f\" [ ";  // a binary block after this starts at offset 6
  const struct {
    std::string text;
    const char* what;
    bool truncated;
  } cases[] = {
      // Missing braces name the innermost open block.
      {"group \"x\" {\nobject \"o\" {\ngeometry \"t\" {\n}\n",
       "offset 42: expected \"}\" to close object \"o\" opened at offset 12", true},
      {"\"p\" \"zel_envmap\" {\n\"radius\" 25,\n",
       "offset 32: expected \"}\" to close shader \"zel_envmap\" opened at offset 4", true},
      // Binary blocks cut short, with counts that do not fit, or corrupted.
      {f + block('f', 4, svbtest::f32(1) + svbtest::f32(2)),
       "offset 6: expected 16 bytes of binary array data (4 x \"f\"), only 8 bytes remain", true},
      {f + block('f', 4, "").substr(0, 5),
       "offset 11: expected the 8-byte header of the binary array block at offset 6, only 5 bytes "
       "remain",
       true},
      {f + svbtest::int_block({1, 2}),
       "offset 22: expected \"]\" to close the array opened at offset 4", true},
      {f + block('r', 0xffffffffu, std::string(16, '\0')) + "] ,\n",
       "offset 6: expected 34359738360 bytes of binary array data (4294967295 x \"r\"), only 20 "
       "bytes remain",
       true},
      {f + block('f', 1, svbtest::f32(1) + svbtest::f32(2)) + "] ,\n",
       "offset 18: expected \"]\" after the binary array block, found \"\\x00\\x00\\x00@] ,\"",
       false},
      {f +
           std::string("\x01\x02\x04"
                       "f",
                       4) +
           svbtest::le32(0) + "] ,\n",
       "offset 6: expected the binary array header bytes 01 02 03", false},
      // Bad tokens.
      {"\"name\" @,\n", "offset 7: expected a value, found \"@,\"", false},
      {"\"name\" xX6,\n", "offset 10: expected a second hex digit in the string token at offset 7",
       false},
      {"\"name\" bX0,\n", "offset 10: expected a second hex digit in the byte token at offset 7",
       false},
      {"\"na\nme\" 1,\n", "offset 3: expected '\"' to close the string opened at offset 0", false},
      {"\"n\" 12ab,\n", "offset 4: expected a number, found \"12ab,\"", false},
      {"\"n\" 1 2 on,\n", "offset 8: expected end of line after parameter \"n\", found \"on,\"",
       false},
      {"transform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0\n",
       "offset 39: expected 16 numbers after \"transform\" (15 read from offset 9), found end of "
       "line",
       false},
      {"scale 1 2 3 4\n", "offset 5: expected 3 numbers after \"scale\", found 4", false},
      {"#include \"x\"\n", "offset 0: expected a statement, found \"#include \"x\"\"", false},
      {"group \"g\" flags 1\n", "offset 10: expected \"{\" to open group \"g\", found \"flags 1\"",
       false},
      {"group \"g\" {\n} x\n",
       "offset 14: expected end of line after \"}\" of group \"g\", found \"x\"", false},
      {"\"a\" [ 1, ] ,\n", "offset 9: expected an array element, found \"] ,\"", false},
      {"\"a\" [ \"s\" \"t\" ] ,\n",
       "offset 10: expected \",\" or \"]\" in the array opened at offset 4, found \"\"t\" ] ,\"",
       false},
      {"#define light \"l\" {\n}\n",
       "offset 8: expected group, object, material, matrix or shader after \"#define\", found "
       "\"light \"l\" {\"",
       false},
      {"#print \"unterminated\n",
       "offset 21: expected '\"' and end of line to close the text opened at offset 7", true},
      {"material \"m\" {\nsurface ,\n}\n",
       "offset 23: expected a shader text or a shader number after a material slot, found \",\"",
       false},
  };
  for (const auto& c : cases) {
    const Failure e = failure_of(c.text);
    EXPECT_TRUE(e.thrown) << c.text;
    EXPECT_EQ(e.what, c.what) << c.text;
    EXPECT_EQ(e.truncated, c.truncated) << c.text;
  }
}

// Every prefix of a whole scene either reads (cut between statements) or
// fails flagged as truncated, at or before the cut.
TEST(SvbErrors, EveryTruncationIsFlagged) {
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
