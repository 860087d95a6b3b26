#include "events/event_table.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// The listings show "c r" and 90 seconds; here the other codes and the
// differences that go below zero or wrap.
TEST(EventTableTest, CodeLettersAndUnknownCodes) {
  const char* const kLetters[] = {"?", "r", "c", "a", "k", "?"};
  for (int code = -1; code <= 4; ++code) {
    EXPECT_STREQ(kLetters[code + 1],
                 EventCodeLetter(StreamMgrApi::EventCode(code)));
  }
}

TEST(EventTableTest, DurationIsA32BitDifferenceAndMinusOneWhenNegative) {
  EXPECT_EQ(-1, EventDurationSeconds(1700000090, 1700000000));
  // Wraps in 32 bits instead of overflowing.
  EXPECT_EQ(1, EventDurationSeconds(INT32_MAX, INT32_MIN));
  EXPECT_EQ(-1, EventDurationSeconds(INT32_MIN, INT32_MAX));
}

}  // namespace
