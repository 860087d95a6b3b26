#include "standin/daemon/stream_mgr_service.h"

#include "access/sql_statement.h"
#include "access/stream_db.h"
#include "standin/client/wire.h"
#include "standin/daemon/files_pages.h"

namespace {

bool ReadRequest(const std::string& request, uint8_t* kind, uint32_t* waitMs,
                 std::string* text) {
  wire::Reader reader = wire::ReaderOf(request);
  return wire::GetU8(&reader, kind) && wire::GetU32(&reader, waitMs) &&
         wire::GetString(&reader, text) && wire::AtEnd(reader);
}

std::string Failed() {
  std::string reply;
  wire::PutU8(wire::kFailed, &reply);
  return reply;
}

// A query request may only read: the tool sends nothing else, and a
// statement that writes must not slip in through a query.
bool IsReadOnlyQuery(const SQLStatement& statement) {
  return statement.rc == SQLITE_OK && statement.stmt != nullptr &&
         sqlite3_stmt_readonly(statement.stmt);
}

template <typename Load, typename Put>
std::string AnswerRecords(sqlite3* catalogue, const std::string& sql, Load load,
                          Put put) {
  SQLStatement statement(catalogue, sql);
  if (!IsReadOnlyQuery(statement)) return Failed();
  std::string body;
  uint32_t count = 0;
  while ((statement.rc = sqlite3_step(statement.stmt)) == SQLITE_ROW) {
    put(load(statement), &body);
    ++count;
  }
  if (statement.rc != SQLITE_DONE) return Failed();
  std::string reply;
  wire::PutU8(wire::kOk, &reply);
  wire::PutU32(count, &reply);
  return reply + body;
}

std::string AnswerCount(sqlite3* catalogue, const std::string& sql) {
  SQLStatement statement(catalogue, sql);
  if (!IsReadOnlyQuery(statement) ||
      sqlite3_step(statement.stmt) != SQLITE_ROW) {
    return Failed();
  }
  std::string reply;
  wire::PutU8(wire::kOk, &reply);
  wire::PutU32(static_cast<uint32_t>(sqlite3_column_int64(statement.stmt, 0)),
               &reply);
  return reply;
}

std::string AnswerDelete(const ServiceOptions& options, sqlite3* catalogue,
                         const std::string& reid) {
  bool deleted = false;
  if (options.refusedDeletes.count(reid) == 0) {
    SQLStatement statement(catalogue, "delete from events where reid = ?1");
    if (statement.rc == SQLITE_OK) {
      sqlite3_bind_text(statement.stmt, 1, reid.data(),
                        static_cast<int>(reid.size()), SQLITE_TRANSIENT);
      deleted = sqlite3_step(statement.stmt) == SQLITE_DONE &&
                sqlite3_changes(catalogue) > 0;
    }
  }
  std::string reply;
  wire::PutU8(wire::kOk, &reply);
  wire::PutU8(deleted ? 1 : 0, &reply);
  return reply;
}

std::string AnswerSettings(const ServiceOptions& options) {
  if (options.settingsFail) return Failed();
  std::string reply;
  wire::PutU8(wire::kOk, &reply);
  wire::PutU32(options.reExportHours, &reply);
  return reply;
}

}  // namespace

std::string AnswerRequest(const ServiceOptions& options, sqlite3* catalogue,
                          const std::string& request) {
  uint8_t kind = 0;
  uint32_t waitMs = 0;
  std::string text;
  if (!ReadRequest(request, &kind, &waitMs, &text)) return Failed();
  const bool isQuery =
      kind == wire::kEvents || kind == wire::kFiles || kind == wire::kCount;
  if (options.failQueries && isQuery) return Failed();
  switch (kind) {
    case wire::kEvents:
      return AnswerRecords(catalogue, text,
                           StreamDB::LoadEventInfoFromStatement,
                           wire::PutEvent);
    case wire::kFiles: {
      std::string page;
      if (AnswerFilesPage(catalogue, text, &page)) return page;
      return AnswerRecords(catalogue, text, StreamDB::LoadFileInfoFromStatement,
                           wire::PutFile);
    }
    case wire::kCount:
      return AnswerCount(catalogue, text);
    case wire::kDelete:
      return AnswerDelete(options, catalogue, text);
    case wire::kSettings:
      return AnswerSettings(options);
  }
  return Failed();
}

std::string RequestLogLine(const std::string& request) {
  uint8_t kind = 0;
  uint32_t waitMs = 0;
  std::string text;
  if (!ReadRequest(request, &kind, &waitMs, &text)) return std::string();
  const char* names[] = {"", "events", "files", "count", "delete", "settings"};
  if (kind < wire::kEvents || kind > wire::kSettings) return std::string();
  return std::string(names[kind]) + "\t" + text + "\n";
}

std::string StallLogLine(const std::string& request) {
  uint8_t kind = 0;
  uint32_t waitMs = 0;
  std::string text;
  if (!ReadRequest(request, &kind, &waitMs, &text)) return std::string();
  return "stalled\t" + std::to_string(waitMs) + "\n";
}
