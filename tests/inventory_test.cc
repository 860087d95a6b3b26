// The table inventory and the status display, through the shipped binary.

#include <gtest/gtest.h>

#include "tests/sandbox.h"

namespace {

// Two events, no answers, one file, 12345 status rows, and tables whose
// names need quoting or pass 12 characters.
const char kCatalogue[] =
    "INSERT INTO events(reid) VALUES ('a'), ('b');"
    "INSERT INTO streamfiles(number) VALUES (1);"
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n"
    " WHERE i < 12345) INSERT INTO status SELECT i, '' FROM n;"
    "CREATE TABLE a_rather_long_table_name AS VALUES (1), (2);"
    "CREATE TABLE \"my \"\"table\"\"\" AS VALUES (1), (2), (3);"
    "CREATE TABLE \"order\" AS VALUES (1);";

// The status command's output must follow the inventory, also in a file.
TEST(InventoryTest, ListsEveryTableWithItsCountByEitherPathThenTheStatus) {
  Sandbox sandbox = MakeSandbox();
  CreateCatalogue(sandbox, kCatalogue);
  FakeCommand(sandbox, "sql", "echo 'status rows'");
  const std::string requests = sandbox.dir + "/requests";
  for (const RunOptions& options :
       {RunOptions(), RunOptions{true, {"--request-log", requests}}}) {
    SCOPED_TRACE(options.daemon ? "over IPC" : "direct");
    RunResult run = RunDb(sandbox, {"-t", "-s", "--status"}, options);
    EXPECT_EQ(
        "\n"
        "Table Name    Entries\n"
        "============  =======\n"
        "events             2\n"
        "eventanswers       0\n"
        "streamfiles        1\n"
        "status          12345\n"
        "a_rather_long_table_name       2\n"
        "my \"table\"         3\n"
        "order              1\n"
        "\n"
        "status rows\n"
        "status rows\n",
        run.out + run.err);
  }
  // Names come from the file itself; only the counts are asked.
  std::string counts;
  for (const char* name :
       {"events", "eventanswers", "streamfiles", "status",
        "a_rather_long_table_name", "my \"\"table\"\"", "order"}) {
    counts += "count\tselect count(*) from \"" + std::string(name) + "\"\n";
  }
  EXPECT_EQ(counts, ReadFile(requests));
  const std::string status = "select * from status\n";
  EXPECT_EQ(status + status + status + status,
            ReadFile(sandbox.logs + "/sql.log"));
  RemoveSandbox(sandbox);
}

}  // namespace
