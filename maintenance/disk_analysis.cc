#include "maintenance/disk_analysis.h"

#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "access/outside_command.h"
#include "access/sql_statement.h"
#include "access/stream_mgr_api.h"
#include "program_state.h"
#include "run_status.h"
#include "standard_output.h"

namespace {

const char kCountSql[] = "select count(*) from streamfiles";
const char kCopiedMarker[] = "copied: ";
// Tool output is read in pieces of at most this size less one; a longer
// line arrives in several pieces.
const int kPieceBytes = 1024;
// The signals that end a run from the terminal or the system, and a broken
// pipe under stdout.
const int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// The scratch copy that the analysis holds, if any; a signal ending the run
// ends the tool that works on it and then removes it, so that no pool file
// is left on the disk.
char scratchCopy[32];
volatile sig_atomic_t holdingCopy = 0;

void RemoveScratchCopyAndEnd(int signalNumber) {
  EndRunningCommand();
  if (holdingCopy) unlink(scratchCopy);
  signal(signalNumber, SIG_DFL);
  raise(signalNumber);
}

// Ending signals remove the scratch copy first. Those that the run was
// started with ignored stay ignored; a broken pipe, which ends db all the
// same, removes it too.
void CatchEndingSignals() {
  for (int signalNumber : kEndingSignals) {
    struct sigaction current;
    if (sigaction(signalNumber, nullptr, &current) == 0 &&
        (current.sa_handler != SIG_IGN || signalNumber == SIGPIPE)) {
      signal(signalNumber, RemoveScratchCopyAndEnd);
    }
  }
}

void ReleaseEndingSignals() {
  for (int signalNumber : kEndingSignals) {
    struct sigaction current;
    if (sigaction(signalNumber, nullptr, &current) == 0 &&
        current.sa_handler == RemoveScratchCopyAndEnd) {
      signal(signalNumber, SIG_DFL);
    }
  }
}

// A failed count counts no files.
uint32_t StreamFileCount() {
  unsigned int count = 0;
  if (streamMgrRunning) {
    NoteIfQueryFailed(
        ipc,
        StreamMgrApi::GetCountFromSqlStatement(ipc, kCountSql, count, 60000),
        kCountSql);
    return count;
  }
  SQLStatement statement(db, kCountSql);
  if (statement.rc != SQLITE_OK) {
    std::cerr << "Error getting count for streamfiles\n";
    return 0;
  }
  statement.rc = sqlite3_step(statement.stmt);
  if (statement.rc != SQLITE_ROW) {
    NoteFailure();
    return 0;
  }
  return static_cast<uint32_t>(sqlite3_column_int(statement.stmt, 0));
}

bool EndsLine(const char* piece) {
  const size_t length = std::strlen(piece);
  return length > 0 && piece[length - 1] == '\n';
}

// The name that "StreamMgrCli -x number" reports after the last "copied: "
// it prints, without the line end; empty when it reports none. *ran is
// false when the tool could not be run at all. The marker is looked for in
// each piece as read; a name that runs on past its piece is completed from
// the pieces that follow.
std::string CopiedFileName(uint32_t number, bool* ran) {
  OutsideCommand extraction("StreamMgrCli -x " + std::to_string(number), true);
  std::string name;
  bool nameRunsOn = false;
  char piece[kPieceBytes];
  while (extraction.ReadPiece(piece, sizeof(piece))) {
    const char* marker = std::strstr(piece, kCopiedMarker);
    if (marker != nullptr) {
      name = marker + std::strlen(kCopiedMarker);
    } else if (nameRunsOn) {
      name += piece;
    }
    nameRunsOn = (marker != nullptr || nameRunsOn) && !EndsLine(piece);
  }
  *ran = !CouldNotRun(extraction.Finish());
  // Only a line end is cut: a last line without one keeps its last character.
  if (!name.empty() && name.back() == '\n') name.pop_back();
  return name;
}

// Runs the analysis of the copy and passes its output on from the first
// piece holding "FAIL"; true when there was one. An analysis that cannot be
// run fails the file: a missing tool must never make a file pass.
bool CopyFailureLines(uint32_t number) {
  OutsideCommand analysis(
      "filePes -a /mnt/hd/" + std::to_string(number) + ".ts", true);
  bool failed = false;
  char piece[kPieceBytes];
  while (analysis.ReadPiece(piece, sizeof(piece))) {
    if (std::strstr(piece, "FAIL") != nullptr) failed = true;
    if (failed) std::cout << piece;
  }
  const bool ran = !CouldNotRun(analysis.Finish());
  if (!failed && !ran) {
    std::cout << "FAIL: filePes could not be run\n";
    NoteFailure();
    failed = true;
  }
  return failed;
}

// A copy still there after rm fails the run; the analysis goes on.
void RemoveCopy(uint32_t number) {
  OutsideCommand removal(
      "rm /mnt/hd/" + std::to_string(number) + ".ts > /dev/null", true);
  struct stat copy;
  if (!Succeeded(removal.Finish()) && lstat(scratchCopy, &copy) == 0) {
    NoteFailure();
  }
}

// Extracts, analyses and deletes one stream file, ending its line with the
// verdict. Each step's text shows before the step starts.
void CheckStreamFile(uint32_t number) {
  std::cout << " Checking " << number << ".ts:  extracting..." << std::flush;
  std::snprintf(scratchCopy, sizeof(scratchCopy), "/mnt/hd/%u.ts", number);
  holdingCopy = 1;
  bool ran = false;
  const std::string name = CopiedFileName(number, &ran);
  if (name.empty()) {
    // Nothing to analyse, and no copy of ours to delete.
    holdingCopy = 0;
    if (ran) {
      std::cout << "no copy reported\n";
    } else {
      std::cout << "FAIL: StreamMgrCli could not be run\n";
      NoteFailure();
    }
    return;
  }
  std::cout << name << std::flush;
  std::cout << "  checking..." << std::flush;
  const bool failed = CopyFailureLines(number);
  RemoveCopy(number);
  holdingCopy = 0;
  if (!failed) std::cout << "PASS\n";
}

}  // namespace

void AnalyzeDisk() {
  const uint32_t count = StreamFileCount();
  std::cout << "File count = " << count << '\n';
  CatchEndingSignals();
  // Wider than the count, so that the largest count still ends the loop.
  for (uint64_t number = 1; number <= count && OutputIsWritable(); ++number) {
    CheckStreamFile(static_cast<uint32_t>(number));
  }
  ReleaseEndingSignals();
  std::cout << '\n';
}
