// The selection clause is pinned down end to end through the request log
// (tests/files_listing_test.cc); only a record no -f string can produce is
// left for here.
#include "files/selection_clause.h"

#include <gtest/gtest.h>

TEST(SelectionClauseTest, EmptyPatternMatchesEveryNumber) {
  FileOptions options;
  options.numberPattern = "";
  EXPECT_EQ(" number like '%' order by number asc", SelectionClause(options));
}
