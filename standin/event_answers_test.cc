#include "standin/event_answers.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "standin/recorder_schema.h"

namespace {

void Exec(sqlite3* catalogue, const std::string& sql) {
  char* error = nullptr;
  ASSERT_EQ(SQLITE_OK,
            sqlite3_exec(catalogue, sql.c_str(), nullptr, nullptr, &error))
      << (error != nullptr ? error : "") << " in " << sql;
}

// Answers as "question=answer;" texts, in order.
std::string Text(const std::vector<StreamMgrApi::EventAnswer>& answers) {
  std::string text;
  for (const StreamMgrApi::EventAnswer& answer : answers) {
    text += answer.question + "=" + answer.answer + ";";
  }
  return text;
}

// Event E<i> has i % 4 answers "q<i>.<k>=a<i>.<k>", stored in that order,
// each after the answers of other events so that rowid order is not id
// order; E0007 has 1000, more than one read-ahead.
class EventAnswersTest : public ::testing::Test {
 protected:
  static const int kEvents = 1500;

  void SetUp() override {
    char path[] = "/tmp/event_answers_test_XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    path_ = path;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(path_.c_str(), &catalogue_));
    Exec(catalogue_, RecorderSchemaSql());
    Exec(catalogue_,
         "begin;"
         "insert into events (reid) with recursive n(i) as (select 1 union "
         "all select i + 1 from n where i < 1500) select printf('E%04d', i) "
         "from n;"
         "insert into eventanswers with recursive k(k) as (select 1 union "
         "all select k + 1 from k where k < 3) select reid, "
         "printf('q%d.%d', substr(reid, 2) + 0, k), "
         "printf('a%d.%d', substr(reid, 2) + 0, k) from events, k "
         "where k <= (substr(reid, 2) + 0) % 4 order by k, reid;"
         "insert into eventanswers with recursive k(k) as (select 1 union "
         "all select k + 1 from k where k < 1000) select 'E0007', 'x', k "
         "from k;"
         "commit;");
  }

  void TearDown() override {
    sqlite3_close_v2(catalogue_);
    unlink(path_.c_str());
  }

  // What E<i> must have.
  static std::string Expected(int i) {
    std::string text;
    for (int k = 1; k <= i % 4; ++k) {
      text += "q" + std::to_string(i) + "." + std::to_string(k) + "=a" +
              std::to_string(i) + "." + std::to_string(k) + ";";
    }
    if (i == 7) {
      for (int k = 1; k <= 1000; ++k) text += "x=" + std::to_string(k) + ";";
    }
    return text;
  }

  // Asks for the answers of each event that `sql` selects while stepping
  // it, as the event loader does; checks each against Expected.
  void CheckListing(const std::string& sql, int expectedEvents) {
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(SQLITE_OK,
              sqlite3_prepare_v2(catalogue_, sql.c_str(), -1, &stmt, nullptr));
    int events = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      std::string reid =
          reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
      ASSERT_EQ(Expected(std::stoi(reid.substr(1))),
                Text(EventAnswersOf(catalogue_, reid)))
          << reid << " in " << sql;
      ++events;
    }
    sqlite3_finalize(stmt);
    EXPECT_EQ(expectedEvents, events) << sql;
  }

  static std::string Id(int i) {
    char id[8];
    std::snprintf(id, sizeof(id), "E%04d", i);
    return id;
  }

  // The answers of each id, asked in turn while a listing of the events is
  // under way; an "insert" in the list is run there instead.
  std::vector<std::string> AnswersWhileListing(
      const std::vector<std::string>& ids) {
    sqlite3_stmt* stmt = nullptr;
    std::vector<std::string> answers;
    EXPECT_EQ(SQLITE_OK, sqlite3_prepare_v2(catalogue_, "select 1 from events",
                                            -1, &stmt, nullptr));
    EXPECT_EQ(SQLITE_ROW, sqlite3_step(stmt));
    for (const std::string& id : ids) {
      if (id.compare(0, 7, "insert ") == 0) {
        Exec(catalogue_, id);
      } else {
        answers.push_back(Text(EventAnswersOf(catalogue_, id)));
      }
    }
    sqlite3_finalize(stmt);
    return answers;
  }

  std::string path_;
  sqlite3* catalogue_ = nullptr;
};

TEST_F(EventAnswersTest, EveryOrderGetsEachEventsOwnAnswersInStoredOrder) {
  CheckListing("select reid from events", kEvents);
  CheckListing("select reid from events order by reid desc", kEvents);
  CheckListing("select reid from events order by (rowid * 7919) % 1500",
               kEvents);
  CheckListing("select reid from events, (select 1 union all select 2)",
               2 * kEvents);
}

TEST_F(EventAnswersTest, IdsMatchOnlyTextOfTheSameBytes) {
  Exec(catalogue_,
       "insert into eventanswers values ('F', 'text', 1);"
       "insert into eventanswers values (cast('F' as blob), 'blob', 1);"
       "insert into eventanswers values (cast('G' as blob), 'blob', 1);"
       "insert into eventanswers values (null, 'null', 1);"
       "insert into eventanswers values ('', 'empty', 1);"
       "insert into eventanswers values ('E0001 ', 'blank', 1);");
  // In ascending order, so that each is read ahead; blob ids sort last.
  EXPECT_EQ((std::vector<std::string>{"empty=1;", Expected(1), "blank=1;",
                                      Expected(2), Expected(1499),
                                      Expected(1500), "text=1;", ""}),
            AnswersWhileListing(
                {"", "E0001", "E0001 ", "E0002", "E1499", "E1500", "F", "G"}));
}

TEST_F(EventAnswersTest, AnswersChangedAfterReadingAheadAreSeen) {
  std::vector<std::string> ids;
  for (int i = 1; i <= 12; ++i) ids.push_back(Id(i));
  std::vector<std::string> expected;
  for (int i = 1; i <= 12; ++i) expected.push_back(Expected(i));
  // Read ahead past E0013 by then; this connection changes it meanwhile.
  ids.push_back("insert into eventanswers values ('E0013', 'new', 1)");
  ids.push_back(Id(13));
  expected.push_back(Expected(13) + "new=1;");
  EXPECT_EQ(expected, AnswersWhileListing(ids));

  // Another connection changes E0014 between two listings.
  sqlite3* other = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(path_.c_str(), &other));
  Exec(other, "delete from eventanswers where reid = 'E0014'");
  sqlite3_close(other);
  EXPECT_EQ(std::vector<std::string>{""}, AnswersWhileListing({Id(14)}));
}

}  // namespace
