// The table inventory and the status display, through the shipped binary.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>

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

// A sql that cannot be run or ends with a non-zero status fails the run,
// for the status and for the rows with NULL fields, on either path; what
// went wrong, it or the shell has said.
TEST(InventoryTest, SqlThatCannotRunOrFailsFailsTheRun) {
  Sandbox sandbox = MakeSandbox();
  CreateCatalogue(sandbox, "INSERT INTO events(reid) VALUES ('a');");
  const std::string sql = sandbox.bin + "/sql";
  const struct {
    const char* body;  // null: no sql at all
    mode_t mode;
    const char* err;
    int status;
  } cases[] = {
      {"echo rows", 0755, "", 0},
      {"echo 'Error: database is locked' >&2; exit 5", 0755,
       "Error: database is locked\n", 1},
      {"exit 0", 0644, "sh: 1: sql: Permission denied\n", 1},
      {nullptr, 0, "sh: 1: sql: not found\n", 1},
  };
  for (const auto& c : cases) {
    std::remove(sql.c_str());
    if (c.body != nullptr) {
      FakeCommand(sandbox, "sql", c.body);
      chmod(sql.c_str(), c.mode);
    }
    for (bool overIpc : {false, true}) {
      SCOPED_TRACE(std::string(c.err) + (overIpc ? " over IPC" : " direct"));
      RunOptions options;
      options.daemon = overIpc;
      RunResult status = RunDb(sandbox, {"-s"}, options);
      EXPECT_EQ(c.err, status.err);
      EXPECT_EQ(c.status, status.status);
      RunResult events = RunDb(sandbox, {"-e"}, options);
      EXPECT_EQ(c.err, events.err);
      EXPECT_EQ(c.status, events.status);
    }
  }
  RemoveSandbox(sandbox);
}

}  // namespace
