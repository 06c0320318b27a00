#include "log.h"

#include "live_test_support.h"
#include "zel_sys.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <ctime>
#include <fstream>
#include <regex>
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
  std::regex layout("log_test\\.cpp:" + std::to_string(line) +
                    " - \\d\\d:\\d\\d:\\d\\d\\.\\d{3} INFO:  hello 42\n"
                    "loader\\.cpp:7 - [^\n]* ERROR:  x\n"
                    "c\\.cpp:8 - [^\n]* ERROR:  y\n"
                    "d\\.cpp:9 - [^\n]* ERROR:  z\n");
  EXPECT_TRUE(std::regex_match(text, layout)) << text;

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

// A log of twenty mebibytes or more starts afresh; one that cannot be opened is reported.
TEST(LogFile, StartsAfreshFromTwentyMebibytesAndReportsOpenFailures) {
  livetest::TempDir dir;
  for (off_t size : {20971520, 20971519}) {
    std::string path = dir / std::to_string(size);
    std::ofstream(path).close();
    ASSERT_EQ(truncate(path.c_str(), size), 0);
    FILE* file = Output2FILE::open(path);
    ASSERT_NE(file, nullptr);
    std::fputs("x", file);
    std::fclose(file);
    EXPECT_EQ(zel_sys::fileSize(path), size == 20971520 ? 1 : 20971520);
  }
  testing::internal::CaptureStderr();
  EXPECT_EQ(Output2FILE::open(dir / "missing/sceneapi.log"), nullptr);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.rfind("could not open log file:\nopening log: ", 0), 0u) << err;
}
