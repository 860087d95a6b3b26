// Fuzzes the -f option string. The input is the -f arguments of one command
// line, separated by NUL bytes as argv separates them; they are parsed into
// one FileOptions, as the option loop does, and the selection clause of the
// result must be SQL that the catalogue accepts.
#include <sqlite3.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "files/file_options.h"
#include "files/selection_clause.h"
#include "fuzz/fuzz_check.h"
#include "standin/recorder_schema.h"

namespace {

const char kLetters[] = "acfklnrst";
const char kNumberCharacters[] = "?*0123456789";
const char kOrderLetters[] = "cfkstn";

// An empty catalogue with the recorder's tables, to prepare the queries in.
sqlite3* catalogue = nullptr;

bool IsOneOf(const char* set, char c) {
  return c != '\0' && std::strchr(set, c) != nullptr;
}

bool EndsWith(const std::string& whole, const std::string& tail) {
  return tail.size() <= whole.size() &&
         whole.compare(whole.size() - tail.size(), tail.size(), tail) == 0;
}

bool Prepares(const std::string& sql) {
  sqlite3_stmt* statement = nullptr;
  int rc = sqlite3_prepare_v2(catalogue, sql.c_str(), -1, &statement, nullptr);
  sqlite3_finalize(statement);
  return rc == SQLITE_OK;
}

// No letter ever clears a selection flag, the limit or the reverse order.
bool KeepsFlags(const FileOptions& before, const FileOptions& after) {
  return (!before.showCurrent || after.showCurrent) &&
         (!before.showAllocated || after.showAllocated) &&
         (!before.showFree || after.showFree) &&
         (!before.showKeep || after.showKeep) &&
         (!before.limitOutput || after.limitOutput) &&
         (!before.reverseSort || after.reverseSort);
}

void CheckStop(const std::string& consumed, const std::string& left) {
  // An `s` at the end of what went is one whose stream digit was missing.
  if (!consumed.empty() && consumed.back() == 's') {
    Require(left.empty() || left[0] < '0' || left[0] > '3',
            "a stream digit after s is taken");
    return;
  }
  Require(!left.empty() && !IsOneOf(kLetters, left[0]),
          "the parse stops only at a character it does not accept");
  Require(!consumed.empty() || !IsOneOf(kNumberCharacters, left[0]),
          "a leading file number is taken");
}

// The last ordering letter that took effect decides the order.
void CheckOrder(const std::string& applied, const FileOptions& before,
                const FileOptions& after) {
  size_t last = applied.find_last_of(kOrderLetters);
  bool byStartTick =
      last == std::string::npos ? before.sortByStartTick : applied[last] != 'n';
  Require(after.sortByStartTick == byStartTick, "the last order letter wins");
}

void CheckOneArgument(const std::string& given, FileOptions* options) {
  const FileOptions before = *options;
  std::string left = given;
  bool accepted = ProcessFileDisplayOptions(&left, options);
  Require(EndsWith(given, left), "the parser consumes a prefix");
  Require(!accepted || left.empty(), "true only when all is consumed");
  const std::string consumed = given.substr(0, given.size() - left.size());
  if (!accepted) CheckStop(consumed, left);
  const bool failedStream =
      !accepted && !consumed.empty() && consumed.back() == 's';
  CheckOrder(failedStream ? consumed.substr(0, consumed.size() - 1) : consumed,
             before, *options);

  const std::string& pattern = options->numberPattern;
  Require(!pattern.empty() &&
              pattern.find_first_not_of("_%0123456789") == std::string::npos,
          "the pattern holds only digits and LIKE wildcards");
  if (consumed.empty() || !IsOneOf(kNumberCharacters, consumed[0])) {
    Require(pattern == before.numberPattern,
            "only a leading file number sets the pattern");
  }
  Require(
      options->stream == 99 || (options->stream >= 0 && options->stream <= 3),
      "the stream is 0 to 3 or 99");
  if (consumed.find('s') == std::string::npos) {
    Require(options->stream == before.stream, "only s sets the stream");
  }
  Require(KeepsFlags(before, *options), "flags accumulate");
}

void CheckClause(const FileOptions& options) {
  const std::string clause = SelectionClause(options);
  Require(!clause.empty() && clause[0] == ' ',
          "the clause begins with a blank");
  Require(std::count(clause.begin(), clause.end(), '\'') ==
              (options.showCurrent ? 0 : 2),
          "only the pattern is quoted");
  const char* end = options.limitOutput   ? " limit 20"
                    : options.reverseSort ? " desc"
                                          : " asc";
  Require(EndsWith(clause, end), "the clause ends with its order or limit");
  Require(Prepares("select * from streamfiles where " + clause),
          "the listing's query prepares");
  if (!options.limitOutput) {
    Require(Prepares("select * from streamfiles where" + clause +
                     " limit 1000 offset 0"),
            "the paged query prepares");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Require(sqlite3_open(":memory:", &catalogue) == SQLITE_OK &&
              sqlite3_exec(catalogue, RecorderSchemaSql(), nullptr, nullptr,
                           nullptr) == SQLITE_OK,
          "the empty catalogue is created");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  FileOptions options;
  size_t begin = 0;
  for (;;) {
    size_t end = std::min(input.find('\0', begin), input.size());
    CheckOneArgument(input.substr(begin, end - begin), &options);
    if (end == input.size()) break;
    begin = end + 1;
  }
  CheckClause(options);
  return 0;
}
