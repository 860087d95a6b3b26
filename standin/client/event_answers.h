#ifndef DB_STANDIN_CLIENT_EVENT_ANSWERS_H_
#define DB_STANDIN_CLIENT_EVENT_ANSWERS_H_

#include <sqlite3.h>

#include <string>
#include <vector>

#include "access/stream_mgr_api.h"

// The answers stored in `catalogue` for event `reid`, in the order they
// were stored; empty when there are none or they cannot be read. Asked for
// in ascending id order, as a listing asks, the answers are read ahead.
std::vector<StreamMgrApi::EventAnswer> EventAnswersOf(sqlite3* catalogue,
                                                      const std::string& reid);

#endif  // DB_STANDIN_CLIENT_EVENT_ANSWERS_H_
