#include "standin/client/event_answers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "standin/recorder_schema.h"

// E<i>, i from 1000 to 2499, has answers "E<i>=1" up to "E<i>=<i % 4>",
// stored after those of other events so that rowid order is not id order;
// E1007 has 1003, more than any read-ahead. Odd ids: text "F", blob "G",
// "" and "E1001 ".
const char kAnswers[] =
    "with recursive n(i) as (select 1000 union all select i + 1 from n where "
    "i < 2499), k(k) as (select 1 union all select k + 1 from k where k < "
    "1003) insert into eventanswers select 'E' || i, 'E' || i, k from n, k "
    "where k <= iif(i = 1007, 1003, i % 4) order by k, i; insert into "
    "eventanswers values ('F', 'text', 1), (cast('G' as blob), 'blob', 1), "
    "('', 'empty', 1), ('E1001 ', 'blank', 1);";

TEST(EventAnswersTest, EachEventGetsItsOwnAnswersInAnyOrderAndAfterChanges) {
  const std::string path = "/tmp/event_answers." + std::to_string(getpid());
  sqlite3 *db = nullptr, *other = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(path.c_str(), &db));
  sqlite3_exec(db, RecorderSchemaSql(), nullptr, nullptr, nullptr);
  ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, kAnswers, nullptr, nullptr, nullptr));
  // The answers of each id, "question=answer;|" each, asked in turn while a
  // listing steps, as the event loader asks them; the listing's connection
  // runs `sql` just before the last.
  auto listed = [db](const std::vector<std::string>& ids, const char* sql) {
    sqlite3_stmt* listing = nullptr;
    sqlite3_prepare_v2(db, "select 1 from eventanswers", -1, &listing, nullptr);
    sqlite3_step(listing);
    std::string text;
    for (const std::string& id : ids) {
      if (&id == &ids.back()) sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
      for (const auto& answer : EventAnswersOf(db, id))
        text += answer.question + "=" + answer.answer + ";";
      text += "|";
    }
    sqlite3_finalize(listing);
    return text;
  };
  // Each id twice running, descending, shuffled, then ascending.
  std::vector<std::string> ids;
  std::string expected;
  for (int step : {2999, 7919, 1}) {
    for (int n = 0; n < 3000; ++n) {
      const int i = 1000 + n * step % 3000 / 2;
      ids.push_back("E" + std::to_string(i));
      for (int k = 1; k <= (i == 1007 ? 1003 : i % 4); ++k)
        expected += ids.back() + "=" + std::to_string(k) + ";";
      expected += "|";
    }
  }
  EXPECT_EQ(expected, listed(ids, ""));
  // E2499, read ahead by then, is changed by another connection between
  // listings; E1002, read ahead by E1001, by this one in mid-listing. Ids
  // that are not text sort after every text id and equal none.
  ASSERT_EQ(SQLITE_OK, sqlite3_open(path.c_str(), &other));
  sqlite3_exec(other, "delete from eventanswers where reid = 'E2499'", nullptr,
               nullptr, nullptr);
  EXPECT_EQ("|text=1;||empty=1;|E1001=1;|blank=1;|E1002=1;E1002=2;new=1;|",
            listed({"E2499", "F", "G", "", "E1001", "E1001 ", "E1002"},
                   "insert into eventanswers values ('E1002', 'new', 1)"));
  sqlite3_close(other);
  sqlite3_close(db);
  unlink(path.c_str());
}
