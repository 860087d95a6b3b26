#include "standard_output.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <iostream>
#include <streambuf>

namespace {

bool outputFailed = false;

// Ends the process by SIGPIPE, as a process that had kept SIGPIPE's default
// action and mask would have ended on its write.
void EndByBrokenPipe() {
  struct sigaction current;
  if (sigaction(SIGPIPE, nullptr, &current) == 0 &&
      current.sa_handler == SIG_IGN) {
    signal(SIGPIPE, SIG_DFL);
  }
  raise(SIGPIPE);
  sigset_t pipeOnly;
  sigemptyset(&pipeOnly);
  sigaddset(&pipeOnly, SIGPIPE);
  sigprocmask(SIG_UNBLOCK, &pipeOnly, nullptr);
}

void ReportWriteError(int error) {
  outputFailed = true;
  if (error == EPIPE) EndByBrokenPipe();
  std::cerr << "db: write error: " << std::strerror(error) << std::endl;
}

// Holds what std::cout is given and hands it to fd 1 with write(2), which
// leaves its error in errno at the very call that failed. After a failure
// everything is dropped.
class StdoutBuffer : public std::streambuf {
 public:
  StdoutBuffer() { setp(buffer_, buffer_ + sizeof(buffer_)); }
  StdoutBuffer(const StdoutBuffer&) = delete;
  StdoutBuffer& operator=(const StdoutBuffer&) = delete;

 protected:
  int_type overflow(int_type c) override {
    if (!Drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }

  int sync() override { return Drain() ? 0 : -1; }

 private:
  bool Drain() {
    const char* next = pbase();
    const char* end = pptr();
    setp(buffer_, buffer_ + sizeof(buffer_));
    if (outputFailed) return false;
    while (next < end) {
      ssize_t written = write(STDOUT_FILENO, next, end - next);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) {
        ReportWriteError(written < 0 ? errno : EIO);
        return false;
      }
      next += written;
    }
    return true;
  }

  char buffer_[8192];
};

// A closed standard descriptor would be the next one handed out, to a pipe
// or a file of ours. A read-only /dev/null holds its place, and writes to
// it still fail as writes to a closed descriptor do.
void HoldStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      open("/dev/null", O_RDONLY);
    }
  }
}

}  // namespace

void InstallStandardOutput() {
  HoldStandardDescriptors();
  // Never destroyed: std::cout is flushed after every static object is.
  static StdoutBuffer* buffer = new StdoutBuffer;
  std::cout.rdbuf(buffer);
}

bool OutputIsWritable() { return !outputFailed; }
