#ifndef DB_FILES_FILES_LISTING_H_
#define DB_FILES_FILES_LISTING_H_

#include "access/stream_mgr_api.h"
#include "files/file_options.h"

// Lists the stream files that `options` select, in its order, with the
// number of matching files, on stdout.
void DisplayFiles(const FileOptions& options);

// Prints `file` as one row of the listing on stdout. With StreamMgr running,
// the last file of a chain takes the pool's live size into its record.
void DisplayStreamFile(StreamMgrApi::StreamfileRecordItem* file);

#endif  // DB_FILES_FILES_LISTING_H_
