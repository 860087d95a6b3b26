#include <gtest/gtest.h>
#include <time.h>

#include <cstdint>
#include <string>
#include <vector>

#include "access/decimal.h"
#include "access/local_time.h"

namespace {

// Around every power of ten and at the ends, and at a stride that meets
// every last digit, the multiplication divides as the divide instruction.
TEST(DecimalTest, TenthOfIsDivisionByTenForEveryWidth) {
  std::vector<uint32_t> values = {0, 1, 9, UINT32_MAX - 1, UINT32_MAX};
  for (uint64_t power = 10; power <= UINT32_MAX; power *= 10) {
    for (uint64_t value = power - 11; value <= power + 11; ++value) {
      values.push_back(static_cast<uint32_t>(value));
    }
  }
  for (uint64_t value = 0; value <= UINT32_MAX; value += 65537) {
    values.push_back(static_cast<uint32_t>(value));
  }
  for (uint32_t value : values) ASSERT_EQ(value / 10, TenthOf(value)) << value;
}

// The two table formats are written without strftime; at the ends of the
// 32-bit range, a year end, a leap day and a stride that meets every hour
// and minute, they and any other format must read exactly as strftime's.
TEST(LocalTimeTest, EveryFormatReadsAsStrftimeWritesIt) {
  std::vector<int64_t> seconds = {-1,         INT32_MIN, UINT32_MAX, 1767225599,
                                  1767225600, 951782400, 951868799};
  for (int64_t value = INT32_MIN; value <= UINT32_MAX; value += 600011) {
    seconds.push_back(value);
  }
  for (int64_t value : seconds) {
    time_t when = static_cast<time_t>(value);
    struct tm broken;
    ASSERT_NE(nullptr, localtime_r(&when, &broken));
    for (const char* format : {"%x %X", "%X", "%x", "%Y-%m-%d %Hh"}) {
      char text[20];
      size_t length = strftime(text, sizeof(text), format, &broken);
      ASSERT_EQ(std::string(text, length), LocalTimeText(value, format))
          << value << " " << format;
    }
  }
  EXPECT_EQ("", LocalTimeText(0, "%x %X %x %X")) << "too long to fit";
}

}  // namespace
