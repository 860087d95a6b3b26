// End-to-end cases of -f: the option string, the files listing on both
// access paths, and paging over IPC.

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>

#include "tests/sandbox.h"

namespace {

const char kHeader[] =
    "\n"
    "Number  Stream   State      Size        Start Time     StopTime  "
    "Start Tick   Stop Tick  Prev  Next  Type  \n"
    "======  ======  ========  ========  =================  ========  "
    "==========  ==========  ====  ====  ====  \n";

// One streamfiles row; the fields not given take these defaults. Times are
// 01/01/26 00:00:00 and 01:00:00 in the sandbox's UTC.
struct FileRow {
  int64_t number;
  int64_t stream = 0;
  int64_t state = 2;
  int64_t startTick = 1000;
  int64_t stopTick = 2000;
  int64_t startTime = 1767225600;
  int64_t stopTime = 1767229200;
  int64_t previous = 0;
  int64_t next = 0;
  int64_t size = 4096;
  int64_t type = 1;
};

std::string InsertedFiles(const std::vector<FileRow>& rows) {
  std::ostringstream sql;
  for (const FileRow& r : rows) {
    sql << "insert into streamfiles values (" << r.number << ", " << r.stream
        << ", " << r.state << ", " << r.startTick << ", " << r.stopTick << ", "
        << r.startTime << ", " << r.stopTime << ", " << r.previous << ", "
        << r.next << ", " << r.size << ", " << r.type << ");\n";
  }
  return sql.str();
}

// Files `first` onwards, `count` of them, on `stream`; start tick equal to
// the number.
std::string ManyFiles(int stream, int first, int count) {
  return "insert into streamfiles with recursive n(i) as (select " +
         std::to_string(first) + " union all select i + 1 from n where i < " +
         std::to_string(first + count - 1) + ") select i, " +
         std::to_string(stream) +
         ", 2, i, i, 1767225600, 1767229200, 0, 0, 4096, 1 from n;\n";
}

// The log lines of one listing: the count, then the files query.
std::string Listing(const std::string& where) {
  return "count\tselect count(*) from streamfiles where" + where +
         "\nfiles\tselect * from streamfiles where " + where + "\n";
}

// The file numbers of the printed rows, in order; every line between the
// header and the count line must be a whole row of a ManyFiles file.
std::vector<uint32_t> RowNumbers(const std::string& out) {
  std::vector<uint32_t> numbers;
  std::istringstream lines(out.substr(sizeof(kHeader) - 1));
  std::string line;
  while (std::getline(lines, line) && !line.empty()) {
    EXPECT_EQ(107u, line.size()) << line;
    numbers.push_back(static_cast<uint32_t>(std::stoul(line.substr(0, 6))));
  }
  return numbers;
}

// The numbers first, first + 1, ... up to last.
std::vector<uint32_t> Sequence(uint32_t first, uint32_t last) {
  std::vector<uint32_t> numbers;
  for (uint32_t i = first; i <= last; ++i) numbers.push_back(i);
  return numbers;
}

class FilesListingTest : public ::testing::Test {
 protected:
  void SetUp() override { sandbox_ = MakeSandbox(); }
  void TearDown() override { RemoveSandbox(sandbox_); }

  // Runs db with StreamMgr up; requests_ receives what db asked of it.
  RunResult RunOverIpc(const std::vector<std::string>& args) {
    const std::string log = sandbox_.dir + "/requests";
    WriteFile(log, "");
    RunOptions options;
    options.daemon = true;
    options.daemonArgs = {"--request-log", log};
    RunResult run = RunDb(sandbox_, args, options);
    requests_ = ReadFile(log);
    // The run left pidof naming the daemon; later runs go direct again.
    FakeCommand(sandbox_, "pidof", "exit 1");
    return run;
  }

