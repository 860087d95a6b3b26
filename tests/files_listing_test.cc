// End-to-end cases of -f: the option string, the files listing on both
// access paths, and paging over IPC.

#include <gtest/gtest.h>

#include <sstream>

#include "tests/sandbox.h"

namespace {

const char kHeader[] =
    "\nNumber  Stream   State      Size        Start Time     StopTime  "
    "Start Tick   Stop Tick  Prev  Next  Type  \n"
    "======  ======  ========  ========  =================  ========  "
    "==========  ==========  ====  ====  ====  \n";

// A streamfiles row from 01/01/26 00:00:00 to 01:00:00 (the sandbox runs in
// UTC) with stop tick 2000. `head` is number, stream, state and start tick;
// `tail` is previous, next, size and type.
std::string File(const std::string& head,
                 const std::string& tail = "0, 0, 4096, 1") {
  return "insert into streamfiles values (" + head +
         ", 2000, 1767225600, 1767229200, " + tail + ");\n";
}

// The printed row of a File with the default tail; `head` is its first
// three cells.
std::string Row(const std::string& head, const std::string& startTick) {
  return head + "      4096  01/01/26 00:00:00  01:00:00  " + startTick +
         "        2000     0     0  Norm  \n";
}

// The request-log lines of one listing: the count, then one files query,
// or one page per offset.
std::string Requests(const std::string& where, std::vector<int> offsets = {}) {
  std::string log =
      "count\tselect count(*) from streamfiles where" + where + "\n";
  for (int offset : offsets) {
    log += "files\tselect * from streamfiles where" + where +
           " limit 1000 offset " + std::to_string(offset) + "\n";
  }
  return offsets.empty()
             ? log + "files\tselect * from streamfiles where " + where + "\n"
             : log;
}

// Each listing as "rows: N items"; the header's lines are skipped, and any
// line that is neither a whole row nor a count line shows as a count line.
std::string Summary(const std::string& out) {
  std::istringstream lines(out);
  std::string line, summary;
  for (int rows = 0; std::getline(lines, line);) {
    if (std::string(kHeader).find(line + "\n") != std::string::npos) continue;
    if (line.size() != 107) {
      summary += std::to_string(rows) + ": " + line + "\n";
      rows = 0;
    } else {
      ++rows;
    }
  }
  return summary;
}

class FilesListingTest : public ::testing::Test {
 protected:
  ~FilesListingTest() override { RemoveSandbox(sandbox_); }

  // Runs db with StreamMgr up; requests_ receives what db asked of it.
  RunResult RunOverIpc(const std::vector<std::string>& args) {
    const std::string log = sandbox_.dir + "/requests";
    WriteFile(log, "");
    RunResult run = RunDb(sandbox_, args, {true, {"--request-log", log}});
    requests_ = ReadFile(log);
    // The run left pidof naming the daemon; later runs go direct again.
    FakeCommand(sandbox_, "pidof", "exit 1");
    return run;
  }

