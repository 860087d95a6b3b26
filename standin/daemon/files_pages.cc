#include "standin/daemon/files_pages.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "access/sql_statement.h"
#include "access/stream_db.h"
#include "standin/client/wire.h"

namespace {

struct PageRequest {
  std::string selection;
  uint64_t limit = 0;
  uint64_t offset = 0;
};

// Finds the decimal number that ends `text` right after `keyword`; returns
// where `keyword` starts, or npos.
size_t TrailingNumberAfter(const std::string& text, const char* keyword,
                           uint64_t* value) {
  size_t digitsAt = text.size();
  while (digitsAt > 0 &&
         std::isdigit(static_cast<unsigned char>(text[digitsAt - 1]))) {
    --digitsAt;
  }
  const size_t keywordLength = std::strlen(keyword);
  // 18 digits always fit, in 64 bits and in SQLite's limit values.
  if (digitsAt == text.size() || text.size() - digitsAt > 18 ||
      digitsAt < keywordLength ||
      text.compare(digitsAt - keywordLength, keywordLength, keyword) != 0) {
    return std::string::npos;
  }
  *value = std::strtoull(text.c_str() + digitsAt, nullptr, 10);
  return digitsAt - keywordLength;
}

// Takes "S limit L offset M" apart. A comment or a second statement in S
// could keep the clause from SQLite, so such a text is left whole.
bool ParsePageRequest(const std::string& sql, PageRequest* page) {
  size_t offsetAt = TrailingNumberAfter(sql, " offset ", &page->offset);
  if (offsetAt == std::string::npos) return false;
  const std::string head = sql.substr(0, offsetAt);
  size_t limitAt = TrailingNumberAfter(head, " limit ", &page->limit);
  if (limitAt == std::string::npos) return false;
  page->selection = head.substr(0, limitAt);
  return page->selection.find_first_of(";-/") == std::string::npos;
}

// How SQLite would read `sql`, one line per step; empty when it cannot
// prepare the text.
std::string QueryPlan(sqlite3* catalogue, const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  std::string plan;
  if (sqlite3_prepare_v2(catalogue, ("explain query plan " + sql).c_str(), -1,
                         &stmt, nullptr) != SQLITE_OK) {
    return plan;
  }
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    const unsigned char* detail = sqlite3_column_text(stmt, 3);
    plan += detail != nullptr ? reinterpret_cast<const char*>(detail) : "";
    plan += '\n';
  }
  sqlite3_finalize(stmt);
  return plan;
}

// A page is a slice of its selection when both read one table by the same
// single scan or search, which leaves no step to sort (a sort shows as a
// step of its own): the rows then come in the order of that scan, which the
// limit and the offset only cut.
bool IsSliceOfSelection(sqlite3* catalogue, const std::string& sql,
                        const std::string& selection) {
  const std::string plan = QueryPlan(catalogue, sql);
  const bool oneStep = plan.find('\n') + 1 == plan.size();
  const bool scans =
      plan.compare(0, 5, "SCAN ") == 0 || plan.compare(0, 7, "SEARCH ") == 0;
  return oneStep && scans && plan == QueryPlan(catalogue, selection);
}

// A page that could not be answered on its own is not answered sliced
// either; the daemon then reports it as it would.
bool IsReadOnlyQuery(sqlite3* catalogue, const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  bool readOnly = sqlite3_prepare_v2(catalogue, sql.c_str(), -1, &stmt,
                                     nullptr) == SQLITE_OK &&
                  stmt != nullptr && sqlite3_stmt_readonly(stmt);
  sqlite3_finalize(stmt);
  return readOnly;
}

// What tells a change of the catalogue: the data version, for commits of
// other connections, and the change count, for the daemon's own.
struct CatalogueVersion {
  int64_t dataVersion = -1;
  int totalChanges = 0;
};

bool ReadVersion(sqlite3* catalogue, CatalogueVersion* version) {
  sqlite3_stmt* stmt = nullptr;
  bool read = sqlite3_prepare_v2(catalogue, "pragma data_version", -1, &stmt,
                                 nullptr) == SQLITE_OK &&
              sqlite3_step(stmt) == SQLITE_ROW;
  if (read) version->dataVersion = sqlite3_column_int64(stmt, 0);
  sqlite3_finalize(stmt);
  version->totalChanges = sqlite3_total_changes(catalogue);
  return read;
}

// Every file of one selection, encoded for the wire, in the order read.
struct KeptSelection {
  sqlite3* catalogue = nullptr;
  std::string selection;
  CatalogueVersion version;
  std::string records;
  std::vector<size_t> recordStarts;
};

bool IsKeptAsOf(const KeptSelection& kept, sqlite3* catalogue,
                const std::string& selection, const CatalogueVersion& version) {
  return kept.catalogue == catalogue && kept.selection == selection &&
         kept.version.dataVersion == version.dataVersion &&
         kept.version.totalChanges == version.totalChanges;
}

bool ReadSelection(sqlite3* catalogue, const std::string& selection,
                   const CatalogueVersion& version, KeptSelection* kept) {
  kept->catalogue = nullptr;
  kept->records.clear();
  kept->recordStarts.clear();
  SQLStatement statement(catalogue, selection);
  if (statement.rc != SQLITE_OK) return false;
  while ((statement.rc = sqlite3_step(statement.stmt)) == SQLITE_ROW) {
    kept->recordStarts.push_back(kept->records.size());
    wire::PutFile(StreamDB::LoadFileInfoFromStatement(statement),
                  &kept->records);
  }
  if (statement.rc != SQLITE_DONE) return false;
  kept->catalogue = catalogue;
  kept->selection = selection;
  kept->version = version;
  return true;
}

}  // namespace

bool AnswerFilesPage(sqlite3* catalogue, const std::string& sql,
                     std::string* reply) {
  static KeptSelection kept;
  PageRequest page;
  if (!ParsePageRequest(sql, &page)) return false;
  if (!IsReadOnlyQuery(catalogue, sql) ||
      !IsSliceOfSelection(catalogue, sql, page.selection)) {
    return false;
  }
  // Read before the selection, so that a commit in between shows later.
  CatalogueVersion version;
  if (!ReadVersion(catalogue, &version)) return false;
  // A listing starts at offset 0; it reads its selection afresh, so that
  // each listing costs one reading, whoever listed the same before.
  if ((page.offset == 0 ||
       !IsKeptAsOf(kept, catalogue, page.selection, version)) &&
      !ReadSelection(catalogue, page.selection, version, &kept)) {
    return false;
  }
  const uint64_t total = kept.recordStarts.size();
  const uint64_t first = page.offset < total ? page.offset : total;
  const uint64_t last = total - first < page.limit ? total : first + page.limit;
  const size_t begin =
      first < total ? kept.recordStarts[first] : kept.records.size();
  const size_t end =
      last < total ? kept.recordStarts[last] : kept.records.size();
  reply->clear();
  wire::PutU8(wire::kOk, reply);
  wire::PutU32(static_cast<uint32_t>(last - first), reply);
  reply->append(kept.records, begin, end - begin);
  return true;
}
