#include "run_status.h"

#include <iostream>

#include "standard_output.h"

namespace {

bool anyFailure = false;
bool requestFailureReported = false;

}  // namespace

void NoteFailure() { anyFailure = true; }

bool NoteIfUnanswered(const LinxIpc& endpoint, const std::string& what) {
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

void NoteIfQueryFailed(const LinxIpc& endpoint, int result,
                       const std::string& sql) {
  if (NoteIfUnanswered(endpoint, sql) && result != 0) NoteFailure();
}

int ExitStatus(int status, bool catalogueOpened) {
  std::cout.flush();
  if (!OutputIsWritable()) return 1;
  if (status != 0 || !catalogueOpened) return status;
  return anyFailure ? 1 : 0;
}
