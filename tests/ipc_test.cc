// A StreamMgr that stops answering must never hang db: a silent connection
// fails its request, and every later one at once (one that dies:
// tests/bad_input_test.cc). A query answered as failed fails the run too.

#include <gtest/gtest.h>

#include <chrono>

#include "tests/listing_heads.h"
#include "tests/sandbox.h"

namespace {

// The inventory when no count was answered.
const std::string kNothingCounted =
    std::string(kTablesHeads) +
    "events             0\neventanswers       0\nstreamfiles        0\n"
    "status             0\n\n";

const char kTwoEvents[] = "INSERT INTO events (reid) VALUES ('a'), ('b');";

using IpcTest = SandboxTest;

// Waits out the one reply timeout of the run: db asks for 60 seconds, which
// the stand-in client cuts to one. What the listings show is what no answer
// looks like; the failure is said once, and the run fails.
TEST_F(IpcTest, StalledDaemonCostsTheRunOneTimeoutAndFailsIt) {
  CreateCatalogue(sandbox_, kTwoEvents);
  const std::string log = sandbox_.dir + "/requests";
  RunOptions options{true, {"--request-log", log, "--stall-after", "1"}};
  options.clientMaxWaitMs = 1000;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(
      Expected(EventHeads(" GiB ") + "\nNOT FOUND: b\n\n" + kNothingCounted,
               "StreamMgr request failed: select * from events where reid='a' "
               "or groupId='a'\n  Event or groupId not found: a\n",
               1),
      RunDb(sandbox_, {"-d", "a", "-e", "-r", "b", "-t"}, options));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(
      "events\tselect * from events where reid='a' or groupId='a'\n"
      "stalled\t60000\n",
      ReadFile(log));
  EXPECT_EQ("a\nb\n",
            QueryCatalogue(sandbox_, "select reid from events order by rowid"));
  EXPECT_GE(elapsed, std::chrono::seconds(1));
  EXPECT_LT(elapsed, std::chrono::seconds(10));
}

// An answer that says the query failed shows as an empty one, unreported,
// in each action that asks a query, and fails the run.
TEST_F(IpcTest, QueryAnsweredAsFailedFailsTheRunInEveryAction) {
  CreateCatalogue(sandbox_, kTwoEvents);
  const std::string noEvents = EventHeads(" GiB ");
  const struct {
    std::vector<std::string> args;
    std::string out;
    const char* err;
  } kCases[] = {
      {{"-e"}, noEvents, ""},
      {{"-r", "a"}, "\nNOT FOUND: a\n\n", ""},
      {{"-p"}, noEvents, ""},
      {{"-u"}, noEvents, ""},
      {{"-f", "*"}, kFilesHeads + std::string("\n0 items\n\n"), ""},
      {{"-t"}, kNothingCounted, ""},
      {{"-a", "s"}, "\n", ""},
      {{"-a", "d"}, "File count = 0\n\n", ""},
      {{"-d", "a"}, "", "  Event or groupId not found: a\n"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(Expected(c.out, c.err, 1),
              RunDb(sandbox_, c.args, {true, {"--fail-queries"}}))
        << ::testing::PrintToString(c.args);
  }
}

}  // namespace
