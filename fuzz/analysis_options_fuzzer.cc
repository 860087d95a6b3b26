// Fuzzes the -a argument. The input is the -a arguments of one command line,
// separated by NUL bytes as argv separates them; they are parsed into one
// AnalysisOptions, as the option loop does. Which letter sets what is the
// unit tests' table; here the parse must end, stop only where it should,
// and keep the limit to what the argument says.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz/fuzz_check.h"
#include "maintenance/analysis_options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream input(
      std::string(reinterpret_cast<const char*>(data), size));
  AnalysisOptions options;
  std::string given;
  while (std::getline(input, given, '\0')) {
    const uint32_t limitBefore = options.maxPartSizeGB;
    std::string left = given;
    const bool accepted = ProcessAnalysisOptions(&left, &options);
    Require(
        accepted == left.empty() &&
            (accepted || std::string("dsz").find(left[0]) == std::string::npos),
        "the parse stops only, and fails, at a character it does not accept");
    // A `z` takes its digits from anywhere after it, so what is left is what
    // was given with characters taken out, not only a tail of it.
    size_t kept = 0;
    for (char c : given) {
      if (kept < left.size() && left[kept] == c) ++kept;
    }
    Require(kept == left.size(), "the parser only takes characters out");
    // Leading zeros aside, the limit is digits of the argument, or the
    // largest 32-bit value when they overflow.
    const uint32_t limit = options.maxPartSizeGB;
    Require(limit == limitBefore ||
                (given.find('z') != std::string::npos &&
                 (limit == UINT32_MAX ||
                  given.find(std::to_string(limit)) != std::string::npos)),
            "only z sets the limit, to a number of the argument");
  }
  return 0;
}
