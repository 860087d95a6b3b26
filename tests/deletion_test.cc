// Deleting one event, a group or every event, by both access paths, through
// the shipped binary; the catalogue is checked afterwards.

#include <gtest/gtest.h>

#include "tests/sandbox.h"

namespace {

// Unsplit events have an empty groupId; "both" is one event's reid and
// another's groupId. The trigger removes a deleted event's answers.
const char kCatalogue[] =
    "INSERT INTO events(reid, groupId) VALUES ('solo', ''), ('g1', 'grp'),"
    " ('g2', 'grp'), ('g3', 'grp'), ('both', ''), ('child', 'both'),"
    " ('other', '');"
    "INSERT INTO eventanswers VALUES ('solo', 'q', 'a'), ('g2', 'q', 'a'),"
    " ('child', 'q', 'a'), ('other', 'q', 'a');";
const char kAllEvents[] = "solo\ng1\ng2\ng3\nboth\nchild\nother\n";
const char kAllAnswers[] = "solo\ng2\nchild\nother\n";

struct DeletionCase {
  const char* title;
  const char* catalogue;
  std::vector<std::string> args;
  const char* directOut;
  const char* directErr;
  const char* ipcOut;
  const char* ipcErr;
  const char* eventsLeft;
  const char* answersLeft;
  const char* requests;  // what StreamMgr was asked
};

const DeletionCase kCases[] = {
    {"one event",
     kCatalogue,
     {"-d", "solo"},
     "  Successfully deleted 1 event:  id = solo\n",
     "",
     "  Successfully deleted 1 event:  id = solo\n",
     "",
     "g1\ng2\ng3\nboth\nchild\nother\n",
     "g2\nchild\nother\n",
     "events\tselect * from events where reid='solo' or groupId='solo'\n"
     "delete\tsolo\n"},
    {"a group of three",
     kCatalogue,
     {"--delete", "grp"},
     "  Successfully deleted 3 events:  id = grp\n",
     "",
     "  Successfully deleted 3 events:  id = grp\n",
     "",
     "solo\nboth\nchild\nother\n",
     "solo\nchild\nother\n",
     "events\tselect * from events where reid='grp' or groupId='grp'\n"
     "delete\tg1\ndelete\tg2\ndelete\tg3\n"},
    {"a reid that is also a groupId",
     kCatalogue,
     {"-d", "both"},
     "  Successfully deleted 2 events:  id = both\n",
     "",
     "  Successfully deleted 2 events:  id = both\n",
     "",
     "solo\ng1\ng2\ng3\nother\n",
     "solo\ng2\nother\n",
     "events\tselect * from events where reid='both' or groupId='both'\n"
     "delete\tboth\ndelete\tchild\n"},
    {"no match",
     kCatalogue,
     {"-d", "gr"},
     "",
     "  Event or groupId not found:  id = gr\n",
     "",
     "  Event or groupId not found: gr\n",
     kAllEvents,
     kAllAnswers,
     "events\tselect * from events where reid='gr' or groupId='gr'\n"},
    {"a quote-bearing id",
     kCatalogue,
     {"-d", "x' or '1'='1"},
     "",
     "  Event or groupId not found:  id = x' or '1'='1\n",
     "",
     "  Event or groupId not found: x' or '1'='1\n",
     kAllEvents,
     kAllAnswers,
     "events\tselect * from events where reid='x'' or ''1''=''1' or "
     "groupId='x'' or ''1''=''1'\n"},
    {"an empty id",
     kCatalogue,
     {"-d", ""},
     "",
     "  Event or groupId not found:  id = \n",
     "",
     "  Event or groupId not found: \n",
     kAllEvents,
     kAllAnswers,
     ""},
    {"every event of one",
     "INSERT INTO events(reid) VALUES ('solo');"
     "INSERT INTO eventanswers VALUES ('solo', 'q', 'a'),"
     " ('orphan', 'q', 'a');",
     {"--deleteall"},
     "  Successfully deleted all 1 events\n",
     "",
     "  Successfully deleted 1 events\n",
     "",
     "",
     "orphan\n",
     "events\tselect * from events\ndelete\tsolo\n"},
    {"every event of none",
     "INSERT INTO eventanswers VALUES ('orphan', 'q', 'a');",
     {"--deleteall"},
     "",
     "  No events found...no action taken.\n",
     "",
     "  No events found...no action taken.\n",
     "",
     "orphan\n",
     "events\tselect * from events\n"},
};

class DeletionTest : public ::testing::Test {
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
  std::string EventsLeft() {
    return QueryCatalogue(sandbox_, "select reid from events order by rowid");
  }
  std::string AnswersLeft() {
    return QueryCatalogue(sandbox_,
                          "select reid from eventanswers order by rowid");
  }

