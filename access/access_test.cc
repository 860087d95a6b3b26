#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <string>
#include <vector>

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

TEST_F(LocalTimeTest, OtherFormatsAreStrftimes) {
  EXPECT_EQ("2026-01-01 00h", LocalTimeText(1767225600, "%Y-%m-%d %Hh"));
  EXPECT_EQ("01/01/26", LocalTimeText(1767225600, "%x"));
}

// The two table formats are written without strftime; across the whole
// 32-bit range, leap days and year ends included, they must read exactly as
// strftime's own.
TEST_F(LocalTimeTest, TableFormatsReadAsStrftimeWritesThem) {
  const int64_t kYearEnd = 1767225599;  // 12/31/25 23:59:59
  std::vector<int64_t> seconds = {kYearEnd, kYearEnd + 1, 951782400,
                                  951868799};  // 02/29/00
  for (int64_t value = -2147483648LL; value <= 4294967295LL; value += 600011) {
    seconds.push_back(value);
  }
  for (int64_t value : seconds) {
    time_t when = static_cast<time_t>(value);
    struct tm broken;
    ASSERT_NE(nullptr, localtime_r(&when, &broken));
    for (const char* format : {"%x %X", "%X"}) {
      char text[20];
      size_t length = strftime(text, sizeof(text), format, &broken);
      ASSERT_EQ(std::string(text, length), LocalTimeText(value, format))
          << value << " " << format;
    }
  }
}

}  // namespace
