// What a damaged disk, a careless hand or a dying daemon can give the tool:
// db reports as it always does, never crashes or hangs, and changes nothing
// but what the command names.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <tuple>

#include "tests/listing_heads.h"
#include "tests/sandbox.h"

namespace {

const std::string kGiBHeads = EventHeads(" GiB ");

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

class BadInputTest : public SandboxTest {
 protected:
  std::string CataloguePath() { return sandbox_.hd + "/streammgr/stream.db"; }
  std::string EventsLeft() {
    return QueryCatalogue(sandbox_, "select reid from events order by rowid");
  }
  // Another connection, in a transaction that `begin` opens; closing it
  // rolls back.
  sqlite3* HoldLock(const char* begin) {
    sqlite3* other = nullptr;
    sqlite3_open(CataloguePath().c_str(), &other);
    EXPECT_EQ(SQLITE_OK, sqlite3_exec(other, begin, nullptr, nullptr, nullptr));
    return other;
  }
};

// A file that is no database, an empty one, one without tables, one cut
// short, and a whole one another connection holds EXCLUSIVE: statements
// fail to prepare with SQLite's code (db sets no busy timeout, so it
// reports at once), and the run fails; no byte changes.
TEST_F(BadInputTest, DamagedOrLockedCatalogueFailsEveryStatementUntouched) {
  CreateCatalogue(sandbox_, "drop table events; drop table streamfiles;");
  const std::string noTables = ReadFile(CataloguePath());
  std::remove(CataloguePath().c_str());
  CreateCatalogue(sandbox_, "");
  const std::string whole = ReadFile(CataloguePath());
  const std::pair<std::string, std::string> cases[] = {
      {std::string(9000, 'x'), "26"},
      {"", "1"},
      {noTables, "1"},
      {whole.substr(0, whole.size() - 4096), "11"},
      {whole, "5"}};
  const std::string files =
      "streamfiles where  number like '%' order by number asc";
  const std::string count = "select count(*) from events";
  const std::string countX = count + " where reid='x' or groupId='x'";
  for (const auto& [content, code] : cases) {
    WriteFile(CataloguePath(), content);
    sqlite3* other = code == "5" ? HoldLock("begin exclusive") : nullptr;
    RunResult run =
        RunDb(sandbox_, {"-e", "-f", "*", "-d", "x", "--deleteall", "-a", "s"});
    sqlite3_close(other);
    EXPECT_EQ(kGiBHeads + kFilesHeads + "\n0 items\n\n\n", run.out) << code;
    EXPECT_EQ(
        "unable to prepare: select number, size from streamfilesmainunable to "
        "access database\nunable to prepare: select * from events"
        "unable to prepare: select count(*) from events where streamstate is "
        "NULL or totalfiles is NULL or groupid is NULL or part is NULL or "
        "totalparts is NULL: error getting file stats\nunable to prepare: "
        "select count(*) from " +
            files + "unable to prepare: select * from " + files +
            "unable to prepare: " + countX + "stmt Error: " + code + "  sql='" +
            countX + "'\nunable to prepare: " + count + "stmt Error: " + code +
            "  sql='" + count + "'\nunable to prepare: select * from events",
        run.err);
    EXPECT_EQ(1, run.status) << code;
    EXPECT_EQ(content, ReadFile(CataloguePath())) << code;
  }
}

// Another connection holds a write transaction open (RESERVED): db reads,
// and reports each delete that fails.
TEST_F(BadInputTest, CatalogueInAnotherWriteTransactionDeletesNothing) {
  CreateCatalogue(sandbox_, "insert into events(reid) values ('a'), ('b');");
  sqlite3* other = HoldLock("begin immediate");
  RunResult run = RunDb(sandbox_, {"-d", "a", "--deleteall"});
  sqlite3_close(other);
  EXPECT_EQ("", run.out);
  EXPECT_EQ(
      "  Error deleting event or groupId:  id = a\n"
      "  Error deleting all events\n",
      run.err);
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("a\nb\n", EventsLeft());
}

// Statements that prepare but fail on a step, on the direct path: abs() of
// the lowest integer overflows in a view, a table's root is an index's page,
// another process locks the catalogue after start-up. Each listing and
// count that fails says what it says today and fails the run.
TEST_F(BadInputTest, StepFailureInEachListingAndCountFailsTheRun) {
  const std::string lowest = "-9223372036854775808";
  // `table` renamed kept, and in its place a view of kept's `columns`.
  auto view = [](const std::string& table, const std::string& columns) {
    return "alter table " + table + " rename to kept; create view " + table +
           " as select " + columns + " from kept; insert into kept";
  };
  const std::string sizes = view("streamfiles", "number, abs(size) as size") +
                            "(number, size) values (1, " + lowest + ");";
  const std::string events =
      view("events", "*, abs(bg)") + "(reid, bg) values ('x', " + lowest + ");";
  // The count of -f s0l reads every file, its listing only the first 20 by
  // start tick, before the file whose stream overflows.
  const std::string streams =
      view("streamfiles",
           "number, abs(stream) as stream, state, starttick, stoptick, "
           "starttime, stoptime, previous, next, size, type") +
      "(number, stream, starttick) with recursive n(i) as (select 1 union "
      "all select i + 1 from n where i < 21) select i, iif(i < 21, 0, " +
      lowest + "), i from n;";
  const std::string brokenTable =
      "create table broken(x); pragma writable_schema = on; update "
      "sqlite_master set rootpage = (select rootpage from sqlite_master where "
      "name = 'events_groupId') where name = 'broken';";
  // The fake sql of -s holds the lock on, in the background, from when
  // another reader sees it until long after db, even on a busy machine, has
  // run -t.
  const std::string path = "/mnt/hd/streammgr/stream.db ";
  const std::string lockAfterStartUp =
      "sqlite3 " + path + "'begin exclusive' '.system sleep 10' >/dev/null " +
      "2>&1 &\nfor n in $(seq 500); do sqlite3 " + path +
      "'select count(*) from status' >/dev/null 2>&1 || break; sleep 0.01; "
      "done";
  const struct {
    std::vector<std::string> args;
    std::string catalogue;
    const char* err;
    std::string sql = "";  // the fake's body
  } kCases[] = {
      {{"-h"},
       sizes,
       "main:Error initializing file sizes from the database:\n"},
      {{"-e"}, events, "stmt Error: "},
      {{"-f", "s0l"}, streams, ""},
      {{"-t"}, brokenTable, ""},
      {{"-s", "-t"}, "", "stmt Error: ", lockAfterStartUp},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    std::remove(CataloguePath().c_str());
    CreateCatalogue(sandbox_, c.catalogue);
    FakeCommand(sandbox_, "sql", c.sql);
    RunResult run = RunDb(sandbox_, c.args);
    EXPECT_EQ(c.err, run.err);
    EXPECT_EQ(1, run.status);
  }
}

// Every numeric column at and past the 32-bit limits shows its low 32 bits;
// event times are signed, those of files unsigned. NULLs read as 0 or
// empty, the rows print, and the warning follows them.
TEST_F(BadInputTest, OddColumnValuesShowAsLow32BitsOrZero) {
  // NULL in every column but the critical ones of 'S'; the file with only
  // its number sorts last.
  CreateCatalogue(
      sandbox_,
      "insert into events(reid, streamstate, totalfiles, groupId, part, "
      "totalparts) values ('S', 0, 0, '', 0, 0); insert into events default "
      "values; insert into eventanswers values ('S', NULL, NULL), (NULL, NULL, "
      "NULL); insert into streamfiles(number) values (4294967302);"
      "create table n(v); insert into n values (-2147483649), (2147483648), "
      "(4294967295), (4294967301); insert into events select v, v, v, v, v, "
      "v, v, v, v, v, v, v, v, '', '', '', '', v, v, v, v, '', v, v from n;"
      "insert into streamfiles select v, v, v, v, v, v, v, v, v, v, v from n;");
  const std::tuple<const char*, const char*, const char*, uint32_t> cases[] = {
      {"-2147483649", "01/19/38 03:14:07  03:14:07    03:14:07",
       "01/19/38 03:14:07  03:14:07", 2147483647},
      {"2147483648", "12/13/01 20:45:52  20:45:52           0",
       "01/19/38 03:14:08  03:14:08", 2147483648u},
      {"4294967295", "12/31/69 23:59:59  23:59:59           0",
       "02/07/06 06:28:15  06:28:15", 4294967295u},
      {"4294967301", "01/01/70 00:00:05  00:00:05    00:00:05",
       "01/01/70 00:00:05  00:00:05", 5}};
  std::string events = kGiBHeads +
                       ZeroRow("S", "  N  0.000", std::string(22, ' ') + "\n") +
                       ZeroRow(""),
              files = kFilesHeads;
  for (const auto& [value, eventTimes, fileTimes, n] : cases) {
    char row[400];
    snprintf(row, sizeof(row),
             "%-28s     Invalid     Invalid      0  %s  %10u  %10u  ? ?   Y  "
             "%5u  %28s  %3u  %3u    N  0.000                    NA  \n",
             value, eventTimes, n, n, n, "", n, n);
    events += row;
    snprintf(row, sizeof(row),
             "%6u  %6u   Invalid  %8u  %s  %10u  %10u  %4u  %4u  Invalid  \n",
             n, n, n, fileTimes, n, n, n, n);
    files += row;
  }
  FakeCommand(sandbox_, "sql", "echo 'rows of sql'");
  RunResult run = RunDb(sandbox_, {"-e", "-f", "*"});
  EXPECT_EQ(events +
                "\n\n    WARNING!  Some critical fields are NULL!  "
                "(affected reid's shown below):\n\nrows of sql\n\n" +
                files +
                "     6       0  Free             0  01/01/70 00:00:00  "
                "00:00:00           0           0     0     0  Init  \n"
                "\n5 items\n\n",
            run.out);
  EXPECT_EQ("", run.err);
}

// Each id matches only the event of exactly that id; an empty id deletes
// nothing, though every groupId is empty. Both paths place ids alike (the
// deletion cases show the IPC one); the direct one shows it here.
TEST_F(BadInputTest, OddIdsMatchOnlyEventsOfExactlyThatId) {
  const std::string longId(10000, 'x');
  const std::string ids[] = {"it's", "a;b", "50%", "a_b", longId, "\xff\xfe"};
  // Beside each id a decoy that a LIKE, an unquoted text or a cut-off
  // would match too.
  const std::string decoys =
      "('it'), ('a'), ('50x'), ('axb'), ('" + longId.substr(1) + "'), ('\xff')";
  CreateCatalogue(sandbox_, "insert into events(reid) values " + decoys +
                                ", ('it''s'), ('a;b'), ('50%'), ('a_b'), ('" +
                                longId +
                                "'), ('\xff\xfe');"
                                "update events set groupId = '';");
  std::vector<std::string> args;
  std::string out;
  for (const std::string& id : ids) {
    args.insert(args.end(), {"-r", id, "-d", id});
    out += kGiBHeads + ZeroRow(id) +
           "\n  Successfully deleted 1 event:  id = " + id + "\n";
  }
  args.insert(args.end(), {"-d", ""});
  RunResult run = RunDb(sandbox_, args);
  EXPECT_EQ(out, run.out);
  EXPECT_EQ("  Event or groupId not found:  id = \n", run.err);
  EXPECT_EQ("it\na\n50x\naxb\n" + longId.substr(1) + "\n\xff\n", EventsLeft());
}

// Metadata at each limit of the reader and one past it: exactly 4 MiB,
// elements nested 1,000 deep (also behind attribute values holding "/>"),
// 100 attributes on one element, as many nodes as TinyXML may build; the
// recorder's own shape filling the 4 MiB, read in one pass; the shapes that
// would cost TinyXML the most memory a byte; a file that is not well-formed;
// offsets that are no 32-bit integer; an ".xml" that is a link to
// /dev/zero, a FIFO or a directory. Each is sized or reported at once and in
// bounded memory, alike on a stack limited to 1 MiB.
TEST_F(BadInputTest, HostileMetadataIsSizedOrReported) {
  const std::string frame =
      "<recording-event><video><streams><stream></stream></streams></video>"
      "</recording-event>";
  auto filled = [](const std::string& unit) {
    std::string text;
    while (text.size() + unit.size() < (4u << 20) - 200) text += unit;
    return text;
  };
  auto repeated = [](const std::string& unit, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += unit;
    return text;
  };
  std::string attributes;
  for (int i = 0; i < 98; ++i) attributes += " b" + std::to_string(i) + "=''";
  const std::string whole = "<s name='a' src='1'/>";
  const std::string segment =
      "<segment name=\"n\" src=\"7\" start-offset=\"100\" "
      "stop-offset=\"300\"/>\n";
  const std::string recorder = filled(segment);
  // With the four elements around them and the comment, 100,000 nodes.
  const std::string allowed = repeated(segment, 19999) + "<!-- end -->";
  // With the four elements around the streams and the segment, 1,000
  // levels.
  const std::string deep = repeated("<n>", 995) + repeated("</n>", 995);
  const int64_t kWhole = 98566154, kNone = 10;
  const std::string kNotLoaded = "-";
  const struct {
    std::string reid, segments;
    int64_t bytes;
    std::string err = "";
  } kCases[] = {
      {"cap",
       whole + std::string((4u << 20) - frame.size() - whole.size(), ' '),
       kWhole},
      {"past",
       whole + std::string((4u << 20) - frame.size() - whole.size() + 1, ' '),
       kNone, kNotLoaded},
      {"edge", "<s name='a' src='1'>" + deep + "</s>", kWhole},
      {"deep", "<s name='a' src='1'><n>" + deep + "</n></s>", kNone,
       kNotLoaded},
      {"fooled",
       "<s name='a' src='1' stop-offset='9'/>" +
           repeated("<a x=\"/>\">", 200000),
       kNone, kNotLoaded},
      {"wide", "<s name='a' src='1'" + attributes + "/>", kWhole},
      {"wider", "<s name='a' src='1' c=''" + attributes + "/>", kNone,
       kNotLoaded},
      {"recorder", recorder,
       kNone + 200 * int64_t(recorder.size() / segment.size())},
      {"nodes", allowed, kNone + 200 * 19999},
      {"node", allowed + "<!---->", kNone, kNotLoaded},
      {"markup", filled("x<>") + "<!---->", kNone, kNotLoaded},
      {"empty", filled("<a/>") + "<!---->", kNone, kNotLoaded},
      {"comments", filled("<!---->") + "<!---->", kNone, kNotLoaded},
      {"short", filled("<s name=a src=1/>") + "<!---->", kNone, kNotLoaded},
      {"broken", "<s name='a' src='1'></stream>", kNone, kNotLoaded},
      {"word",
       "<s name='a' src='1' stop-offset='9'/><s name='b' src='1' "
       "start-offset='ten'/>",
       kNone + 9, "Start offset invalid"},
      {"wrapped", "<s name='a' src='1' stop-offset='4294967296'/>", kNone,
       "Stop offset invalid"},
      {"zero", "", kNone, kNotLoaded},
      {"fifo", "", kNone, kNotLoaded},
      {"dir", "", kNone, kNotLoaded}};
  std::string insert, rows = EventHeads("   Bytes   "), err;
  mkdir((sandbox_.hd + "/connectionmgr").c_str(), 0755);
  for (const auto& c : kCases) {
    const std::string base = sandbox_.hd + "/connectionmgr/" + c.reid;
    WriteFile(base + ".mtd", "0123456789");
    if (c.reid == "zero") {
      symlink("/dev/zero", (base + ".xml").c_str());
    } else if (c.reid == "fifo") {
      mkfifo((base + ".xml").c_str(), 0644);
    } else if (c.reid == "dir") {
      mkdir((base + ".xml").c_str(), 0755);
    } else {
      WriteFile(base + ".xml",
                "<recording-event><video><streams><stream>" + c.segments +
                    "</stream></streams></video></recording-event>");
    }
    insert +=
        "insert into events(reid, streamstate, totalfiles, groupId, "
        "part, totalparts) values ('" +
        c.reid + "', 0, 0, '', 0, 0);";
    char size[32];
    snprintf(size, sizeof(size), "  Y  %11lld",
             static_cast<long long>(c.bytes));
    rows += ZeroRow(c.reid, size);
    err += c.err != kNotLoaded ? c.err
                               : "Failed to load XML file: /mnt/hd/"
                                 "connectionmgr/" +
                                     c.reid + ".xml";
  }
  CreateCatalogue(sandbox_, insert);
  // Natively: an emulator or a checker takes longer and adds memory.
  const bool native = DB_EMULATOR[0] == '\0' &&
                      std::getenv("DB_WRAPPER") == nullptr && !DB_SANITIZED;
  for (int stackKiB : {0, 1024}) {
    RunOptions options;
    options.stackKiB = stackKiB;
    const time_t start = time(nullptr);
    EXPECT_EQ(Expected(rows, err), RunDb(sandbox_, {"-E"}, options))
        << stackKiB;
    EXPECT_LT(time(nullptr) - start, native ? 20 : 600);
  }
  struct rusage usage;
  getrusage(RUSAGE_CHILDREN, &usage);
  if (native) {
    EXPECT_LT(usage.ru_maxrss, 64 * 1024);
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
  const time_t start = time(nullptr);
  RunResult list = RunDb(sandbox_, {"-f", "*"}, {true, {"--die-after", "3"}});
  RunResult del = RunDb(sandbox_, {"-d", "grp", "--deleteall"},
                        {true, {"--die-after", "3"}});
  EXPECT_LT(time(nullptr) - start, 45) << "a request waited out its timeout";
  // The heads, the first page whole up to file 1000, and the count asked
  // before it.
  EXPECT_EQ(3 + 1000 + 3, std::count(list.out.begin(), list.out.end(), '\n'));
  const std::string end =
      "  1000       0  UsedFree      4096  01/01/26 00:00:00  01:00:00  "
      "      1000        1001     0     0  Norm  \n\n1500 items\n\n";
  EXPECT_EQ(end, list.out.substr(list.out.size() - end.size()));
  EXPECT_EQ("  Successfully deleted 1 event:  id = grp\n", del.out);
  EXPECT_EQ(
      "StreamMgr request failed: select * from streamfiles where number like "
      "'%' order by number asc limit 1000 offset 1000\n",
      list.err);
  EXPECT_EQ(
      "StreamMgr request failed: delete g2\n"
      "  Failed to delete event:  reid= g2  groupId= grp\n"
      "  Failed to delete event:  reid= g3  groupId= grp\n"
      "  No events found...no action taken.\n",
      del.err);
  EXPECT_EQ(1, list.status);
  EXPECT_EQ(1, del.status);
  EXPECT_EQ("g2\ng3\nother\n", EventsLeft());
}

}  // namespace
