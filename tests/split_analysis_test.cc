// The split-event analysis of -a and its argument, through the shipped
// binary, by both access paths.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "tests/sandbox.h"

namespace {

// One part of a split event; the columns not named stay NULL.
std::string Part(const std::string& reid, const std::string& groupId,
                 unsigned part, unsigned totalParts, unsigned startTick,
                 unsigned stopTick) {
  return "INSERT INTO events (reid, groupId, part, totalparts, starttick, "
         "stoptick) VALUES ('" +
         reid + "', '" + groupId + "', " + std::to_string(part) + ", " +
         std::to_string(totalParts) + ", " + std::to_string(startTick) + ", " +
         std::to_string(stopTick) + ");\n";
}

// Gives `reid` its two metadata files: a .mtd of mtdBytes bytes and an .xml
// covering wholeFiles whole stream files, then stopOffset bytes of one more.
void StagePart(const Sandbox& sandbox, const std::string& reid, int wholeFiles,
               int stopOffset = 0, size_t mtdBytes = 1) {
  const std::string base = sandbox.hd + "/connectionmgr/" + reid;
  mkdir((sandbox.hd + "/connectionmgr").c_str(), 0755);
  std::string segments;
  for (int i = 0; i < wholeFiles; ++i) segments += "<seg name='a' src='1'/>";
  if (stopOffset != 0) {
    segments += "<seg name='b' src='2' stop-offset='" +
                std::to_string(stopOffset) + "'/>";
  }
  WriteFile(base + ".xml", "<recording-event><video><streams><stream>" +
                               segments +
                               "</stream></streams></video></recording-event>");
  WriteFile(base + ".mtd", std::string(mtdBytes, 'm'));
}

// The example report: part 2 starts 6 ticks before part 1 stops.
const char kTwoParts[] =
    "INSERT INTO events (reid, groupId, part, totalparts, starttick, "
    "stoptick) VALUES ('r1', 'G', 1, 2, 100, 200), ('r2', 'G', 2, 2, 194, "
    "300);";
const char kTwoPartsReport[] =
    "Checking groupId 'G':\n"
    "  Checking 2-second overlap...FAIL\n"
    "    Part 2 doesn't have 2-second overlap:  ticks = 6\n"
    "  Verify last part >= 2 sec...PASS\n"
    "  Checking totalParts.........PASS\n";

class SplitAnalysisTest : public ::testing::Test {
 protected:
  void SetUp() override { sandbox_ = MakeSandbox(); }
  void TearDown() override { RemoveSandbox(sandbox_); }

  // Runs `args` by both access paths; they must print the same.
  void ExpectReport(const std::vector<std::string>& args,
                    const std::string& out) {
    RunResult direct = RunDb(sandbox_, args);
    EXPECT_EQ(out, direct.out);
    EXPECT_EQ("", direct.err);
    EXPECT_EQ(0, direct.status);
    RunOptions options;
    options.daemon = true;
    RunResult viaIpc = RunDb(sandbox_, args, options);
    EXPECT_EQ(out, viaIpc.out) << "over IPC";
    EXPECT_EQ("", viaIpc.err) << "over IPC";
    EXPECT_EQ(0, viaIpc.status);
  }

