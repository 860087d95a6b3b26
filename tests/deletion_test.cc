// Deleting one event, a group or every event, by both access paths, through
// the shipped binary; the catalogue is checked afterwards.

#include <gtest/gtest.h>

#include "tests/sandbox.h"

namespace {

// Unsplit events have an empty groupId; "both" is one event's reid and
// another's groupId.
const char kCatalogue[] =
    "INSERT INTO events(reid, groupId) VALUES ('solo', ''), ('g1', 'grp'),"
    " ('g2', 'grp'), ('g3', 'grp'), ('both', ''), ('child', 'both'),"
    " ('other', '');";

const char kEventsLeft[] = "select reid from events order by rowid";

using DeletionTest = SandboxTest;

// A quote in the id must not widen the match; an empty id asks nothing,
// neither to delete nor to list.
TEST_F(DeletionTest, DeletesExactlyWhatTheIdNamesOnBothPaths) {
  for (bool overIpc : {false, true}) {
    SCOPED_TRACE(overIpc ? "over IPC" : "direct");
    RemoveSandbox(sandbox_);
    sandbox_ = MakeSandbox();
    CreateCatalogue(sandbox_, kCatalogue);
    const RunOptions options{overIpc, {"--request-log", sandbox_.dir + "/log"}};
    const std::string notFound = overIpc
                                     ? "  Event or groupId not found: "
                                     : "  Event or groupId not found:  id = ";
    EXPECT_EQ(Expected("  Successfully deleted 1 event:  id = solo\n"
                       "  Successfully deleted 3 events:  id = grp\n"
                       "  Successfully deleted 2 events:  id = both\n"
                       "\nNOT FOUND: \n\n",
                       notFound + "gr\n" + notFound + "x' or '1'='1\n" +
                           notFound + "\n"),
              RunDb(sandbox_,
                    {"-d", "solo", "--delete", "grp", "-d", "both", "-d", "gr",
                     "-d", "x' or '1'='1", "-d", "", "-r", ""},
                    options));
    EXPECT_EQ("other\n", QueryCatalogue(sandbox_, kEventsLeft));
    EXPECT_EQ(Expected(overIpc ? "  Successfully deleted 1 events\n"
                               : "  Successfully deleted all 1 events\n",
                       "  No events found...no action taken.\n"),
              RunDb(sandbox_, {"--deleteall", "--deleteall"}, options));
    EXPECT_EQ("", QueryCatalogue(sandbox_, kEventsLeft));
  }
  EXPECT_EQ(
      "events\tselect * from events where reid='solo' or groupId='solo'\n"
      "delete\tsolo\n"
      "events\tselect * from events where reid='grp' or groupId='grp'\n"
      "delete\tg1\ndelete\tg2\ndelete\tg3\n"
      "events\tselect * from events where reid='both' or groupId='both'\n"
      "delete\tboth\ndelete\tchild\n"
      "events\tselect * from events where reid='gr' or groupId='gr'\n"
      "events\tselect * from events where reid='x'' or ''1''=''1' or "
      "groupId='x'' or ''1''=''1'\n"
      "events\tselect * from events\ndelete\tother\n"
      "events\tselect * from events\n",
      ReadFile(sandbox_.dir + "/log"));
}

// StreamMgr refuses every event of the group: each is reported, none is
// counted, and the run fails.
TEST_F(DeletionTest, RefusedDeletionIsReportedLeftOutOfTheCountAndFails) {
  CreateCatalogue(sandbox_, kCatalogue);
  const std::string refused =
      "  Failed to delete event:  reid= g1  groupId= grp\n"
      "  Failed to delete event:  reid= g2  groupId= grp\n"
      "  Failed to delete event:  reid= g3  groupId= grp\n";
  EXPECT_EQ(Expected("  Successfully deleted 0 events:  id = grp\n"
                     "  Successfully deleted 4 events\n",
                     refused + refused, 1),
            RunDb(sandbox_, {"-d", "grp", "--deleteall"},
                  {true,
                   {"--refuse-delete", "g1", "--refuse-delete", "g2",
                    "--refuse-delete", "g3"}}));
  EXPECT_EQ("g1\ng2\ng3\n", QueryCatalogue(sandbox_, kEventsLeft));
}

// Rows that go between the count and the delete, here kept by a trigger
// as if another db had deleted them first, are not reported as deleted;
// the answers of a deleted event go with it.
TEST_F(DeletionTest, DirectDeletionReportsTheRowsItRemoved) {
  CreateCatalogue(sandbox_,
                  std::string(kCatalogue) +
                      "INSERT INTO eventanswers VALUES ('g1', 'q', 'a'), "
                      "('g2', 'q', 'a'); CREATE TRIGGER kept BEFORE DELETE ON "
                      "events WHEN old.reid IN ('g2', 'g3', 'solo', 'both', "
                      "'child', 'other') BEGIN SELECT RAISE(IGNORE); END;");
  EXPECT_EQ(Expected("  Successfully deleted 1 event:  id = grp\n",
                     "  Event or groupId not found:  id = solo\n"
                     "  No events found...no action taken.\n"),
            RunDb(sandbox_, {"-d", "grp", "-d", "solo", "--deleteall"}));
  EXPECT_EQ("solo\ng2\ng3\nboth\nchild\nother\n",
            QueryCatalogue(sandbox_, kEventsLeft));
  EXPECT_EQ("g2\n", QueryCatalogue(sandbox_, "select reid from eventanswers"));
}

}  // namespace
