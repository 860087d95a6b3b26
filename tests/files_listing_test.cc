// End-to-end cases of -f: the option string, the files listing on both
// access paths, and paging over IPC.

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/listing_heads.h"
#include "tests/sandbox.h"

namespace {

// The printed row of a file from 01/02/70 00:00:00 to 01:00:00 (86400 to
// 90000; the sandbox runs in UTC) with stop tick 2000 and no previous or
// next file.
std::string Row(int number, int stream, const char* state, int startTick,
                const char* type = "Norm", int size = 4096) {
  char row[128];
  snprintf(row, sizeof(row),
           "%6d  %6d  %8s  %8d  01/02/70 00:00:00  01:00:00  %10d        2000"
           "     0     0  %s  \n",
           number, stream, state, size, startTick, type);
  return row;
}

// The request-log lines of one listing: the count, then one files query,
// or one page per offset.
std::string Requests(const std::string& where, std::vector<int> offsets = {}) {
  std::string log = "count\tselect count(*) from streamfiles where" + where;
  if (offsets.empty())
    return log + "\nfiles\tselect * from streamfiles where " + where + "\n";
  for (int offset : offsets) {
    log += "\nfiles\tselect * from streamfiles where" + where +
           " limit 1000 offset " + std::to_string(offset);
  }
  return log + "\n";
}

// The listing of files `first` to `last`, as the paging case makes them on
// `stream`, then the count line of `count`.
std::string Listing(int first, int last, int stream, int count) {
  std::string listing = kFilesHeads;
  for (int i = first; i <= last; ++i) listing += Row(i, stream, "UsedFree", i);
  return listing + "\n" + std::to_string(count) + " items\n\n";
}

class FilesListingTest : public SandboxTest {
 protected:
  // Runs db with StreamMgr up; requests_ receives what db asked of it.
  RunResult RunOverIpc(const std::vector<std::string>& args) {
    const std::string log = sandbox_.dir + "/requests";
    WriteFile(log, "");
    RunResult run = RunDb(sandbox_, args, {true, {"--request-log", log}});
    requests_ = ReadFile(log);
    return run;
  }

