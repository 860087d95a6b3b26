// The event listings -e -E -r -R -p -P -u through the shipped binary, on
// both access paths: the table's layout, sizes from the metadata files and
// the hours till re-export.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "tests/sandbox.h"

namespace {

const std::string kHeadGiB =
    "\n"
    "           REID               "
    "  State     SplitState   Sec       Start Time     StopTime  ExportTime  "
    "Start Tick   Stop Tick  c/r  BG  Files           groupId              "
    "Prt  Tot  Stg   GiB   Hours Till Re-Export  Answer1  \n"
    "============================  ==========  ==========  =====  "
    "=================  ========  ==========  ==========  ==========  ===  ==  "
    "=====  ============================  ===  ===  ===  =====  "
    "====================  ====================  \n";

const std::string kHeadBytes =
    "\n"
    "           REID               "
    "  State     SplitState   Sec       Start Time     StopTime  ExportTime  "
    "Start Tick   Stop Tick  c/r  BG  Files           groupId              "
    "Prt  Tot  Stg     Bytes     Hours Till Re-Export  Answer1  \n"
    "============================  ==========  ==========  =====  "
    "=================  ========  ==========  ==========  ==========  ===  ==  "
    "=====  ============================  ===  ===  ===  ===========  "
    "====================  ====================  \n";

// The cells from "Sec" to "Files" of an event inserted by Event(), never
// exported.
const std::string kTimesToFiles =
    "   90  11/14/23 22:13:20  22:14:50           0        1000        1180  "
    "c r   N      2  ";

// An empty groupId cell with its separator.
const std::string kNoGroup = "                              ";

// An event with these values and fixed others: c/r "c r", no BG, 2 files,
// ticks 1000 to 1180, 90 seconds from 1700000000, never exported.
std::string Event(const std::string& reid, int state = 0, int splitState = 1,
                  const std::string& groupId = "", int part = 0,
                  int totalParts = 0) {
  std::ostringstream sql;
  sql << "insert into events (reid, state, splitstate, ccode, rcode, "
         "starttick, starttime, exporttime, stoptick, stoptime, bg, "
         "streamstate, totalfiles, groupId, part, totalparts) values ('"
      << reid << "', " << state << ", " << splitState
      << ", 1, 0, 1000, 1700000000, 0, 1180, 1700000090, 0, 0, 2, '" << groupId
      << "', " << part << ", " << totalParts << ");\n";
  return sql.str();
}

std::string Exported(const std::string& reid, int64_t exportTime) {
  return "update events set exporttime=" + std::to_string(exportTime) +
         " where reid='" + reid + "';\n";
}

std::string Answer(const std::string& reid, const std::string& answer) {
  return "insert into eventanswers values ('" + reid + "', 'Q', '" + answer +
         "');\n";
}

const char* PathName(bool daemon) {
  return daemon ? "via StreamMgr" : "direct";
}

class EventListingsTest : public ::testing::Test {
 protected:
  void SetUp() override { sandbox_ = MakeSandbox(); }
  void TearDown() override { RemoveSandbox(sandbox_); }

  RunResult Run(bool daemon, const std::vector<std::string>& args,
                const std::vector<std::string>& daemonArgs = {}) {
    RunOptions options;
    options.daemon = daemon;
    options.daemonArgs = daemonArgs;
    return RunDb(sandbox_, args, options);
  }

  // Writes the event's ".mtd" of mtdBytes and an ".xml" with `streams`.
  void Stage(const std::string& reid, size_t mtdBytes,
             const std::string& streams) {
    std::string dir = sandbox_.hd + "/connectionmgr/";
    mkdir(dir.c_str(), 0755);
    WriteFile(dir + reid + ".mtd", std::string(mtdBytes, 'm'));
    WriteFile(dir + reid + ".xml",
              "<?xml version=\"1.0\"?>\n<recording-event><video><streams>" +
                  streams + "</streams></video></recording-event>\n");
  }

  std::string RequestLog() { return sandbox_.dir + "/requests"; }

