// Unit tests of the -f option string parser.
#include "files/file_options.h"

#include <gtest/gtest.h>

namespace {

// The record as pattern|stream|flags, flags being the letters of the set
// fields in the order c a f k l t r (t: sorted by start tick).
std::string Described(const FileOptions& options) {
  std::string flags;
  if (options.showCurrent) flags += 'c';
  if (options.showAllocated) flags += 'a';
  if (options.showFree) flags += 'f';
  if (options.showKeep) flags += 'k';
  if (options.limitOutput) flags += 'l';
  if (options.sortByStartTick) flags += 't';
  if (options.reverseSort) flags += 'r';
  return options.numberPattern + "|" + std::to_string(options.stream) + "|" +
         flags;
}

struct ParseCase {
  const char* argument;
  bool accepted;
  const char* options;  // as Described
  const char* left;     // what the parser did not consume
};

TEST(FileOptionsTest, ParsesFromFreshOptions) {
  const ParseCase cases[] = {
      {"", true, "%|99|", ""},
      {"123", true, "123|99|", ""},
      {"*", true, "%|99|", ""},
      {"??", true, "__|99|", ""},
      {"1*", true, "1%|99|", ""},
      {"*r", true, "%|99|r", ""},
      {"20?tr", true, "20_|99|tr", ""},
      {"s0f", true, "%|0|ft", ""},
      {"s2", true, "%|2|t", ""},
      {"s2 ", false, "%|2|t", " "},
      {"fx3", false, "%|99|ft", "x3"},
      {"s20", false, "%|2|t", "0"},
      {"s4", false, "%|99|", "4"},
      {"rs", false, "%|99|r", ""},
      {"a", true, "%|99|a", ""},
      {"c", true, "%|99|ct", ""},
      {"k", true, "%|99|kt", ""},
      {"l", true, "%|99|l", ""},
      {"tn", true, "%|99|", ""},
      {"nt", true, "%|99|t", ""},
      {"fn", true, "%|99|f", ""},
      {"nf", true, "%|99|ft", ""},
      {"5cafklr", true, "5|99|cafkltr", ""},
      {"F", false, "%|99|", "F"},
      {"r*", false, "%|99|r", "*"},
  };
  for (const ParseCase& c : cases) {
    FileOptions options;
    std::string argument = c.argument;
    EXPECT_EQ(c.accepted, ProcessFileDisplayOptions(&argument, &options))
        << "'" << c.argument << "'";
    EXPECT_EQ(c.options, Described(options)) << "'" << c.argument << "'";
    EXPECT_EQ(c.left, argument) << "'" << c.argument << "'";
  }
}

TEST(FileOptionsTest, LaterArgumentsBuildOnEarlierOnes) {
  FileOptions options;
  std::string first = "12?f";
  std::string second = "kn";
  std::string third = "s1x";
  std::string fourth = "7";
  EXPECT_TRUE(ProcessFileDisplayOptions(&first, &options));
  EXPECT_TRUE(ProcessFileDisplayOptions(&second, &options));
  EXPECT_EQ("12_|99|fk", Described(options)) << "pattern and flags persist";
  EXPECT_FALSE(ProcessFileDisplayOptions(&third, &options));
  EXPECT_EQ("12_|1|fkt", Described(options));
  EXPECT_TRUE(ProcessFileDisplayOptions(&fourth, &options));
  EXPECT_EQ("7|1|fkt", Described(options)) << "a pattern keeps the order";
}

}  // namespace
