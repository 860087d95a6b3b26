// What a damaged disk, a careless hand or a dying daemon can give the tool:
// db reports as it always does, never crashes or hangs, and changes nothing
// but what the command names.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "tests/sandbox.h"

namespace {

std::string EventHeads(const std::string& size, const std::string& rule) {
  return "\n           REID                 State     SplitState   Sec  "
         "     Start Time     StopTime  ExportTime  Start Tick   Stop Tick  "
         "c/r  BG  Files           groupId              Prt  Tot  Stg  " +
         size + "  Hours Till Re-Export  Answer1  \n" +
         "============================  ==========  ==========  =====  "
         "=================  ========  ==========  ==========  ==========  "
         "===  ==  =====  ============================  ===  ===  ===  " +
         rule + "  ====================  ====================  \n";
}
const std::string kGiBHeads = EventHeads(" GiB ", "=====");
const std::string kFileHeads =
    "\nNumber  Stream   State      Size        Start Time     StopTime  "
    "Start Tick   Stop Tick  Prev  Next  Type  \n"
    "======  ======  ========  ========  =================  ========  "
    "==========  ==========  ====  ====  ====  \n";
const std::string kPrepareNullCount =
    "unable to prepare: select count(*) from events where streamstate is NULL "
    "or totalfiles is NULL or groupid is NULL or part is NULL or totalparts "
    "is NULL: error getting file stats\n";

// The row of an event whose columns but reid read as 0 or empty, with the
// cells Stg and size `stagedAndSize`; `after` follows the hours cell.
std::string ZeroRow(std::string reid,
                    const std::string& stagedAndSize = "  N  0.000",
                    const std::string& after = "\n") {
  reid.resize(std::max<size_t>(reid.size(), 28), ' ');
  return reid +
         "  RecordCmpl  NotChecked      0  01/01/70 00:00:00  00:00:00  "
         "         0           0           0  r r   N      0  " +
         std::string(28, ' ') + "    0    0  " + stagedAndSize +
         "                    NA  " + after;
}

int64_t SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::steady_clock::now() - start)
      .count();
}

class BadInputTest : public ::testing::Test {
 protected:
  void SetUp() override { sandbox_ = MakeSandbox(); }
  void TearDown() override { RemoveSandbox(sandbox_); }

  RunResult Run(bool overIpc, const std::vector<std::string>& args,
                const std::vector<std::string>& daemonArgs = {}) {
    return RunDb(sandbox_, args, RunOptions{overIpc, daemonArgs});
  }
  std::string CataloguePath() { return sandbox_.hd + "/streammgr/stream.db"; }
  std::string EventsLeft() {
    return QueryCatalogue(sandbox_, "select reid from events order by rowid");
  }

  Sandbox sandbox_;
};

// A file that is no database, an empty one, one without tables and one cut
// short: statements fail to prepare with SQLite's code; no byte changes.
TEST_F(BadInputTest, DamagedCatalogueFilesFailEveryStatementUntouched) {
  CreateCatalogue(sandbox_, "drop table events; drop table streamfiles;");
  const std::string noTables = ReadFile(CataloguePath());
  unlink(CataloguePath().c_str());
  CreateCatalogue(sandbox_,
                  "insert into streamfiles(number) with recursive n(i) as "
                  "(select 1 union all select i + 1 from n where i < 2000) "
                  "select i from n;");
  const std::string whole = ReadFile(CataloguePath());
  const std::pair<std::string, std::string> cases[] = {
      {std::string(9000, 'x'), "26"},
      {"", "1"},
      {noTables, "1"},
      {whole.substr(0, whole.size() - 4096), "11"}};
  const std::string files =
      "streamfiles where  number like '%' order by number asc";
  const std::string count = "select count(*) from events";
  const std::string countX = count + " where reid='x' or groupId='x'";
  for (const auto& [content, code] : cases) {
    WriteFile(CataloguePath(), content);
    RunResult run = Run(false, {"-e", "-f", "*", "-d", "x", "--deleteall"});
    EXPECT_EQ(kGiBHeads + kFileHeads + "\n0 items\n\n", run.out) << code;
    EXPECT_EQ(
        "unable to prepare: select number, size from streamfilesmainunable to "
        "access database\nunable to prepare: select * from events" +
            kPrepareNullCount + "unable to prepare: select count(*) from " +
            files + "unable to prepare: select * from " + files +
            "unable to prepare: " + countX + "stmt Error: " + code + "  sql='" +
            countX + "'\nunable to prepare: " + count + "stmt Error: " + code +
            "  sql='" + count + "'\n",
        run.err);
    EXPECT_EQ(0, run.status) << code;
    EXPECT_EQ(content, ReadFile(CataloguePath())) << code;
  }
}

