#include "standin/tools/ts_check.h"

#include <cstdio>

void ScanTsBytes(const uint8_t* bytes, size_t count, TsScan* scan) {
  uint64_t intoPacket = scan->sizeBytes % kTsPacketBytes;
  // Only packet starts matter: jump from one to the next.
  uint64_t at = intoPacket == 0 ? 0 : kTsPacketBytes - intoPacket;
  for (; at < count && !scan->badSync; at += kTsPacketBytes) {
    if (bytes[at] == kTsSyncByte) continue;
    scan->badSync = true;
    scan->badPacket = (scan->sizeBytes + at) / kTsPacketBytes;
    scan->badSyncByte = bytes[at];
  }
  scan->sizeBytes += count;
}

bool IsCleanTs(const TsScan& scan, std::string* fault) {
  char text[100];
  if (scan.badSync) {
    std::snprintf(
        text, sizeof text, "packet %llu at byte %llu: sync byte 0x%02x",
        static_cast<unsigned long long>(scan.badPacket),
        static_cast<unsigned long long>(scan.badPacket * kTsPacketBytes),
        scan.badSyncByte);
    *fault = text;
    return false;
  }
  uint64_t trailing = scan.sizeBytes % kTsPacketBytes;
  if (trailing != 0) {
    std::snprintf(text, sizeof text, "trailing %llu bytes, not a whole packet",
                  static_cast<unsigned long long>(trailing));
    *fault = text;
    return false;
  }
  if (scan.sizeBytes == 0) {
    *fault = "empty, no packets";
    return false;
  }
  return true;
}
