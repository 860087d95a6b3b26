// Unit tests of the -f option string parser: what it accepts, sets and
// leaves. Accumulation over several -f and the SQL built from the options
// are pinned down end to end (tests/files_listing_test.cc).
#include "files/file_options.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

// The record as pattern|stream|flags, flags being the letters of the set
// fields in the order c a f k l t r (t: sorted by start tick).
std::string Described(const FileOptions& o) {
  std::string flags;
  if (o.showCurrent) flags += 'c';
  if (o.showAllocated) flags += 'a';
  if (o.showFree) flags += 'f';
  if (o.showKeep) flags += 'k';
  if (o.limitOutput) flags += 'l';
  if (o.sortByStartTick) flags += 't';
  if (o.reverseSort) flags += 'r';
  return o.numberPattern + "|" + std::to_string(o.stream) + "|" + flags;
}

TEST(FileOptionsTest, ParsesFromFreshOptions) {
  const struct {
    const char* argument;
    bool accepted;
    const char* options;  // as Described
    const char* left;     // what the parser did not consume
  } cases[] = {
      {"", true, "%|99|", ""},      {"123", true, "123|99|", ""},
      {"*", true, "%|99|", ""},     {"?1*", true, "_1%|99|", ""},
      {"s2 ", false, "%|2|t", " "}, {"fx3", false, "%|99|ft", "x3"},
      {"s20", false, "%|2|t", "0"}, {"s4", false, "%|99|", "4"},
      {"rs", false, "%|99|r", ""},  {"a", true, "%|99|a", ""},
      {"c", true, "%|99|ct", ""},   {"k", true, "%|99|kt", ""},
      {"l", true, "%|99|l", ""},    {"tn", true, "%|99|", ""},
      {"nt", true, "%|99|t", ""},   {"fn", true, "%|99|f", ""},
      {"nf", true, "%|99|ft", ""},  {"5cafklr", true, "5|99|cafkltr", ""},
      {"F", false, "%|99|", "F"},   {"r*", false, "%|99|r", "*"},
  };
  for (const auto& c : cases) {
    FileOptions options;
    std::string argument = c.argument;
    EXPECT_EQ(c.accepted, ProcessFileDisplayOptions(&argument, &options))
        << "'" << c.argument << "'";
    EXPECT_EQ(c.options, Described(options)) << "'" << c.argument << "'";
    EXPECT_EQ(c.left, argument) << "'" << c.argument << "'";
  }
}

// Read once however long: a parser that moves the rest of the argument at
// each letter takes some 20 s here and hours on the board.
TEST(FileOptionsTest, LongArgumentsAreReadInLinearTime) {
  std::string argument = std::string(1000000, '?') + std::string(1000000, 'r');
  FileOptions options;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ProcessFileDisplayOptions(&(argument += "x"), &options));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(std::string(1000000, '_') + "x", options.numberPattern + argument);
}

}  // namespace