  Sandbox sandbox_;
  std::string requests_;
};

// Rows of the worked-examples catalogue.
const char kRow7[] =
    "     7       2  UsedKeep      4096  01/01/26 00:00:00  01:00:00  "
    "       500        2000     0     0  Norm  \n";
const char kRow200[] =
    "   200       0  Free          4096  01/01/26 00:00:00  01:00:00  "
    "       300        2000     0     0  Norm  \n";
const char kRow201[] =
    "   201       0  UsedFree      4096  01/01/26 00:00:00  01:00:00  "
    "       100        2000     0     0  Norm  \n";
const char kRow202[] =
    "   202       0  UsedKeep      4096  01/01/26 00:00:00  01:00:00  "
    "       200        2000     0     0  Norm  \n";
const char kRow2000[] =
    "  2000       2  Allocatd      4096  01/01/26 00:00:00  01:00:00  "
    "       400        2000     0     0  Norm  \n";

TEST_F(FilesListingTest, WorkedExamplesOnBothPaths) {
  CreateCatalogue(sandbox_, InsertedFiles({{7, 2, 3, 500},
                                           {200, 0, 0, 300},
                                           {201, 0, 2, 100},
                                           {202, 0, 3, 200},
                                           {2000, 2, 1, 400}}));
  struct Example {
    const char* argument;
    const char* where;
    std::string rows;
    const char* count;
  } examples[] = {
      {"*r", " number like '%' order by number desc",
       std::string(kRow2000) + kRow202 + kRow201 + kRow200 + kRow7, "5"},
      {"20?tr", " number like '20_' order by starttick desc",
       std::string(kRow200) + kRow202 + kRow201, "3"},
      {"s0f",
       " number like '%' and stream=0 and ( state=0 or state=2) order by "
       "starttick asc",
       std::string(kRow201) + kRow200, "2"},
      {"s2", " number like '%' and stream=2 order by starttick asc",
       std::string(kRow2000) + kRow7, "2"},
  };
  for (const Example& e : examples) {
    const std::string expected =
        kHeader + e.rows + "\n" + e.count + " items\n\n";
    RunResult direct = RunDb(sandbox_, {"-f", e.argument});
    EXPECT_EQ(expected, direct.out) << e.argument;
    EXPECT_EQ("", direct.err) << e.argument;
    EXPECT_EQ(0, direct.status) << e.argument;
    RunResult remote = RunOverIpc({"--files", e.argument});
    EXPECT_EQ(expected, remote.out) << e.argument;
    EXPECT_EQ("", remote.err) << e.argument;
    EXPECT_EQ(Listing(e.where), requests_) << e.argument;
  }
}

TEST_F(FilesListingTest, OptionStringEdgeCasesOverIpc) {
  CreateCatalogue(sandbox_, "");
  const std::string byNumber = " order by number asc";
  const std::string byTick = " order by starttick asc";
  struct Case {
    std::vector<std::string> args;
    std::string requests;
  } cases[] = {
      {{"-f", "s20"}, Listing(" number like '%' and stream=2" + byTick)},
      {{"-f", "fx3"},
       Listing(" number like '%' and ( state=0 or state=2)" + byTick)},
      {{"-f", "s4"}, Listing(" number like '%'" + byNumber)},
      {{"-f", "rs"}, Listing(" number like '%' order by number desc")},
      {{"-f", "??"}, Listing(" number like '__'" + byNumber)},
      {{"-f", "1*"}, Listing(" number like '1%'" + byNumber)},
      {{"-f", "5c"}, Listing(" next=0 and previous!=0" + byTick)},
      {{"-f", ""}, Listing(" number like '%'" + byNumber)},
      {{"-f", "f", "-f", "k"},
       Listing(" number like '%' and ( state=0 or state=2)" + byTick) +
           Listing(" number like '%' and ( state=0 or state=2 or state=3)" +
                   byTick)},
      {{"-f", "a", "-f", "r"},
       Listing(" number like '%' and ( state=1)" + byNumber) +
           Listing(" number like '%' and ( state=1) order by number desc")},
      {{"-f", "12", "-f", "t"},
       Listing(" number like '12'" + byNumber) +
           Listing(" number like '12'" + byTick)},
  };
  for (const Case& c : cases) {
    RunResult run = RunOverIpc(c.args);
    EXPECT_EQ(c.requests, requests_) << c.args[1];
    EXPECT_EQ("", run.err) << c.args[1];
  }
}

TEST_F(FilesListingTest, NoMatchingFileLeavesHeaderAndZeroCount) {
  CreateCatalogue(sandbox_, InsertedFiles({{7}}));
  const std::string expected = std::string(kHeader) + "\n0 items\n\n";
  RunResult direct = RunDb(sandbox_, {"-f", "8"});
  EXPECT_EQ(expected, direct.out);
  EXPECT_EQ("", direct.err);
  RunResult remote = RunOverIpc({"-f", "8"});
  EXPECT_EQ(expected, remote.out);
  EXPECT_EQ("", remote.err);
}

TEST_F(FilesListingTest, OddValuesPrintAsStoredAndPushTheLineRight) {
  FileRow invalid{1, 1, 7};
  FileRow wiped{2, 3, 1};
  wiped.type = 3;
  wiped.startTick = -1;
  wiped.previous = 12345;
  FileRow unknownType{3};
  unknownType.type = 9;
  unknownType.size = 123456789;
  CreateCatalogue(sandbox_, InsertedFiles({invalid, wiped, unknownType}));
  RunResult run = RunDb(sandbox_, {"-f", "*"});
  EXPECT_EQ(std::string(kHeader) +
                "     1       1   Invalid      4096  01/01/26 00:00:00  "
                "01:00:00        1000        2000     0     0  Norm  \n"
                "     2       3  Allocatd      4096  01/01/26 00:00:00  "
                "01:00:00  4294967295        2000  12345     0  Wiped  \n"
                "     3       0  UsedFree  123456789  01/01/26 00:00:00  "
                "01:00:00        1000        2000     0     0  Invalid  \n"
                "\n3 items\n\n",
            run.out);
  EXPECT_EQ("", run.err);
}

TEST_F(FilesListingTest, LastFileOfAChainShowsLiveSizeOverIpcOnly) {
  FileRow first{4, 1, 2};
  first.next = 5;
  first.size = 50;
  FileRow last{5, 1, 1};
  last.previous = 4;
  last.size = 100;
  FileRow missing{6, 1, 1};
  missing.size = 60;
  CreateCatalogue(sandbox_, InsertedFiles({first, last, missing}));
  WriteFile(sandbox_.hd + "/streams/4", std::string(777, 'x'));
  WriteFile(sandbox_.hd + "/streams/5", std::string(12345, 'x'));
  const char kRow4[] =
      "     4       1  UsedFree        50  01/01/26 00:00:00  01:00:00  "
      "      1000        2000     0     5  Norm  \n";
  const char kRow6[] =
      "     6       1  Allocatd        60  01/01/26 00:00:00  01:00:00  "
      "      1000        2000     0     0  Norm  \n";
  RunResult direct = RunDb(sandbox_, {"-f", "s1n"});
  EXPECT_EQ(std::string(kHeader) + kRow4 +
                "     5       1  Allocatd       100  01/01/26 00:00:00  "
                "01:00:00        1000        2000     4     0  Norm  \n" +
                kRow6 + "\n3 items\n\n",
            direct.out);
  RunResult remote = RunOverIpc({"-f", "s1n"});
  EXPECT_EQ(std::string(kHeader) + kRow4 +
                "     5       1  Allocatd     12345  01/01/26 00:00:00  "
                "01:00:00        1000        2000     4     0  Norm  \n" +
                kRow6 + "\n3 items\n\n",
            remote.out);
  EXPECT_EQ("", remote.err);
}

TEST_F(FilesListingTest, StepFailureIsReportedAfterTheRowsSoFar) {
  // A view whose second row fails while it is read: abs() of the lowest
  // integer overflows.
  CreateCatalogue(sandbox_,
                  "drop table streamfiles;\n"
                  "create table pool (number integer primary key, bad);\n"
                  "insert into pool values (1, 0), (2, 1);\n"
                  "create view streamfiles as select number, 0 as stream, "
                  "2 as state, 1000 as starttick, 2000 as stoptick, "
                  "1767225600 as starttime, 1767229200 as stoptime, "
                  "0 as previous, 0 as next, 4096 as size, case when bad "
                  "then abs(-9223372036854775807 - 1) else 1 end as type "
                  "from pool;\n");
  RunResult run = RunDb(sandbox_, {"-f", "*"});
  EXPECT_EQ(std::string(kHeader) +
                "     1       0  UsedFree      4096  01/01/26 00:00:00  "
                "01:00:00        1000        2000     0     0  Norm  \n"
                "\n2 items\n\n",
            run.out);
  // Finalize hands back the step's error but frees the statement: no leak
  // is reported.
  EXPECT_EQ("stmt Error: \n", run.err);
}

class FilesPagingTest : public FilesListingTest {
 protected:
  // The log lines of a listing of `stream` fetched in pages.
  static std::string Pages(const std::string& stream,
                           const std::vector<const char*>& offsets) {
    const std::string where =
        " number like '%' and stream=" + stream + " order by starttick asc";
    std::string requests =
        "count\tselect count(*) from streamfiles where" + where + "\n";
    for (const char* offset : offsets) {
      requests += "files\tselect * from streamfiles where" + where +
                  " limit 1000 offset " + offset + "\n";
    }
    return requests;
  }

