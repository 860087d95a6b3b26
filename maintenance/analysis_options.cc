#include "maintenance/analysis_options.h"

#include <algorithm>
#include <cstdint>
#include <vector>

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

}  // namespace

bool ProcessAnalysisOptions(std::string* argument, AnalysisOptions* options) {
  const std::string& text = *argument;
  // A `z` takes the first run of digits after it that no earlier `z` took.
  // Runs are taken left to right, so the search for the next one goes on
  // from where the last one ended: the whole argument is read once.
  std::vector<bool> taken(text.size(), false);
  size_t searchFrom = 0;
  size_t next = 0;
  bool accepted = true;
  for (; next < text.size(); ++next) {
    if (taken[next]) continue;
    const char letter = text[next];
    if (letter == 'd') {
      options->analyzeDisk = true;
    } else if (letter == 's') {
      options->analyzeSplitEvents = true;
    } else if (letter == 'z') {
      const size_t start =
          text.find_first_of(kDigits, std::max(next + 1, searchFrom));
      if (start == std::string::npos) {
        searchFrom = text.size();
        continue;
      }
      size_t end = text.find_first_not_of(kDigits, start);
      if (end == std::string::npos) end = text.size();
      options->maxPartSizeGB =
          SaturatedDecimal(text.substr(start, end - start));
      std::fill(taken.begin() + start, taken.begin() + end, true);
      searchFrom = end;
    } else {
      accepted = false;
      break;
    }
  }
  // What is left: the unread rest, less the digits taken from it.
  std::string rest;
  for (; next < text.size(); ++next) {
    if (!taken[next]) rest += text[next];
  }
  *argument = rest;
  return accepted;
}
