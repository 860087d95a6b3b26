// The table inventory and the status display, through the shipped binary.

#include <gtest/gtest.h>

#include "tests/listing_heads.h"
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

using InventoryTest = SandboxTest;

// The status command's output must follow the inventory, also in a file.
TEST_F(InventoryTest, ListsEveryTableWithItsCountByEitherPathThenTheStatus) {
  CreateCatalogue(sandbox_, kCatalogue);
  // Its output comes in two pieces, the first of one byte.
  FakeCommand(sandbox_, "sql", "printf s; sleep 0.1; echo 'tatus rows'");
  const std::string requests = sandbox_.dir + "/requests";
  const std::string listing =
      kTablesHeads + std::string(
                         "events             2\neventanswers       0\n"
                         "streamfiles        1\nstatus          12345\n"
                         "a_rather_long_table_name       2\n"
                         "my \"table\"         3\norder              1\n\n"
                         "status rows\nstatus rows\n");
  for (bool overIpc : {false, true}) {
    EXPECT_EQ(Expected(listing), RunDb(sandbox_, {"-t", "-s", "--status"},
                                       {overIpc, {"--request-log", requests}}))
        << overIpc;
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
            ReadFile(sandbox_.logs + "/sql.log"));
}

// A sql that cannot be run or ends with a non-zero status fails the run,
// for the status and for the rows with NULL fields, on either path; what
// went wrong, it or the shell has said.
TEST_F(InventoryTest, SqlThatCannotRunOrFailsFailsTheRun) {
  CreateCatalogue(sandbox_, "INSERT INTO events(reid) VALUES ('a');");
  const struct {
    const char* body;
    mode_t mode;  // 0: no sql at all
    const char* err;
    int status;
  } cases[] = {
      {"echo rows", 0755, "", 0},
      {"echo 'Error: database is locked' >&2; exit 5", 0755,
       "Error: database is locked\n", 1},
      {"exit 0", 0644, "sh: 1: sql: Permission denied\n", 1},
      {"", 0, "sh: 1: sql: not found\n", 1},
  };
  for (const auto& c : cases) {
    FakeCommand(sandbox_, "sql", c.body, c.mode);
    for (bool overIpc : {false, true}) {
      for (const char* option : {"-s", "-e"}) {
        SCOPED_TRACE(c.err + std::string(option) +
                     (overIpc ? " over IPC" : ""));
        RunResult run = RunDb(sandbox_, {option}, RunOptions{overIpc, {}});
        EXPECT_EQ(c.err, run.err);
        EXPECT_EQ(c.status, run.status);
      }
    }
  }
}

}  // namespace
