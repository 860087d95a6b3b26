// A StreamMgr that dies or stops answering must never hang db: a broken or
// silent connection fails its request, and every later one at once.

#include <gtest/gtest.h>

#include <chrono>

#include "tests/event_heads.h"
#include "tests/sandbox.h"

namespace {

const std::string kInventoryHeader =
    "\nTable Name    Entries\n============  =======\n";

class IpcTest : public SandboxTest {
 protected:
  // Runs db with its catalogue of two events against a StreamMgr that
  // fails after `requests` requests in the way `fault` names; the stand-in
  // client in db waits one second at most for a reply. milliseconds_ is how
  // long the run took, requests_ what db asked.
  RunResult Run(const std::vector<std::string>& args, const char* fault,
                const char* requests) {
    CreateCatalogue(sandbox_, "INSERT INTO events (reid) VALUES ('a'), ('b');");
    const std::string log = sandbox_.dir + "/requests";
    RunOptions options{true, {"--request-log", log, fault, requests}};
    options.clientMaxWaitMs = 1000;
    const auto start = std::chrono::steady_clock::now();
    RunResult run = RunDb(sandbox_, args, options);
    milliseconds_ = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    requests_ = ReadFile(log);
    return run;
  }

  long long milliseconds_ = 0;
  std::string requests_;
};

TEST_F(IpcTest, DaemonDyingMidRunFailsEveryLaterRequestAtOnce) {
  const std::string deadCounts =
      "streamfiles        0\nstatus             0\n\n";
  RunResult run = Run({"-t", "-t"}, "--die-after", "2");
  EXPECT_EQ(kInventoryHeader + "events             2\neventanswers       0\n" +
                deadCounts + kInventoryHeader +
                "events             0\neventanswers       0\n" + deadCounts,
            run.out);
  EXPECT_EQ("StreamMgr request failed: select count(*) from \"eventanswers\"\n",
            run.err);
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(
      "count\tselect count(*) from \"events\"\n"
      "count\tselect count(*) from \"eventanswers\"\n",
      requests_);
  EXPECT_LT(milliseconds_, 10000);
}

// Waits out the one reply timeout of the run: db asks for 60 seconds, which
// the stand-in client cuts to one. What the listings show is what no answer
// looks like; the failure is said once, and the run fails.
TEST_F(IpcTest, StalledDaemonCostsTheRunOneTimeoutAndFailsIt) {
  RunResult run = Run({"-d", "a", "-e", "-r", "b", "-t"}, "--stall-after", "1");
  EXPECT_EQ(EventHeads(" GiB ") + "\nNOT FOUND: b\n\n" + kInventoryHeader +
                "events             0\neventanswers       0\n"
                "streamfiles        0\nstatus             0\n\n",
            run.out);
  EXPECT_EQ(
      "StreamMgr request failed: select * from events where reid='a' or "
      "groupId='a'\n  Event or groupId not found: a\n",
      run.err);
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(
      "events\tselect * from events where reid='a' or groupId='a'\n"
      "stalled\t60000\n",
      requests_);
  EXPECT_EQ("a\nb\n",
            QueryCatalogue(sandbox_, "select reid from events order by rowid"));
  EXPECT_GE(milliseconds_, 1000);
  EXPECT_LT(milliseconds_, 10000);
}

}  // namespace
