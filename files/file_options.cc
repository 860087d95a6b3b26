#include "files/file_options.h"

#include <algorithm>

namespace {

// Characters of the file-number part: digits and the two wildcards.
const char kNumberCharacters[] = "?*0123456789";

// Moves the leading run of digits and wildcards, if any, into the LIKE
// pattern, with the shell-friendly wildcards turned into SQL ones.
void TakeNumberPattern(std::string* argument, FileOptions* options) {
  size_t length = argument->find_first_not_of(kNumberCharacters);
  if (length == 0) return;
  std::string pattern = argument->substr(0, length);
  std::replace(pattern.begin(), pattern.end(), '?', '_');
  std::replace(pattern.begin(), pattern.end(), '*', '%');
  options->numberPattern = pattern;
  argument->erase(0, length);
}

// Takes the `s` and the stream digit after it. The `s` is gone even when no
// digit from 0 to 3 follows; then nothing else of it applies.
bool TakeStream(std::string* argument, FileOptions* options) {
  argument->erase(0, 1);
  if (argument->empty() || (*argument)[0] < '0' || (*argument)[0] > '3') {
    return false;
  }
  options->stream = (*argument)[0] - '0';
  options->sortByStartTick = true;
  argument->erase(0, 1);
  return true;
}

// Applies the letter at the front of `argument` and removes it. False,
// with the argument untouched, when the character is not a letter we know.
bool TakeLetter(std::string* argument, FileOptions* options) {
  switch ((*argument)[0]) {
    case 'a':
      options->showAllocated = true;
      break;
    case 'c':
      options->showCurrent = true;
      options->sortByStartTick = true;
      break;
    case 'f':
      options->showFree = true;
      options->sortByStartTick = true;
      break;
    case 'k':
      options->showKeep = true;
      options->sortByStartTick = true;
      break;
    case 'l':
      options->limitOutput = true;
      break;
    case 'n':
      options->sortByStartTick = false;
      break;
    case 'r':
      options->reverseSort = true;
      break;
    case 's':
      return TakeStream(argument, options);
    case 't':
      options->sortByStartTick = true;
      break;
    default:
      return false;
  }
  argument->erase(0, 1);
  return true;
}

}  // namespace

bool ProcessFileDisplayOptions(std::string* argument, FileOptions* options) {
  if (argument->empty()) return true;
  TakeNumberPattern(argument, options);
  while (!argument->empty()) {
    if (!TakeLetter(argument, options)) return false;
  }
  return true;
}
