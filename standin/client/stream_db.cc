#include "access/stream_db.h"

#include <strings.h>

#include <cstdint>
#include <string>
#include <vector>

#include "standin/client/event_answers.h"

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

// The member of an events record that a column fills.
enum EventMember {
  kNoEventMember,
  kReid,
  kEventState,
  kSplitState,
  kLocked,
  kMarked,
  kUploaded,
  kCCode,
  kRCode,
  kEventStartTick,
  kEventStartTime,
  kExportTime,
  kEventStopTick,
  kEventStopTime,
  kCategory,
  kOfficer,
  kNotes,
  kVehicle,
  kEvidence,
  kBg,
  kTotalFiles,
  kGroupId,
  kPart,
  kTotalParts,
};

EventMember EventMemberNamed(const char* name) {
  static const struct {
    const char* name;
    EventMember member;
  } kColumns[] = {
      {"reid", kReid},
      {"state", kEventState},
      {"splitstate", kSplitState},
      {"locked", kLocked},
      {"marked", kMarked},
      {"uploaded", kUploaded},
      {"ccode", kCCode},
      {"rcode", kRCode},
      {"starttick", kEventStartTick},
      {"starttime", kEventStartTime},
      {"exporttime", kExportTime},
      {"stoptick", kEventStopTick},
      {"stoptime", kEventStopTime},
      {"category", kCategory},
      {"officer", kOfficer},
      {"notes", kNotes},
      {"vehicle", kVehicle},
      {"evidence", kEvidence},
      {"bg", kBg},
      {"totalfiles", kTotalFiles},
      {"groupId", kGroupId},
      {"part", kPart},
      {"totalparts", kTotalParts},
  };
  for (const auto& column : kColumns) {
    if (Named(name, column.name)) return column.member;
  }
  return kNoEventMember;
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

// The members that the columns of one statement fill, in column order.
template <typename Member>
struct ColumnMembers {
  sqlite3_stmt* stmt = nullptr;
  std::string sql;
  std::vector<Member> members;
};

// What each column of `stmt` fills. Looking names up costs more than the
// row itself, so the answer is kept in `*map` while rows come from one
// statement; a later statement at the same address is told apart by its
// text and width.
template <typename Member>
const std::vector<Member>& MembersOf(sqlite3_stmt* stmt,
                                     Member (*memberNamed)(const char*),
                                     ColumnMembers<Member>* map) {
  const char* sql = sqlite3_sql(stmt);
  int columns = sqlite3_column_count(stmt);
  if (stmt == map->stmt && sql != nullptr && map->sql == sql &&
      map->members.size() == static_cast<size_t>(columns)) {
    return map->members;
  }
  map->stmt = stmt;
  map->sql = sql != nullptr ? sql : "";
  map->members.clear();
  for (int i = 0; i < columns; ++i) {
    map->members.push_back(memberNamed(sqlite3_column_name(stmt, i)));
  }
  return map->members;
}

// Fills the member `member` of `event` from column `column`.
void FillEventMember(EventMember member, sqlite3_stmt* stmt, int column,
                     StreamMgrApi::EventRecordItem* event) {
  using namespace StreamMgrApi;
  switch (member) {
    case kReid:
      event->reid.value = Text(stmt, column);
      break;
    case kEventState:
      event->state = EventState(I32(stmt, column));
      break;
    case kSplitState:
      event->splitstate = SplitEventState(I32(stmt, column));
      break;
    case kLocked:
      event->locked.value = U32(stmt, column) != 0;
      break;
    case kMarked:
      event->marked.value = U32(stmt, column) != 0;
      break;
    case kUploaded:
      event->uploaded.value = U32(stmt, column) != 0;
      break;
    case kCCode:
      event->cCode = EventCode(I32(stmt, column));
      break;
    case kRCode:
      event->rCode = EventCode(I32(stmt, column));
      break;
    case kEventStartTick:
      event->startTick.value = U32(stmt, column);
      break;
    case kEventStartTime:
      event->startTime.value = I32(stmt, column);
      break;
    case kExportTime:
      event->exportTime.value = I32(stmt, column);
      break;
    case kEventStopTick:
      event->stopTick.value = U32(stmt, column);
      break;
    case kEventStopTime:
      event->stopTime.value = I32(stmt, column);
      break;
    case kCategory:
      event->category.value = Text(stmt, column);
      break;
    case kOfficer:
      event->officer.data.value = Text(stmt, column);
      break;
    case kNotes:
      event->notes.value = Text(stmt, column);
      break;
    case kVehicle:
      event->vehicle.data.value = Text(stmt, column);
      break;
    case kEvidence:
      event->evidence.value = U32(stmt, column) != 0;
      break;
    case kBg:
      event->bg.value = U32(stmt, column) != 0;
      break;
    case kTotalFiles:
      event->totalfiles.value = U32(stmt, column);
      break;
    case kGroupId:
      event->groupId.value = Text(stmt, column);
      break;
    case kPart:
      event->part.value = U32(stmt, column);
      break;
    case kTotalParts:
      event->totalparts.value = U32(stmt, column);
      break;
    case kNoEventMember:
      break;
  }
}

}  // namespace

StreamMgrApi::EventRecordItem LoadEventInfoFromStatement(
    SQLStatement& statement) {
  static ColumnMembers<EventMember> map;
  const std::vector<EventMember>& members =
      MembersOf(statement.stmt, EventMemberNamed, &map);
  StreamMgrApi::EventRecordItem event;
  for (size_t i = 0; i < members.size(); ++i) {
    FillEventMember(members[i], statement.stmt, static_cast<int>(i), &event);
  }
  event.answers.value = EventAnswersOf(db, event.reid.value);
  return event;
}

StreamMgrApi::StreamfileRecordItem LoadFileInfoFromStatement(
    SQLStatement& statement) {
  using namespace StreamMgrApi;
  sqlite3_stmt* stmt = statement.stmt;
  static ColumnMembers<FileMember> map;
  const std::vector<FileMember>& members =
      MembersOf(stmt, FileMemberNamed, &map);
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
