// Fuzzes the -f option string. The input is the -f arguments of one command
// line, separated by NUL bytes as argv separates them; they are parsed into
// one FileOptions, as the option loop does, and the selection clause of the
// result must be SQL that the catalogue accepts.
#include <sqlite3.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "files/file_options.h"
#include "files/selection_clause.h"
#include "fuzz/fuzz_check.h"
#include "standin/recorder_schema.h"

namespace {

// An empty catalogue with the recorder's tables, to prepare the queries in.
sqlite3* catalogue = nullptr;

bool Prepares(const std::string& sql) {
  sqlite3_stmt* statement = nullptr;
  int rc = sqlite3_prepare_v2(catalogue, sql.c_str(), -1, &statement, nullptr);
  sqlite3_finalize(statement);
  return rc == SQLITE_OK;
}

// The selection flags, the limit and the reverse order, one bit each: no
// letter ever clears one.
int KeptFlags(const FileOptions& o) {
  return o.showCurrent | o.showAllocated << 1 | o.showFree << 2 |
         o.showKeep << 3 | o.limitOutput << 4 | o.reverseSort << 5;
}

void CheckOneArgument(const std::string& given, FileOptions* options) {
  const FileOptions before = *options;
  std::string left = given;
  bool accepted = ProcessFileDisplayOptions(&left, options);
  Require(left.size() <= given.size() &&
              given.compare(given.size() - left.size(), left.size(), left) == 0,
          "the parser consumes a prefix");
  Require(!accepted || left.empty(), "true only when all is consumed");
  const std::string& pattern = options->numberPattern;
  Require(!pattern.empty() &&
              pattern.find_first_not_of("_%0123456789") == std::string::npos,
          "the pattern holds only digits and LIKE wildcards");
  Require(
      options->stream == 99 || (options->stream >= 0 && options->stream <= 3),
      "the stream is 0 to 3 or 99");
  Require((KeptFlags(before) & ~KeptFlags(*options)) == 0, "flags accumulate");
}

void CheckClause(const FileOptions& options) {
  const std::string clause = SelectionClause(options);
  Require(std::count(clause.begin(), clause.end(), '\'') ==
              (options.showCurrent ? 0 : 2),
          "only the pattern is quoted");
  Require(Prepares("select * from streamfiles where " + clause),
          "the listing's query prepares");
  Require(options.limitOutput || Prepares("select * from streamfiles where" +
                                          clause + " limit 1000 offset 0"),
          "the paged query prepares");
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
  std::istringstream input(
      std::string(reinterpret_cast<const char*>(data), size));
  FileOptions options;
  std::string given;
  while (std::getline(input, given, '\0')) CheckOneArgument(given, &options);
  CheckClause(options);
  return 0;
}