  Sandbox sandbox_;
};

// Needs the real IsStaged and EventSize for the PASS of the size line.
TEST_F(SplitAnalysisTest, SixLineExampleByteForByte) {
  CreateCatalogue(sandbox_, kTwoParts);
  StagePart(sandbox_, "r1", 1);
  StagePart(sandbox_, "r2", 1);
  ExpectReport({"-a", "sz4"}, std::string(kTwoPartsReport) +
                                  "  Verify part sizes <  4 GB...PASS\n\n");
}

TEST_F(SplitAnalysisTest, OverlapMustBeExactlyFourTicksIn32Bits) {
  CreateCatalogue(
      sandbox_,
      Part("a1", "a", 1, 2, 100, 200) + Part("a2", "a", 2, 2, 196, 300) +
          Part("b1", "b", 1, 2, 100, 200) + Part("b2", "b", 2, 2, 197, 300) +
          Part("c1", "c", 1, 2, 100, 200) + Part("c2", "c", 2, 2, 195, 300) +
          Part("d1", "d", 1, 2, 100, 200) + Part("d2", "d", 2, 2, 210, 300) +
          Part("e1", "e", 1, 2, 4294967200u, 2) +
          Part("e2", "e", 2, 2, 4294967294u, 100));
  ExpectReport({"--analyze", "s"},
               "Checking groupId 'a':\n"
               "  Checking 2-second overlap...PASS\n"
               "  Verify last part >= 2 sec...PASS\n"
               "  Checking totalParts.........PASS\n"
               "Checking groupId 'b':\n"
               "  Checking 2-second overlap...FAIL\n"
               "    Part 2 doesn't have 2-second overlap:  ticks = 3\n"
               "  Verify last part >= 2 sec...PASS\n"
               "  Checking totalParts.........PASS\n"
               "Checking groupId 'c':\n"
               "  Checking 2-second overlap...FAIL\n"
               "    Part 2 doesn't have 2-second overlap:  ticks = 5\n"
               "  Verify last part >= 2 sec...PASS\n"
               "  Checking totalParts.........PASS\n"
               "Checking groupId 'd':\n"
               "  Checking 2-second overlap...FAIL\n"
               "    Part 2 doesn't have 2-second overlap:  ticks = -10\n"
               "  Verify last part >= 2 sec...PASS\n"
               "  Checking totalParts.........PASS\n"
               "Checking groupId 'e':\n"
               "  Checking 2-second overlap...PASS\n"
               "  Verify last part >= 2 sec...PASS\n"
               "  Checking totalParts.........PASS\n"
               "\n");
}

TEST_F(SplitAnalysisTest, EachPartIsComparedWithThePreviousInListOrder) {
  CreateCatalogue(sandbox_, Part("p2", "g", 2, 3, 196, 300) +
                                Part("p1", "g", 1, 3, 100, 200) +
                                Part("p3", "g", 3, 3, 296, 400));
  ExpectReport({"-a", "s"},
               "Checking groupId 'g':\n"
               "  Checking 2-second overlap...FAIL\n"
               "    Part 1 doesn't have 2-second overlap:  ticks = 200\n"
               "    Part 3 doesn't have 2-second overlap:  ticks = -96\n"
               "  Verify last part >= 2 sec...PASS\n"
               "  Checking totalParts.........PASS\n"
               "\n");
}

TEST_F(SplitAnalysisTest, LastPartAndPartNumbersFollowEachEventsOwnNumbers) {
  CreateCatalogue(sandbox_, Part("f", "four", 1, 1, 100, 104) +
                                Part("n", "none", 1, 2, 100, 101) +
                                Part("o1", "own", 1, 3, 100, 200) +
                                Part("o2", "own", 2, 2, 196, 197) +
                                Part("t", "three", 1, 1, 100, 103) +
                                Part("w", "wrap", 1, 1, 4294967295u, 2) +
                                Part("z0", "zero", 0, 2, 100, 200) +
                                Part("z1", "zero", 1, 2, 196, 300) +
                                Part("zz1", "zzdup", 1, 2, 100, 200) +
                                Part("zz1b", "zzdup", 1, 2, 196, 300) +
                                Part("zz2", "zzdup", 2, 2, 296, 400));
  ExpectReport({"-a", "s"},
               "Checking groupId 'four':\n"
               "  Checking 2-second overlap...PASS\n"
               "  Verify last part >= 2 sec...PASS\n"
               "  Checking totalParts.........PASS\n"
               "Checking groupId 'none':\n"
               "  Checking 2-second overlap...PASS\n"
               "  Verify last part >= 2 sec...PASS\n"
               "  Checking totalParts.........FAIL:  expectedTotalParts=2  "
               "actualUniquePartNums=1  lastPartNum=1\n"
               "Checking groupId 'own':\n"
               "  Checking 2-second overlap...PASS\n"
               "  Verify last part >= 2 sec...FAIL\n"
               "  Checking totalParts.........FAIL:  expectedTotalParts=3  "
               "actualUniquePartNums=2  lastPartNum=2\n"
               "Checking groupId 'three':\n"
               "  Checking 2-second overlap...PASS\n"
               "  Verify last part >= 2 sec...FAIL\n"
               "  Checking totalParts.........PASS\n"
               "Checking groupId 'wrap':\n"
               "  Checking 2-second overlap...PASS\n"
               "  Verify last part >= 2 sec...FAIL\n"
               "  Checking totalParts.........PASS\n"
               "Checking groupId 'zero':\n"
               "  Checking 2-second overlap...PASS\n"
               "  Verify last part >= 2 sec...PASS\n"
               "  Checking totalParts.........FAIL:  expectedTotalParts=2  "
               "actualUniquePartNums=2  lastPartNum=1\n"
               "Checking groupId 'zzdup':\n"
               "  Checking 2-second overlap...PASS\n"
               "  Verify last part >= 2 sec...PASS\n"
               "  Checking totalParts.........PASS\n"
               "\n");
}

TEST_F(SplitAnalysisTest, GroupsComeInByteOrderAndEventsWithoutOneAreSkipped) {
  // \xff sorts last only when bytes compare unsigned.
  CreateCatalogue(
      sandbox_, Part("1", "a", 1, 1, 10, 20) + Part("2", "\xff", 1, 1, 10, 20) +
                    Part("3", "", 1, 1, 10, 11) +
                    Part("4", "G1", 1, 1, 10, 20) +
                    Part("5", "1", 1, 1, 10, 20) +
                    "INSERT INTO events (reid, part, totalparts) VALUES "
                    "('6', 1, 1);" +
                    Part("7", "A", 1, 1, 10, 20) +
                    Part("8", "G", 1, 1, 10, 20) + Part("9", "", 2, 1, 0, 0));
  std::string report;
  for (const char* group : {"1", "A", "G", "G1", "a", "\xff"}) {
    report += std::string("Checking groupId '") + group +
              "':\n"
              "  Checking 2-second overlap...PASS\n"
              "  Verify last part >= 2 sec...PASS\n"
              "  Checking totalParts.........PASS\n";
  }
  ExpectReport({"-a", "s"}, report + "\n");
}

// Needs the real IsStaged and EventSize for every PASS of a size line.
TEST_F(SplitAnalysisTest, PartSizesMustBeStagedAboveZeroAndUnderTheLimit) {
  CreateCatalogue(sandbox_, Part("big", "big", 1, 1, 0, 10) +
                                Part("bare", "bare", 1, 1, 0, 10) +
                                Part("empty", "empty", 1, 1, 0, 10) +
                                Part("exact", "exact", 1, 1, 0, 10) +
                                Part("under", "under", 1, 1, 0, 10));
  StagePart(sandbox_, "big", 11);
  StagePart(sandbox_, "empty", 0, 0, 0);
  StagePart(sandbox_, "exact", 10, 88080384, 0);  // 2^30 bytes
  StagePart(sandbox_, "under", 10, 88080383, 0);
  std::string report;
  for (const char* group : {"bare", "big", "empty", "exact", "under"}) {
    report += std::string("Checking groupId '") + group +
              "':\n"
              "  Checking 2-second overlap...PASS\n"
              "  Verify last part >= 2 sec...PASS\n"
              "  Checking totalParts.........PASS\n"
              "  Verify part sizes <  1 GB..." +
              (group == std::string("under") ? "PASS\n" : "FAIL\n");
  }
  ExpectReport({"-a", "sz1"}, report + "\n");
}

// Needs the real IsStaged and EventSize for the PASS of the size lines.
TEST_F(SplitAnalysisTest, SizeLimitShowsTwoWideAndStaysForLaterArguments) {
  CreateCatalogue(sandbox_, kTwoParts);
  StagePart(sandbox_, "r1", 1);
  StagePart(sandbox_, "r2", 1);
  const std::string report = kTwoPartsReport;
  ExpectReport({"-a", "sz100"},
               report + "  Verify part sizes < 100 GB...PASS\n\n");
  ExpectReport({"-a", "zs12"},
               report + "  Verify part sizes < 12 GB...PASS\n\n");
  ExpectReport({"-a", "z4", "-a", "s"},
               report + "  Verify part sizes <  4 GB...PASS\n\n");
  ExpectReport({"-a", "x"}, "");
  ExpectReport({"-a", "sx"}, report + "\n");
}

TEST_F(SplitAnalysisTest, DiskAnalysisWinsOnceAsked) {
  CreateCatalogue(sandbox_, kTwoParts);
  ExpectReport({"-a", "ds"}, "File count = 0\n\n");
  ExpectReport({"-a", "sz4d"}, "File count = 0\n\n");
  ExpectReport({"-a", "d", "-a", "s"}, "File count = 0\n\nFile count = 0\n\n");
}

TEST_F(SplitAnalysisTest, NoEventsGiveOnlyTheEmptyLine) {
  CreateCatalogue(sandbox_, Part("solo", "", 0, 0, 0, 10));
  ExpectReport({"-a", "s"}, "\n");
}

TEST_F(SplitAnalysisTest, MissingEventTableIsReportedAndAnalysesNothing) {
  CreateCatalogue(sandbox_, "DROP TABLE events;");
  RunResult run = RunDb(sandbox_, {"-a", "s"});
  EXPECT_EQ("\n", run.out);
  EXPECT_EQ("unable to prepare: select * from events", run.err);
  EXPECT_EQ(0, run.status);
}

}  // namespace
