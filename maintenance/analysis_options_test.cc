// Unit tests of the -a argument parser.

#include "maintenance/analysis_options.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

TEST(AnalysisOptionsTest, AppliesEachLetterUpToTheFirstItDoesNotAccept) {
  // The limit an earlier -a left, then whether the whole argument was taken
  // and the flags and limit it leaves.
  const struct {
    const char* argument;
    uint32_t limitBefore;
    bool consumed, disk, split;
    uint32_t limit;
  } cases[] = {
      {"", 7, true, false, false, 7},
      {"sz4", 0, true, false, true, 4},
      {"sz100", 0, true, false, true, 100},
      {"ds", 0, true, true, true, 0},
      {"sz4d", 0, true, true, true, 4},
      {"zs12", 0, true, false, true, 12},
      {"zsd12", 0, true, true, true, 12},
      {"zsd", 9, true, true, true, 9},
      {"z1s2", 0, false, false, true, 1},
      {"zx5", 0, false, false, false, 5},
      {"z000000000000000000004", 0, true, false, false, 4},
      {"z4294967295", 0, true, false, false, 4294967295u},
      {"z4294967296", 0, true, false, false, 4294967295u},
      {"x", 0, false, false, false, 0},
      {"sx", 0, false, false, true, 0},
      {"S", 0, false, false, false, 0},
  };
  for (const auto& c : cases) {
    AnalysisOptions options;
    options.maxPartSizeGB = c.limitBefore;
    std::string argument = c.argument;
    EXPECT_EQ(c.consumed, ProcessAnalysisOptions(&argument, &options))
        << c.argument;
    EXPECT_EQ(c.disk, options.analyzeDisk) << c.argument;
    EXPECT_EQ(c.split, options.analyzeSplitEvents) << c.argument;
    EXPECT_EQ(c.limit, options.maxPartSizeGB) << c.argument;
    EXPECT_EQ(c.consumed, argument.empty()) << c.argument;
  }
}

// Read once however long: a parser that moves the rest of the argument at
// each letter takes some 20 s here and hours on the board.
TEST(AnalysisOptionsTest, LongArgumentsAreReadInLinearTime) {
  std::string argument;
  while (argument.size() < 2000000) argument += "z12ds";
  argument += "x7";
  AnalysisOptions options;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ProcessAnalysisOptions(&argument, &options));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ("x7|12", argument + "|" + std::to_string(options.maxPartSizeGB));
}

}  // namespace
