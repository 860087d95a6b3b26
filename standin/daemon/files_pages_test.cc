#include "standin/daemon/files_pages.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <tuple>

#include "access/sql_statement.h"
#include "access/stream_db.h"
#include "standin/client/wire.h"
#include "standin/recorder_schema.h"

// 2500 files whose start ticks repeat, so that ties must come in the same
// order sliced or not.
const char kFiles[] =
    "insert into streamfiles (number, starttick) with recursive n(i) as "
    "(select 1 union all select i+1 from n where i<2500) select i, i%7 from n";

// The reply of the page's own statement, encoded as the daemon does.
static std::string OwnAnswer(sqlite3* db, const std::string& sql) {
  SQLStatement statement(db, sql);
  std::string reply(1, wire::kOk), body;
  uint32_t count = 0;
  for (; sqlite3_step(statement.stmt) == SQLITE_ROW; ++count)
    wire::PutFile(StreamDB::LoadFileInfoFromStatement(statement), &body);
  wire::PutU32(count, &reply);
  return reply + body;
}

TEST(FilesPagesTest, OnlyPagesOfOneOrderedScanAreSlicedAndChangesAreSeen) {
  const std::string path = "/tmp/files_pages." + std::to_string(getpid());
  sqlite3 *db = nullptr, *other = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(path.c_str(), &db));
  ASSERT_EQ(SQLITE_OK, sqlite3_open(path.c_str(), &other));
  sqlite3_exec(db, RecorderSchemaSql(), nullptr, nullptr, nullptr);
  sqlite3_exec(db, kFiles, nullptr, nullptr, nullptr);
  // Before each request, this connection or another changes every file. A
  // sort may order ties otherwise when limited, and the clause must reach
  // SQLite as it stands: those are left to their own statement ("-").
  const std::string f = "select * from streamfiles order by ";
  for (const auto& [by, sql, sliced] :
       {std::tuple{db, f + "starttick desc limit 1000 offset 0", true},
        {db, f + "starttick desc limit 1000 offset 1000", true},
        {other, f + "starttick desc limit 1000 offset 2000", true},
        {db, f + "stream limit 5 offset 9", false},
        {db, f + "number -- limit 5 offset 0", false},
        {db, f + "number limit 20 limit 5 offset 0", false}}) {
    sqlite3_exec(by, "update streamfiles set size = random()", nullptr, nullptr,
                 nullptr);
    std::string reply = "-";
    EXPECT_EQ(sliced, AnswerFilesPage(db, sql, &reply)) << sql;
    EXPECT_EQ(sliced ? OwnAnswer(db, sql) : "-", reply) << sql;
  }
  sqlite3_close(other);
  sqlite3_close(db);
  unlink(path.c_str());
}
