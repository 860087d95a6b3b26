// A StreamMgr that dies or stops answering must never hang db: a broken or
// silent connection fails its request, and every later one at once.

#include <gtest/gtest.h>

#include <chrono>

#include "tests/sandbox.h"

namespace {

const char kInventoryHeader[] =
    "\nTable Name    Entries\n============  =======\n";

class IpcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sandbox_ = MakeSandbox();
    CreateCatalogue(sandbox_,
                    "INSERT INTO events (reid, groupId) VALUES ('a', 'a'), "
                    "('b', 'b');");
    options_.daemon = true;
    options_.daemonArgs = {"--request-log", sandbox_.dir + "/requests"};
  }
  void TearDown() override { RemoveSandbox(sandbox_); }

  Sandbox sandbox_;
  RunOptions options_;
};

TEST_F(IpcTest, DaemonDyingMidRunFailsEveryLaterRequestAtOnce) {
  options_.daemonArgs.insert(options_.daemonArgs.end(), {"--die-after", "2"});
  auto start = std::chrono::steady_clock::now();
  RunResult run = RunDb(sandbox_, {"-t", "-t"}, options_);
  auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
      std::chrono::steady_clock::now() - start);
  const std::string deadCounts =
      "streamfiles        0\nstatus             0\n\n";
  EXPECT_EQ(std::string(kInventoryHeader) + "events             2\n" +
                "eventanswers       0\n" + deadCounts + kInventoryHeader +
                "events             0\neventanswers       0\n" + deadCounts,
            run.out);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(
      "count\tselect count(*) from \"events\"\n"
      "count\tselect count(*) from \"eventanswers\"\n",
      ReadFile(sandbox_.dir + "/requests"));
  EXPECT_LT(seconds.count(), 10);
}

// Waits out the one reply timeout of the run (60 seconds).
TEST_F(IpcTest, StalledDaemonCostsTheRunOneTimeout) {
  options_.daemonArgs.insert(options_.daemonArgs.end(), {"--stall-after", "1"});
  auto start = std::chrono::steady_clock::now();
  RunResult run = RunDb(sandbox_, {"-t", "-r", "a"}, options_);
  auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
      std::chrono::steady_clock::now() - start);
  EXPECT_EQ(std::string(kInventoryHeader) +
                "events             0\neventanswers       0\n"
                "streamfiles        0\nstatus             0\n\n"
                "\nNOT FOUND: a\n\n",
            run.out);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("count\tselect count(*) from \"events\"\n",
            ReadFile(sandbox_.dir + "/requests"));
  EXPECT_GE(seconds.count(), 59);
  EXPECT_LT(seconds.count(), 90);
}

}  // namespace
