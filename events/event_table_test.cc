#include "events/event_table.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// The listings show 90 seconds; here the differences that go below zero or
// wrap.
TEST(EventTableTest, DurationIsA32BitDifferenceAndMinusOneWhenNegative) {
  EXPECT_EQ(-1, EventDurationSeconds(1700000090, 1700000000));
  // Wraps in 32 bits instead of overflowing.
  EXPECT_EQ(1, EventDurationSeconds(INT32_MAX, INT32_MIN));
  EXPECT_EQ(-1, EventDurationSeconds(INT32_MIN, INT32_MAX));
}

// The listings show 18.00 and "Disabled"; an export in the future leaves
// more than the period, and the elapsed time is a 32-bit difference, so one
// past 2^31 seconds wraps to a negative one.
TEST(EventTableTest, HoursTillReExportTakesElapsedTimeIn32Bits) {
  const int64_t now = 1700000000;
  EXPECT_DOUBLE_EQ(26.0, HoursTillReExport(24, now + 2 * 3600, now));
  EXPECT_DOUBLE_EQ(-6.0, HoursTillReExport(24, now - 30 * 3600, now));
  // now - INT32_MIN is 2^31 + now: in 32 bits, now - 2^31 seconds.
  EXPECT_DOUBLE_EQ(24.0 - (now - 2147483648.0) / 3600.0,
                   HoursTillReExport(24, INT32_MIN, now));
  EXPECT_EQ("NA", HoursTillReExportText(-0.01));
  EXPECT_EQ("Disabled", HoursTillReExportText(0.0));
  EXPECT_EQ("0.01", HoursTillReExportText(0.005));
}

}  // namespace