  std::string requests_;
};

// Files 2 and 4 hold odd values; the files show every state and type. Only
// a file with no next file takes its pool file's size, and only over IPC: 4
// does, 2 does not.
TEST_F(FilesListingTest, WorkedExamplesOddValuesAndNoMatchOnBothPaths) {
  CreateCatalogue(
      sandbox_,
      "insert into streamfiles values (7, 2, 3, 500, 2000, 86400, 90000, 0, 0, "
      "4096, 1), (200, 0, 0, 300, 2000, 86400, 90000, 0, 0, 4096, 0), (201, 0, "
      "2, 100, 2000, 86400, 90000, 0, 0, 4096, 2), (202, 0, 3, 200, 2000, "
      "86400, 90000, 0, 0, 4096, 1), (2000, 2, 1, 400, 2000, 86400, 90000, 0, "
      "0, 4096, 1), (2, 3, 1, -1, 2000, 86400, 90000, 12345, 3, 123456789, 3),"
      " (4, 1, 7, 1000, 2000, 86400, 90000, 0, 0, 100, 4);");
  WriteFile(sandbox_.hd + "/streams/2", std::string(777, 'x'));
  WriteFile(sandbox_.hd + "/streams/4", std::string(12345, 'x'));
  const std::string r7 = Row(7, 2, "UsedKeep", 500);
  const std::string r200 = Row(200, 0, "Free    ", 300, "Init");
  const std::string r201 = Row(201, 0, "UsedFree", 100, "Bkgd");
  const std::string r202 = Row(202, 0, "UsedKeep", 200);
  const std::string r2000 = Row(2000, 2, "Allocatd", 400);
  auto expect = [&](const char* argument, const std::string& where,
                    const std::string& rows, std::string remote = "") {
    SCOPED_TRACE(argument);
    EXPECT_EQ(Expected(kFilesHeads + rows), RunDb(sandbox_, {"-f", argument}));
    EXPECT_EQ(Expected(kFilesHeads + (remote.empty() ? rows : remote)),
              RunOverIpc({"--files", argument}));
    EXPECT_EQ(Requests(where), requests_);
  };
  const std::string high = r2000 + r202 + r201 + r200 + r7;
  const std::string low =
      "     2       3  Allocatd  123456789  01/02/70 00:00:00  01:00:00  "
      "4294967295        2000  12345     3  Wiped  \n\n7 items\n\n";
  expect("*r", " number like '%' order by number desc",
         high + Row(4, 1, "Invalid", 1000, "Invalid", 100) + low,
         high + Row(4, 1, "Invalid", 1000, "Invalid", 12345) + low);
  expect("20?tr", " number like '20_' order by starttick desc",
         r200 + r202 + r201 + "\n3 items\n\n");
  expect("s0f",
         " number like '%' and stream=0 and ( state=0 or state=2) order by "
         "starttick asc",
         r201 + r200 + "\n2 items\n\n");
  expect("s2", " number like '%' and stream=2 order by starttick asc",
         r2000 + r7 + "\n2 items\n\n");
  expect("8", " number like '8' order by number asc", "\n0 items\n\n");
}

// s4 changes nothing, a pattern keeps the order and so does a final s; c
// ignores the pattern.
TEST_F(FilesListingTest, OptionStringsStopAndAccumulateLeftToRight) {
  CreateCatalogue(sandbox_, "");
  RunOverIpc({"-f", "a",  "-f", "r", "-f", "s4",  "-f", "s20", "-f", "??",
              "-f", "1*", "-f", "s", "-f", "fx3", "-f", "k",   "-f", "5c"});
  const std::string any = " number like '%'", one = " number like '1%'";
  const std::string a = " and ( state=1) order by number ";
  const std::string s2 = " and stream=2 and ( state=";
  const std::string tick = " order by starttick desc";
  const std::string all = s2 + "0 or state=2 or state=3 or state=1)" + tick;
  std::string expected;
  for (const std::string& where :
       {any + a + "asc", any + a + "desc", any + a + "desc",
        any + s2 + "1)" + tick, " number like '__'" + s2 + "1)" + tick,
        one + s2 + "1)" + tick, one + s2 + "1)" + tick,
        one + s2 + "0 or state=2 or state=1)" + tick, one + all,
        " next=0 and previous!=0" + all}) {
    expected += Requests(where);
  }
  EXPECT_EQ(expected, requests_);
}

TEST_F(FilesListingTest, OverIpcMoreThanAThousandComeInPagesUnlessLimited) {
  // 2000 files on stream 2, exactly 1000 on stream 1, 1001 on stream 3.
  CreateCatalogue(sandbox_,
                  "insert into streamfiles with recursive n(i) as (select 1 "
                  "union all select i + 1 from n where i < 4001) select i, "
                  "case when i <= 2000 then 2 when i <= 3000 then 1 else 3 "
                  "end, 2, i, 2000, 86400, 90000, 0, 0, 4096, 1 from n");
  std::vector<std::string> args{"-f", "s2", "-f", "s1", "-f", "s3", "-f", "l"};
  const std::string listings =
      Listing(1, 2000, 2, 2000) + Listing(2001, 3000, 1, 1000) +
      Listing(3001, 4001, 3, 1001) + Listing(3001, 3020, 3, 1001);
  EXPECT_EQ(Expected(listings), RunOverIpc(args));
  const std::string on = " number like '%' and stream=";
  EXPECT_EQ(Requests(on + "2 order by starttick asc", {0, 1000}) +
                Requests(on + "1 order by starttick asc") +
                Requests(on + "3 order by starttick asc", {0, 1000}) +
                Requests(on + "3 order by starttick asc limit 20"),
            requests_);
  EXPECT_EQ(Expected(listings), RunDb(sandbox_, args)) << "the direct path";
}

}  // namespace
