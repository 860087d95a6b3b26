#include "access/stream_mgr_api.h"

#include "standin/client/wire.h"

namespace StreamMgrApi {

namespace {

// Sends a request and returns a reader over the body of an answer whose
// status is kOk; the reader is not ok otherwise.
wire::Reader Ask(LinxIpc& ipc, wire::RequestKind kind, const std::string& text,
                 int timeoutMs, std::string* reply) {
  std::string request;
  wire::PutU8(kind, &request);
  wire::PutString(text, &request);
  if (!ipc.Exchange(request, reply, timeoutMs)) reply->clear();
  wire::Reader reader = wire::ReaderOf(*reply);
  uint8_t status = wire::kFailed;
  if (wire::GetU8(&reader, &status) && status != wire::kOk) reader.ok = false;
  return reader;
}

// Decodes a counted list of records; the caller's list changes only when
// the whole answer is sound.
template <typename Record, typename GetRecord>
int TakeRecords(wire::Reader* reader, GetRecord getRecord,
                std::vector<Record>* records) {
  uint32_t count = 0;
  if (!wire::GetU32(reader, &count)) return -1;
  std::vector<Record> received;
  for (uint32_t i = 0; i < count; ++i) {
    Record record;
    if (!getRecord(reader, &record)) return -1;
    received.push_back(std::move(record));
  }
  if (!wire::AtEnd(*reader)) return -1;
  records->swap(received);
  return 0;
}

}  // namespace

int GetEventsFromSqlStatement(LinxIpc& ipc, std::string sql,
                              EventRecordListMessage& list, int timeoutMs) {
  std::string reply;
  wire::Reader reader = Ask(ipc, wire::kEvents, sql, timeoutMs, &reply);
  return TakeRecords<EventRecordItem>(&reader, wire::GetEvent, &list.records);
}

int GetFilesFromSqlStatement(LinxIpc& ipc, std::string sql,
                             StreamfileRecordListMessage& list, int timeoutMs) {
  std::string reply;
  wire::Reader reader = Ask(ipc, wire::kFiles, sql, timeoutMs, &reply);
  return TakeRecords<StreamfileRecordItem>(&reader, wire::GetFile,
                                           &list.records);
}

int GetCountFromSqlStatement(LinxIpc& ipc, std::string sql, unsigned int& count,
                             int timeoutMs) {
  std::string reply;
  wire::Reader reader = Ask(ipc, wire::kCount, sql, timeoutMs, &reply);
  uint32_t answer = 0;
  if (!wire::GetU32(&reader, &answer) || !wire::AtEnd(reader)) return -1;
  count = answer;
  return 0;
}

bool DeleteEvent(std::string reid, LinxIpc& ipc) {
  // Deletion waits as long as any query: the daemon may be busy.
  const int kDeleteTimeoutMs = 60000;
  std::string reply;
  wire::Reader reader = Ask(ipc, wire::kDelete, reid, kDeleteTimeoutMs, &reply);
  uint8_t deleted = 0;
  return wire::GetU8(&reader, &deleted) && wire::AtEnd(reader) && deleted != 0;
}

}  // namespace StreamMgrApi
