#ifndef DB_RUN_STATUS_H_
#define DB_RUN_STATUS_H_

#include <string>

#include "access/linx_ipc.h"

// What failed during the run: it decides the exit status once the options
// are done, so that no failed work ends in status 0.

// Notes that an action's work failed; the action has said why.
void NoteFailure();

// True while stdout takes what is written to it; once a write has failed
// (and said so), notes the failure: actions stop at their next row or page,
// and no further option runs.
bool OutputIsWritable();

// True when the request to StreamMgr that just returned was answered. Every
// unanswered one (a timeout, a broken or refused connection, a malformed
// reply, an endpoint already dead) is noted as a failure; the first of the
// run is reported as "StreamMgr request failed: " + what was asked.
bool IsAnswered(const LinxIpc& endpoint, const std::string& what);

// After a query to StreamMgr that returned `result`: an answer that says
// the query failed is a failure too, though not reported.
void CheckQuery(const LinxIpc& endpoint, int result, const std::string& sql);

// The exit status: `status` as start-up and the options set it when that
// is not 0 or when the catalogue did not open (those rules then stand
// alone); otherwise 1 after any failure. A failed write to stdout, the last
// buffered one included, always gives 1.
int ExitStatus(int status, bool catalogueOpened);

#endif  // DB_RUN_STATUS_H_
