#include "files/file_options.h"

#include <algorithm>

namespace {

// Characters of the file-number part: digits and the two wildcards.
const char kNumberCharacters[] = "?*0123456789";

// Takes the leading run of digits and wildcards, if any, as the LIKE
// pattern, with the shell-friendly wildcards turned into SQL ones; returns
// where the run ends.
size_t TakeNumberPattern(const std::string& argument, FileOptions* options) {
  size_t length = argument.find_first_not_of(kNumberCharacters);
  if (length == std::string::npos) length = argument.size();
  if (length == 0) return 0;
  std::string pattern = argument.substr(0, length);
  std::replace(pattern.begin(), pattern.end(), '?', '_');
  std::replace(pattern.begin(), pattern.end(), '*', '%');
  options->numberPattern = pattern;
  return length;
}

// Takes the `s` at *next and the stream digit after it. The `s` is taken
// even when no digit from 0 to 3 follows; then nothing else of it applies.
bool TakeStream(const std::string& argument, size_t* next,
                FileOptions* options) {
  ++*next;
  if (*next == argument.size() || argument[*next] < '0' ||
      argument[*next] > '3') {
    return false;
  }
  options->stream = argument[*next] - '0';
  options->sortByStartTick = true;
  ++*next;
  return true;
}

// Applies the letter at *next and steps past it. False, with *next left on
// it, when the character is not a letter we know.
bool TakeLetter(const std::string& argument, size_t* next,
                FileOptions* options) {
  switch (argument[*next]) {
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
      return TakeStream(argument, next, options);
    case 't':
      options->sortByStartTick = true;
      break;
    default:
      return false;
  }
  ++*next;
  return true;
}

}  // namespace

bool ProcessFileDisplayOptions(std::string* argument, FileOptions* options) {
  size_t next = TakeNumberPattern(*argument, options);
  bool accepted = true;
  while (next < argument->size() && accepted) {
    accepted = TakeLetter(*argument, &next, options);
  }
  // The argument is consumed once, at the end, however long it is.
  argument->erase(0, next);
  return accepted;
}
