#include "files/file_sizes.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// Each row as it stands, NULL as 0; values past 32 bits keep their low
// bits, as sqlite3_column_int gives them. A catalogue without the table
// shows end to end (StartupTest).
TEST(FileSizesTest, EveryRowIsHandedOverInCatalogueOrder) {
  sqlite3* catalogue = nullptr;
  sqlite3_open(":memory:", &catalogue);
  sqlite3_exec(catalogue,
               "create table streamfiles(number, size); insert into "
               "streamfiles values (7, 4096), (2, NULL), (9, 4294967301);",
               nullptr, nullptr, nullptr);
  std::vector<std::pair<int, int>> sizes;
  testing::internal::CaptureStderr();
  LoadFileSizes(catalogue, [&sizes](int number, int size) {
    sizes.emplace_back(number, size);
  });
  EXPECT_EQ("", testing::internal::GetCapturedStderr());
  EXPECT_EQ((std::vector<std::pair<int, int>>{{7, 4096}, {2, 0}, {9, 5}}),
            sizes);
  sqlite3_close(catalogue);
}

}  // namespace
