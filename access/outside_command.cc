#include "access/outside_command.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
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
  if (pid_ > 0) {
    output_ = fds[0];
  } else {
    close(fds[0]);
  }
  if (ownGroup && pid_ > 0) {
    runningOutputFd = output_;
    runningPid = pid_;
  }
  sigprocmask(SIG_SETMASK, &before, nullptr);
}

OutsideCommand::~OutsideCommand() { Finish(); }

bool OutsideCommand::Refill() {
  if (output_ < 0) return false;
  for (;;) {
    ssize_t got = read(output_, buffer_, sizeof(buffer_));
    if (got > 0) {
      start_ = 0;
      end_ = static_cast<size_t>(got);
      return true;
    }
    if (got == 0 || errno != EINTR) return false;
  }
}

bool OutsideCommand::ReadPiece(char* piece, size_t size) {
  size_t length = 0;
  while (length + 1 < size) {
    if (start_ == end_ && !Refill()) break;
    const char c = buffer_[start_++];
    piece[length++] = c;
    if (c == '\n') break;
  }
  piece[length] = '\0';
  return length > 0;
}

size_t OutsideCommand::ReadSome(char* buffer, size_t size) {
  if (start_ == end_ && !Refill()) return 0;
  const size_t length = std::min(size, end_ - start_);
  std::memcpy(buffer, buffer_ + start_, length);
  start_ += length;
  return length;
}

int OutsideCommand::Finish() {
  if (output_ >= 0) {
    if (ownGroup_) runningOutputFd = -1;
    close(output_);
    output_ = -1;
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
