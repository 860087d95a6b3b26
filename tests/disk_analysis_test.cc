// The disk analysis of -a d through the shipped binary, with fake
// extraction and analysis tools and the real rm.

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "tests/sandbox.h"

namespace {

const char kThreeFiles[] =
    "INSERT INTO streamfiles (number) VALUES (1), (2), (3);";
// Copies file N as the real tool would and says so.
const char kExtract[] =
    "touch /mnt/hd/$2.ts\n"
    "echo \"copied: /mnt/hd/$2.ts\"";

class DiskAnalysisTest : public ::testing::Test {
 protected:
  void SetUp() override { sandbox_ = MakeSandbox(); }
  void TearDown() override { RemoveSandbox(sandbox_); }

  bool CopyExists(const std::string& name) {
    return access((sandbox_.hd + "/" + name).c_str(), F_OK) == 0;
  }

  void ExpectThreeFilesCheckedOneAtATime(const RunOptions& options) {
    CreateCatalogue(sandbox_, kThreeFiles);
    // Any copy still on disk when the next extraction starts is listed.
    FakeCommand(sandbox_, "StreamMgrCli",
                "ls /mnt/hd | grep 'ts$' >> " + sandbox_.logs + "/leftovers\n" +
                    kExtract);
    FakeCommand(sandbox_, "filePes", "echo \"all packets good in $2\"");
    RunResult run = RunDb(sandbox_, {"-a", "d"}, options);
    EXPECT_EQ(
        "File count = 3\n"
        " Checking 1.ts:  extracting.../mnt/hd/1.ts  checking...PASS\n"
        " Checking 2.ts:  extracting.../mnt/hd/2.ts  checking...PASS\n"
        " Checking 3.ts:  extracting.../mnt/hd/3.ts  checking...PASS\n"
        "\n",
        run.out);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("-x 1\n-x 2\n-x 3\n",
              ReadFile(sandbox_.logs + "/StreamMgrCli.log"));
    EXPECT_EQ("-a /mnt/hd/1.ts\n-a /mnt/hd/2.ts\n-a /mnt/hd/3.ts\n",
              ReadFile(sandbox_.logs + "/filePes.log"));
    EXPECT_EQ("", ReadFile(sandbox_.logs + "/leftovers"));
    EXPECT_FALSE(CopyExists("3.ts"));
  }

