#include "events/event_table.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(EventTableTest, CodeLettersAndUnknownCodes) {
  using StreamMgrApi::EventCode;
  EXPECT_STREQ("r", EventCodeLetter(EventCode(0)));
  EXPECT_STREQ("c", EventCodeLetter(EventCode(1)));
  EXPECT_STREQ("a", EventCodeLetter(EventCode(2)));
  EXPECT_STREQ("k", EventCodeLetter(EventCode(3)));
  EXPECT_STREQ("?", EventCodeLetter(EventCode(4)));
  EXPECT_STREQ("?", EventCodeLetter(EventCode(-1)));
}

TEST(EventTableTest, DurationIsA32BitDifferenceAndMinusOneWhenNegative) {
  EXPECT_EQ(90, EventDurationSeconds(1700000000, 1700000090));
  EXPECT_EQ(-1, EventDurationSeconds(1700000090, 1700000000));
  // Wraps in 32 bits instead of overflowing: from the last second to the
  // first one is one step.
  EXPECT_EQ(1, EventDurationSeconds(INT32_MAX, INT32_MIN));
  EXPECT_EQ(-1, EventDurationSeconds(INT32_MIN, INT32_MAX));
}

TEST(EventTableTest, HoursTillReExportCountsDownFromTheExport) {
  const int64_t now = 1700000000;
  EXPECT_DOUBLE_EQ(18.0, HoursTillReExport(24, now - 6 * 3600, now));
  EXPECT_DOUBLE_EQ(-6.0, HoursTillReExport(24, now - 30 * 3600, now));
  EXPECT_EQ(0.0, HoursTillReExport(24, now - 24 * 3600, now));
  EXPECT_EQ(0.0, HoursTillReExport(0, now - 6 * 3600, now));
  EXPECT_LT(HoursTillReExport(24, 0, now), 0.0) << "never exported";
}

TEST(EventTableTest, HoursTextsForPassedOffAndPending) {
  EXPECT_EQ("NA", HoursTillReExportText(-1.0));
  EXPECT_EQ("NA", HoursTillReExportText(-0.001));
  EXPECT_EQ("Disabled", HoursTillReExportText(0.0));
  EXPECT_EQ("12.50", HoursTillReExportText(12.5));
  EXPECT_EQ("18.00", HoursTillReExportText(18.0 - 10.0 / 3600));
  EXPECT_EQ("0.00", HoursTillReExportText(0.001));
}

}  // namespace
