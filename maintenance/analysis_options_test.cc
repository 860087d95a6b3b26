// Unit tests of the -a argument parser.

#include "maintenance/analysis_options.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  const char* argument;
  uint32_t limitBefore;  // maxPartSizeGB left by an earlier -a
  bool consumed;
  bool analyzeDisk;
  bool analyzeSplitEvents;
  uint32_t maxPartSizeGB;
};

TEST(AnalysisOptionsTest, AppliesEachLetterUpToTheFirstItDoesNotAccept) {
  const Case cases[] = {
      {"", 7, true, false, false, 7},
      {"s", 0, true, false, true, 0},
      {"sz4", 0, true, false, true, 4},
      {"sz100", 0, true, false, true, 100},
      {"z4", 0, true, false, false, 4},
      {"ds", 0, true, true, true, 0},
      {"sz4d", 0, true, true, true, 4},
      {"zs12", 0, true, false, true, 12},
      {"zsd12", 0, true, true, true, 12},
      {"z", 9, true, false, false, 9},
      {"zsd", 9, true, true, true, 9},
      {"z007", 0, true, false, false, 7},
      {"z1s2", 0, false, false, true, 1},
      {"z4294967295", 0, true, false, false, 4294967295u},
      {"z4294967296", 0, true, false, false, 4294967295u},
      {"z99999999999", 0, true, false, false, 4294967295u},
      {"z000000000000000000004", 0, true, false, false, 4},
      {"x", 0, false, false, false, 0},
      {"sx", 0, false, false, true, 0},
      {"sxd", 0, false, false, true, 0},
      {"S", 0, false, false, false, 0},
      {"zx5", 0, false, false, false, 5},
      {"s z4", 0, false, false, true, 0},
  };
  for (const Case& c : cases) {
    AnalysisOptions options;
    options.maxPartSizeGB = c.limitBefore;
    std::string argument = c.argument;
    EXPECT_EQ(c.consumed, ProcessAnalysisOptions(&argument, &options))
        << c.argument;
    EXPECT_EQ(c.analyzeDisk, options.analyzeDisk) << c.argument;
    EXPECT_EQ(c.analyzeSplitEvents, options.analyzeSplitEvents) << c.argument;
    EXPECT_EQ(c.maxPartSizeGB, options.maxPartSizeGB) << c.argument;
    if (c.consumed) {
      EXPECT_EQ("", argument) << c.argument;
    }
  }
}

TEST(AnalysisOptionsTest, LaterArgumentsAddToWhatEarlierOnesSet) {
  AnalysisOptions options;
  std::string first = "z4";
  ProcessAnalysisOptions(&first, &options);
  std::string second = "s";
  ProcessAnalysisOptions(&second, &options);
  EXPECT_TRUE(options.analyzeSplitEvents);
  EXPECT_FALSE(options.analyzeDisk);
  EXPECT_EQ(4u, options.maxPartSizeGB);

  std::string third = "d";
  ProcessAnalysisOptions(&third, &options);
  std::string fourth = "z";
  ProcessAnalysisOptions(&fourth, &options);
  EXPECT_TRUE(options.analyzeDisk);
  EXPECT_TRUE(options.analyzeSplitEvents) << "flags are never cleared";
  EXPECT_EQ(4u, options.maxPartSizeGB);
}

}  // namespace