  Sandbox sandbox_ = MakeSandbox();
  std::string requests_;
};

TEST_F(FilesListingTest, WorkedExamplesOnBothPaths) {
  CreateCatalogue(sandbox_, File("7, 2, 3, 500") + File("200, 0, 0, 300") +
                                File("201, 0, 2, 100") +
                                File("202, 0, 3, 200") +
                                File("2000, 2, 1, 400"));
  const std::string r7 = Row("     7       2  UsedKeep", "       500");
  const std::string r200 = Row("   200       0  Free    ", "       300");
  const std::string r201 = Row("   201       0  UsedFree", "       100");
  const std::string r202 = Row("   202       0  UsedKeep", "       200");
  const std::string r2000 = Row("  2000       2  Allocatd", "       400");
  auto expect = [&](const char* argument, const std::string& where,
                    const std::string& rowsAndCount) {
    RunResult direct = RunDb(sandbox_, {"-f", argument});
    RunResult remote = RunOverIpc({"--files", argument});
    EXPECT_EQ(kHeader + rowsAndCount, direct.out) << argument;
    EXPECT_EQ(kHeader + rowsAndCount, remote.out) << argument;
    EXPECT_EQ(Requests(where), requests_) << argument;
    EXPECT_EQ("", direct.err + remote.err) << argument;
  };
  expect("*r", " number like '%' order by number desc",
         r2000 + r202 + r201 + r200 + r7 + "\n5 items\n\n");
  expect("20?tr", " number like '20_' order by starttick desc",
         r200 + r202 + r201 + "\n3 items\n\n");
  expect("s0f",
         " number like '%' and stream=0 and ( state=0 or state=2) order by "
         "starttick asc",
         r201 + r200 + "\n2 items\n\n");
  expect("s2", " number like '%' and stream=2 order by starttick asc",
         r2000 + r7 + "\n2 items\n\n");
}

TEST_F(FilesListingTest, OptionStringsStopAndAccumulateLeftToRight) {
  CreateCatalogue(sandbox_, "");
  RunOverIpc({"-f", "a",  "-f", "r", "-f", "s4",  "-f", "s20", "-f", "??",
              "-f", "1*", "-f", "s", "-f", "fx3", "-f", "k",   "-f", "5c"});
  const std::string a = " and ( state=1) order by number ";
  const std::string s2 = " and stream=2 and ( state=";
  const std::string all = "0 or state=2 or state=3 or state=1)";
  const std::string tick = " order by starttick desc";
  std::string expected;
  for (const std::string& where :
       {" number like '%'" + a + "asc", " number like '%'" + a + "desc",
        " number like '%'" + a + "desc",  // s4 changes nothing
        " number like '%'" + s2 + "1)" + tick,
        " number like '__'" + s2 + "1)" + tick,  // a pattern keeps the order
        " number like '1%'" + s2 + "1)" + tick,
        " number like '1%'" + s2 + "1)" + tick,  // nor does a final s
        " number like '1%'" + s2 + "0 or state=2 or state=1)" + tick,
        " number like '1%'" + s2 + all + tick,
        " next=0 and previous!=0" + s2 + all + tick}) {
    expected += Requests(where);
  }
  EXPECT_EQ(expected, requests_);
}

TEST_F(FilesListingTest, OddValuesLiveSizeAndNoMatchOnBothPaths) {
  CreateCatalogue(sandbox_, File("1, 1, 7, 1000", "0, 0, 4096, 9") +
                                File("2, 3, 1, -1", "12345, 0, 123456789, 3") +
                                File("3, 1, 2, 1000", "0, 4, 50, 1") +
                                File("4, 1, 1, 1000", "3, 0, 100, 1"));
  // Only the last file of the chain takes its pool file's size.
  WriteFile(sandbox_.hd + "/streams/3", std::string(777, 'x'));
  WriteFile(sandbox_.hd + "/streams/4", std::string(12345, 'x'));
  const std::string first =
      std::string(kHeader) +
      "     1       1   Invalid      4096  01/01/26 00:00:00  01:00:00  "
      "      1000        2000     0     0  Invalid  \n"
      "     2       3  Allocatd  123456789  01/01/26 00:00:00  01:00:00  "
      "4294967295        2000  12345     0  Wiped  \n"
      "     3       1  UsedFree        50  01/01/26 00:00:00  01:00:00  "
      "      1000        2000     0     4  Norm  \n";
  const std::string last =
      "  01/01/26 00:00:00  01:00:00        1000  "
      "      2000     3     0  Norm  \n\n4 items\n\n" +
      std::string(kHeader) + "\n0 items\n\n";
  RunResult direct = RunDb(sandbox_, {"-f", "*", "-f", "8"});
  EXPECT_EQ(first + "     4       1  Allocatd       100" + last, direct.out);
  RunResult remote = RunOverIpc({"-f", "*", "-f", "8"});
  EXPECT_EQ(first + "     4       1  Allocatd     12345" + last, remote.out);
  EXPECT_EQ("", direct.err + remote.err);
}

TEST_F(FilesListingTest, StepFailureIsReportedAfterTheRowsSoFar) {
  // The second file's type fails while it is read: abs() of the lowest
  // integer overflows.
  CreateCatalogue(
      sandbox_,
      File("1, 0, 2, 1000") + File("2, 0, 2, 1000") +
          "alter table streamfiles rename to pool;\n"
          "create view streamfiles as select number, stream, state, starttick, "
          "stoptick, starttime, stoptime, previous, next, size, case number "
          "when 2 then abs(-9223372036854775807 - 1) else type end as type "
          "from pool;\n");
  RunResult run = RunDb(sandbox_, {"-f", "*"});
  EXPECT_EQ(
      kHeader + Row("     1       0  UsedFree", "      1000") + "\n2 items\n\n",
      run.out);
  // Finalize hands back the step's error but frees the statement: no leak
  // is reported.
  EXPECT_EQ("stmt Error: \n", run.err);
}

TEST_F(FilesListingTest, OverIpcMoreThanAThousandComeInPagesUnlessLimited) {
  // 2500 files on stream 2, exactly 1000 on stream 1, 1001 on stream 3.
  CreateCatalogue(sandbox_,
                  "insert into streamfiles with recursive n(i) as (select 1 "
                  "union all select i + 1 from n where i < 4501) select i, "
                  "case when i <= 2500 then 2 when i <= 3500 then 1 else 3 "
                  "end, 2, i, i, 1767225600, 1767229200, 0, 0, 4096, 1 from n");
  std::vector<std::string> args{"-f", "s2", "-f", "s1", "-f", "s3", "-f", "l"};
  RunResult remote = RunOverIpc(args);
  const std::string on = " number like '%' and stream=";
  EXPECT_EQ(Requests(on + "2 order by starttick asc", {0, 1000, 2000}) +
                Requests(on + "1 order by starttick asc") +
                Requests(on + "3 order by starttick asc", {0, 1000}) +
                Requests(on + "3 order by starttick asc limit 20"),
            requests_);
  EXPECT_EQ(
      "2500: 2500 items\n1000: 1000 items\n1001: 1001 items\n20: 1001 items\n",
      Summary(remote.out));
  EXPECT_EQ("", remote.err);
  EXPECT_EQ(remote.out, RunDb(sandbox_, args).out) << "the direct path";
}

}  // namespace