  Sandbox sandbox_;
};

TEST_F(EventListingsTest, EmptyTableShowsOnlyTheHead) {
  CreateCatalogue(sandbox_, "");
  for (bool daemon : {false, true}) {
    RunResult run = Run(daemon, {"-e", "-E"});
    EXPECT_EQ(kHeadGiB + kHeadBytes, run.out) << PathName(daemon);
    EXPECT_EQ("", run.err) << PathName(daemon);
    EXPECT_EQ(0, run.status) << PathName(daemon);
  }
  EXPECT_EQ("", ReadFile(sandbox_.logs + "/sql.log")) << "no NULL check run";
}

TEST_F(EventListingsTest, EveryEventOnBothPathsWithItsFirstAnswer) {
  CreateCatalogue(sandbox_, Event("EV1") + Event("EV2", 2, 5) +
                                Answer("EV2", "Answer text") +
                                Answer("EV2", "second"));
  const std::string expected =
      kHeadGiB +
      ("EV1                           RecordCmpl  NotNeeded   " +
       kTimesToFiles + kNoGroup +
       "  0    0    N  0.000                    NA  \n") +
      ("EV2                           Recording      Invalid  " +
       kTimesToFiles + kNoGroup +
       "  0    0    N  0.000                    NA           Answer text  \n");
  for (bool daemon : {false, true}) {
    RunResult run = Run(daemon, {"-e"});
    EXPECT_EQ(expected, run.out) << PathName(daemon);
    EXPECT_EQ("", run.err) << PathName(daemon);
  }
}

TEST_F(EventListingsTest, GroupByIdIsSpacedOutOnTheDirectPathOnly) {
  CreateCatalogue(sandbox_, Event("P1", 0, 3, "G1", 1, 3) +
                                Event("P2", 0, 3, "G1", 2, 3) +
                                Event("P3", 0, 3, "G1", 3, 3) + Event("EV9"));
  const std::string group = "G1                            ";
  const std::string p1 =
      "P1                            RecordCmpl  AlreadySpl  " + kTimesToFiles +
      group + "  1    3    N  0.000                    NA  \n";
  const std::string p2 =
      "P2                            RecordCmpl  AlreadySpl  " + kTimesToFiles +
      group + "  2    3    N  0.000                    NA  \n";
  const std::string p3 =
      "P3                            RecordCmpl  AlreadySpl  " + kTimesToFiles +
      group + "  3    3    N  0.000                    NA  \n";
  const std::string p2Bytes =
      "P2                            RecordCmpl  AlreadySpl  " + kTimesToFiles +
      group + "  2    3    N            0                    NA  \n";
  const std::vector<std::string> args = {"-r", "G1", "-R", "P2"};

  RunResult direct = Run(false, args);
  EXPECT_EQ(kHeadGiB + p1 + "\n" + p2 + "\n" + p3 + "\n" + kHeadBytes +
                p2Bytes + "\n",
            direct.out);
  EXPECT_EQ("", direct.err);

  RunResult viaDaemon = Run(true, args, {"--request-log", RequestLog()});
  EXPECT_EQ(kHeadGiB + p1 + p2 + p3 + kHeadBytes + p2Bytes, viaDaemon.out);
  EXPECT_EQ("", viaDaemon.err);
  // One query per listing and one settings request per row.
  EXPECT_EQ(
      "events\tselect * from events where reid='G1' or groupId='G1'\n"
      "settings\t\nsettings\t\nsettings\t\n"
      "events\tselect * from events where reid='P2' or groupId='P2'\n"
      "settings\t\n",
      ReadFile(RequestLog()));
}

TEST_F(EventListingsTest, UnknownOrQuoteBearingIdFindsNothing) {
  CreateCatalogue(sandbox_, Event("EV1"));
  const std::vector<std::string> args = {"-r", "nope", "-r", "x' or '1'='1"};
  for (bool daemon : {false, true}) {
    RunResult run = Run(daemon, args, {"--request-log", RequestLog()});
    EXPECT_EQ("\nNOT FOUND: nope\n\n\nNOT FOUND: x' or '1'='1\n\n", run.out)
        << PathName(daemon);
    EXPECT_EQ("", run.err) << PathName(daemon);
  }
  EXPECT_EQ(
      "events\tselect * from events where reid='nope' or groupId='nope'\n"
      "events\tselect * from events where reid='x'' or ''1''=''1' or "
      "groupId='x'' or ''1''=''1'\n",
      ReadFile(RequestLog()));
}

TEST_F(EventListingsTest, SplitListingTakesSplitStateThreeAndPositiveParts) {
  CreateCatalogue(
      sandbox_, Event("S3", 0, 3) + Event("N1") + Event("PP", 0, 1, "", 1, 0) +
                    Event("N4", 0, 4) + Event("PT", 0, 0, "", 0, 2));
  const std::string s3 =
      "S3                            RecordCmpl  AlreadySpl  " + kTimesToFiles +
      kNoGroup;
  const std::string pp =
      "PP                            RecordCmpl  NotNeeded   " + kTimesToFiles +
      kNoGroup;
  const std::string pt =
      "PT                            RecordCmpl  NotChecked  " + kTimesToFiles +
      kNoGroup;
  const std::string expected =
      kHeadGiB + s3 + "  0    0    N  0.000                    NA  \n" + pp +
      "  1    0    N  0.000                    NA  \n" + pt +
      "  0    2    N  0.000                    NA  \n" + kHeadBytes + s3 +
      "  0    0    N            0                    NA  \n" + pp +
      "  1    0    N            0                    NA  \n" + pt +
      "  0    2    N            0                    NA  \n";
  for (bool daemon : {false, true}) {
    RunResult run = Run(daemon, {"-p", "-P"});
    EXPECT_EQ(expected, run.out) << PathName(daemon);
    EXPECT_EQ("", run.err) << PathName(daemon);
  }
}

TEST_F(EventListingsTest, UntransferredListingNeverShowsStateOne) {
  CreateCatalogue(sandbox_, Event("U0", 0) + Event("U1", 1) + Event("U2", 2) +
                                Event("U3", 3) + Event("U7", 7));
  const std::string rest = kTimesToFiles + kNoGroup +
                           "  0    0    N  0.000                    NA  \n";
  const std::string expected =
      kHeadGiB + "U0                            RecordCmpl  NotNeeded   " +
      rest + "U2                            Recording   NotNeeded   " + rest +
      "U3                            InPost      NotNeeded   " + rest +
      "U7                               Invalid  NotNeeded   " + rest;
  for (bool daemon : {false, true}) {
    RunResult run = Run(daemon, {"-u"});
    EXPECT_EQ(expected, run.out) << PathName(daemon);
    EXPECT_EQ("", run.err) << PathName(daemon);
  }
}

TEST_F(EventListingsTest, NullTotalPartsWarnsAndHasSqlListTheRows) {
  CreateCatalogue(sandbox_,
                  Event("EV1") + "update events set totalparts=NULL;\n");
  FakeCommand(sandbox_, "sql", "echo 'rows of sql'");
  const std::string expected =
      kHeadGiB + "EV1                           RecordCmpl  NotNeeded   " +
      kTimesToFiles + kNoGroup +
      "  0    0    N  0.000                    NA  \n"
      "\n\n    WARNING!  Some critical fields are NULL!  (affected reid's "
      "shown below):\n\nrows of sql\n\n";
  const char kSqlCommand[] =
      "select reid,splitstate,totalfiles,groupid,part,totalparts from events "
      "where streamstate is NULL or totalfiles is NULL or groupid is NULL or "
      "part is NULL or totalparts is NULL\n";
  for (bool daemon : {false, true}) {
    RunResult run = Run(daemon, {"-e"});
    EXPECT_EQ(expected, run.out) << PathName(daemon);
    EXPECT_EQ("", run.err) << PathName(daemon);
  }
  EXPECT_EQ(std::string(kSqlCommand) + kSqlCommand,
            ReadFile(sandbox_.logs + "/sql.log"));
}

TEST_F(EventListingsTest, WideIntegersShowTheirLow32Bits) {
  CreateCatalogue(sandbox_, Event("EV1") +
                                "update events set starttick=4294967297, "
                                "stoptick=-1, bg=4294967296, "
                                "starttime=starttime+4294967296;\n");
  const std::string expected =
      kHeadGiB +
      "EV1                           RecordCmpl  NotNeeded      90  11/14/23 "
      "22:13:20  22:14:50           0           1  4294967295  c r   N      2 "
      " " +
      kNoGroup + "  0    0    N  0.000                    NA  \n";
  for (bool daemon : {false, true}) {
    RunResult run = Run(daemon, {"-e"});
    EXPECT_EQ(expected, run.out) << PathName(daemon);
  }
}

TEST_F(EventListingsTest, MissingEventsTableReportsEachStatement) {
  CreateCatalogue(sandbox_, "drop table events;\n");
  RunResult run = Run(false, {"-e", "-r", "x"});
  EXPECT_EQ(kHeadGiB + "\nNOT FOUND: x\n\n", run.out);
  EXPECT_EQ(
      "unable to prepare: select * from eventsunable to prepare: select "
      "count(*) from events where streamstate is NULL or totalfiles is NULL "
      "or groupid is NULL or part is NULL or totalparts is NULL: error "
      "getting file stats\n"
      "unable to prepare: select * from events where reid='x' or "
      "groupId='x'",
      run.err);
}

TEST_F(EventListingsTest, SizeComesFromStagedMetadataInGiBOrBytes) {
  CreateCatalogue(sandbox_, Event("Z5") + Event("Z15") + Event("ZX"));
  Stage("Z5", 1000,
        "<stream><a name='1' src='7'/>"
        "<b name='2' src='8' start-offset='1000'/>"
        "<c name='3' src='9' stop-offset='5000'/>"
        "<d name='4' src='9' start-offset='2000' stop-offset='7000'/>"
        "</stream>");
  Stage("Z15", 1000,
        "<stream><s name='1' src='7' start-offset='1000' "
        "stop-offset='1610612736'/></stream>");
  Stage("ZX", 0, "");
  ASSERT_EQ(0, unlink((sandbox_.hd + "/connectionmgr/ZX.mtd").c_str()));
  const std::string z5 =
      "Z5                            RecordCmpl  NotNeeded   " + kTimesToFiles +
      kNoGroup + "  0    0    Y  ";
  const std::string z15 =
      "Z15                           RecordCmpl  NotNeeded   " + kTimesToFiles +
      kNoGroup + "  0    0    Y  ";
  const std::string zx =
      "ZX                            RecordCmpl  NotNeeded   " + kTimesToFiles +
      kNoGroup + "  0    0    N  ";
  const std::string hours = "                    NA  \n";
  RunResult run = Run(false, {"-e", "-E"});
  EXPECT_EQ(kHeadGiB + z5 + "0.184" + hours + z15 + "1.500" + hours + zx +
                "0.000" + hours + kHeadBytes + z5 + "  197142288" + hours +
                z15 + " 1610612736" + hours + zx + "          0" + hours,
            run.out);
  EXPECT_EQ("", run.err);
}

TEST_F(EventListingsTest, MetadataFaultsRunTogetherOnStderr) {
  CreateCatalogue(sandbox_, Event("F1") + Event("F2") + Event("F3") +
                                Event("F4") + Event("F5"));
  Stage("F1", 1000, "<stream>");
  Stage("F2", 1000, "<stream><s src='1'/></stream>");
  Stage("F3", 1000,
        "<stream><s name='a' src='1' start-offset='2147483648' "
        "stop-offset='1'/></stream>");
  Stage("F4", 1000, "<stream><s name='a' src='1' stop-offset='x'/></stream>");
  Stage("F5", 1000, "<stream><s name='a' stop-offset='9'/></stream>");
  std::string expected = kHeadBytes;
  for (const char* reid : {"F1", "F2", "F3", "F4", "F5"}) {
    expected += reid +
                std::string(
                    "                            RecordCmpl  "
                    "NotNeeded   ") +
                kTimesToFiles + kNoGroup +
                "  0    0    Y         1000                    NA  \n";
  }
  RunResult run = Run(false, {"-E"});
  EXPECT_EQ(expected, run.out);
  EXPECT_EQ(
      "Failed to load XML file: /mnt/hd/connectionmgr/F1.xml"
      ":'name' attribute missingStart offset invalidStop offset invalid"
      "Source file number missing",
      run.err);
}

// Hours till re-export over IPC, with the daemon's settings answering.
class ReExportTest : public EventListingsTest {
 protected:
  // Export time cell, with its separator, of an event exported at `when`:
  // %X in UTC.
  static std::string ExportCell(time_t when) {
    struct tm broken;
    gmtime_r(&when, &broken);
    char text[16];
    strftime(text, sizeof(text), "%H:%M:%S", &broken);
    return std::string("  ") + text + "  ";
  }
};

TEST_F(ReExportTest, HoursCountDownFromTheLastExport) {
  const time_t now = time(nullptr);
  // 5 seconds ahead of 6 hours ago: 18.00 stays for a run of up to 20 s.
  const time_t sixHoursAgo = now - 6 * 3600 + 5;
  const time_t thirtyHoursAgo = now - 30 * 3600;
  CreateCatalogue(sandbox_, Event("H6") + Exported("H6", sixHoursAgo) +
                                Event("H30") + Exported("H30", thirtyHoursAgo) +
                                Event("H0"));
  const std::string before = "   90  11/14/23 22:13:20  22:14:50  ";
  const std::string after = "      1000        1180  c r   N      2  " +
                            kNoGroup + "  0    0    N  0.000  ";
  const std::string h6 =
      "H6                            RecordCmpl  NotNeeded   " + before +
      ExportCell(sixHoursAgo) + after;
  const std::string h30 =
      "H30                           RecordCmpl  NotNeeded   " + before +
      ExportCell(thirtyHoursAgo) + after;
  const std::string h0 =
      "H0                            RecordCmpl  NotNeeded   " + kTimesToFiles +
      kNoGroup + "  0    0    N  0.000  ";
  RunOptions options;
  options.daemon = true;
  options.captureSyslog = true;
  options.daemonArgs = {"--reexport-hours", "24"};
  RunResult run = RunDb(sandbox_, {"-e"}, options);
  EXPECT_EQ(kHeadGiB + h6 + "               18.00  \n" + h30 +
                "                  NA  \n" + h0 + "                  NA  \n",
            run.out);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(std::string::npos,
            ReadFile(sandbox_.logs + "/syslog").find("recording settings"));

  options.daemonArgs = {"--reexport-hours", "0"};
  RunResult off = RunDb(sandbox_, {"-e"}, options);
  EXPECT_EQ(kHeadGiB + h6 + "            Disabled  \n" + h30 +
                "            Disabled  \n" + h0 + "            Disabled  \n",
            off.out);
}

// Lines of the captured system log that report the failed settings request
// of one row each.
int SettingsFailureLines(const std::string& syslog) {
  std::istringstream lines(syslog);
  std::string line;
  int count = 0;
  const std::string prefix = "db: event_table.cc:";
  const std::string suffix =
      " DisplayEvent: Error getting video recording settings";
  while (std::getline(lines, line)) {
    size_t at = line.find(prefix);
    EXPECT_EQ(0u, line.find("<10>")) << "severity 2: " << line;
    EXPECT_NE(std::string::npos, at) << line;
    EXPECT_TRUE(
        line.size() >= suffix.size() &&
        line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0)
        << line;
    ++count;
  }
  return count;
}

TEST_F(ReExportTest, UnreadableSettingsShowNaAndLogEveryRow) {
  // Exported just now: only a failed settings request makes this "NA".
  const time_t now = time(nullptr);
  CreateCatalogue(sandbox_, Event("EV1") + Exported("EV1", now) + Event("EV2"));
  const std::string ev1 =
      "EV1                           RecordCmpl  NotNeeded      90  11/14/23 "
      "22:13:20  22:14:50  " +
      ExportCell(now) + "      1000        1180  c r   N      2  " + kNoGroup +
      "  0    0    N  0.000                    NA  \n";
  const std::string ev2 =
      "EV2                           RecordCmpl  NotNeeded   " + kTimesToFiles +
      kNoGroup + "  0    0    N  0.000                    NA  \n";
  RunOptions options;
  options.captureSyslog = true;
  RunResult direct = RunDb(sandbox_, {"-r", "EV2", "-e"}, options);
  EXPECT_EQ(kHeadGiB + ev2 + "\n" + kHeadGiB + ev1 + ev2, direct.out);
  EXPECT_EQ("", direct.err);
  EXPECT_EQ(3, SettingsFailureLines(ReadFile(sandbox_.logs + "/syslog")));

  WriteFile(sandbox_.logs + "/syslog", "");
  options.daemon = true;
  options.daemonArgs = {"--settings-fail"};
  RunResult viaDaemon = RunDb(sandbox_, {"-e"}, options);
  EXPECT_EQ(kHeadGiB + ev1 + ev2, viaDaemon.out);
  EXPECT_EQ(2, SettingsFailureLines(ReadFile(sandbox_.logs + "/syslog")));
}

}  // namespace
