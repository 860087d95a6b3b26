#include "maintenance/analysis_options.h"

#include <cstdint>

namespace {

const char kDigits[] = "0123456789";

// The value of a run of decimal digits. Past 32 bits it stays at the largest
// 32-bit value, as strtoul does on the 32-bit recorder, whatever the host.
uint32_t SaturatedDecimal(const std::string& digits) {
  uint64_t value = 0;
  for (char digit : digits) {
    value = value * 10 + static_cast<uint64_t>(digit - '0');
    if (value > UINT32_MAX) return UINT32_MAX;
  }
  return static_cast<uint32_t>(value);
}

// Handles the `z` at the front of `argument`: its limit is the first run of
// digits anywhere after it, which goes with it. No digits: only the `z` goes,
// and *digitsLeft becomes false, so that a long run of `z`s is not searched
// again and again.
void TakeSizeLimit(std::string* argument, bool* digitsLeft,
                   AnalysisOptions* options) {
  const size_t start =
      *digitsLeft ? argument->find_first_of(kDigits, 1) : std::string::npos;
  if (start != std::string::npos) {
    size_t end = argument->find_first_not_of(kDigits, start);
    if (end == std::string::npos) end = argument->size();
    options->maxPartSizeGB =
        SaturatedDecimal(argument->substr(start, end - start));
    argument->erase(start, end - start);
  } else {
    *digitsLeft = false;
  }
  argument->erase(0, 1);
}

}  // namespace

bool ProcessAnalysisOptions(std::string* argument, AnalysisOptions* options) {
  bool digitsLeft = true;
  while (!argument->empty()) {
    switch ((*argument)[0]) {
      case 'd':
        options->analyzeDisk = true;
        argument->erase(0, 1);
        break;
      case 's':
        options->analyzeSplitEvents = true;
        argument->erase(0, 1);
        break;
      case 'z':
        TakeSizeLimit(argument, &digitsLeft, options);
        break;
      default:
        return false;
    }
  }
  return true;
}