  Sandbox sandbox_;
};

TEST_F(DeletionTest, DeletesExactlyWhatTheIdNamesOnBothPaths) {
  for (const DeletionCase& c : kCases) {
    for (bool overIpc : {false, true}) {
      SCOPED_TRACE(std::string(c.title) + (overIpc ? " over IPC" : ""));
      RemoveSandbox(sandbox_);
      sandbox_ = MakeSandbox();
      CreateCatalogue(sandbox_, c.catalogue);
      RunResult run = overIpc ? RunDb(sandbox_, c.args, ThroughStreamMgr())
                              : RunDb(sandbox_, c.args);
      EXPECT_EQ(overIpc ? c.ipcOut : c.directOut, run.out);
      EXPECT_EQ(overIpc ? c.ipcErr : c.directErr, run.err);
      EXPECT_EQ(0, run.status);
      EXPECT_EQ(c.eventsLeft, EventsLeft());
      EXPECT_EQ(c.answersLeft, AnswersLeft());
      if (overIpc) {
        EXPECT_EQ(c.requests, ReadFile(Requests()));
      }
    }
  }
}

TEST_F(DeletionTest, RefusedDeletionIsReportedAndLeftOutOfTheCount) {
  CreateCatalogue(sandbox_, kCatalogue);
  RunResult run = RunDb(sandbox_, {"-d", "grp"},
                        ThroughStreamMgr({"--refuse-delete", "g2"}));
  EXPECT_EQ("  Successfully deleted 2 events:  id = grp\n", run.out);
  EXPECT_EQ("  Failed to delete event:  reid= g2  groupId= grp\n", run.err);
  EXPECT_EQ("solo\ng2\nboth\nchild\nother\n", EventsLeft());
  EXPECT_EQ("solo\ng2\nchild\nother\n", AnswersLeft());
}

TEST_F(DeletionTest, CatalogueWithoutEventsTableReportsTheStatements) {
  CreateCatalogue(sandbox_, "DROP TABLE events;");
  RunResult run = RunDb(sandbox_, {"-d", "solo", "--deleteall"});
  EXPECT_EQ("", run.out);
  EXPECT_EQ(
      "unable to prepare: select count(*) from events where reid='solo' or "
      "groupId='solo'stmt Error: 1  sql='select count(*) from events where "
      "reid='solo' or groupId='solo''\n"
      "unable to prepare: select count(*) from eventsstmt Error: 1  "
      "sql='select count(*) from events'\n",
      run.err);
}

TEST_F(DeletionTest, FailedDeleteStatementIsReportedAndKeepsTheRows) {
  CreateCatalogue(sandbox_, std::string(kCatalogue) +
                                "CREATE TRIGGER keep BEFORE DELETE ON events "
                                "BEGIN SELECT RAISE(ABORT, 'kept'); END;");
  RunResult run = RunDb(sandbox_, {"-d", "solo", "--deleteall"});
  EXPECT_EQ("", run.out);
  // Finalize repeats the failed step's code but frees the statement: no
  // leak is reported.
  EXPECT_EQ(
      "  Error deleting event or groupId:  id = solo\n"
      "  Error deleting all events\n",
      run.err);
  EXPECT_EQ(kAllEvents, EventsLeft());
}

}  // namespace
