#ifndef DB_PROGRAM_STATE_H_
#define DB_PROGRAM_STATE_H_

#include <sqlite3.h>

#include "access/linx_ipc.h"
#include "access/stream_file_access.h"

// Program-wide state, set up once by start-up in db.cc and kept for the
// whole run.

// The catalogue /mnt/hd/streammgr/stream.db; exported under this name, since
// the stream database library reads through it. Never closed.
extern sqlite3* db;
// False when `db` could not be opened: then no outside program may open the
// catalogue's path either, since opening would create an empty one.
extern bool catalogueOpened;
// True when StreamMgr ran at start-up: every action then goes through it
// over `ipc` instead of reading `db` directly.
extern bool streamMgrRunning;
extern LinxIpc ipc;
extern StreamFileAccess fileAccess;

#endif  // DB_PROGRAM_STATE_H_
