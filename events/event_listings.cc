#include "events/event_listings.h"

#include <functional>
#include <iostream>
#include <sstream>

#include "access/outside_command.h"
#include "access/sql_quote.h"
#include "access/sql_statement.h"
#include "access/stream_db.h"
#include "access/stream_mgr_api.h"
#include "events/event_table.h"
#include "program_state.h"
#include "run_status.h"
#include "standard_output.h"

namespace {

const int kQueryTimeoutMs = 60000;

using EventRow = std::function<void(const StreamMgrApi::EventRecordItem&)>;

// Steps `sql` on `db` and hands each row to `printRow` while stdout takes
// them; returns the number of rows. A failed prepare has been reported by
// the statement; a failed step ends the rows with "stmt Error: " on stderr,
// no line end.
int StepEventRows(const std::string& sql, const EventRow& printRow) {
  SQLStatement statement(db, sql);
  if (statement.rc != SQLITE_OK) return 0;
  int rows = 0;
  while (OutputIsWritable() &&
         (statement.rc = sqlite3_step(statement.stmt)) == SQLITE_ROW) {
    printRow(StreamDB::LoadEventInfoFromStatement(statement));
    ++rows;
  }
  if (statement.rc != SQLITE_DONE && OutputIsWritable()) {
    std::cerr << "stmt Error: ";
    NoteFailure();
  }
  return rows;
}

void DisplayEventList(const StreamMgrApi::EventRecordListMessage& list,
                      bool showBytes) {
  for (const StreamMgrApi::EventRecordItem& event : list.records) {
    if (!OutputIsWritable()) return;
    DisplayEvent(event, showBytes);
  }
}

// Asks StreamMgr for the events that `sql` selects.
void FetchEvents(const std::string& sql,
                 StreamMgrApi::EventRecordListMessage* list) {
  NoteIfQueryFailed(
      ipc,
      StreamMgrApi::GetEventsFromSqlStatement(ipc, sql, *list, kQueryTimeoutMs),
      sql);
}

// Prints as table rows the events that `sql` selects, by the access path.
// A failed request to StreamMgr looks like an empty answer.
void DisplaySelectedEvents(const std::string& sql, bool showBytes) {
  if (!streamMgrRunning) {
    StepEventRows(sql, [showBytes](const StreamMgrApi::EventRecordItem& event) {
      DisplayEvent(event, showBytes);
    });
    return;
  }
  StreamMgrApi::EventRecordListMessage list;
  FetchEvents(sql, &list);
  DisplayEventList(list, showBytes);
}

void PrintNotFound(const std::string& id) {
  std::cout << '\n' << "NOT FOUND: " << id << "\n\n";
}

const char kNullFieldsCount[] =
    "select count(*) from events where streamstate is NULL or totalfiles is "
    "NULL or groupid is NULL or part is NULL or totalparts is NULL";

// Rows whose critical columns hold NULL; 0 also when the count fails, which
// the direct path reports on stderr.
unsigned int CountNullFieldRows() {
  unsigned int count = 0;
  if (streamMgrRunning) {
    NoteIfQueryFailed(ipc,
                      StreamMgrApi::GetCountFromSqlStatement(
                          ipc, kNullFieldsCount, count, kQueryTimeoutMs),
                      kNullFieldsCount);
    return count;
  }
  SQLStatement statement(db, kNullFieldsCount);
  if (statement.rc == SQLITE_OK) {
    statement.rc = sqlite3_step(statement.stmt);
  }
  if (statement.rc == SQLITE_ROW) {
    count = static_cast<unsigned int>(sqlite3_column_int(statement.stmt, 0));
  } else {
    // After a failed prepare this continues the statement's own report.
    // The recorder's own text, though nothing here is a file: keep it so.
    std::cerr << ": error getting file stats" << std::endl;
    NoteFailure();
  }
  return count;
}

const char kNullFieldRowsCommand[] =
    "sql 'select reid,splitstate,totalfiles,groupid,part,totalparts from "
    "events where streamstate is NULL"
    " or totalfiles is NULL or groupid is NULL or part is NULL or totalparts "
    "is NULL'";

// The warning, then the affected rows as the outside command `sql` shows
// them.
void ShowNullFieldRows() {
  std::cout << "\n\n"
            << "    WARNING!  Some critical fields are NULL!  (affected reid's "
               "shown below):"
            << "\n\n";
  // The command would create an empty catalogue where none opened. What it
  // found, or why it failed, it shows itself.
  if (catalogueOpened && !Succeeded(RunCommand(kNullFieldRowsCommand))) {
    NoteFailure();
  }
  std::cout << '\n';
}

}  // namespace

void DisplayEvents(bool showBytes) {
  PrintEventHeader(showBytes);
  DisplaySelectedEvents("select * from events", showBytes);
  if (OutputIsWritable() && CountNullFieldRows() != 0) ShowNullFieldRows();
}

void DisplayEventsById(const std::string& id, bool showBytes) {
  // An empty id names no event; asked for, it would match every event
  // without a group.
  if (id.empty()) {
    PrintNotFound(id);
    return;
  }
  const std::string sql =
      "select * from events where reid=" + QuotedSqlText(id) +
      " or groupId=" + QuotedSqlText(id);
  if (streamMgrRunning) {
    StreamMgrApi::EventRecordListMessage list;
    FetchEvents(sql, &list);
    if (list.records.empty()) {
      PrintNotFound(id);
      return;
    }
    PrintEventHeader(showBytes);
    DisplayEventList(list, showBytes);
    return;
  }
  bool headerPrinted = false;
  int rows = StepEventRows(
      sql,
      [showBytes, &headerPrinted](const StreamMgrApi::EventRecordItem& event) {
        if (!headerPrinted) PrintEventHeader(showBytes);
        headerPrinted = true;
        DisplayEvent(event, showBytes);
        // On this path every row is followed by an empty line.
        std::cout << '\n';
      });
  if (rows == 0) PrintNotFound(id);
}

void DisplaySplitEvents(bool showBytes) {
  PrintEventHeader(showBytes);
  std::ostringstream sql;
  sql << "select * from events where splitstate="
      << static_cast<int>(StreamMgrApi::AlreadySpl)
      << " or part>0 or totalparts>0";
  DisplaySelectedEvents(sql.str(), showBytes);
}

void DisplayUntransferredEvents() {
  PrintEventHeader(false);
  std::ostringstream sql;
  sql << "select * from events where state!="
      << static_cast<int>(StreamMgrApi::Transfered);
  DisplaySelectedEvents(sql.str(), false);
}
