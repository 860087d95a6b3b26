// Start-up, the access path, the option loop's own rows and the help screen,
// through the shipped binary.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/listing_heads.h"
#include "tests/sandbox.h"

namespace {

// The help screen from the end of its "Usage: PROGRAM" line.
const char kUsageBody[] = R"(
         [-h] or [--help] or [--usage] Shows this help message
         [-a] or [--analyze] <d|s[z]>  Analyze the database and stream files (d = entire disk, s = split events)
                    d = Analyze entire disk: all possible split points A) playable within 2 seconds, B) on frame boundary
                    s = Analyze all split events: total parts, 2-sec overlap, last part >= 2 sec
                    znn = Optional split event verification that all parts are < nn GB in size
         [-d] or [--delete] <reid>  Delete this REID or all events with this groupId
                 [--deleteall]      Delete all events
         [-e] or [--events]         Display the events table
         [-f] or [--files] <[*?num]s[0-3]cfklnrt>   Display the files table.  One or more options required:
                    Options can be combined, and are processed in the order entered (might be important for sorting).
                    [*?num] = Display a specific file num (or combined with wildcards). Default sort by num
                    s[0-3]  = Display a specific stream number (i.e. show file chain).  Default sort by start tick
                    a = Display allocated file(s) (to be written next). Default sort by start tick
                    c = Display current file(s) being written. Default sort by start tick
                    f = Display 'Free' or 'UsedFree' files.  Default sort by start tick
                    k = Display 'UsedKeep' files (i.e. files locked by untransferred events). Default sort by start tick
                    l = Limit output to the first 20 items.
                    n = Sort by file number
                    r = Reverse the sort
                    t = Sort by start tick
                    NOTE: if * is used, entire string must be enclosed in single quotes: e.g. '*r'
                    Example: db -f '*r' = display all files, reverse sorted by (default) file number
                    Example: db -f 20?tr = display files 200-209, reverse sorted by start tick
                    Example: db -f s0f = display free files for stream 0, sorted by (default) start tick
                    Example: db -f s2 = display file chain for stream 2, sorted by (default) start tick
         [-r] or [--reid] <reid>  Display only this REID or groupId
         [-p] or [--split]        Display only events that have been split
         [-s] or [--status]       Display the status table
         [-t] or [--tables]       Display the list of tables and number of rows in each
         [-u] or [--un]           Display only events that are un-transferred (and un-confirmed)

)";

// The help screen: `message` on a line of its own when there is one, then
// the body, closed by the status line that the probe decided.
std::string Usage(const char* status, const std::string& message = "") {
  std::string text = "\n\n";
  if (!message.empty()) text += message + "\n";
  return text + "Usage: " + DB_BINARY + kUsageBody + status;
}

const char kNotRunning[] = "StreamMgr is currently NOT running\n\n";
const char kRunning[] = "StreamMgr is currently running\n\n";
const char kSizesUnreadable[] =
    "unable to prepare: select number, size from streamfilesmainunable to "
    "access database\n";

using StartupTest = SandboxTest;

// No streammgr directory, then the directory without the catalogue: db
// alone never opens it; an option reports the open code as the exit status,
// unless -h or an unknown option resets it or stdout cannot be written
// (1). No empty catalogue is made, on which StreamMgr would start.
TEST_F(StartupTest, UsageAloneNeedsNoCatalogueAndOpenFailureIsTheStatus) {
  for (bool directory : {false, true}) {
    if (directory) mkdir((sandbox_.hd + "/streammgr").c_str(), 0755);
    const std::string opening =
        std::string("error opening sqlite3\n") + kSizesUnreadable;
    const std::string err = opening +
                            "unable to prepare: select tbl_name from "
                            "sqlite_master where type='table'";
    RunOptions full;
    full.stdoutFile = "/dev/full";
    EXPECT_EQ(Expected(Usage(kNotRunning)), RunDb(sandbox_, {}));
    EXPECT_EQ(Expected(kTablesHeads + std::string("\n"), err, 14),
              RunDb(sandbox_, {"-t"}));
    EXPECT_EQ(
        Expected("", err + "db: write error: No space left on device\n", 1),
        RunDb(sandbox_, {"-t"}, full));
    EXPECT_EQ(0, RunDb(sandbox_, {"-h", "-t"}).status);
    EXPECT_EQ(0, RunDb(sandbox_, {"-x", "-t"}).status);
    // The outside sql would create the catalogue: it is not started.
    EXPECT_EQ(Expected("", opening, 14), RunDb(sandbox_, {"-s"}));
    EXPECT_EQ("", ReadFile(sandbox_.logs + "/sql.log"));
    EXPECT_NE(0, access((sandbox_.hd + "/streammgr/stream.db").c_str(), F_OK));
  }
}

