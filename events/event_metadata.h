#ifndef DB_EVENTS_EVENT_METADATA_H_
#define DB_EVENTS_EVENT_METADATA_H_

#include <cstdint>
#include <string>

// Where an event's metadata files live: this directory, the reid, and
// ".xml" or ".mtd".
constexpr char kMetadataDirectory[] = "/mnt/hd/connectionmgr/";

// Bytes counted for a segment that covers a whole stream file.
constexpr int64_t StreamFileBytes = 98566144;

// True when both basePath + ".xml" and basePath + ".mtd" exist; basePath is
// kMetadataDirectory followed by the reid.
bool IsStaged(const std::string& basePath);

// The event's size in bytes: its ".mtd" file plus the video bytes that its
// ".xml" description covers. Problems are reported on stderr without a line
// end, and the total reached so far is returned.
int64_t EventSize(const std::string& reid);

// EventSize for the metadata files basePath + ".xml" and basePath + ".mtd".
int64_t EventSizeAt(const std::string& basePath);

// The video bytes of one segment between two offsets of its stream file; 0
// for a stop before 0 or a start before 0 without a stop, negative when the
// start lies past the stop.
int64_t SegmentBytes(int32_t startOffset, int32_t stopOffset);

#endif  // DB_EVENTS_EVENT_METADATA_H_
