#ifndef DB_ACCESS_STREAM_DB_H_
#define DB_ACCESS_STREAM_DB_H_

#include "access/sql_statement.h"
#include "access/stream_mgr_api.h"

// Turn the current row of a stepped statement into a record. Columns are
// found by name; NULL reads as 0 or empty.
namespace StreamDB {

StreamMgrApi::EventRecordItem LoadEventInfoFromStatement(
    SQLStatement& statement);
StreamMgrApi::StreamfileRecordItem LoadFileInfoFromStatement(
    SQLStatement& statement);

}  // namespace StreamDB

#endif  // DB_ACCESS_STREAM_DB_H_
