#include "standin/files_pages.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "access/sql_statement.h"
#include "access/stream_db.h"
#include "standin/recorder_schema.h"
#include "standin/wire.h"

namespace {

void Exec(sqlite3* catalogue, const std::string& sql) {
  char* error = nullptr;
  ASSERT_EQ(SQLITE_OK,
            sqlite3_exec(catalogue, sql.c_str(), nullptr, nullptr, &error))
      << (error != nullptr ? error : "") << " in " << sql;
}

// 2500 files on streams 0 to 3; start ticks repeat, so that ties must come
// in the same order sliced or not.
class FilesPagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char path[] = "/tmp/files_pages_test_XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    path_ = path;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(path_.c_str(), &catalogue_));
    Exec(catalogue_, RecorderSchemaSql());
    Exec(catalogue_,
         "insert into streamfiles with recursive n(i) as (select 1 union all "
         "select i + 1 from n where i < 2500) select i, i % 4, i % 3, i % 7, "
         "i, 1767225600 + i, 1767229200 + i, 0, 0, 4096 + i, 1 from n");
  }

  void TearDown() override {
    sqlite3_close_v2(catalogue_);
    unlink(path_.c_str());
  }

  // The reply of the page's own statement, encoded as the daemon does.
  std::string OwnAnswer(const std::string& sql) {
    SQLStatement statement(catalogue_, sql);
    std::string body;
    uint32_t count = 0;
    while (sqlite3_step(statement.stmt) == SQLITE_ROW) {
      wire::PutFile(StreamDB::LoadFileInfoFromStatement(statement), &body);
      ++count;
    }
    std::string reply;
    wire::PutU8(wire::kOk, &reply);
    wire::PutU32(count, &reply);
    return reply + body;
  }

  void ExpectSlice(const std::string& sql) {
    std::string reply;
    ASSERT_TRUE(AnswerFilesPage(catalogue_, sql, &reply)) << sql;
    EXPECT_EQ(OwnAnswer(sql), reply) << sql;
  }

  std::string path_;
  sqlite3* catalogue_ = nullptr;
};

TEST_F(FilesPagesTest, PagesAreSlicesOfTheirSelection) {
  for (const char* selection :
       {"select * from streamfiles where number like '%' order by number asc",
        "select * from streamfiles where number like '1%' order by number "
        "desc",
        "select * from streamfiles where number like '%' and stream=2 order "
        "by starttick asc",
        "select * from streamfiles where next=0 and previous!=0 order by "
        "starttick desc"}) {
    for (const char* page : {" limit 1000 offset 0", " limit 1000 offset 1000",
                             " limit 1000 offset 2000", " limit 7 offset 613",
                             " limit 0 offset 5", " limit 1000 offset 2500"}) {
      ExpectSlice(std::string(selection) + page);
    }
  }
}

TEST_F(FilesPagesTest, OtherTextsAreLeftToTheirOwnStatement) {
  std::string reply = "untouched";
  for (const char* sql : {
           "select * from streamfiles order by number asc",
           "select * from streamfiles order by number asc limit 20",
           "select * from streamfiles order by number limit 20 limit 5 "
           "offset 0",
           "select * from streamfiles order by number -- limit 5 offset 0",
           "select * from streamfiles order by size limit 5 offset 0",
           "select * from nowhere limit 5 offset 0",
       }) {
    EXPECT_FALSE(AnswerFilesPage(catalogue_, sql, &reply)) << sql;
  }
  EXPECT_EQ("untouched", reply);
}

TEST_F(FilesPagesTest, ChangesBetweenPagesAreSeen) {
  const std::string selection =
      "select * from streamfiles where number like '%' order by number asc";
  ExpectSlice(selection + " limit 1000 offset 0");
  Exec(catalogue_, "update streamfiles set size = 1 where number = 1500");
  ExpectSlice(selection + " limit 1000 offset 1000");
  sqlite3* other = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(path_.c_str(), &other));
  Exec(other, "delete from streamfiles where number = 1700");
  sqlite3_close(other);
  ExpectSlice(selection + " limit 1000 offset 1000");
}

}  // namespace
