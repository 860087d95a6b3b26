#include "maintenance/disk_analysis.h"

#include <sqlite3.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "access/sql_statement.h"
#include "access/stream_mgr_api.h"
#include "db.h"

namespace {

const char kCountSql[] = "select count(*) from streamfiles";
const char kCopiedMarker[] = "copied: ";
// Tool output is read in pieces of at most this size less one; a longer
// line arrives in several pieces.
const int kPieceBytes = 1024;

// A failed count counts no files.
uint32_t StreamFileCount() {
  unsigned int count = 0;
  if (streamMgrRunning) {
    StreamMgrApi::GetCountFromSqlStatement(ipc, kCountSql, count, 60000);
    return count;
  }
  SQLStatement statement(db, kCountSql);
  if (statement.rc != SQLITE_OK) {
    std::cerr << "Error getting count for streamfiles\n";
    return 0;
  }
  statement.rc = sqlite3_step(statement.stmt);
  if (statement.rc == SQLITE_ROW) {
    count = static_cast<uint32_t>(sqlite3_column_int(statement.stmt, 0));
  }
  return count;
}

bool EndsLine(const char* piece) {
  const size_t length = std::strlen(piece);
  return length > 0 && piece[length - 1] == '\n';
}

// The name that "StreamMgrCli -x number" reports after the last "copied: "
// it prints, without the line end; empty when it reports none or cannot be
// started. The marker is looked for in each piece as read; a name that runs
// on past its piece is completed from the pieces that follow.
std::string CopiedFileName(uint32_t number) {
  const std::string command = "StreamMgrCli -x " + std::to_string(number);
  std::cout.flush();
  FILE* output = popen(command.c_str(), "r");
  if (output == nullptr) return "";
  std::string name;
  bool nameRunsOn = false;
  char piece[kPieceBytes];
  while (fgets(piece, sizeof(piece), output) != nullptr) {
    const char* marker = std::strstr(piece, kCopiedMarker);
    if (marker != nullptr) {
      name = marker + std::strlen(kCopiedMarker);
    } else if (nameRunsOn) {
      name += piece;
    }
    nameRunsOn = (marker != nullptr || nameRunsOn) && !EndsLine(piece);
  }
  pclose(output);
  // Only a line end is cut: a last line without one keeps its last character.
  if (!name.empty() && name.back() == '\n') name.pop_back();
  return name;
}

// True when the shell could not run the command at all (not found, not
// executable), as the status of pclose tells.
bool ShellCouldNotRun(int status) {
  return status == -1 || (WIFEXITED(status) && (WEXITSTATUS(status) == 126 ||
                                                WEXITSTATUS(status) == 127));
}

// Runs the analysis of the copy and passes its output on from the first
// piece holding "FAIL"; true when there was one. An analysis that cannot be
// run fails the file: a missing tool must never make a file pass.
bool CopyFailureLines(uint32_t number) {
  const std::string command =
      "filePes -a /mnt/hd/" + std::to_string(number) + ".ts";
  std::cout.flush();
  FILE* output = popen(command.c_str(), "r");
  bool failed = false;
  int status = -1;
  if (output != nullptr) {
    char piece[kPieceBytes];
    while (fgets(piece, sizeof(piece), output) != nullptr) {
      if (std::strstr(piece, "FAIL") != nullptr) failed = true;
      if (failed) std::cout << piece;
    }
    status = pclose(output);
  }
  if (!failed && ShellCouldNotRun(status)) {
    std::cout << "FAIL: filePes could not be run\n";
    failed = true;
  }
  return failed;
}

// The analysis goes on whether or not rm succeeds.
void RemoveCopy(uint32_t number) {
  const std::string command =
      "rm /mnt/hd/" + std::to_string(number) + ".ts > /dev/null";
  std::cout.flush();
  int ignored = std::system(command.c_str());
  (void)ignored;
}

// Extracts, analyses and deletes one stream file, ending its line with the
// verdict. Each step's text shows before the step starts.
void CheckStreamFile(uint32_t number) {
  std::cout << " Checking " << number << ".ts:  extracting..." << std::flush;
  const std::string name = CopiedFileName(number);
  if (name.empty()) {
    // Nothing to analyse, and no copy of ours to delete.
    std::cout << "no copy reported\n";
    return;
  }
  std::cout << name << std::flush;
  std::cout << "  checking..." << std::flush;
  const bool failed = CopyFailureLines(number);
  RemoveCopy(number);
  if (!failed) std::cout << "PASS\n";
}

}  // namespace

void AnalyzeDisk() {
  const uint32_t count = StreamFileCount();
  std::cout << "File count = " << count << '\n';
  // Wider than the count, so that the largest count still ends the loop.
  for (uint64_t number = 1; number <= count; ++number) {
    CheckStreamFile(static_cast<uint32_t>(number));
  }
  std::cout << '\n';
}