// NULLs read as 0 or empty, the rows print, and the warning follows them
// (the other cases' catalogues hold NULLs only where no warning is due).
TEST_F(BadInputTest, NullsReadAsZeroAndRowsStillPrint) {
  CreateCatalogue(sandbox_,
                  "insert into events(reid, streamstate, totalfiles, groupId, "
                  "part, totalparts) values ('S', 0, 0, '', 0, 0);"
                  "insert into events default values; insert into "
                  "eventanswers values ('S', NULL, NULL), (NULL, NULL, NULL);"
                  "insert into streamfiles(number) values (5);");
  FakeCommand(sandbox_, "sql", "echo 'rows of sql'");
  for (bool overIpc : {false, true}) {
    RunResult run = Run(overIpc, {"-e", "-f", "*"});
    EXPECT_EQ(kGiBHeads +
                  ZeroRow("S", "  N  0.000", std::string(22, ' ') + "\n") +
                  ZeroRow("") +
                  "\n\n    WARNING!  Some critical fields are NULL!  "
                  "(affected reid's shown below):\n\nrows of sql\n\n" +
                  kFileHeads +
                  "     5       0  Free             0  01/01/70 00:00:00  "
                  "00:00:00           0           0     0     0  Init  \n"
                  "\n1 items\n\n",
              run.out)
        << overIpc;
    EXPECT_EQ("", run.err) << overIpc;
  }
}

// Beside each id a decoy that a LIKE, an unquoted text or a cut-off would
// match too; an empty id deletes nothing, though every groupId is empty.
TEST_F(BadInputTest, OddIdsMatchOnlyEventsOfExactlyThatId) {
  const std::string longId(10000, 'x');
  const std::vector<std::string> ids = {"it's", "a;b",  "50%",
                                        "a_b",  longId, "\xff\xfe"};
  const std::vector<std::string> decoys = {
      "it", "a", "50x", "axb", longId.substr(1), "\xff"};
  std::string insert, left;
  for (const std::string& id : decoys) left += id + "\n";
  for (const auto* list : {&decoys, &ids}) {
    for (const std::string& id : *list) {
      char* row = sqlite3_mprintf(
          "insert into events(reid, groupId) values (%Q, '');", id.c_str());
      insert += row;
      sqlite3_free(row);
    }
  }
  for (bool overIpc : {false, true}) {
    TearDown();
    SetUp();
    CreateCatalogue(sandbox_, insert);
    std::vector<std::string> args, deleting;
    std::string listed, deleted;
    for (const std::string& id : ids) {
      args.insert(args.end(), {"-r", id});
      deleting.insert(deleting.end(), {"-d", id});
      listed += kGiBHeads + ZeroRow(id) + (overIpc ? "" : "\n");
      deleted += "  Successfully deleted 1 event:  id = " + id + "\n";
    }
    args.insert(args.end(), deleting.begin(), deleting.end());
    args.insert(args.end(), {"-d", ""});
    RunResult run = Run(overIpc, args);
    EXPECT_EQ(listed + deleted, run.out) << overIpc;
    EXPECT_EQ(overIpc ? "  Event or groupId not found: \n"
                      : "  Event or groupId not found:  id = \n",
              run.err);
    EXPECT_EQ(left, EventsLeft()) << overIpc;
  }
}

