// Work that fails never ends in status 0: output that cannot be written,
// and a disk analysis cut short by a signal, which leaves no copy behind.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include "tests/sandbox.h"

namespace {

using RunFailureTest = SandboxTest;

// 1500 files, so that a listing over IPC takes two pages; one event.
const char kCatalogue[] =
    "insert into events(reid) values ('a');"
    "insert into streamfiles with recursive n(i) as (select 1 union all "
    "select i + 1 from n where i < 1500) select i, 0, 2, i, i + 1, 0, 0, 0, "
    "0, 4096, 1 from n;";

// A full disk or a closed descriptor under stdout stops the action at its
// next row or page and runs no further option; the last buffered write is
// checked at exit, and the error named is the write's own. Output of the
// outside sql passes through db, so its failed writes count too.
TEST_F(RunFailureTest, FailedWritesEndTheRunWithStatusOne) {
  CreateCatalogue(sandbox_,
                  std::string(kCatalogue) +
                      "insert into events(reid, groupid, part, totalparts) "
                      "values ('p1', 'g', 1, 2), ('p2', 'g', 2, 2);");
  FakeCommand(sandbox_, "sql", "echo 'status rows'");
  const std::string log = sandbox_.dir + "/requests";
  const char kFull[] = "db: write error: No space left on device\n";
  const char kClosed[] = "db: write error: Bad file descriptor\n";
  const char kFirstPage[] =
      "count\tselect count(*) from streamfiles where number like '%' order "
      "by number asc\nfiles\tselect * from streamfiles where number like "
      "'%' order by number asc limit 1000 offset 0\n";
  const struct {
    std::vector<std::string> args;
    const char* stdoutFile;
    const char* err;
    const char* requests;  // over IPC; null: not compared
  } kCases[] = {
      {{"-e", "-t"},
       "/dev/full",
       kFull,
       "events\tselect * from events\nsettings\t\n"},
      {{"-f", "*", "-t"}, "/dev/full", kFull, kFirstPage},
      {{"-t"},
       "/dev/full",
       kFull,
       "count\tselect count(*) from \"events\"\ncount\tselect count(*) "
       "from \"eventanswers\"\ncount\tselect count(*) from \"streamfiles\"\n"
       "count\tselect count(*) from \"status\"\n"},
      {{"-a", "sz1"}, "/dev/full", kFull, nullptr},
      {{"-s", "-t"}, "/dev/full", kFull, ""},
      {{"-t"}, "&-", kClosed, nullptr},
      {{"-s"}, "&-", kClosed, nullptr},
      {{"-f", "*", "-t"}, "&-", kClosed, kFirstPage},
  };
  for (bool overIpc : {false, true}) {
    for (const auto& c : kCases) {
      SCOPED_TRACE(c.args[0] + " >" + c.stdoutFile +
                   (overIpc ? " over IPC" : " direct"));
      std::remove(log.c_str());
      RunOptions options;
      options.daemon = overIpc;
      options.daemonArgs = {"--request-log", log};
      options.stdoutFile = c.stdoutFile;
      RunResult run = RunDb(sandbox_, c.args, options);
      EXPECT_EQ(c.err, run.err);
      EXPECT_EQ(1, run.status);
      if (overIpc && c.requests != nullptr) {
        EXPECT_EQ(c.requests, ReadFile(log));
      }
    }
  }
}

// A reader that has gone ends db quietly, by SIGPIPE, as any tool, also
// when db was started with SIGPIPE ignored or blocked.
TEST_F(RunFailureTest, BrokenPipeEndsTheRunQuietly) {
  CreateCatalogue(sandbox_, kCatalogue);
  for (const char* prefix :
       {"", "perl -e '$SIG{PIPE} = \"IGNORE\"; exec @ARGV' --",
        "perl -MPOSIX -e 'sigprocmask(SIG_BLOCK, POSIX::SigSet->new(SIGPIPE));"
        " exec @ARGV' --"}) {
    SCOPED_TRACE(prefix);
    RunOptions options;
    options.stdoutReader = "head -n 4";
    options.prefix = prefix;
    RunResult run = RunDb(sandbox_, {"-f", "*"}, options);
    EXPECT_EQ(4, std::count(run.out.begin(), run.out.end(), '\n'));
    EXPECT_EQ("", run.err);
    EXPECT_EQ(128 + SIGPIPE, run.status);
  }
}

// Reading the second file fails, as abs() of the lowest integer overflows:
// the rows, then the step error, in the order a terminal shows them.
// Finalize then hands back the step's error but frees the statement: no
// leak is reported.
TEST_F(RunFailureTest, StepErrorFollowsTheRowsOnOneTerminal) {
  CreateCatalogue(
      sandbox_,
      "insert into streamfiles values (1, 0, 2, 1000, 2000, 86400, 90000, 0, "
      "0, 4096, 1), (2, 0, 2, 1000, 2000, 86400, 90000, 0, 0, 4096, "
      "-9223372036854775808); alter table streamfiles rename to pool; create "
      "view streamfiles as select *, abs(type) as failing from pool;");
  RunOptions options;
  options.mergeStderr = true;
  RunResult run = RunDb(sandbox_, {"-f", "*"}, options);
  EXPECT_EQ(
      "\nNumber  Stream   State      Size        Start Time     StopTime  "
      "Start Tick   Stop Tick  Prev  Next  Type  \n"
      "======  ======  ========  ========  =================  ========  "
      "==========  ==========  ====  ====  ====  \n"
      "     1       0  UsedFree      4096  01/02/70 00:00:00  01:00:00  "
      "      1000        2000     0     0  Norm  \n"
      "stmt Error: \n\n2 items\n\n",
      run.out);
  EXPECT_EQ(1, run.status);
}

// The scratch copy of the file being analysed goes with the run, also when
// the signal comes while the extraction is still writing it: the tool and
// what it started end first. The run ends by the signal; a signal that db
// was started with ignored changes nothing.
TEST_F(RunFailureTest, EndingSignalRemovesTheScratchCopy) {
  CreateCatalogue(sandbox_, "insert into streamfiles(number) values (1);");
  const char kCopy[] = "touch /mnt/hd/$2.ts; echo \"copied: /mnt/hd/$2.ts\"";
  const char kSlowCopy[] =
      "touch /mnt/hd/started; sleep 1; touch /mnt/hd/$2.ts; echo \"copied: "
      "/mnt/hd/$2.ts\"";
  const struct {
    int signal;
    const char* prefix;
    const char* extraction;
    const char* analysis;
    const char* sendWhen;
    int status;
  } kCases[] = {
      {SIGTERM, "", kCopy, "sleep 3", "/mnt/hd/1.ts", 128 + SIGTERM},
      {SIGHUP, "", kCopy, "sleep 3", "/mnt/hd/1.ts", 128 + SIGHUP},
      {SIGINT, "perl -e '$SIG{INT} = \"DEFAULT\"; exec @ARGV' --", kSlowCopy,
       "", "/mnt/hd/started", 128 + SIGINT},
      {SIGTERM, "", kSlowCopy, "", "/mnt/hd/started", 128 + SIGTERM},
      {SIGTERM, "perl -e '$SIG{TERM} = \"IGNORE\"; exec @ARGV' --", kCopy,
       "sleep 1", "/mnt/hd/1.ts", 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::to_string(c.signal) + c.prefix + c.extraction);
    FakeCommand(sandbox_, "StreamMgrCli", c.extraction);
    FakeCommand(sandbox_, "filePes", c.analysis);
    RunOptions options;
    options.prefix = c.prefix;
    options.signal = c.signal;
    options.signalWhenExists = c.sendWhen;
    RunResult run = RunDb(sandbox_, {"-a", "d"}, options);
    EXPECT_EQ(c.status, run.status);
    // Long enough for a slow extraction left running to write its copy.
    if (c.extraction == kSlowCopy) usleep(1500 * 1000);
    EXPECT_NE(0, access((sandbox_.hd + "/1.ts").c_str(), F_OK));
    std::remove((sandbox_.hd + "/started").c_str());
    std::remove((sandbox_.hd + "/1.ts").c_str());
  }
}

}  // namespace
