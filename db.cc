// db: inspection and maintenance of the recorder's recordings catalogue.
// Start-up picks the access path once; then every option runs its action at
// once, left to right, as a script.

#include <getopt.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include "access/log_client.h"
#include "access/outside_command.h"
#include "events/event_listings.h"
#include "files/file_options.h"
#include "files/file_sizes.h"
#include "files/files_listing.h"
#include "maintenance/analysis_options.h"
#include "maintenance/disk_analysis.h"
#include "maintenance/event_deletion.h"
#include "maintenance/split_analysis.h"
#include "maintenance/table_inventory.h"
#include "program_state.h"
#include "run_status.h"
#include "standard_output.h"

sqlite3* db = nullptr;
bool catalogueOpened = false;
bool streamMgrRunning = false;
LinxIpc ipc(std::string("db"));
StreamFileAccess fileAccess;

namespace {

const char kDatabasePath[] = "/mnt/hd/streammgr/stream.db";
// --deleteall has no short form, so its value lies outside the characters.
const int kDeleteAll = 0xff00;

const char kShortOptions[] = "ha:d:eEf:r:R:spPtu";
const option kLongOptions[] = {
    {"help", no_argument, nullptr, 'h'},
    {"usage", no_argument, nullptr, 'h'},
    {"analyze", required_argument, nullptr, 'a'},
    {"delete", required_argument, nullptr, 'd'},
    {"deleteall", no_argument, nullptr, kDeleteAll},
    {"events", no_argument, nullptr, 'e'},
    {"files", required_argument, nullptr, 'f'},
    {"reid", required_argument, nullptr, 'r'},
    {"split", no_argument, nullptr, 'p'},
    {"status", no_argument, nullptr, 's'},
    {"tables", no_argument, nullptr, 't'},
    {"un", no_argument, nullptr, 'u'},
    {nullptr, 0, nullptr, 0},
};

// Prints the help screen on stdout, flushing every line end, closed by
// whether StreamMgr was found running.
void Usage(const std::string& programName, const char* message) {
  std::ostream& out = std::cout;
  const std::string indent9(9, ' ');
  const std::string indent17(17, ' ');
  const std::string indent20(20, ' ');
  out << std::endl << std::endl;
  if (message != nullptr) out << message << std::endl;
  out << "Usage: " << programName << std::endl;
  out << indent9 << "[-h] or [--help] or [--usage] Shows this help message"
      << std::endl;
  out << indent9
      << "[-a] or [--analyze] <d|s[z]>  Analyze the database and stream files"
         " (d = entire disk, s = split events)"
      << std::endl;
  out << indent20
      << "d = Analyze entire disk: all possible split points A) playable "
         "within 2 seconds, B) on frame boundary"
      << std::endl;
  out << indent20
      << "s = Analyze all split events: total parts, 2-sec overlap, last part"
         " >= 2 sec"
      << std::endl;
  out << indent20
      << "znn = Optional split event verification that all parts are < nn GB"
         " in size"
      << std::endl;
  out << indent9
      << "[-d] or [--delete] <reid>  Delete this REID or all events with this"
         " groupId"
      << std::endl;
  out << indent17 << "[--deleteall]      Delete all events" << std::endl;
  out << indent9 << "[-e] or [--events]         Display the events table"
      << std::endl;
  out << indent9
      << "[-f] or [--files] <[*?num]s[0-3]cfklnrt>   Display the files table."
         "  One or more options required:"
      << std::endl;
  out << indent20
      << "Options can be combined, and are processed in the order entered "
         "(might be important for sorting)."
      << std::endl;
  out << indent20
      << "[*?num] = Display a specific file num (or combined with wildcards)."
         " Default sort by num"
      << std::endl;
  out << indent20
      << "s[0-3]  = Display a specific stream number (i.e. show file chain). "
         " Default sort by start tick"
      << std::endl;
  out << indent20
      << "a = Display allocated file(s) (to be written next). Default sort by"
         " start tick"
      << std::endl;
  out << indent20
      << "c = Display current file(s) being written. Default sort by start "
         "tick"
      << std::endl;
  out << indent20
      << "f = Display 'Free' or 'UsedFree' files.  Default sort by start tick"
      << std::endl;
  out << indent20
      << "k = Display 'UsedKeep' files (i.e. files locked by untransferred "
         "events). Default sort by start tick"
      << std::endl;
  out << indent20 << "l = Limit output to the first 20 items." << std::endl;
  out << indent20 << "n = Sort by file number" << std::endl;
  out << indent20 << "r = Reverse the sort" << std::endl;
  out << indent20 << "t = Sort by start tick" << std::endl;
  out << indent20
      << "NOTE: if * is used, entire string must be enclosed in single "
         "quotes: e.g. '*r'"
      << std::endl;
  out << indent20
      << "Example: db -f '*r' = display all files, reverse sorted by "
         "(default) file number"
      << std::endl;
  out << indent20
      << "Example: db -f 20?tr = display files 200-209, reverse sorted by "
         "start tick"
      << std::endl;
  out << indent20
      << "Example: db -f s0f = display free files for stream 0, sorted by "
         "(default) start tick"
      << std::endl;
  out << indent20
      << "Example: db -f s2 = display file chain for stream 2, sorted by "
         "(default) start tick"
      << std::endl;
  out << indent9 << "[-r] or [--reid] <reid>  Display only this REID or groupId"
      << std::endl;
  out << indent9
      << "[-p] or [--split]        Display only events that have been split"
      << std::endl;
  out << indent9 << "[-s] or [--status]       Display the status table"
      << std::endl;
  out << indent9
      << "[-t] or [--tables]       Display the list of tables and number of "
         "rows in each"
      << std::endl;
  out << indent9
      << "[-u] or [--un]           Display only events that are un-transferred"
         " (and un-confirmed)"
      << std::endl;
  out << std::endl;
  out << "StreamMgr is currently " << (streamMgrRunning ? "" : "NOT ")
      << "running" << std::endl
      << std::endl;
}

// Tells whether "pidof StreamMgr" printed anything; a probe that cannot be
// run finds no daemon. The probe is reaped at the end of the run.
bool IsStreamMgrRunning(OutsideCommand* probe) {
  char line[1024];
  return probe->ReadPiece(line, sizeof(line));
}

// Opens the catalogue into `db`; the result is the run's exit status.
int OpenDatabase() {
  // The process has one thread, so SQLite need take no lock at all, nor
  // keep memory statistics under one; a listing makes a dozen calls and
  // several allocations a row, and each lock is an atomic instruction that
  // an emulated board pays dearly. Without effect, and harmless, should
  // SQLite have been started before.
  sqlite3_config(SQLITE_CONFIG_SINGLETHREAD);
  sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
  // Never created: StreamMgr would start on an empty catalogue that stood
  // in for a lost one.
  int result =
      sqlite3_open_v2(kDatabasePath, &db, SQLITE_OPEN_READWRITE, nullptr);
  if (result != SQLITE_OK) std::cerr << "error opening sqlite3" << std::endl;
  catalogueOpened = result == SQLITE_OK;
  return result;
}

void PrepareFileAccess() {
  if (!fileAccess.InitializeFileAccess(false, true)) {
    // The recorder's own text, leading blank included: keep it so.
    std::cerr << " cannot proceed without fileAccess initialized" << std::endl;
  }
}

void ConnectOrLoadSizes() {
  if (!streamMgrRunning) {
    // The file-access layer learns every file's size from the catalogue.
    LoadFileSizes(db, [](int number, int size) {
      fileAccess.InitializeFileSize(number, size);
    });
    return;
  }
  if (ipc.Init() != 0) {
    std::cerr << "Error initializing the ipc connection" << std::endl;
    std::exit(1);
  }
}

// Runs every option's action in command-line order, until stdout fails;
// returns the exit status, which only -h and unknown options change.
int RunOptions(int argc, char** argv, int exitStatus) {
  FileOptions fileOptions;
  AnalysisOptions analysisOptions;
  std::string optionText;
  std::string idText;
  const std::string programName = argv[0];
  int longIndex = 0;
  int value;
  while (OutputIsWritable() &&
         (value = getopt_long(argc, argv, kShortOptions, kLongOptions,
                              &longIndex)) != -1) {
    switch (value) {
      case 'h':
        Usage(programName, nullptr);
        exitStatus = 0;
        break;
      case 'a':
        optionText = optarg;
        ProcessAnalysisOptions(&optionText, &analysisOptions);
        if (analysisOptions.analyzeDisk) {
          AnalyzeDisk();
        } else if (analysisOptions.analyzeSplitEvents) {
          AnalyzeSplitEvents(analysisOptions.maxPartSizeGB);
        }
        break;
      case 'd':
        idText = optarg;
        DeleteEventOrGroup(idText);
        break;
      case kDeleteAll:
        DeleteAllEvents();
        break;
      case 'e':
        DisplayEvents(false);
        break;
      case 'E':
        DisplayEvents(true);
        break;
      case 'f':
        optionText = optarg;
        ProcessFileDisplayOptions(&optionText, &fileOptions);
        DisplayFiles(fileOptions);
        break;
      case 'r':
        idText = optarg;
        DisplayEventsById(idText, false);
        break;
      case 'R':
        idText = optarg;
        DisplayEventsById(idText, true);
        break;
      case 'p':
        DisplaySplitEvents(false);
        break;
      case 'P':
        DisplaySplitEvents(true);
        break;
      case 's':
        DisplayStatus();
        break;
      case 't':
        DisplayTables();
        break;
      case 'u':
        DisplayUntransferredEvents();
        break;
      default:
        Usage(programName, "Error: unknown option specified");
        exitStatus = 0;
        break;
    }
  }
  return exitStatus;
}

}  // namespace

int main(int argc, char** argv) {
  // Output is flushed where the order against children and stderr matters;
  // elsewhere it is buffered, which a slow board needs for long listings.
  std::ios::sync_with_stdio(false);
  InstallStandardOutput();
  OutsideCommand probe("pidof StreamMgr", false);
  streamMgrRunning = IsStreamMgrRunning(&probe);
  if (argc <= 1) {
    Usage(argc == 1 ? argv[0] : "db", nullptr);
    return ExitStatus(0, false);
  }
  const int openStatus = OpenDatabase();
  PrepareFileAccess();
  ConnectOrLoadSizes();
  LogClient::Instance().ProcessName("db");
  const int exitStatus = RunOptions(argc, argv, openStatus);
  probe.Finish();
  return ExitStatus(exitStatus, catalogueOpened);
}
