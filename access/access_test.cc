#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include "access/local_time.h"
#include "access/sql_quote.h"

namespace {

TEST(SqlQuoteTest, QuotesAreDoubledAndNothingElseChanges) {
  EXPECT_EQ("''", QuotedSqlText(""));
  EXPECT_EQ("'EV1'", QuotedSqlText("EV1"));
  EXPECT_EQ("'x'' or ''1''=''1'", QuotedSqlText("x' or '1'='1"));
  EXPECT_EQ("'a\"b;%_\xff'", QuotedSqlText("a\"b;%_\xff"));
  EXPECT_EQ("\"my table\"", QuotedSqlIdentifier("my table"));
  EXPECT_EQ("\"a\"\"b'c\"", QuotedSqlIdentifier("a\"b'c"));
}

class LocalTimeTest : public ::testing::Test {
 protected:
  // The zone is read once per process, so every case uses UTC.
  static void SetUpTestSuite() { setenv("TZ", "UTC", 1); }
};

TEST_F(LocalTimeTest, FormatsTheRecorderWay) {
  EXPECT_EQ("01/01/26 00:00:00", LocalTimeText(1767225600, "%x %X"));
  EXPECT_EQ("23:59:59", LocalTimeText(-1, "%X"));
  EXPECT_EQ("12/13/01 20:45:52", LocalTimeText(-2147483648LL, "%x %X"));
  EXPECT_EQ("02/07/06 06:28:15", LocalTimeText(4294967295LL, "%x %X"));
}

TEST_F(LocalTimeTest, TextThatWouldNotFitIsEmpty) {
  EXPECT_EQ("", LocalTimeText(0, "%x %X %x %X"));
}

}  // namespace