// Over IPC the sizes are not loaded, so StreamMgr is asked nothing.
TEST_F(StartupTest, UsageSaysRunningWhileStreamMgrRunsAndAsksItNothing) {
  CreateCatalogue(sandbox_, "");
  const std::string requests = sandbox_.dir + "/requests";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"-h"}}) {
    EXPECT_EQ(Expected(Usage(kRunning)),
              RunDb(sandbox_, args, {true, {"--request-log", requests}}));
  }
  EXPECT_EQ("", ReadFile(requests));
}

// Each help or unknown option shows the screen where it stands; --del is
// ambiguous, so unknown, and a missing argument is unknown too. The empty
// event table shows its heads alone, and no rows with NULL fields are
// looked for.
TEST_F(StartupTest, HelpAndUnknownOptionsShowTheScreenInCommandLineOrder) {
  CreateCatalogue(sandbox_, "");
  const std::string help = Usage(kNotRunning);
  const std::string unknown =
      Usage(kNotRunning, "Error: unknown option specified");
  const std::string program = DB_BINARY;
  EXPECT_EQ(Expected(help + unknown + kTablesHeads +
                         "events             0\neventanswers       0\n"
                         "streamfiles        0\nstatus             0\n\n" +
                         EventHeads(" GiB ") + EventHeads("   Bytes   ") +
                         unknown + help + unknown + help + unknown,
                     program + ": invalid option -- 'x'\n" + program +
                         ": option '--del' is ambiguous; possibilities: "
                         "'--delete' '--deleteall'\n" +
                         program + ": unrecognized option '--nope'\n" +
                         program + ": option requires an argument -- 'f'\n"),
            RunDb(sandbox_, {"--help", "-x", "-t", "-e", "-E", "--del", "5",
                             "--usage", "--nope", "--he", "-f"}));
  EXPECT_EQ("", ReadFile(sandbox_.logs + "/sql.log"));
}

// The catalogue has no file table and the pool is missing. The sizes that
// could not be loaded are a failure, which -h does not hide.
TEST_F(StartupTest, MissingPoolAndFileTableAreReportedAndStartUpGoesOn) {
  CreateCatalogue(sandbox_, "drop table streamfiles;");
  ASSERT_EQ(0, rmdir((sandbox_.hd + "/streams").c_str()));
  EXPECT_EQ(Expected(Usage(kNotRunning),
                     std::string(" cannot proceed without fileAccess "
                                 "initialized\n") +
                         kSizesUnreadable,
                     1),
            RunDb(sandbox_, {"-h"}));
}

TEST_F(StartupTest, UnreachableStreamMgrEndsTheRunWithStatusOne) {
  CreateCatalogue(sandbox_, "");
  FakeCommand(sandbox_, "pidof", "echo 1234");
  // No option may run.
  EXPECT_EQ(Expected("", "Error initializing the ipc connection\n", 1),
            RunDb(sandbox_, {"-h", "-e"}));
  EXPECT_EQ("StreamMgr\n", ReadFile(sandbox_.logs + "/pidof.log"));
}

}  // namespace
