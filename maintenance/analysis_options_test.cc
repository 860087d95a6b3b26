// Unit tests of the -a argument parser; the arguments that
// tests/split_analysis_test.cc runs are pinned down there, end to end.

#include "maintenance/analysis_options.h"

#include <gtest/gtest.h>

#include <chrono>
#include <tuple>

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
      {"zsd12", 0, true, true, true, 12},
      {"zsd", 9, true, true, true, 9},
      {"z1s2", 0, false, false, true, 1},
      {"zx5", 0, false, false, false, 5},
      {"z000000000000000000004", 0, true, false, false, 4},
      {"z4294967295", 0, true, false, false, 4294967295u},
      {"z4294967296", 0, true, false, false, 4294967295u},
      {"S", 0, false, false, false, 0},
  };
  for (const auto& c : cases) {
    AnalysisOptions options;
    options.maxPartSizeGB = c.limitBefore;
    std::string argument = c.argument;
    const bool consumed = ProcessAnalysisOptions(&argument, &options);
    EXPECT_EQ(
        std::make_tuple(c.consumed, c.consumed, c.disk, c.split, c.limit),
        std::make_tuple(consumed, argument.empty(), options.analyzeDisk,
                        options.analyzeSplitEvents, options.maxPartSizeGB))
        << c.argument;
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
