#include "tests/sandbox.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "standin/recorder_schema.h"

namespace {

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? "'\\''" : std::string(1, c);
  return quoted + "'";
}

// The command that starts the tool or the daemon: binaries built for
// another machine run through the emulator in DB_EMULATOR, and both behind
// the words of DB_WRAPPER when the environment sets it (scripts/valgrind.sh
// runs them under memcheck so).
std::string CheckedCommand(const char* binary) {
  const char* wrapper = getenv("DB_WRAPPER");
  return std::string(wrapper != nullptr ? wrapper : "") + " " + DB_EMULATOR +
         " " + ShellQuoted(binary);
}

// The script run inside the namespaces, in the case directory: mounts,
// fakes, daemon, db. await waits up to 10 s for its condition.
std::string RunScript(const Sandbox& sandbox,
                      const std::vector<std::string>& args,
                      const RunOptions& options) {
  std::ostringstream script;
  script << "set -u\ncd " << ShellQuoted(sandbox.dir) << "\n"
         << "fail() { echo \"$1\" > harness.err; exit 90; }\n"
         << "await() { n=0; until eval \"$1\"; do n=$((n+1));"
         << " [ $n -gt 1000 ] && fail \"$2\"; sleep 0.01; done; }\n"
         << "mount --make-rprivate / || fail 'cannot make mounts private'\n"
         << "mount -t tmpfs tmpfs /mnt || fail 'cannot mount /mnt'\n"
         << "mkdir /mnt/hd && mount --bind " << ShellQuoted(sandbox.hd)
         << " /mnt/hd || fail 'cannot mount /mnt/hd'\n"
         << "export PATH=" << ShellQuoted(sandbox.bin)
         << ":\"$PATH\" TZ=" << ShellQuoted(options.timeZone)
         << " STANDIN_LOG_FILE=" << ShellQuoted(sandbox.logs + "/syslog")
         << "\n";
  if (options.daemon) {
    // A "ready" left by an earlier run of the case must not be taken for
    // this daemon's; later runs see the case's own pidof again.
    script << "rm -f daemon.out\n" << CheckedCommand(STREAMMGR_BINARY);
    for (const std::string& arg : options.daemonArgs) {
      script << " " << ShellQuoted(arg);
    }
    script << " > daemon.out 2> daemon.err &\ndaemon=$!\n"
           << "await 'grep -q ready daemon.out' 'StreamMgr did not start'\n"
           << "mv bin/pidof pidof.saved\n"
           << "printf '#!/bin/sh\\necho %s\\n' $daemon > bin/pidof\n"
           << "chmod +x bin/pidof\n";
  }
  if (options.clientMaxWaitMs > 0) {
    script << "export STANDIN_CLIENT_MAX_WAIT_MS=" << options.clientMaxWaitMs
           << "\n";
  }
  std::string db = options.prefix + " " + CheckedCommand(DB_BINARY);
  for (const std::string& arg : args) db += " " + ShellQuoted(arg);
  db += " < /dev/null";
  if (options.stackKiB != 0) {
    db = "(ulimit -s " + std::to_string(options.stackKiB) + " && exec " + db +
         ")";
  }
  const std::string out =
      options.stdoutFile.empty() ? "out" : options.stdoutFile;
  const std::string err = options.mergeStderr ? "2>&1" : "2> err";
  if (options.signal != 0) {
    script << db << " >" << out << " " << err << " &\npid=$!\nawait "
           << ShellQuoted("[ -e " + ShellQuoted(options.signalWhenExists) +
                          " ]")
           << " 'no signal sent'\n"
           << "kill -" << options.signal << " $pid\nwait $pid\n"
           << "echo $? > status\n";
  } else if (!options.stdoutReader.empty()) {
    script << "(" << db << " " << err << "; echo $? > status) | "
           << options.stdoutReader << " > out\n";
  } else {
    script << db << " >" << out << " " << err << "\necho $? > status\n";
  }
  if (options.daemon) {
    script << "kill -TERM $daemon; wait $daemon\nmv pidof.saved bin/pidof\n";
  }
  return script.str() + "exit 0\n";
}

// Runs `sql` on the case's catalogue in the sqlite3 shell with `options`;
// rows as lines of '|'-joined values.
std::string RunOnCatalogue(const Sandbox& sandbox, const std::string& sql,
                           const std::string& options) {
  const std::string script = sandbox.dir + "/catalogue.sql";
  WriteFile(script, sql);
  FILE* shell = popen(("sqlite3 -bail " + options + " " +
                       ShellQuoted(sandbox.hd + "/streammgr/stream.db") +
                       " < " + ShellQuoted(script) + " 2>&1")
                          .c_str(),
                      "r");
  std::string rows;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof(buffer), shell)) > 0;) {
    rows.append(buffer, n);
  }
  if (pclose(shell) != 0) ADD_FAILURE() << "sqlite3 failed: " << rows;
  return rows;
}

}  // namespace