  static std::string CountLine(const std::string& out) {
    size_t end = out.rfind("\n\n", out.size() - 3);
    return end == std::string::npos ? out : out.substr(end);
  }
};

TEST_F(FilesPagingTest, LargeSelectionComesInPagesOfAThousand) {
  CreateCatalogue(sandbox_, ManyFiles(2, 1, 2500) + ManyFiles(1, 3001, 5));
  RunResult run = RunOverIpc({"-f", "s2"});
  EXPECT_EQ(Pages("2", {"0", "1000", "2000"}), requests_);
  EXPECT_EQ(0u, run.out.find(kHeader));
  EXPECT_EQ(Sequence(1, 2500), RowNumbers(run.out));
  EXPECT_EQ("\n\n2500 items\n\n", CountLine(run.out));
  EXPECT_EQ("", run.err);
}

TEST_F(FilesPagingTest, AThousandIsOneQueryAndOneMoreIsTwoPages) {
  CreateCatalogue(sandbox_, ManyFiles(2, 1, 1000) + ManyFiles(3, 2001, 1001));
  RunResult thousand = RunOverIpc({"-f", "s2"});
  EXPECT_EQ(Listing(" number like '%' and stream=2 order by starttick asc"),
            requests_);
  EXPECT_EQ(Sequence(1, 1000), RowNumbers(thousand.out));
  EXPECT_EQ("\n\n1000 items\n\n", CountLine(thousand.out));

  RunResult more = RunOverIpc({"-f", "s3"});
  EXPECT_EQ(Pages("3", {"0", "1000"}), requests_);
  EXPECT_EQ(Sequence(2001, 3001), RowNumbers(more.out));
  EXPECT_EQ("\n\n1001 items\n\n", CountLine(more.out));
}

TEST_F(FilesPagingTest, LimitShowsTwentyInOneQueryAndCountsAll) {
  CreateCatalogue(sandbox_, ManyFiles(2, 1, 2500));
  RunResult remote = RunOverIpc({"-f", "s2l"});
  EXPECT_EQ(
      Listing(" number like '%' and stream=2 order by starttick asc limit 20"),
      requests_);
  EXPECT_EQ(Sequence(1, 20), RowNumbers(remote.out));
  EXPECT_EQ("\n\n2500 items\n\n", CountLine(remote.out));
  RunResult direct = RunDb(sandbox_, {"-f", "s2l"});
  EXPECT_EQ(remote.out, direct.out);
}

}  // namespace
