#include "standin/client/event_answers.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

using StreamMgrApi::EventAnswer;

// A run of ascending ids reads ahead this many answers first, twice as many
// each time it passes the end of what was read, up to the cap. One look-up
// per event costs more than reading the event itself; a few answers too
// many cost less than one look-up.
const int kFirstReadAheadRows = 8;
const int kMostReadAheadRows = 512;

// One statement, prepared once per catalogue handle and reused.
struct KeptStatement {
  sqlite3* catalogue = nullptr;
  sqlite3_stmt* stmt = nullptr;
};

sqlite3_stmt* Prepared(sqlite3* catalogue, const char* sql,
                       KeptStatement* kept) {
  if (kept->catalogue != catalogue || kept->stmt == nullptr) {
    sqlite3_finalize(kept->stmt);
    kept->stmt = nullptr;
    kept->catalogue = catalogue;
    sqlite3_prepare_v2(catalogue, sql, -1, &kept->stmt, nullptr);
  }
  return kept->stmt;
}

std::string ColumnText(sqlite3_stmt* stmt, int column) {
  const unsigned char* text = sqlite3_column_text(stmt, column);
  if (text == nullptr) return std::string();
  return std::string(reinterpret_cast<const char*>(text),
                     static_cast<size_t>(sqlite3_column_bytes(stmt, column)));
}

// The answers of ids from `first` up to `end`, not included, or up to the
// last id; they hold while the catalogue shows the same data version. Ids
// compare byte by byte, as the catalogue's reid column. Asked in ascending
// order, each answer is handed out once, moved rather than copied: those
// before `next` are gone.
struct ReadAhead {
  sqlite3* catalogue = nullptr;
  unsigned dataVersion = 0;
  std::string first;
  std::string end;
  bool toLastId = false;
  int rows = 0;
  // By id, then in the order stored; ids[i] is the id of answers[i].
  std::vector<std::string> ids;
  std::vector<EventAnswer> answers;
  size_t next = 0;
};

// The data version changes with every change of the catalogue, whoever
// made it; but only inside a transaction has another writer's commit been
// seen.
bool CatalogueVersion(sqlite3* catalogue, unsigned* dataVersion) {
  return sqlite3_txn_state(catalogue, "main") > SQLITE_TXN_NONE &&
         sqlite3_file_control(catalogue, "main", SQLITE_FCNTL_DATA_VERSION,
                              dataVersion) == SQLITE_OK;
}

// Whether the answers of `reid` are all in `ahead`, none handed out yet.
bool Covers(const ReadAhead& ahead, sqlite3* catalogue,
            const std::string& reid) {
  unsigned dataVersion = 0;
  return ahead.catalogue == catalogue && reid >= ahead.first &&
         (ahead.toLastId || reid < ahead.end) &&
         (ahead.next == 0 || ahead.ids[ahead.next - 1] < reid) &&
         CatalogueVersion(catalogue, &dataVersion) &&
         dataVersion == ahead.dataVersion;
}

std::vector<EventAnswer> TakeAnswers(ReadAhead* ahead,
                                     const std::string& reid) {
  size_t i = ahead->next;
  while (i < ahead->ids.size() && ahead->ids[i] < reid) ++i;
  size_t last = i;
  while (last < ahead->ids.size() && ahead->ids[last] == reid) ++last;
  std::vector<EventAnswer> result(
      std::make_move_iterator(ahead->answers.begin() + i),
      std::make_move_iterator(ahead->answers.begin() + last));
  ahead->next = last;
  return result;
}

// Reads up to `rows` answers of the ids from `reid` on into `*ahead`; false,
// with `*ahead` holding nothing, when they cannot be read.
bool ReadAheadFrom(sqlite3* catalogue, const std::string& reid, int rows,
                   ReadAhead* ahead) {
  static KeptStatement kept;
  ahead->catalogue = nullptr;
  ahead->ids.clear();
  ahead->answers.clear();
  ahead->next = 0;
  sqlite3_stmt* stmt = Prepared(catalogue,
                                "select reid, question, answer from "
                                "eventanswers where reid >= ?1 "
                                "order by reid, rowid limit ?2",
                                &kept);
  if (stmt == nullptr) return false;
  // The id outlives the steps, and the binding is cleared after them.
  sqlite3_bind_text(stmt, 1, reid.data(), static_cast<int>(reid.size()),
                    SQLITE_STATIC);
  sqlite3_bind_int(stmt, 2, rows);
  int count = 0;
  bool pastTextIds = false;
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    ++count;
    // Ids that are not text sort after every text id and equal none.
    if (sqlite3_column_type(stmt, 0) != SQLITE_TEXT) {
      pastTextIds = true;
      break;
    }
    ahead->ids.push_back(ColumnText(stmt, 0));
    ahead->answers.push_back({ColumnText(stmt, 1), ColumnText(stmt, 2)});
  }
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
  if (rc != SQLITE_DONE && !pastTextIds) return false;
  ahead->first = reid;
  ahead->toLastId = pastTextIds || count < rows;
  // The last id read may have more answers past the limit, so what was
  // read holds for the ids before it only.
  if (!ahead->toLastId) ahead->end = ahead->ids.back();
  ahead->rows = rows;
  if (!CatalogueVersion(catalogue, &ahead->dataVersion)) return false;
  ahead->catalogue = catalogue;
  return true;
}

std::vector<EventAnswer> AnswersAlone(sqlite3* catalogue,
                                      const std::string& reid) {
  static KeptStatement kept;
  std::vector<EventAnswer> result;
  sqlite3_stmt* stmt = Prepared(catalogue,
                                "select question, answer from eventanswers "
                                "where reid = ?1 order by rowid",
                                &kept);
  if (stmt == nullptr) return result;
  sqlite3_bind_text(stmt, 1, reid.data(), static_cast<int>(reid.size()),
                    SQLITE_STATIC);
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    result.push_back({ColumnText(stmt, 0), ColumnText(stmt, 1)});
  }
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
  return result;
}

}  // namespace

std::vector<EventAnswer> EventAnswersOf(sqlite3* catalogue,
                                        const std::string& reid) {
  static ReadAhead ahead;
  static sqlite3* lastCatalogue = nullptr;
  static std::string lastId;
  if (catalogue == nullptr) return std::vector<EventAnswer>();
  const bool ascending = catalogue == lastCatalogue && reid > lastId;
  lastCatalogue = catalogue;
  lastId = reid;
  if (Covers(ahead, catalogue, reid)) return TakeAnswers(&ahead, reid);
  if (!ascending) return AnswersAlone(catalogue, reid);
  const bool continuesRun =
      ahead.catalogue == catalogue && !ahead.toLastId && reid >= ahead.end;
  const int rows = continuesRun ? std::min(ahead.rows * 2, kMostReadAheadRows)
                                : kFirstReadAheadRows;
  if (ReadAheadFrom(catalogue, reid, rows, &ahead) &&
      Covers(ahead, catalogue, reid)) {
    return TakeAnswers(&ahead, reid);
  }
  return AnswersAlone(catalogue, reid);
}
