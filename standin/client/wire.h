#ifndef DB_STANDIN_CLIENT_WIRE_H_
#define DB_STANDIN_CLIENT_WIRE_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "access/stream_mgr_api.h"

// The stand-in IPC encoding: every value field by field, big-endian, so
// that a client and a daemon of either byte order understand each other.
// A frame is a 32-bit length followed by that many bytes.
namespace wire {

// A request is its kind, the milliseconds that the client waits for the
// reply (so that the daemon can log what the caller asked), and its text.
enum RequestKind : uint8_t {
  kEvents = 1,
  kFiles = 2,
  kCount = 3,
  kDelete = 4,
  kSettings = 5,
};

// Replies start with one of these.
enum ReplyStatus : uint8_t { kOk = 0, kFailed = 1 };

// Larger frames are refused as damaged.
constexpr uint32_t kMaxFrameBytes = 256u << 20;

void PutU8(uint8_t value, std::string* out);
void PutU32(uint32_t value, std::string* out);
void PutString(const std::string& value, std::string* out);
void PutEvent(const StreamMgrApi::EventRecordItem& event, std::string* out);
void PutFile(const StreamMgrApi::StreamfileRecordItem& file, std::string* out);

// Reads values in order from `data`; once a read fails (the data ends
// early) every later read fails too.
struct Reader {
  const std::string* data;
  size_t pos;
  bool ok;
};
Reader ReaderOf(const std::string& data);
bool AtEnd(const Reader& reader);

bool GetU8(Reader* reader, uint8_t* value);
bool GetU32(Reader* reader, uint32_t* value);
bool GetString(Reader* reader, std::string* value);
bool GetEvent(Reader* reader, StreamMgrApi::EventRecordItem* event);
bool GetFile(Reader* reader, StreamMgrApi::StreamfileRecordItem* file);

}  // namespace wire

#endif  // DB_STANDIN_CLIENT_WIRE_H_
