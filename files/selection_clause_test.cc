// Unit tests of the files query's selection clause.
#include "files/selection_clause.h"

#include <gtest/gtest.h>

namespace {

FileOptions Parsed(const char* argument) {
  FileOptions options;
  std::string text = argument;
  ProcessFileDisplayOptions(&text, &options);
  return options;
}

TEST(SelectionClauseTest, WorkedExamples) {
  EXPECT_EQ(" number like '%' order by number asc",
            SelectionClause(FileOptions()));
  EXPECT_EQ(" number like '%' order by number desc",
            SelectionClause(Parsed("*r")));
  EXPECT_EQ(" number like '20_' order by starttick desc",
            SelectionClause(Parsed("20?tr")));
  EXPECT_EQ(
      " number like '%' and stream=0 and ( state=0 or state=2) order by "
      "starttick asc",
      SelectionClause(Parsed("s0f")));
  EXPECT_EQ(" number like '%' and stream=2 order by starttick asc",
            SelectionClause(Parsed("s2")));
}

TEST(SelectionClauseTest, StateTermsKeepTheirOrderWhateverTheLetters) {
  EXPECT_EQ(
      " number like '%' and ( state=0 or state=2 or state=1) order by "
      "starttick asc",
      SelectionClause(Parsed("af")));
  EXPECT_EQ(
      " number like '%' and ( state=0 or state=2 or state=3 or state=1)"
      " order by starttick asc",
      SelectionClause(Parsed("akf")));
  EXPECT_EQ(" number like '%' and ( state=3) order by starttick asc",
            SelectionClause(Parsed("k")));
  EXPECT_EQ(" number like '%' and ( state=1) order by number asc",
            SelectionClause(Parsed("a")));
}

TEST(SelectionClauseTest, CurrentFilesIgnoreThePattern) {
  EXPECT_EQ(" next=0 and previous!=0 order by starttick asc",
            SelectionClause(Parsed("12*c")));
  EXPECT_EQ(
      " next=0 and previous!=0 and stream=3 order by number desc limit 20",
      SelectionClause(Parsed("cs3nrl")));
}

TEST(SelectionClauseTest, EmptyPatternMatchesEveryNumber) {
  FileOptions options;
  options.numberPattern = "";
  options.limitOutput = true;
  EXPECT_EQ(" number like '%' order by number asc limit 20",
            SelectionClause(options));
}

}  // namespace
