#ifndef DB_TESTS_SANDBOX_H_
#define DB_TESTS_SANDBOX_H_

#include <gtest/gtest.h>
#include <sys/types.h>

#include <ostream>
#include <string>
#include <vector>

// One end-to-end case: a private directory whose hd/ is mounted at /mnt/hd
// while the shipped db runs in a mount and network namespace of its own,
// with bin/ first on PATH for the fake outside commands.
struct Sandbox {
  std::string dir;
  std::string hd;
  std::string bin;
  std::string logs;
};

struct RunOptions {
  // Start the stand-in StreamMgr with these arguments inside the case's
  // namespaces, and let the fake pidof print its pid.
  bool daemon = false;
  std::vector<std::string> daemonArgs;
  // Where db's stdout goes instead of the case's out file (such as
  // "/dev/full", or "&-" to close it), or a command that reads it and
  // writes the out file.
  std::string stdoutFile = "";
  std::string stdoutReader = "";
  // db's stderr goes where its stdout goes, interleaved as on a terminal.
  bool mergeStderr = false;
  // Shell words put before db's command, such as a command that changes
  // what db inherits and then runs the rest.
  std::string prefix = "";
  // With a signal, db runs in the background and gets it as soon as the
  // file `signalWhenExists` (a path in the case's namespaces) exists.
  int signal = 0;
  std::string signalWhenExists = "";
  // With a value, the stand-in client in db waits at most this long for a
  // reply, whatever timeout db asked for.
  int clientMaxWaitMs = 0;
  // With a limit, db's stack may grow to this many KiB (`ulimit -s`).
  int stackKiB = 0;
  // The TZ that db runs in.
  std::string timeZone = "UTC";
};

// What a run wrote on stdout and stderr, and its exit status; compared and
// printed whole.
struct RunResult {
  std::string out;
  std::string err;
  int status = -1;
};
bool operator==(const RunResult& a, const RunResult& b);
void PrintTo(const RunResult& run, std::ostream* os);

// What a run that wrote `out` and `err` and ended with `status` returns.
inline RunResult Expected(const std::string& out, const std::string& err = "",
                          int status = 0) {
  return {out, err, status};
}

// Makes a fresh case directory with silent fakes of pidof, sql,
// StreamMgrCli and filePes that log their arguments to logs/NAME.log.
Sandbox MakeSandbox();
void RemoveSandbox(const Sandbox& sandbox);

// Creates hd/streammgr/stream.db from the recorder schema, then runs `sql`.
void CreateCatalogue(const Sandbox& sandbox, const std::string& sql);
// Runs `sql` on the case's catalogue; rows as lines of '|'-joined values.
std::string QueryCatalogue(const Sandbox& sandbox, const std::string& sql);

// Replaces the fake `name` with a script running `body` (after the line
// that logs its arguments) with permissions `mode`; mode 0 leaves none.
void FakeCommand(const Sandbox& sandbox, const std::string& name,
                 const std::string& body, mode_t mode = 0755);

// Stages event `reid`: writes hd/connectionmgr/REID.mtd holding `mtd` and
// an REID.xml whose streams element holds `streams`.
void StageEvent(const Sandbox& sandbox, const std::string& reid,
                const std::string& mtd, const std::string& streams);

void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);

// Runs the shipped db with `args` in the case directory; what it logs lands
// in logs/syslog. The case fails loudly when the sandbox cannot be set up.
RunResult RunDb(const Sandbox& sandbox, const std::vector<std::string>& args,
                const RunOptions& options = RunOptions());

// A fixture whose every case runs in a fresh sandbox.
class SandboxTest : public ::testing::Test {
 protected:
  ~SandboxTest() override { RemoveSandbox(sandbox_); }

  Sandbox sandbox_ = MakeSandbox();
};

#endif  // DB_TESTS_SANDBOX_H_
