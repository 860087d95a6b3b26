// Fuzzes the -a argument. The input is the -a arguments of one command line,
// separated by NUL bytes as argv separates them; they are parsed into one
// AnalysisOptions, as the option loop does.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "maintenance/analysis_options.h"

namespace {

// A `z` takes its digits from anywhere after it, so what is left is what
// was given with characters taken out, not only a tail of it.
bool IsSubsequence(const std::string& part, const std::string& whole) {
  size_t next = 0;
  for (char c : whole) {
    if (next < part.size() && part[next] == c) ++next;
  }
  return next == part.size();
}

void CheckOneArgument(const std::string& given, AnalysisOptions* options) {
  const AnalysisOptions before = *options;
  std::string left = given;
  bool accepted = ProcessAnalysisOptions(&left, options);
  Require(accepted == left.empty(), "true exactly when all is consumed");
  Require(accepted || (left[0] != 'd' && left[0] != 's' && left[0] != 'z'),
          "the parse stops only at a character it does not accept");
  Require(IsSubsequence(left, given), "the parser only takes characters out");
  Require((!before.analyzeDisk || options->analyzeDisk) &&
              (!before.analyzeSplitEvents || options->analyzeSplitEvents),
          "flags accumulate");
  if (given.find('d') == std::string::npos) {
    Require(options->analyzeDisk == before.analyzeDisk, "only d sets disk");
  }
  if (given.find('s') == std::string::npos) {
    Require(options->analyzeSplitEvents == before.analyzeSplitEvents,
            "only s sets split events");
  }
  if (options->maxPartSizeGB != before.maxPartSizeGB) {
    // Leading zeros aside, the limit is digits of the argument, or the
    // largest 32-bit value when they overflow.
    Require(given.find('z') != std::string::npos, "only z sets the limit");
    Require(options->maxPartSizeGB == UINT32_MAX ||
                given.find(std::to_string(options->maxPartSizeGB)) !=
                    std::string::npos,
            "the limit is a number of the argument");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  AnalysisOptions options;
  size_t begin = 0;
  for (;;) {
    size_t end = std::min(input.find('\0', begin), input.size());
    CheckOneArgument(input.substr(begin, end - begin), &options);
    if (end == input.size()) break;
    begin = end + 1;
  }
  return 0;
}
