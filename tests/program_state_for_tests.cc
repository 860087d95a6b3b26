// The program-wide state that the tool's main defines, for the unit tests
// that link the tool's library without it.
#include "program_state.h"

sqlite3* db = nullptr;
bool catalogueOpened = false;
bool streamMgrRunning = false;
LinxIpc ipc(std::string("db"));
StreamFileAccess fileAccess;
