#include "access/stream_db.h"

#include <strings.h>

#include <cstdint>
#include <string>
#include <vector>

// The catalogue handle of the program that links this library.
extern sqlite3* db;

namespace StreamDB {

namespace {

// Values keep their low 32 bits, whatever width SQLite stored.
uint32_t U32(sqlite3_stmt* stmt, int column) {
  return static_cast<uint32_t>(sqlite3_column_int64(stmt, column));
}

int32_t I32(sqlite3_stmt* stmt, int column) {
  return static_cast<int32_t>(U32(stmt, column));
}

std::string Text(sqlite3_stmt* stmt, int column) {
  const unsigned char* text = sqlite3_column_text(stmt, column);
  if (text == nullptr) return std::string();
  return std::string(reinterpret_cast<const char*>(text),
                     static_cast<size_t>(sqlite3_column_bytes(stmt, column)));
}

bool Named(const char* column, const char* name) {
  return column != nullptr && strcasecmp(column, name) == 0;
}

// The answers of one event, in the order they were stored. The statement
// is prepared once per catalogue handle and reused for every event.
std::vector<StreamMgrApi::EventAnswer> LoadAnswers(const std::string& reid) {
  static sqlite3* preparedOn = nullptr;
  static sqlite3_stmt* answers = nullptr;
  std::vector<StreamMgrApi::EventAnswer> result;
  if (db == nullptr) return result;
  if (preparedOn != db || answers == nullptr) {
    sqlite3_finalize(answers);
    answers = nullptr;
    preparedOn = db;
    if (sqlite3_prepare_v2(db,
                           "select question, answer from eventanswers "
                           "where reid = ?1 order by rowid",
                           -1, &answers, nullptr) != SQLITE_OK) {
      return result;
    }
  }
  sqlite3_bind_text(answers, 1, reid.data(), static_cast<int>(reid.size()),
                    SQLITE_TRANSIENT);
  while (sqlite3_step(answers) == SQLITE_ROW) {
    result.push_back({Text(answers, 0), Text(answers, 1)});
  }
  sqlite3_reset(answers);
  sqlite3_clear_bindings(answers);
  return result;
}

// The member of a files record that a column fills.
enum FileMember {
  kNoMember,
  kNumber,
  kStream,
  kState,
  kStartTick,
  kStopTick,
  kStartTime,
  kStopTime,
  kPrevious,
  kNext,
  kSize,
  kType,
};

FileMember FileMemberNamed(const char* name) {
  static const struct {
    const char* name;
    FileMember member;
  } kColumns[] = {
      {"number", kNumber},     {"stream", kStream},
      {"state", kState},       {"starttick", kStartTick},
      {"stoptick", kStopTick}, {"starttime", kStartTime},
      {"stoptime", kStopTime}, {"previous", kPrevious},
      {"next", kNext},         {"size", kSize},
      {"type", kType},
  };
  for (const auto& column : kColumns) {
    if (Named(name, column.name)) return column.member;
  }
  return kNoMember;
}

// What each column of `stmt` fills. Looking names up costs more than the
// row itself, so the answer is kept while rows come from one statement; a
// later statement at the same address is told apart by its text and width.
const std::vector<FileMember>& FileMembersOf(sqlite3_stmt* stmt) {
  static sqlite3_stmt* mappedStmt = nullptr;
  static std::string mappedSql;
  static std::vector<FileMember> members;
  const char* sql = sqlite3_sql(stmt);
  int columns = sqlite3_column_count(stmt);
  if (stmt == mappedStmt && sql != nullptr && mappedSql == sql &&
      members.size() == static_cast<size_t>(columns)) {
    return members;
  }
  mappedStmt = stmt;
  mappedSql = sql != nullptr ? sql : "";
  members.clear();
  for (int i = 0; i < columns; ++i) {
    members.push_back(FileMemberNamed(sqlite3_column_name(stmt, i)));
  }
  return members;
}

}  // namespace

StreamMgrApi::EventRecordItem LoadEventInfoFromStatement(
    SQLStatement& statement) {
  using namespace StreamMgrApi;
  sqlite3_stmt* stmt = statement.stmt;
  EventRecordItem event;
  int columns = sqlite3_column_count(stmt);
  for (int i = 0; i < columns; ++i) {
    const char* name = sqlite3_column_name(stmt, i);
    if (Named(name, "reid"))
      event.reid.value = Text(stmt, i);
    else if (Named(name, "state"))
      event.state = EventState(I32(stmt, i));
    else if (Named(name, "splitstate"))
      event.splitstate = SplitEventState(I32(stmt, i));
    else if (Named(name, "locked"))
      event.locked.value = U32(stmt, i) != 0;
    else if (Named(name, "marked"))
      event.marked.value = U32(stmt, i) != 0;
    else if (Named(name, "uploaded"))
      event.uploaded.value = U32(stmt, i) != 0;
    else if (Named(name, "ccode"))
      event.cCode = EventCode(I32(stmt, i));
    else if (Named(name, "rcode"))
      event.rCode = EventCode(I32(stmt, i));
    else if (Named(name, "starttick"))
      event.startTick.value = U32(stmt, i);
    else if (Named(name, "starttime"))
      event.startTime.value = I32(stmt, i);
    else if (Named(name, "exporttime"))
      event.exportTime.value = I32(stmt, i);
    else if (Named(name, "stoptick"))
      event.stopTick.value = U32(stmt, i);
    else if (Named(name, "stoptime"))
      event.stopTime.value = I32(stmt, i);
    else if (Named(name, "category"))
      event.category.value = Text(stmt, i);
    else if (Named(name, "officer"))
      event.officer.data.value = Text(stmt, i);
    else if (Named(name, "notes"))
      event.notes.value = Text(stmt, i);
    else if (Named(name, "vehicle"))
      event.vehicle.data.value = Text(stmt, i);
    else if (Named(name, "evidence"))
      event.evidence.value = U32(stmt, i) != 0;
    else if (Named(name, "bg"))
      event.bg.value = U32(stmt, i) != 0;
    else if (Named(name, "totalfiles"))
      event.totalfiles.value = U32(stmt, i);
    else if (Named(name, "groupId"))
      event.groupId.value = Text(stmt, i);
    else if (Named(name, "part"))
      event.part.value = U32(stmt, i);
    else if (Named(name, "totalparts"))
      event.totalparts.value = U32(stmt, i);
  }
  event.answers.value = LoadAnswers(event.reid.value);
  return event;
}

StreamMgrApi::StreamfileRecordItem LoadFileInfoFromStatement(
    SQLStatement& statement) {
  using namespace StreamMgrApi;
  sqlite3_stmt* stmt = statement.stmt;
  const std::vector<FileMember>& members = FileMembersOf(stmt);
  StreamfileRecordItem file;
  for (size_t i = 0; i < members.size(); ++i) {
    int column = static_cast<int>(i);
    switch (members[i]) {
      case kNumber:
        file.number.value = U32(stmt, column);
        break;
      case kStream:
        file.stream.value = U32(stmt, column);
        break;
      case kState:
        file.state = StreamFileState(I32(stmt, column));
        break;
      case kStartTick:
        file.startTick.value = U32(stmt, column);
        break;
      case kStopTick:
        file.stopTick.value = U32(stmt, column);
        break;
      case kStartTime:
        file.startTime.value = U32(stmt, column);
        break;
      case kStopTime:
        file.stopTime.value = U32(stmt, column);
        break;
      case kPrevious:
        file.previous.value = U32(stmt, column);
        break;
      case kNext:
        file.next.value = U32(stmt, column);
        break;
      case kSize:
        file.size.value = U32(stmt, column);
        break;
      case kType:
        file.type = StreamFileType(I32(stmt, column));
        break;
      case kNoMember:
        break;
    }
  }
  return file;
}

}  // namespace StreamDB
