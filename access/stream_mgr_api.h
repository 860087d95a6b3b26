#ifndef DB_ACCESS_STREAM_MGR_API_H_
#define DB_ACCESS_STREAM_MGR_API_H_

#include <cstdint>
#include <string>
#include <vector>

#include "access/item.h"
#include "access/linx_ipc.h"

// Opaque records carried inside an event.
class Preferences : public Item {
 public:
  StringItem data;
};

class Officer : public Item {
 public:
  StringItem data;
  Preferences preferences;
};

class VehicleInfo : public Item {
 public:
  StringItem data;
};

namespace StreamMgrApi {

enum EventState : int32_t {
  RecordCmpl = 0,
  Transfered = 1,
  Recording = 2,
  InPost = 3,
};

enum SplitEventState : int32_t {
  NotChecked = 0,
  NotNeeded = 1,
  SplitPend = 2,
  AlreadySpl = 3,
  ExportOnly = 4,
};

// How an event was started and how it ended (0 r, 1 c, 2 a, 3 k).
enum EventCode : int32_t {};

enum StreamFileState : int32_t {
  Free = 0,
  Allocatd = 1,
  UsedFree = 2,
  UsedKeep = 3,
};

enum StreamFileType : int32_t {
  Init = 0,
  Norm = 1,
  Bkgd = 2,
  Wiped = 3,
};

class EventAnswer {
 public:
  std::string question;
  std::string answer;
};

class VectorEventAnswerItem : public Item {
 public:
  std::vector<EventAnswer> value;
};

// One row of `events`.
class EventRecordItem : public Item {
 public:
  StringItem reid;
  EventState state = RecordCmpl;
  SplitEventState splitstate = NotChecked;
  BoolItem locked;
  BoolItem marked;
  BoolItem uploaded;
  EventCode cCode = EventCode(0);
  EventCode rCode = EventCode(0);
  UIntItem startTick;
  IntItem startTime;
  IntItem exportTime;
  UIntItem stopTick;
  IntItem stopTime;
  StringItem category;
  Officer officer;
  StringItem notes;
  VehicleInfo vehicle;
  BoolItem evidence;
  BoolItem bg;
  UIntItem totalfiles;
  StringItem groupId;
  UIntItem part;
  UIntItem totalparts;
  VectorEventAnswerItem answers;
};

class EventRecordListMessage : public Item {
 public:
  std::vector<EventRecordItem> records;
};

// One row of `streamfiles`.
class StreamfileRecordItem : public Item {
 public:
  UIntItem number;
  UIntItem stream;
  StreamFileState state = Free;
  UIntItem startTick;
  UIntItem stopTick;
  UIntItem startTime;
  UIntItem stopTime;
  UIntItem previous;
  UIntItem next;
  UIntItem size;
  StreamFileType type = Init;
};

class StreamfileRecordListMessage : public Item {
 public:
  std::vector<StreamfileRecordItem> records;
};

// Queries run by the stream manager; each returns 0 when it was answered
// within timeoutMs, a positive value when StreamMgr answered that the query
// failed, and a negative one when no answer came (the endpoint is then no
// longer connected). A failed query leaves the list or count untouched.
int GetEventsFromSqlStatement(LinxIpc& ipc, std::string sql,
                              EventRecordListMessage& list, int timeoutMs);
int GetFilesFromSqlStatement(LinxIpc& ipc, std::string sql,
                             StreamfileRecordListMessage& list, int timeoutMs);
int GetCountFromSqlStatement(LinxIpc& ipc, std::string sql, unsigned int& count,
                             int timeoutMs);

// Has the stream manager delete one event; true when it did. When no answer
// came, the endpoint is no longer connected.
bool DeleteEvent(std::string reid, LinxIpc& ipc);

}  // namespace StreamMgrApi

#endif  // DB_ACCESS_STREAM_MGR_API_H_
