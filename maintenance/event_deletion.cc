#include "maintenance/event_deletion.h"

#include <sqlite3.h>

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "access/sql_quote.h"
#include "access/sql_statement.h"
#include "access/stream_mgr_api.h"
#include "program_state.h"
#include "run_status.h"

namespace {

const int kTimeoutMs = 60000;

// The result line of -d, singular for exactly one event.
std::string DeletedEventsToStr(uint32_t count, const std::string& id) {
  return "  Successfully deleted " + std::to_string(count) + " event" +
         (count == 1 ? "" : "s") + ":  id = " + id;
}

// The events that StreamMgr finds for `sql`.
void FetchEvents(const std::string& sql,
                 StreamMgrApi::EventRecordListMessage* list) {
  NoteIfQueryFailed(
      ipc, StreamMgrApi::GetEventsFromSqlStatement(ipc, sql, *list, kTimeoutMs),
      sql);
}

// Has StreamMgr delete each listed event, one request per event, reporting
// those it refuses or leaves unanswered; returns how many it deleted.
uint32_t DeleteEachEvent(
    const std::vector<StreamMgrApi::EventRecordItem>& events) {
  uint32_t deleted = 0;
  for (const StreamMgrApi::EventRecordItem& event : events) {
    const bool done = StreamMgrApi::DeleteEvent(event.reid.value, ipc);
    NoteIfUnanswered(ipc, "delete " + event.reid.value);
    if (done) {
      ++deleted;
    } else {
      std::cerr << "  Failed to delete event:  reid= " << event.reid.value
                << "  groupId= " << event.groupId.value << '\n';
      NoteFailure();
    }
  }
  return deleted;
}

// False, with the code and text on stderr, when `statement` did not prepare
// (continuing the statement's own report on the same line).
bool IsPrepared(const SQLStatement& statement, const std::string& sql) {
  if (statement.rc == SQLITE_OK) return true;
  std::cerr << "stmt Error: " << statement.rc << "  sql='" << sql << "'\n";
  return false;
}

// Runs the count query `sql` on `db`; false after reporting why there is no
// count.
bool CountEvents(const std::string& sql, uint32_t* count) {
  SQLStatement statement(db, sql);
  if (!IsPrepared(statement, sql)) return false;
  statement.rc = sqlite3_step(statement.stmt);
  if (statement.rc != SQLITE_ROW) {
    std::cerr << ": error getting count of events to delete using '" << sql
              << "'\n";
    NoteFailure();
    return false;
  }
  *count = static_cast<uint32_t>(sqlite3_column_int(statement.stmt, 0));
  return true;
}

// Runs the delete statement `sql` on `db` in one step; *deleted is the
// number of events it removed, which another process may have removed
// first. False, after `failedLine` on stderr, when it did not complete.
bool RunDelete(const std::string& sql, const std::string& failedLine,
               uint32_t* deleted) {
  SQLStatement statement(db, sql);
  if (!IsPrepared(statement, sql)) return false;
  statement.rc = sqlite3_step(statement.stmt);
  if (statement.rc != SQLITE_DONE) {
    std::cerr << failedLine << '\n';
    NoteFailure();
    return false;
  }
  *deleted = static_cast<uint32_t>(sqlite3_changes(db));
  return true;
}

// The condition of both the listing and the count: the event named `id` and
// every event of the group named `id`.
std::string WhereEventOrGroup(const std::string& id) {
  return " where reid=" + QuotedSqlText(id) +
         " or groupId=" + QuotedSqlText(id);
}

void DeleteEventOrGroupThroughStreamMgr(const std::string& id) {
  StreamMgrApi::EventRecordListMessage list;
  // An empty id would match every event without a group: a script with an
  // unset variable must not empty the catalogue, so nothing is asked.
  if (!id.empty())
    FetchEvents("select * from events" + WhereEventOrGroup(id), &list);
  if (list.records.empty()) {
    std::cerr << "  Event or groupId not found: " << id << '\n';
    return;
  }
  uint32_t deleted = DeleteEachEvent(list.records);
  std::cout << DeletedEventsToStr(deleted, id) << '\n';
}

void DeleteEventOrGroupDirectly(const std::string& id) {
  uint32_t count = 0;
  // As over IPC, an empty id is not looked up and so matches nothing.
  if (!id.empty() &&
      !CountEvents("select count(*) from events" + WhereEventOrGroup(id),
                   &count)) {
    return;
  }
  uint32_t deleted = 0;
  if (count != 0 &&
      !RunDelete("delete from events" + WhereEventOrGroup(id),
                 "  Error deleting event or groupId:  id = " + id, &deleted)) {
    return;
  }
  if (deleted == 0) {
    std::cerr << "  Event or groupId not found:  id = " << id << '\n';
    return;
  }
  std::cout << DeletedEventsToStr(deleted, id) << '\n';
}

void DeleteAllEventsThroughStreamMgr() {
  StreamMgrApi::EventRecordListMessage list;
  FetchEvents("select * from events", &list);
  if (list.records.empty()) {
    std::cerr << "  No events found...no action taken.\n";
    return;
  }
  uint32_t deleted = DeleteEachEvent(list.records);
  std::cout << "  Successfully deleted " << deleted << " events\n";
}

void DeleteAllEventsDirectly() {
  uint32_t count = 0;
  if (!CountEvents("select count(*) from events", &count)) return;
  uint32_t deleted = 0;
  if (count != 0 && !RunDelete("delete from events",
                               "  Error deleting all events", &deleted)) {
    return;
  }
  if (deleted == 0) {
    std::cerr << "  No events found...no action taken.\n";
    return;
  }
  std::cout << "  Successfully deleted all " << deleted << " events\n";
}

}  // namespace

void DeleteEventOrGroup(const std::string& id) {
  if (streamMgrRunning) {
    DeleteEventOrGroupThroughStreamMgr(id);
  } else {
    DeleteEventOrGroupDirectly(id);
  }
}

void DeleteAllEvents() {
  if (streamMgrRunning) {
    DeleteAllEventsThroughStreamMgr();
  } else {
    DeleteAllEventsDirectly();
  }
}
