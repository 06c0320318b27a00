// The link layer's log: one text file, "sceneapi.log", in the renderer's
// resource folder. Each message becomes one line:
//   <source base name>:<line> - <hh:mm:ss.mmm> <LEVEL>:  <message>
#pragma once

#include <cstdio>
#include <ctime>
#include <sstream>
#include <string>

enum TLogLevel {
  logERROR,
  logWARNING,
  logINFO,
  logDEBUG,
  logDEBUG1,
  logDEBUG2,
  logDEBUG3,
  logDEBUG4,
  logNONE
};

// Local wall-clock time as "%X" (hours:minutes:seconds in the C locale) with
// a point and three digits of milliseconds.
std::string NowTime();
// The same for a given time; the result is never cut, whatever the format
// and locale make of it. Falls back to "%H:%M:%S" when the format gives
// nothing.
std::string formatTime(char const* format, std::tm const& when, long microseconds);

// One log line under construction; written out by the destructor.
template <typename T>
class Log {
 public:
  Log() = default;
  Log(Log const&) = delete;
  Log& operator=(Log const&) = delete;
  virtual ~Log();

  // The line's stream with the prefix already written.
  std::ostringstream& Get(TLogLevel level, char const* sourceFile, int line);

  static int& ReportingLevel();
  static char const* ToString(TLogLevel level);

 protected:
  std::ostringstream os;
};

// Where finished lines go: the log file, opened on first use.
class Output2FILE {
 public:
  // The log stream; opened from the resource folder while it is null. May
  // still hold null when the file cannot be opened (the next call retries).
  // Assignable, so a caller can direct the log elsewhere.
  static FILE*& Stream();
  // Writes one finished line and flushes.
  static void Output(std::string const& line);
  // Opens the log file at path: appended to below 20 MiB, started afresh
  // from 20 MiB on. Reports to stderr and returns null on failure.
  static FILE* open(std::string const& path);
};

class FILELog : public Log<Output2FILE> {};

template <typename T>
Log<T>::~Log() {
  os << '\n';
  T::Output(os.str());
}

template <typename T>
std::ostringstream& Log<T>::Get(TLogLevel level, char const* sourceFile, int line) {
  std::string file = sourceFile ? sourceFile : "";
  std::string::size_type cut = file.find_last_of("/\\");
  if (cut != std::string::npos) file.erase(0, cut + 1);
  os << file << ':' << line << ' ';
  os << "- " << NowTime() << ' ';
  os << ToString(level) << ": " << ' ';
  return os;
}

template <typename T>
int& Log<T>::ReportingLevel() {
  static int reportingLevel = logDEBUG4;
  return reportingLevel;
}

template <typename T>
char const* Log<T>::ToString(TLogLevel level) {
  static char const* const names[] = {"ERROR",  "WARNING", "INFO",   "DEBUG", "DEBUG1",
                                      "DEBUG2", "DEBUG3",  "DEBUG4", "NONE"};
  int index = static_cast<int>(level);
  return index >= 0 && index <= logNONE ? names[index] : "NONE";
}

// Writes one message of the given level when the level is reported and the
// log file is open: ZEL_LOG(logDEBUG) << "text " << value;
#define ZEL_LOG(level)                                                                  \
  if ((level) > Log<Output2FILE>::ReportingLevel() || Output2FILE::Stream() == nullptr) \
    ;                                                                                   \
  else                                                                                  \
    FILELog().Get(level, __FILE__, __LINE__)
