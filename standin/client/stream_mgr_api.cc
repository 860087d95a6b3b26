#include "access/stream_mgr_api.h"

#include "standin/client/wire.h"

namespace StreamMgrApi {

namespace {

// Sends a request. When StreamMgr answered kOk the reader covers the
// answer's body and *result is 0; an answer of kFailed gives 1, and no
// answer -1 with a reader that is not ok.
wire::Reader Ask(LinxIpc& ipc, wire::RequestKind kind, const std::string& text,
                 int timeoutMs, std::string* reply, int* result) {
  std::string request;
  wire::PutU8(kind, &request);
  wire::PutU32(timeoutMs > 0 ? timeoutMs : 0, &request);
  wire::PutString(text, &request);
  if (!ipc.Exchange(request, reply, timeoutMs)) reply->clear();
  wire::Reader reader = wire::ReaderOf(*reply);
  uint8_t status = wire::kFailed;
  *result = -1;
  if (!wire::GetU8(&reader, &status)) {
    ipc.Disconnect();
  } else if (status != wire::kOk) {
    *result = 1;
    reader.ok = false;
  } else {
    *result = 0;
  }
  return reader;
}

// The answer was cut short or runs on: the connection is out of step.
int Malformed(LinxIpc& ipc) {
  ipc.Disconnect();
  return -1;
}

// Decodes a counted list of records; the caller's list changes only when
// the whole answer is sound.
template <typename Record, typename GetRecord>
int TakeRecords(LinxIpc& ipc, wire::Reader* reader, GetRecord getRecord,
                std::vector<Record>* records) {
  uint32_t count = 0;
  if (!wire::GetU32(reader, &count)) return Malformed(ipc);
  std::vector<Record> received;
  for (uint32_t i = 0; i < count; ++i) {
    Record record;
    if (!getRecord(reader, &record)) return Malformed(ipc);
    received.push_back(std::move(record));
  }
  if (!wire::AtEnd(*reader)) return Malformed(ipc);
  records->swap(received);
  return 0;
}

}  // namespace

int GetEventsFromSqlStatement(LinxIpc& ipc, std::string sql,
                              EventRecordListMessage& list, int timeoutMs) {
  std::string reply;
  int result;
  wire::Reader reader =
      Ask(ipc, wire::kEvents, sql, timeoutMs, &reply, &result);
  if (result != 0) return result;
  return TakeRecords<EventRecordItem>(ipc, &reader, wire::GetEvent,
                                      &list.records);
}

int GetFilesFromSqlStatement(LinxIpc& ipc, std::string sql,
                             StreamfileRecordListMessage& list, int timeoutMs) {
  std::string reply;
  int result;
  wire::Reader reader = Ask(ipc, wire::kFiles, sql, timeoutMs, &reply, &result);
  if (result != 0) return result;
  return TakeRecords<StreamfileRecordItem>(ipc, &reader, wire::GetFile,
                                           &list.records);
}

int GetCountFromSqlStatement(LinxIpc& ipc, std::string sql, unsigned int& count,
                             int timeoutMs) {
  std::string reply;
  int result;
  wire::Reader reader = Ask(ipc, wire::kCount, sql, timeoutMs, &reply, &result);
  if (result != 0) return result;
  uint32_t answer = 0;
  if (!wire::GetU32(&reader, &answer) || !wire::AtEnd(reader)) {
    return Malformed(ipc);
  }
  count = answer;
  return 0;
}

bool DeleteEvent(std::string reid, LinxIpc& ipc) {
  // Deletion waits as long as any query: the daemon may be busy.
  const int kDeleteTimeoutMs = 60000;
  std::string reply;
  int result;
  wire::Reader reader =
      Ask(ipc, wire::kDelete, reid, kDeleteTimeoutMs, &reply, &result);
  if (result != 0) return false;
  uint8_t deleted = 0;
  if (!wire::GetU8(&reader, &deleted) || !wire::AtEnd(reader)) {
    Malformed(ipc);
    return false;
  }
  return deleted != 0;
}

}  // namespace StreamMgrApi