  Sandbox sandbox_;
};

TEST_F(DiskAnalysisTest, ThreeFilesAreCheckedOneAtATimeInOrder) {
  ExpectThreeFilesCheckedOneAtATime(RunOptions());
}

TEST_F(DiskAnalysisTest, StreamMgrCountsTheFiles) {
  RunOptions options;
  options.daemon = true;
  ExpectThreeFilesCheckedOneAtATime(options);
}

TEST_F(DiskAnalysisTest, FailureLinesAreCopiedFromTheFirstHoldingFail) {
  CreateCatalogue(sandbox_, kThreeFiles);
  FakeCommand(sandbox_, "StreamMgrCli", kExtract);
  FakeCommand(sandbox_, "filePes",
              "case $2 in\n"
              "  */2.ts) printf 'header\\nfail, Failure\\n"
              "packet 3: FAIL no sync byte\\ndetail\\nFAIL again\\n' ;;\n"
              "  *) printf 'fail in lower case\\nFailure\\n' ;;\n"
              "esac");
  RunResult run = RunDb(sandbox_, {"-a", "d"});
  EXPECT_EQ(
      "File count = 3\n"
      " Checking 1.ts:  extracting.../mnt/hd/1.ts  checking...PASS\n"
      " Checking 2.ts:  extracting.../mnt/hd/2.ts  checking...packet 3: FAIL "
      "no sync byte\n"
      "detail\n"
      "FAIL again\n"
      " Checking 3.ts:  extracting.../mnt/hd/3.ts  checking...PASS\n"
      "\n",
      run.out);
  EXPECT_EQ("", run.err);
  EXPECT_FALSE(CopyExists("2.ts")) << "a failing copy is deleted too";
}

TEST_F(DiskAnalysisTest, LaterCopiedLineGivesTheNameAndOnlyALineEndIsCut) {
  CreateCatalogue(sandbox_, kThreeFiles);
  const std::string longName = "/mnt/hd/" + std::string(2000, 'n') + ".ts";
  FakeCommand(sandbox_, "StreamMgrCli",
              "touch /mnt/hd/$2.ts\n"
              "case $2 in\n"
              "  1) printf 'copied: /wrong/1.ts\\nbusy\\nlog copied: "
              "/mnt/hd/1.ts\\nbye\\n' ;;\n"
              "  2) printf 'copied: /mnt/hd/2.ts' ;;\n"
              "  3) echo 'copied: " +
                  longName + "'; echo " + std::string(1500, 'x') +
                  " ;;\n"
                  "esac");
  RunResult run = RunDb(sandbox_, {"-a", "d"});
  EXPECT_EQ(
      "File count = 3\n"
      " Checking 1.ts:  extracting.../mnt/hd/1.ts  checking...PASS\n"
      " Checking 2.ts:  extracting.../mnt/hd/2.ts  checking...PASS\n"
      " Checking 3.ts:  extracting..." +
          longName + "  checking...PASS\n\n",
      run.out);
  EXPECT_EQ("", run.err);
}

TEST_F(DiskAnalysisTest, FileWithoutCopyIsNeitherAnalysedNorDeleted) {
  CreateCatalogue(sandbox_, kThreeFiles);
  FakeCommand(sandbox_, "StreamMgrCli",
              "touch /mnt/hd/$2.ts\n"
              "[ $2 = 2 ] || echo \"copied: /mnt/hd/$2.ts\"");
  RunResult run = RunDb(sandbox_, {"-a", "d"});
  EXPECT_EQ(
      "File count = 3\n"
      " Checking 1.ts:  extracting.../mnt/hd/1.ts  checking...PASS\n"
      " Checking 2.ts:  extracting...no copy reported\n"
      " Checking 3.ts:  extracting.../mnt/hd/3.ts  checking...PASS\n"
      "\n",
      run.out);
  EXPECT_EQ("", run.err);
  EXPECT_EQ("-a /mnt/hd/1.ts\n-a /mnt/hd/3.ts\n",
            ReadFile(sandbox_.logs + "/filePes.log"));
  EXPECT_TRUE(CopyExists("2.ts"));
  EXPECT_FALSE(CopyExists("1.ts"));
}

TEST_F(DiskAnalysisTest, NoFilesStartNoCommand) {
  CreateCatalogue(sandbox_, "");
  RunOptions viaIpc;
  viaIpc.daemon = true;
  for (const RunOptions& options : {RunOptions(), viaIpc}) {
    RunResult run = RunDb(sandbox_, {"-a", "d"}, options);
    EXPECT_EQ("File count = 0\n\n", run.out);
    EXPECT_EQ("", run.err);
  }
  EXPECT_EQ("", ReadFile(sandbox_.logs + "/StreamMgrCli.log"));
  EXPECT_EQ("", ReadFile(sandbox_.logs + "/filePes.log"));
}

TEST_F(DiskAnalysisTest, MissingFileTableCountsNoFiles) {
  CreateCatalogue(sandbox_, "DROP TABLE streamfiles;");
  RunResult run = RunDb(sandbox_, {"-a", "d"});
  EXPECT_EQ("File count = 0\n\n", run.out);
  EXPECT_EQ(
      "unable to prepare: select number, size from streamfilesmainunable to "
      "access database\n"
      "unable to prepare: select count(*) from streamfilesError getting count "
      "for streamfiles\n",
      run.err);
  EXPECT_EQ(0, run.status);
}

}  // namespace
