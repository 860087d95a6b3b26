#ifndef DB_ACCESS_OUTSIDE_COMMAND_H_
#define DB_ACCESS_OUTSIDE_COMMAND_H_

#include <sys/types.h>

#include <cstddef>
#include <string>

// An outside program, started as popen starts one (/bin/sh -c with the
// command line, stdin and stderr db's own) with its stdout on a pipe that
// db reads. Unlike popen it keeps the child's pid, so that db can wait for
// it, tell how it ended, and end it with the run.
class OutsideCommand {
 public:
  // With `ownGroup` the child leads a process group of its own, which
  // EndRunningCommand ends; db's own ending signals are held off while it
  // starts, so that no child escapes that.
  OutsideCommand(const std::string& command, bool ownGroup);
  ~OutsideCommand();
  OutsideCommand(const OutsideCommand&) = delete;
  OutsideCommand& operator=(const OutsideCommand&) = delete;

  // The next piece of its output as fgets reads it: up to a line end or
  // size - 1 bytes, zero-terminated. False at its end, or when it could not
  // be started.
  bool ReadPiece(char* piece, size_t size);

  // Reads what the child has written so far, up to `size` bytes, as it
  // comes; 0 at its end.
  size_t ReadSome(char* buffer, size_t size);

  // Closes the pipe and waits for the child; returns its wait status, or
  // -1 when no child could be started.
  int Finish();

 private:
  // Reads more output into buffer_; false at its end. A signal that breaks
  // off the read loses nothing.
  bool Refill();

  pid_t pid_ = -1;
  int output_ = -1;
  bool ownGroup_ = false;
  // Output read but not yet handed out: buffer_[start_, end_).
  char buffer_[4096];
  size_t start_ = 0;
  size_t end_ = 0;
};

// Runs `command`, copying its output to stdout as it comes, and returns its
// wait status, or -1 when it could not be started.
int RunCommand(const std::string& command);

// True for a child that ran and ended with status 0.
bool Succeeded(int status);

// True when no child started or the shell could not run the command (not
// found, not executable).
bool CouldNotRun(int status);

// Ends the running own-group command and all it started, and waits for it;
// safe in a signal handler. Does nothing when none runs.
void EndRunningCommand();

#endif  // DB_ACCESS_OUTSIDE_COMMAND_H_