bool operator==(const RunResult& a, const RunResult& b) {
  return a.out == b.out && a.err == b.err && a.status == b.status;
}

void PrintTo(const RunResult& run, std::ostream* os) {
  *os << "status " << run.status << "\nstdout:\n"
      << run.out << "\nstderr:\n"
      << run.err;
}

Sandbox MakeSandbox() {
  char pattern[] = "/tmp/db-case.XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    ADD_FAILURE() << "cannot make a case directory";
    return Sandbox();
  }
  const std::string dir = pattern;
  const Sandbox sandbox{dir, dir + "/hd", dir + "/bin", dir + "/logs"};
  for (const std::string& path :
       {sandbox.hd, sandbox.bin, sandbox.logs, sandbox.hd + "/streams"}) {
    mkdir(path.c_str(), 0755);
  }
  for (const char* name : {"pidof", "sql", "StreamMgrCli", "filePes"}) {
    FakeCommand(sandbox, name,
                name == std::string("pidof") ? "exit 1" : "exit 0");
  }
  return sandbox;
}

void RemoveSandbox(const Sandbox& sandbox) {
  if (sandbox.dir.empty()) return;
  if (system(("rm -rf " + ShellQuoted(sandbox.dir)).c_str()) != 0)
    ADD_FAILURE() << "cannot remove " << sandbox.dir;
}

void CreateCatalogue(const Sandbox& sandbox, const std::string& sql) {
  mkdir((sandbox.hd + "/streammgr").c_str(), 0755);
  RunOnCatalogue(sandbox, RecorderSchemaSql() + sql, "");
}

std::string QueryCatalogue(const Sandbox& sandbox, const std::string& sql) {
  return RunOnCatalogue(sandbox, sql, "-readonly");
}

void FakeCommand(const Sandbox& sandbox, const std::string& name,
                 const std::string& body, mode_t mode) {
  const std::string path = sandbox.bin + "/" + name;
  std::remove(path.c_str());
  if (mode == 0) return;
  WriteFile(path, "#!/bin/sh\nprintf '%s\\n' \"$*\" >> " +
                      ShellQuoted(sandbox.logs + "/" + name + ".log") + "\n" +
                      body + "\n");
  chmod(path.c_str(), mode);
}

void StageEvent(const Sandbox& sandbox, const std::string& reid,
                const std::string& mtd, const std::string& streams) {
  const std::string base = sandbox.hd + "/connectionmgr/" + reid;
  mkdir((sandbox.hd + "/connectionmgr").c_str(), 0755);
  WriteFile(base + ".mtd", mtd);
  WriteFile(base + ".xml", "<recording-event><video><streams>" + streams +
                               "</streams></video></recording-event>");
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << content;
  if (!file) ADD_FAILURE() << "cannot write " << path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

RunResult RunDb(const Sandbox& sandbox, const std::vector<std::string>& args,
                const RunOptions& options) {
  const std::string dir = sandbox.dir + "/";
  // What an earlier run of the case left must not be taken for this one's.
  for (const char* name : {"out", "err", "status"}) {
    std::remove((dir + name).c_str());
  }
  WriteFile(dir + "run.sh", RunScript(sandbox, args, options));
  const int shell = system(("cd " + ShellQuoted(dir) +
                            " && unshare --mount --net -- /bin/sh run.sh > "
                            "harness.out 2>&1")
                               .c_str());
  const std::string status = ReadFile(dir + "status");
  if (status.empty()) {
    ADD_FAILURE() << "the sandbox could not be set up (namespaces need root): "
                  << "exit " << WEXITSTATUS(shell) << " "
                  << ReadFile(dir + "harness.err")
                  << ReadFile(dir + "harness.out");
    return RunResult();
  }
  // No case gives the daemon a statement it cannot prepare, so anything it
  // writes to stderr is a fault, such as a sanitizer's report.
  if (options.daemon && !ReadFile(dir + "daemon.err").empty()) {
    ADD_FAILURE() << "StreamMgr wrote to stderr: "
                  << ReadFile(dir + "daemon.err");
  }
  return {ReadFile(dir + "out"), ReadFile(dir + "err"), atoi(status.c_str())};
}
