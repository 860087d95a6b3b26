#ifndef DB_FILES_FILE_STATES_H_
#define DB_FILES_FILE_STATES_H_

#include "access/stream_mgr_api.h"

// Texts of the state and type columns of the files listing, "Invalid" for
// any value outside 0 to 3.
const char* FileStateToStr(StreamMgrApi::StreamFileState state);
const char* FileTypeToStr(StreamMgrApi::StreamFileType type);

#endif  // DB_FILES_FILE_STATES_H_
