#include "log.h"

#include "live_test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ctime>
#include <string>

// The source name is cut after the last separator of either kind. A time format longer than
// the classic 11-byte buffer (as "%X" is in some locales) comes out whole.
TEST(LogLine, LayoutSourceNameAndTime) {
  livetest::LogCapture capture;
  int line = __LINE__ + 1;
  ZEL_LOG(logINFO) << "hello " << 42;
  { FILELog().Get(logERROR, "C:\\work\\dev\\loader.cpp", 7) << "x"; }
  { FILELog().Get(logERROR, "a\\b/c.cpp", 8) << "y"; }
  { FILELog().Get(logERROR, "a/b\\d.cpp", 9) << "z"; }
  std::string text = capture.text();
  EXPECT_THAT(text,
              testing::MatchesRegex("log_test\\.cpp:" + std::to_string(line) +
                                    " - [0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3} INFO:  hello 42\n"
                                    "loader\\.cpp:7 - [^\n]* ERROR:  x\n"
                                    "c\\.cpp:8 - [^\n]* ERROR:  y\n"
                                    "d\\.cpp:9 - [^\n]* ERROR:  z\n"));

  std::tm when = {};
  when.tm_year = 126;
  when.tm_mon = 11;
  when.tm_mday = 6;
  when.tm_hour = 9;
  when.tm_min = 5;
  when.tm_sec = 7;
  EXPECT_EQ(formatTime("%X", when, 42999), "09:05:07.042");
  EXPECT_EQ(formatTime("%H:%M:%S %p %A %d %B %Y", when, 999999),
            "09:05:07 AM Sunday 06 December 2026.999");
  EXPECT_EQ(formatTime("", when, 0), "09:05:07.000");
}
