// The disk analysis of -a d through the shipped binary, with fake
// extraction and analysis tools and the real rm.

#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/sandbox.h"

namespace {

using DiskAnalysisTest = SandboxTest;

// File 1 names a wrong copy before its own, file 2 names none and file 3
// names its copy on a last line without a line end. Each fake logs its
// arguments, the line db's output ends in so far and how many copies exist:
// each copy but the unreported one is gone before the next file starts.
TEST_F(DiskAnalysisTest, ChecksOneFileAtATimeInOrderByEitherPath) {
  const std::string step =
      "echo \"$* [$(tail -n1 out)] $(ls /mnt/hd | grep -c 'ts$')\" >> "
      "logs/steps\n";
  for (bool overIpc : {false, true}) {
    SCOPED_TRACE(overIpc ? "over IPC" : "direct");
    RemoveSandbox(sandbox_);
    sandbox_ = MakeSandbox();
    CreateCatalogue(sandbox_,
                    "INSERT INTO streamfiles (number) VALUES (1), (2), (3);");
    FakeCommand(sandbox_, "StreamMgrCli", step + R"(touch /mnt/hd/$2.ts
case $2 in
  1) printf 'copied: /wrong/1.ts\nbusy\nlog copied: /mnt/hd/1.ts\nbye\n' ;;
  3) printf 'copied: /mnt/hd/3.ts' ;;
esac)");
    FakeCommand(sandbox_, "filePes", step + R"(case $2 in
  */3.ts) printf 'header\nfail, Failure\npacket 3: FAIL no sync byte\ndetail\nFAIL again\n' ;;
  *) printf 'fail in lower case\nFailure\n' ;;
esac)");
    EXPECT_EQ(Expected(R"(File count = 3
 Checking 1.ts:  extracting.../mnt/hd/1.ts  checking...PASS
 Checking 2.ts:  extracting...no copy reported
 Checking 3.ts:  extracting.../mnt/hd/3.ts  checking...packet 3: FAIL no sync byte
detail
FAIL again

)"),
              RunDb(sandbox_, {"-a", "d"}, RunOptions{overIpc, {}}));
    EXPECT_EQ(R"(-x 1 [ Checking 1.ts:  extracting...] 0
-a /mnt/hd/1.ts [ Checking 1.ts:  extracting.../mnt/hd/1.ts  checking...] 1
-x 2 [ Checking 2.ts:  extracting...] 0
-x 3 [ Checking 3.ts:  extracting...] 1
-a /mnt/hd/3.ts [ Checking 3.ts:  extracting.../mnt/hd/3.ts  checking...] 2
)",
              ReadFile(sandbox_.logs + "/steps"));
    EXPECT_NE(0, access((sandbox_.hd + "/3.ts").c_str(), F_OK))
        << "a failing copy is deleted too";
  }
}

// A tool that is missing, cannot be executed or ends as the shell does
// when it cannot run one (126) must never make a file pass, and fails the
// run.
TEST_F(DiskAnalysisTest, ToolThatCannotRunFailsTheFileAndTheRun) {
  CreateCatalogue(sandbox_, "INSERT INTO streamfiles (number) VALUES (1);");
  const std::string extracting =
      "File count = 1\n Checking 1.ts:  extracting...";
  const struct {
    const char* tool;
    const char* body;
    mode_t mode;  // 0: no tool at all
  } kCases[] = {
      {"filePes", "", 0},
      {"filePes", "exit 0", 0644},
      {"filePes", "exit 126", 0755},
      {"StreamMgrCli", "exit 0", 0644},
      {"StreamMgrCli", "exit 126", 0755},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.tool) + " " + c.body);
    FakeCommand(sandbox_, "StreamMgrCli", "echo 'copied: /mnt/hd/1.ts'");
    FakeCommand(sandbox_, "filePes", "exit 0");
    FakeCommand(sandbox_, c.tool, c.body, c.mode);
    RunResult run = RunDb(sandbox_, {"-a", "d"});
    EXPECT_EQ(extracting + (std::string(c.tool) == "filePes"
                                ? "/mnt/hd/1.ts  checking...FAIL: filePes "
                                  "could not be run\n\n"
                                : "FAIL: StreamMgrCli could not be run\n\n"),
              run.out);
    EXPECT_EQ(1, run.status);
  }
}

// Tool output is read in pieces of 1,023 bytes: a name that fills the first
// piece, runs on into the second, or past 2 KiB into the third is shown
// whole.
TEST_F(DiskAnalysisTest, LongCopiedNamesAreShownWhole) {
  CreateCatalogue(sandbox_, "INSERT INTO streamfiles (number) VALUES (1);");
  for (size_t length : {1023 - 8, 1024 - 8, 2049}) {
    const std::string name = "/mnt/hd/" + std::string(length - 11, 'n') + ".ts";
    FakeCommand(sandbox_, "StreamMgrCli",
                "touch /mnt/hd/1.ts; echo 'copied: " + name + "'");
    EXPECT_EQ(Expected("File count = 1\n Checking 1.ts:  extracting..." + name +
                       "  checking...PASS\n\n"),
              RunDb(sandbox_, {"-a", "d"}))
        << length;
  }
}

}  // namespace
