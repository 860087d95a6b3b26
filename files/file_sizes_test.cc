#include "files/file_sizes.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Sizes = std::vector<std::pair<int, int>>;

// What a catalogue made by `sql` hands over, and what goes to stderr.
Sizes SizesOf(const char* sql, std::string* err) {
  sqlite3* catalogue = nullptr;
  sqlite3_open(":memory:", &catalogue);
  sqlite3_exec(catalogue, sql, nullptr, nullptr, nullptr);
  Sizes sizes;
  testing::internal::CaptureStderr();
  LoadFileSizes(catalogue, [&sizes](int number, int size) {
    sizes.emplace_back(number, size);
  });
  *err = testing::internal::GetCapturedStderr();
  sqlite3_close(catalogue);
  return sizes;
}

// Each row as it stands, NULL as 0; values past 32 bits keep their low
// bits, as sqlite3_column_int gives them.
TEST(FileSizesTest, EveryRowIsHandedOverInCatalogueOrder) {
  std::string err;
  EXPECT_EQ((Sizes{{7, 4096}, {2, 0}, {9, 5}}),
            SizesOf("create table streamfiles(number, size);"
                    "insert into streamfiles values (7, 4096), (2, NULL), "
                    "(9, 4294967301);",
                    &err));
  EXPECT_EQ("", err);
  EXPECT_EQ(Sizes{}, SizesOf("", &err));
  EXPECT_EQ(
      "unable to prepare: select number, size from streamfilesmainunable to "
      "access database\n",
      err);
}

}  // namespace
