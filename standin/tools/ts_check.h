#ifndef DB_STANDIN_TOOLS_TS_CHECK_H_
#define DB_STANDIN_TOOLS_TS_CHECK_H_

#include <cstddef>
#include <cstdint>
#include <string>

constexpr uint64_t kTsPacketBytes = 188;
constexpr uint8_t kTsSyncByte = 0x47;

// A transport stream check fed the stream's bytes in chunks of any size.
struct TsScan {
  uint64_t sizeBytes = 0;
  bool badSync = false;    // some packet did not begin with the sync byte
  uint64_t badPacket = 0;  // the first such packet, counted from 0
  uint8_t badSyncByte = 0;
};

// Takes the next `count` bytes of the stream into `scan`.
void ScanTsBytes(const uint8_t* bytes, size_t count, TsScan* scan);

// True when the bytes scanned were one or more whole 188-byte packets, each
// beginning with 0x47; else false with the first fault in `fault`.
bool IsCleanTs(const TsScan& scan, std::string* fault);

#endif  // DB_STANDIN_TOOLS_TS_CHECK_H_
