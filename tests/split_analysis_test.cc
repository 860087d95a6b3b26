// The split-event analysis of -a and the dispatch of its argument, through
// the shipped binary.

#include <gtest/gtest.h>

#include "tests/sandbox.h"

namespace {

// Stages `reid` with an empty .mtd and one segment of `bytes` bytes, or
// none for 0.
void StagePart(const Sandbox& sandbox, const std::string& reid, int bytes) {
  const std::string segment =
      "<seg name='a' src='1' stop-offset='" + std::to_string(bytes) + "'/>";
  StageEvent(sandbox, reid, "",
             "<stream>" + (bytes == 0 ? "" : segment) + "</stream>");
}

// One group's report under a 1 GB limit: the end of the overlap line (with
// its part lines after a FAIL), then the last-part, part-number and size
// verdicts.
std::string Group(const std::string& id, const std::string& overlap = "PASS\n",
                  const std::string& lastPart = "PASS",
                  const std::string& partNumbers = "PASS",
                  const std::string& size = "FAIL") {
  return "Checking groupId '" + id + "':\n  Checking 2-second overlap..." +
         overlap + "  Verify last part >= 2 sec..." + lastPart +
         "\n  Checking totalParts........." + partNumbers +
         "\n  Verify part sizes <  1 GB..." + size + "\n";
}

const char kEvents[] =
    "INSERT INTO events (reid, groupId, part, totalparts, starttick, stoptick)"
    " VALUES ";

// Part 2 starts 6 ticks before part 1 stops.
const char kTwoPartsReport[] =
    "Checking groupId 'G':\n"
    "  Checking 2-second overlap...FAIL\n"
    "    Part 2 doesn't have 2-second overlap:  ticks = 6\n"
    "  Verify last part >= 2 sec...PASS\n"
    "  Checking totalParts.........PASS\n";

using SplitAnalysisTest = SandboxTest;

// Flags and the limit stay for later -a; disk analysis wins over split.
// The catalogue holds no stream files.
TEST_F(SplitAnalysisTest, ArgumentsDispatchAndTheSixLineExample) {
  CreateCatalogue(
      sandbox_,
      std::string(kEvents) + "('r1','G',1,2,100,200), ('r2','G',2,2,194,300);");
  for (const char* reid : {"r1", "r2"}) StagePart(sandbox_, reid, 1000);
  const std::string report = kTwoPartsReport;
  EXPECT_EQ(Expected(report + "\n" + report +
                     "  Verify part sizes <  4 GB...PASS\n\n"
                     "File count = 0\n\n"),
            RunDb(sandbox_, {"-a", "x", "-a", "sx", "-a", "sz4", "-a", "ds"}));
  EXPECT_EQ(Expected(report + "  Verify part sizes <  4 GB...PASS\n\n" +
                     report + "  Verify part sizes < 12 GB...PASS\n\n" +
                     report + "  Verify part sizes < 100 GB...PASS\n\n" +
                     "File count = 0\n\nFile count = 0\n\n"),
            RunDb(sandbox_, {"-a", "z4", "-a", "s", "-a", "zs12", "-a", "sz100",
                             "-a", "sz4d", "-a", "s"}));
  // A disk analysis of no files starts no command.
  EXPECT_EQ("", ReadFile(sandbox_.logs + "/StreamMgrCli.log") +
                    ReadFile(sandbox_.logs + "/filePes.log"));
}

// Groups are inserted out of byte order; \xff sorts last only when bytes
// compare unsigned. Ticks wrap in 32 bits. A part's size passes when it is
// staged, above 0 bytes and under the limit (unstaged parts fail). What the
// sizing reports comes after the line it belongs to, on one terminal.
TEST_F(SplitAnalysisTest, ChecksEveryGroupInByteOrderOnBothPaths) {
  CreateCatalogue(
      sandbox_,
      std::string(kEvents) +
          "('b1','t3',1,2,100,200), ('b2','t3',2,2,197,300),"
          "('a1','t4',1,2,100,200), ('a2','t4',2,2,196,200),"
          "('c1','t5',1,2,100,200), ('c2','t5',2,2,195,300),"
          "('d1','gap',1,2,100,200), ('d2','gap',2,2,210,300),"
          "('e1','Wrap',1,2,4294967200,2), ('e2','Wrap',2,2,4294967294,100),"
          "('p2','2,1,3',2,3,196,300), ('p1','2,1,3',1,3,100,200),"
          "('p3','2,1,3',3,3,296,400), ('z0','0,1',0,2,100,200),"
          "('z1','0,1',1,2,196,300), ('y1','1,1,2',1,2,100,200),"
          "('y1b','1,1,2',1,2,196,300), ('y2','1,1,2',2,2,296,400),"
          "('o1','Own',1,3,100,200), ('o2','Own',2,2,196,199),"
          "('x','\xff',1,1,100,200), ('u','',1,1,100,101),"
          "('empty','empty',1,1,0,10), ('exact','exact',1,1,0,10),"
          "('under','under',1,1,0,10), ('bad','bad',1,1,0,10);"
          "INSERT INTO events (reid, part, totalparts) VALUES ('v', 1, 2);");
  StagePart(sandbox_, "empty", 0);
  StagePart(sandbox_, "exact", 1073741824);  // 2^30
  StagePart(sandbox_, "under", 1073741823);
  StageEvent(sandbox_, "bad", "", "<stream>");
  const std::string report =
      Group("0,1", "PASS\n", "PASS",
            "FAIL:  expectedTotalParts=2  actualUniquePartNums=2  "
            "lastPartNum=1") +
      Group("1,1,2") +
      Group("2,1,3",
            "FAIL\n"
            "    Part 1 doesn't have 2-second overlap:  ticks = 200\n"
            "    Part 3 doesn't have 2-second overlap:  ticks = -96\n") +
      Group("Own", "PASS\n", "FAIL",
            "FAIL:  expectedTotalParts=3  actualUniquePartNums=2  "
            "lastPartNum=2") +
      Group("Wrap") +
      Group("bad",
            "Failed to load XML file: /mnt/hd/connectionmgr/bad.xmlPASS\n") +
      Group("empty") + Group("exact") +
      Group("gap",
            "FAIL\n    Part 2 doesn't have 2-second overlap:  ticks = -10\n") +
      Group("t3",
            "FAIL\n    Part 2 doesn't have 2-second overlap:  ticks = 3\n") +
      Group("t4") +
      Group("t5",
            "FAIL\n    Part 2 doesn't have 2-second overlap:  ticks = 5\n") +
      Group("under", "PASS\n", "PASS", "PASS", "PASS") + Group("\xff") + "\n";
  RunOptions options;
  options.mergeStderr = true;
  for (bool overIpc : {false, true}) {
    options.daemon = overIpc;
    EXPECT_EQ(Expected(report), RunDb(sandbox_, {"-a", "sz1"}, options))
        << overIpc;
  }
}

}  // namespace