// Every numeric column at and past the 32-bit limits shows its low 32 bits;
// event times are signed, those of files unsigned.
TEST_F(BadInputTest, IntegersShowTheirLow32BitsAndTimesTheirWholeRange) {
  const char kMax[] = "01/19/38 03:14:07  03:14:07";
  const struct {
    const char* value;
    uint32_t low;
    std::string eventTimes, fileTimes;
  } cases[] = {
      {"-2147483649", 2147483647, kMax + std::string("    03:14:07"), kMax},
      {"2147483647", 2147483647, kMax + std::string("    03:14:07"), kMax},
      {"2147483648", 2147483648u, "12/13/01 20:45:52  20:45:52           0",
       "01/19/38 03:14:08  03:14:08"},
      {"4294967295", 4294967295u, "12/31/69 23:59:59  23:59:59           0",
       "02/07/06 06:28:15  06:28:15"},
      {"4294967301", 5, "01/01/70 00:00:05  00:00:05    00:00:05",
       "01/01/70 00:00:05  00:00:05"}};
  std::string insert, events = kGiBHeads, files = kFileHeads;
  for (const auto& c : cases) {
    auto repeated = [&c](int times) {
      std::string text;
      while (times-- > 0) text += std::string(", ") + c.value;
      return text;
    };
    insert += "insert into events values ('" + std::string(c.value) + "'" +
              repeated(12) + ", '', '', '', ''" + repeated(4) + ", ''" +
              repeated(2) + "); insert into streamfiles values (" + c.value +
              repeated(10) + ");";
    const uint32_t n = c.low;
    char row[400];
    snprintf(row, sizeof(row),
             "%-28s     Invalid     Invalid      0  %s  %10u  %10u  ? ?   Y  "
             "%5u  %28s  %3u  %3u    N  0.000                    NA  \n",
             c.value, c.eventTimes.c_str(), n, n, n, "", n, n);
    events += row;
    snprintf(row, sizeof(row),
             "%6u  %6u   Invalid  %8u  %s  %10u  %10u  %4u  %4u  Invalid  \n",
             n, n, n, c.fileTimes.c_str(), n, n, n, n);
    files += row;
  }
  CreateCatalogue(sandbox_, insert);
  for (bool overIpc : {false, true}) {
    RunResult run = Run(overIpc, {"-e", "-f", "*"}, {"--settings-fail"});
    EXPECT_EQ(events + files + "\n5 items\n\n", run.out) << overIpc;
    EXPECT_EQ("", run.err) << overIpc;
  }
}

// 20 MB of segments; elements nested 4,000 deep inside a segment, and
// 100,000 deep, past what the reader takes; a file that is not well-formed;
// offsets that are no 32-bit integer.
TEST_F(BadInputTest, HostileMetadataIsSizedOrReported) {
  std::string huge, open, close;
  // 350,000 segments of 200 bytes each in 21,000,000 characters.
  for (int i = 0; i < 350000; ++i) {
    huge += "<s name='a' src='1' start-offset='100' stop-offset='300'/>\n";
  }
  for (int i = 0; i < 100000; ++i) open += "<n>", close += "</n>";
  // 4,000 levels: 3 characters each to open, 4 to close.
  const std::string nest = open.substr(0, 12000) + close.substr(0, 16000);
  const struct {
    const char* reid;
    std::string segments;
    const char* stagedAndSize;
  } cases[] = {{"huge", huge, "  Y     70000010"},
               {"deep",
                "<s name='a' src='1' start-offset='1' stop-offset='101'>" +
                    nest + "</s><s name='b' src='2' stop-offset='7'/>",
                "  Y          117"},
               {"deeper", "<s name='a' src='1'>" + open + close + "</s>",
                "  Y           10"},
               {"broken", "<s name='a' src='1'></stream>", "  Y           10"},
               {"word",
                "<s name='a' src='1' stop-offset='9'/><s name='b' src='1' "
                "start-offset='ten'/>",
                "  Y           19"},
               {"wide", "<s name='a' src='1' stop-offset='4294967296'/>",
                "  Y           10"}};
  std::string insert, rows = EventHeads("   Bytes   ", "===========");
  mkdir((sandbox_.hd + "/connectionmgr").c_str(), 0755);
  for (const auto& c : cases) {
    const std::string base = sandbox_.hd + "/connectionmgr/" + c.reid;
    WriteFile(base + ".mtd", "0123456789");
    WriteFile(base + ".xml",
              "<recording-event><video><streams><stream>" + c.segments +
                  "</stream></streams></video></recording-event>");
    insert +=
        "insert into events(reid, streamstate, totalfiles, groupId, "
        "part, totalparts) values ('" +
        std::string(c.reid) + "', 0, 0, '', 0, 0);";
    rows += ZeroRow(c.reid, c.stagedAndSize);
  }
  CreateCatalogue(sandbox_, insert);
  auto start = std::chrono::steady_clock::now();
  RunResult run = Run(false, {"-E"});
  EXPECT_EQ(rows, run.out);
  EXPECT_EQ(
      "Failed to load XML file: /mnt/hd/connectionmgr/deeper.xml"
      "Failed to load XML file: /mnt/hd/connectionmgr/broken.xml"
      "Start offset invalidStop offset invalid",
      run.err);
  // Natively: an emulator or a memory checker takes many times longer.
  if (DB_EMULATOR[0] == '\0' && std::getenv("DB_WRAPPER") == nullptr) {
    EXPECT_LT(SecondsSince(start), 20);
  }
}

