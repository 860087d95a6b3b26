#ifndef DB_FILES_FILE_OPTIONS_H_
#define DB_FILES_FILE_OPTIONS_H_

#include <cstdint>
#include <string>

// What the files listing shows and in which order; one record accumulates
// every -f of a command line.
struct FileOptions {
  std::string numberPattern = "%";  // file number LIKE pattern, never empty
  int32_t stream = 99;              // 0 to 3; 99 is every stream
  bool showCurrent = false;
  bool showAllocated = false;
  bool showFree = false;
  bool showKeep = false;
  bool limitOutput = false;
  bool sortByStartTick = false;  // else by file number
  bool reverseSort = false;
};

// Applies the -f option string to `options`, consuming `argument` from the
// front. False when it stopped at a character it does not accept; what came
// before that character stays applied.
bool ProcessFileDisplayOptions(std::string* argument, FileOptions* options);

#endif  // DB_FILES_FILE_OPTIONS_H_
