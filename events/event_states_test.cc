#include "events/event_states.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// The named values show in the listings' rows; here only the edges.
TEST(EventStatesTest, ValuesWithoutANameAreInvalidNegativeOnesToo) {
  using StreamMgrApi::EventState;
  using StreamMgrApi::SplitEventState;
  EXPECT_STREQ("InPost    ", EventStateToStr(EventState(3)));
  EXPECT_STREQ("ExportOnly", EventSplitStateToStr(SplitEventState(4)));
  for (int32_t value : {4, -1, INT32_MIN}) {
    EXPECT_STREQ("Invalid", EventStateToStr(EventState(value))) << value;
  }
  for (int32_t value : {5, -1, INT32_MIN}) {
    EXPECT_STREQ("Invalid", EventSplitStateToStr(SplitEventState(value)))
        << value;
  }
}

}  // namespace
