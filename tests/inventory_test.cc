// The table inventory and the status display, through the shipped binary.

#include <gtest/gtest.h>

#include "tests/sandbox.h"

namespace {

const char kHeader[] = "\nTable Name    Entries\n============  =======\n";

// Two events, no answers, one file and 12345 status rows.
const char kCatalogue[] =
    "INSERT INTO events(reid) VALUES ('a'), ('b');"
    "INSERT INTO streamfiles(number) VALUES (1);"
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n"
    " WHERE i < 12345) INSERT INTO status SELECT i, '' FROM n;";
// Name left in 12, four blanks, count right in 4; neither cut.
const char kCatalogueRows[] =
    "events             2\n"
    "eventanswers       0\n"
    "streamfiles        1\n"
    "status          12345\n";

const char kEmptyRows[] =
    "events             0\n"
    "eventanswers       0\n"
    "streamfiles        0\n"
    "status             0\n";

class InventoryTest : public ::testing::Test {
 protected:
  void SetUp() override { sandbox_ = MakeSandbox(); }
  void TearDown() override { RemoveSandbox(sandbox_); }

  RunOptions ThroughStreamMgr(std::vector<std::string> daemonArgs = {}) {
    WriteFile(Requests(), "");
    RunOptions options;
    options.daemon = true;
    options.daemonArgs = daemonArgs;
    options.daemonArgs.push_back("--request-log");
    options.daemonArgs.push_back(Requests());
    return options;
  }
  std::string Requests() { return sandbox_.dir + "/requests"; }

  Sandbox sandbox_;
};

TEST_F(InventoryTest, ListsEveryTableWithItsPaddedCount) {
  CreateCatalogue(sandbox_, kCatalogue);
  RunResult run = RunDb(sandbox_, {"-t"});
  EXPECT_EQ(std::string(kHeader) + kCatalogueRows + "\n", run.out);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(0, run.status);
}

TEST_F(InventoryTest, LongAndQuoteNeedingNamesAreCountedWhole) {
  CreateCatalogue(sandbox_,
                  "CREATE TABLE a_rather_long_table_name(x);"
                  "INSERT INTO a_rather_long_table_name VALUES (1), (2);"
                  "CREATE TABLE \"my table\"(x);"
                  "INSERT INTO \"my table\" VALUES (1), (2), (3);"
                  "CREATE TABLE \"order\"(x);"
                  "INSERT INTO \"order\" VALUES (1);");
  RunResult run = RunDb(sandbox_, {"--tables"});
  EXPECT_EQ(std::string(kHeader) + kEmptyRows +
                "a_rather_long_table_name       2\n"
                "my table           3\n"
                "order              1\n"
                "\n",
            run.out);
  EXPECT_EQ("", run.err);
}

TEST_F(InventoryTest, CountsComeFromStreamMgrAndNamesFromTheFile) {
  CreateCatalogue(sandbox_, kCatalogue);
  RunResult run = RunDb(sandbox_, {"-t"}, ThroughStreamMgr());
  EXPECT_EQ(std::string(kHeader) + kCatalogueRows + "\n", run.out);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(
      "count\tselect count(*) from \"events\"\n"
      "count\tselect count(*) from \"eventanswers\"\n"
      "count\tselect count(*) from \"streamfiles\"\n"
      "count\tselect count(*) from \"status\"\n",
      ReadFile(Requests()));
}

TEST_F(InventoryTest, UnansweredCountsShowZero) {
  CreateCatalogue(sandbox_, kCatalogue);
  RunResult run =
      RunDb(sandbox_, {"-t"}, ThroughStreamMgr({"--die-after", "1"}));
  EXPECT_EQ(std::string(kHeader) + kEmptyRows + "\n", run.out);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(0, run.status);
}

TEST_F(InventoryTest, StatusRunsTheSqlCommandEachTime) {
  CreateCatalogue(sandbox_, "");
  RunResult run = RunDb(sandbox_, {"-s", "--status"});
  EXPECT_EQ("", run.out);
  EXPECT_EQ("", run.err);
  EXPECT_EQ("select * from status\nselect * from status\n",
            ReadFile(sandbox_.logs + "/sql.log"));
}

TEST_F(InventoryTest, InventoryComesBeforeTheStatusCommandsOutput) {
  CreateCatalogue(sandbox_, "");
  FakeCommand(sandbox_, "sql", "echo 'status rows'");
  RunResult run = RunDb(sandbox_, {"-t", "-s"});
  EXPECT_EQ(std::string(kHeader) + kEmptyRows +
                "\n"
                "status rows\n",
            run.out);
}

}  // namespace
