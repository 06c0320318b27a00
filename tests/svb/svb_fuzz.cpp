// libFuzzer entry for the reader: any bytes must either parse or raise
// svb::ParseError; the summary of whatever parsed must be computable.
#include "svb_reader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const svb::Scene scene =
        svb::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    svb::summarize(scene);
  } catch (const svb::ParseError&) {
  }
  return 0;
}
