// Fuzzes the -f option string. The input is the -f arguments of one command
// line, separated by NUL bytes as argv separates them; they are parsed into
// one FileOptions, as the option loop does, and the selection clause of the
// result must be SQL that the catalogue accepts.
#include <sqlite3.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "files/file_options.h"
#include "files/selection_clause.h"
#include "fuzz/fuzz_check.h"
#include "standin/recorder_schema.h"

namespace {

// An empty catalogue with the recorder's tables, to prepare the queries in.
sqlite3* catalogue = nullptr;

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

void CheckOneArgument(const std::string& given, FileOptions* options) {
  const FileOptions before = *options;
  std::string left = given;
  bool accepted = ProcessFileDisplayOptions(&left, options);
  Require(EndsWith(given, left), "the parser consumes a prefix");
  Require(!accepted || left.empty(), "true only when all is consumed");
  const std::string& pattern = options->numberPattern;
  Require(!pattern.empty() &&
              pattern.find_first_not_of("_%0123456789") == std::string::npos,
          "the pattern holds only digits and LIKE wildcards");
  Require(
      options->stream == 99 || (options->stream >= 0 && options->stream <= 3),
      "the stream is 0 to 3 or 99");
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
