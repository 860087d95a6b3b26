#include "run_status.h"

#include <errno.h>
#include <signal.h>

#include <cstring>
#include <iostream>

namespace {

bool anyFailure = false;
bool outputFailed = false;
bool requestFailureReported = false;

}  // namespace

void NoteFailure() { anyFailure = true; }

bool OutputIsWritable() {
  if (outputFailed) return false;
  if (!std::cout.fail()) return true;
  // Read at once: the failed write was the last call to set it.
  const int error = errno;
  if (error == EPIPE) {
    // The reader has gone, as in "db -f '*' | head": end as quietly as a
    // process that had not ignored SIGPIPE.
    signal(SIGPIPE, SIG_DFL);
    raise(SIGPIPE);
  }
  std::cerr << "db: write error: " << std::strerror(error) << std::endl;
  outputFailed = true;
  NoteFailure();
  return false;
}

bool IsAnswered(const LinxIpc& endpoint, const std::string& what) {
  if (endpoint.IsConnected()) return true;
  NoteFailure();
  if (!requestFailureReported) {
    // After what the request's action has printed so far.
    std::cout.flush();
    std::cerr << "StreamMgr request failed: " << what << std::endl;
    requestFailureReported = true;
  }
  return false;
}

void CheckQuery(const LinxIpc& endpoint, int result, const std::string& sql) {
  if (IsAnswered(endpoint, sql) && result != 0) NoteFailure();
}

int ExitStatus(int status, bool catalogueOpened) {
  std::cout.flush();
  if (!OutputIsWritable()) return 1;
  if (status != 0 || !catalogueOpened) return status;
  return anyFailure ? 1 : 0;
}