// Another connection holds a write transaction open (RESERVED) or an
// EXCLUSIVE lock; db sets no busy timeout, so it reports at once.
TEST_F(BadInputTest, LockedCatalogueIsReportedAndNothingDeleted) {
  CreateCatalogue(sandbox_, "insert into events(reid) values ('a'), ('b');");
  const std::string count = "select count(*) from events";
  const std::string countA = count + " where reid='a' or groupId='a'";
  const std::pair<const char*, std::string> cases[] = {
      {"begin immediate",
       "  Error deleting event or groupId:  id = a\n"
       "  Error deleting all events\n"},
      {"begin exclusive",
       "unable to prepare: select number, size from streamfilesmainunable to "
       "access database\nunable to prepare: " +
           countA + "stmt Error: 5  sql='" + countA + "'\nunable to prepare: " +
           count + "stmt Error: 5  sql='" + count + "'\n"}};
  for (const auto& [begin, err] : cases) {
    sqlite3* other = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(CataloguePath().c_str(), &other));
    const std::string lock =
        std::string(begin) + "; insert into events(reid) values ('c');";
    ASSERT_EQ(SQLITE_OK,
              sqlite3_exec(other, lock.c_str(), nullptr, nullptr, nullptr));
    RunResult run = Run(false, {"-d", "a", "--deleteall"});
    sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ("", run.out) << begin;
    EXPECT_EQ(err, run.err) << begin;
    EXPECT_EQ("a\nb\n", EventsLeft()) << begin;
  }
}

// StreamMgr dies at the second page of a listing, and after the first
// deletion of a group: db keeps what it got and fails the rest at once.
TEST_F(BadInputTest, DaemonDyingMidListingOrDeletionLosesNothing) {
  CreateCatalogue(sandbox_,
                  "insert into events(reid, groupId) values ('g1', 'grp'), "
                  "('g2', 'grp'), ('g3', 'grp'), ('other', '');"
                  "insert into streamfiles with recursive n(i) as (select 1 "
                  "union all select i + 1 from n where i < 1500) select i, 0, "
                  "2, i, i + 1, 1767225600, 1767229200, 0, 0, 4096, 1 from n;");
  std::string rows = kFileHeads;
  for (uint32_t i = 1; i <= 1000; ++i) {
    char row[120];
    snprintf(row, sizeof(row),
             "%6u       0  UsedFree      4096  01/01/26 00:00:00  01:00:00  "
             "%10u  %10u     0     0  Norm  \n",
             i, i, i + 1);
    rows += row;
  }
  const struct {
    std::vector<std::string> args;
    std::string out, err;
  } cases[] = {{{"-f", "*"}, rows + "\n1500 items\n\n", ""},
               {{"-d", "grp", "--deleteall"},
                "  Successfully deleted 1 event:  id = grp\n",
                "  Failed to delete event:  reid= g2  groupId= grp\n"
                "  Failed to delete event:  reid= g3  groupId= grp\n"
                "  No events found...no action taken.\n"}};
  for (const auto& c : cases) {
    auto start = std::chrono::steady_clock::now();
    RunResult run = Run(true, c.args, {"--die-after", "3"});
    EXPECT_EQ(c.out, run.out) << c.args[0];
    EXPECT_EQ(c.err, run.err) << c.args[0];
    EXPECT_LT(SecondsSince(start), 45) << "a request waited out its timeout";
  }
  EXPECT_EQ("g2\ng3\nother\n", EventsLeft());
}

}  // namespace
