#include "access/outside_command.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iostream>

extern char** environ;

namespace {

// The own-group command that runs, and the pipe db reads it by; the signal
// handler that ends the run reads both.
volatile sig_atomic_t runningPid = 0;
volatile sig_atomic_t runningOutputFd = -1;

// The signals that end a run from the terminal or the system, and a broken
// pipe under db's stdout.
sigset_t EndingSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  for (int number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
    sigaddset(&signals, number);
  }
  return signals;
}

// Starts /bin/sh -c command with its stdout on `outputFd`; the child's
// signal mask is `mask`. Returns the pid, or -1.
pid_t Spawn(const std::string& command, int outputFd, bool ownGroup,
            const sigset_t& mask) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
  short flags = POSIX_SPAWN_SETSIGMASK;
  if (ownGroup) flags |= POSIX_SPAWN_SETPGROUP;
  posix_spawnattr_setflags(&attributes, flags);
  posix_spawnattr_setsigmask(&attributes, &mask);
  posix_spawnattr_setpgroup(&attributes, 0);
  char* const argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"),
                        const_cast<char*>(command.c_str()), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, "/bin/sh", &actions, &attributes, argv, environ) != 0) {
    pid = -1;
  }
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int WaitFor(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return status;
}

}  // namespace

OutsideCommand::OutsideCommand(const std::string& command, bool ownGroup)
    : ownGroup_(ownGroup) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return;
  // What db printed so far comes before anything the child writes.
  std::cout.flush();
  const sigset_t ending = EndingSignals();
  sigset_t before;
  sigprocmask(SIG_BLOCK, ownGroup ? &ending : nullptr, &before);
  pid_ = Spawn(command, fds[1], ownGroup, before);
  close(fds[1]);
  if (pid_ > 0) output_ = fdopen(fds[0], "r");
  if (output_ == nullptr) close(fds[0]);
  if (ownGroup && pid_ > 0) {
    runningOutputFd = output_ != nullptr ? fds[0] : -1;
    runningPid = pid_;
  }
  sigprocmask(SIG_SETMASK, &before, nullptr);
}

OutsideCommand::~OutsideCommand() { Finish(); }

bool OutsideCommand::ReadPiece(char* piece, int size) {
  return output_ != nullptr && fgets(piece, size, output_) != nullptr;
}

size_t OutsideCommand::ReadSome(char* buffer, size_t size) {
  if (output_ == nullptr) return 0;
  for (;;) {
    ssize_t got = read(fileno(output_), buffer, size);
    if (got >= 0) return static_cast<size_t>(got);
    if (errno != EINTR) return 0;
  }
}

int OutsideCommand::Finish() {
  if (output_ != nullptr) {
    if (ownGroup_) runningOutputFd = -1;
    fclose(output_);
    output_ = nullptr;
  }
  if (pid_ <= 0) return -1;
  const int status = WaitFor(pid_);
  if (ownGroup_) runningPid = 0;
  pid_ = -1;
  return status;
}

int RunCommand(const std::string& command) {
  OutsideCommand child(command, false);
  char buffer[4096];
  size_t got;
  while ((got = child.ReadSome(buffer, sizeof(buffer))) > 0) {
    // Passed on as it comes, so that it meets the child's stderr on a
    // terminal as it would have unpiped.
    std::cout.write(buffer, got).flush();
  }
  return child.Finish();
}

bool Succeeded(int status) {
  return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool CouldNotRun(int status) {
  return status == -1 || (WIFEXITED(status) && (WEXITSTATUS(status) == 126 ||
                                                WEXITSTATUS(status) == 127));
}

void EndRunningCommand() {
  const pid_t pid = runningPid;
  if (pid <= 0) return;
  // A child blocked on a full pipe ends too.
  if (runningOutputFd >= 0) close(runningOutputFd);
  kill(-pid, SIGTERM);
  int status;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  // Whatever the shell started and left behind ends at once.
  kill(-pid, SIGKILL);
  runningPid = 0;
}
