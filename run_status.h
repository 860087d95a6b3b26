#ifndef DB_RUN_STATUS_H_
#define DB_RUN_STATUS_H_

#include <string>

#include "access/linx_ipc.h"

// What failed during the run: it decides the exit status once the options
// are done, so that no failed work ends in status 0. Every failure that
// sets status 1 passes through NoteFailure, or is a failed write to stdout.

// Notes that an action's work failed; the action has said why.
void NoteFailure();

// After a request to StreamMgr that just returned: when it went unanswered
// (a timeout, a broken or refused connection, a malformed reply, an
// endpoint already dead), notes the failure, reports the run's first such
// request as "StreamMgr request failed: " + `what`, and returns false.
bool NoteIfUnanswered(const LinxIpc& endpoint, const std::string& what);

// After a query to StreamMgr that returned `result`: notes it as above when
// unanswered, and as a failure, unreported, when answered as failed.
void NoteIfQueryFailed(const LinxIpc& endpoint, int result,
                       const std::string& sql);

// The exit status. A failed write to stdout, the last buffered one
// included, gives 1. Otherwise `status` as start-up and the options set it
// when that is not 0 or when the catalogue did not open (those rules then
// stand alone); otherwise 1 after any noted failure, else 0.
int ExitStatus(int status, bool catalogueOpened);

#endif  // DB_RUN_STATUS_H_
