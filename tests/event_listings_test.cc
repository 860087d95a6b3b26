// The event listings -e -E -r -R -p -P -u through the shipped binary, on
// both access paths: the table's layout, local times, sizes from the
// metadata files and the hours till re-export.

#include <gtest/gtest.h>
#include <time.h>

#include <algorithm>
#include <regex>

#include "tests/listing_heads.h"
#include "tests/sandbox.h"

namespace {

const std::string kHeadGiB = EventHeads(" GiB ");
const std::string kHeadBytes = EventHeads("   Bytes   ");
const std::string kNoBytes = "          0";
const std::string kNa = "                    NA  \n";
const std::string kTimes = "11/14/23 22:13:20  22:14:50           0";

// The cells up to Stg of an event made by Events(): `states` holds the State
// and SplitState cells, `parts` the Prt, Tot and Stg cells, `times` the
// Start Time, StopTime and ExportTime cells with their separators, `codes`
// the c/r cell.
std::string Head(std::string reid,
                 const std::string& states = "RecordCmpl  NotNeeded ",
                 const std::string& parts = "  0    0    N",
                 std::string group = "", const std::string& times = kTimes,
                 const std::string& codes = "c r") {
  reid.resize(30, ' ');
  group.resize(30, ' ');
  return reid + states + "     90  " + times + "        1000        1180  " +
         codes + "   N      2  " + group + parts + "  ";
}

// Rows of `heads` with the size cell `size`, "NA" hours, then `after`.
std::string Rows(const std::vector<std::string>& heads,
                 const std::string& size = "0.000",
                 const std::string& after = "") {
  std::string rows;
  for (const std::string& head : heads) rows += head + size + kNa + after;
  return rows;
}

// Events of `rows`, each "(reid, state, splitstate, groupId, part,
// totalparts)", with codes c and r, no BG, 2 files, ticks 1000 to 1180, 90
// seconds from 1700000000, never exported.
std::string Events(const std::string& rows) {
  return "insert into events (reid, state, splitstate, groupId, part, "
         "totalparts) values " +
         rows +
         "; update events set ccode = 1, rcode = 0, starttick = 1000, "
         "starttime = 1700000000, exporttime = 0, stoptick = 1180, stoptime = "
         "1700000090, bg = 0, streamstate = 0, totalfiles = 2;";
}

using EventListingsTest = SandboxTest;

// In Berlin the event starts and stops on either side of the change from
// summer time, and was exported before the change to it; the file starts
// and stops on either side of that change.
TEST_F(EventListingsTest, BothListingsShowLocalTimesAcrossSummerTime) {
  CreateCatalogue(
      sandbox_,
      Events("('E', 0, 1, '', 0, 0)") +
          "update events set starttime = 1698541155, stoptime = 1698541245, "
          "exporttime = 1679792355; insert into streamfiles values (1, 0, 2, "
          "1000, 2000, 1679792355, 1679792445, 0, 0, 4096, 1);");
  const std::string listings =
      kHeadGiB +
      Rows({Head("E", "RecordCmpl  NotNeeded ", "  0    0    N", "",
                 "10/29/23 02:59:15  02:00:45    01:59:15")}) +
      kFilesHeads +
      "     1       0  UsedFree      4096  03/26/23 01:59:15  03:00:45  "
      "      1000        2000     0     0  Norm  \n\n1 items\n\n";
  RunOptions options;
  options.timeZone = "Europe/Berlin";
  for (bool daemon : {false, true}) {
    options.daemon = daemon;
    EXPECT_EQ(Expected(listings), RunDb(sandbox_, {"-e", "-f", "*"}, options))
        << daemon;
  }
}

// Every listing over one catalogue: each state name and "Invalid" ones,
// each code letter and "?" for codes below and past them, a three-part
// group, a row with a NULL totalparts, and an id that would match every row
// if it were not quoted.
TEST_F(EventListingsTest, EveryListingOnBothPaths) {
  CreateCatalogue(
      sandbox_, Events("('EV1', 0, 3, '', 0, 0), ('T1', 1, 4, '', 0, 2), "
                       "('W7', 7, -1, '', 1, NULL), ('P1', 2, 0, 'G1', 1, 3), "
                       "('P2', 3, 1, 'G1', 2, 3), ('P3', 0, 2, 'G1', 3, 3), "
                       "('N5', -1, 5, '', -1, -1)") +
                    "update events set ccode = 2, rcode = 3 where reid = "
                    "'W7'; update events set ccode = -1, rcode = 4 where "
                    "reid = 'N5';");
  FakeCommand(sandbox_, "sql", "echo 'rows of sql'");
  const std::string ev1 = Head("EV1", "RecordCmpl  AlreadySpl");
  const std::string t1 = Head("T1", "Transfered  ExportOnly", "  0    2    N");
  const std::string w7 =
      Head("W7", "   Invalid     Invalid", "  1    0    N", "", kTimes, "a k");
  const std::vector<std::string> group = {
      Head("P1", "Recording   NotChecked", "  1    3    N", "G1"),
      Head("P2", "InPost      NotNeeded ", "  2    3    N", "G1"),
      Head("P3", "RecordCmpl  SplitPend ", "  3    3    N", "G1")};
  const std::string n5 = Head("N5", "   Invalid     Invalid",
                              "4294967295  4294967295    N", "", kTimes, "? ?");
  const std::vector<std::string> split = {ev1,      t1,       w7,
                                          group[0], group[1], group[2]};
  for (bool daemon : {false, true}) {
    // Only the direct path follows each row of -r with an empty line.
    const std::string spacing = daemon ? "" : "\n";
    EXPECT_EQ(
        Expected(kHeadGiB + Rows(split) + Rows({n5}) +
                 "\n\n    WARNING!  Some critical fields are NULL!  "
                 "(affected reid's shown below):\n\nrows of sql\n\n" +
                 kHeadGiB + Rows({ev1, w7}) + Rows(group) + Rows({n5}) +
                 kHeadGiB + Rows(split) + kHeadBytes + Rows(split, kNoBytes) +
                 kHeadGiB + Rows(group, "0.000", spacing) + kHeadBytes +
                 Rows({group[1]}, kNoBytes, spacing) +
                 "\nNOT FOUND: x' or '1'='1\n\n"),
        RunDb(sandbox_,
              {"-e", "-u", "-p", "-P", "-r", "G1", "-R", "P2", "-r",
               "x' or '1'='1"},
              {daemon, {"--request-log", sandbox_.dir + "/requests"}}))
        << daemon;
  }
  // 8 queries and one settings request for each of the 29 rows.
  const std::string requests = ReadFile(sandbox_.dir + "/requests");
  EXPECT_EQ(37, std::count(requests.begin(), requests.end(), '\n'));
  const std::string sqlCommand =
      "select reid,splitstate,totalfiles,groupid,part,totalparts from events "
      "where streamstate is NULL or totalfiles is NULL or groupid is NULL or "
      "part is NULL or totalparts is NULL\n";
  EXPECT_EQ(sqlCommand + sqlCommand, ReadFile(sandbox_.logs + "/sql.log"));
}

// The size is worked out alike on both paths: the direct one shows it.
TEST_F(EventListingsTest, SizeComesFromStagedMetadata) {
  CreateCatalogue(sandbox_,
                  Events("('Z5', 0, 1, '', 0, 0), ('Z15', 0, 1, '', 0, 0), "
                         "('ZX', 0, 1, '', 0, 0), ('ZM', 0, 1, '', 0, 0)"));
  StageEvent(
      sandbox_, "Z5", std::string(1000, 'm'),
      "<stream><a name='1' src='7'/><b name='2' src='8' start-offset='1000'/>"
      "<c name='3' src='9' stop-offset='5000'/>"
      "<d name='4' src='9' start-offset='2000' stop-offset='7000'/></stream>");
  StageEvent(sandbox_, "Z15", std::string(1000, 'm'),
             "<stream><s name='1' src='7' start-offset='1000' "
             "stop-offset='1610612736'/></stream>");
  WriteFile(sandbox_.hd + "/connectionmgr/ZX.xml", "");
  WriteFile(sandbox_.hd + "/connectionmgr/ZM.mtd", "");
  // Z5 and Z15 are staged; ZX and ZM lack one file each.
  auto rows = [](const std::string& z5, const std::string& z15,
                 const std::string& none) {
    return Rows({Head("Z5", "RecordCmpl  NotNeeded ", "  0    0    Y")}, z5) +
           Rows({Head("Z15", "RecordCmpl  NotNeeded ", "  0    0    Y")}, z15) +
           Rows({Head("ZX"), Head("ZM")}, none);
  };
  EXPECT_EQ(Expected(kHeadGiB + rows("0.184", "1.500", "0.000") + kHeadBytes +
                     rows("  197142288", " 1610612736", kNoBytes)),
            RunDb(sandbox_, {"-e", "-E"}));
  // The direct path never reaches the settings: each row logs the failed
  // request at severity 2.
  EXPECT_TRUE(std::regex_match(
      ReadFile(sandbox_.logs + "/syslog"),
      std::regex("(<10>db: event_table\\.cc:[0-9]+ DisplayEvent: Error "
                 "getting video recording settings\n){8}")));
}

TEST_F(EventListingsTest, HoursTillReExportAndTheFirstAnswer) {
  // 5 seconds ahead of 6 hours ago: 18.00 stays for a run of up to 20 s.
  const time_t sixHoursAgo = time(nullptr) - 6 * 3600 + 5;
  CreateCatalogue(
      sandbox_,
      Events("('H6', 0, 1, '', 0, 0), ('H0', 0, 1, '', 0, 0)") +
          "update events set exporttime=" + std::to_string(sixHoursAgo) +
          " where reid='H6';\ninsert into eventanswers values ('H6', 'Q', "
          "'Answer text'), ('H6', 'Q', 'second');\n");
  // The export time cell: %X in UTC.
  char exported[16];
  strftime(exported, sizeof(exported), "    %H:%M:%S", gmtime(&sixHoursAgo));
  const std::string h6 =
      Head("H6", "RecordCmpl  NotNeeded ", "  0    0    N", "",
           "11/14/23 22:13:20  22:14:50" + std::string(exported));
  auto rows = [&](const std::string& h6Hours, const std::string& h0Hours) {
    return kHeadGiB + h6 + "0.000  " + h6Hours + "           Answer text  \n" +
           Head("H0") + "0.000  " + h0Hours + "  \n";
  };
  EXPECT_EQ(Expected(rows("               18.00", "                  NA")),
            RunDb(sandbox_, {"-e"}, {true, {"--reexport-hours", "24"}}));
  EXPECT_EQ(Expected(rows("            Disabled", "            Disabled")),
            RunDb(sandbox_, {"-e"}, {true, {"--reexport-hours", "0"}}));
  // StreamMgr answered every settings request.
  EXPECT_EQ("", ReadFile(sandbox_.logs + "/syslog"));
  // An answer that the settings cannot be read is no failure of the run.
  EXPECT_EQ(Expected(rows("                  NA", "                  NA")),
            RunDb(sandbox_, {"-e"}, {true, {"--settings-fail"}}));
}

}  // namespace
