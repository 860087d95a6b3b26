#ifndef DB_EVENTS_EVENT_METADATA_H_
#define DB_EVENTS_EVENT_METADATA_H_

#include <cstddef>
#include <cstdint>
#include <string>

// Where an event's metadata files live: this directory, the reid, and
// ".xml" or ".mtd".
constexpr char kMetadataDirectory[] = "/mnt/hd/connectionmgr/";

// Bytes counted for a segment that covers a whole stream file.
constexpr int64_t StreamFileBytes = 98566144;

// An ".xml" file larger than this is not read: at about 100 bytes a
// segment it would describe one event over some 40,000 stream files, far
// past any recording, and parsing it would take the board's memory.
constexpr size_t kMaxMetadataBytes = 4 << 20;

// True when both basePath + ".xml" and basePath + ".mtd" exist; basePath is
// kMetadataDirectory followed by the reid.
bool IsStaged(const std::string& basePath);

// The event's size in bytes: its ".mtd" file plus the video bytes that its
// ".xml" description covers. Problems are reported on stderr without a line
// end, and the total reached so far is returned.
int64_t EventSize(const std::string& reid);

// EventSize for the metadata files basePath + ".xml" and basePath + ".mtd".
int64_t EventSizeAt(const std::string& basePath);

// What an ".xml" description adds to its event's size.
struct XmlSizing {
  // False for a text that does not load as XML: not well-formed, or too
  // deeply nested or too wide for the parser to take safely.
  bool loaded = false;
  // The bytes of the segments before the first faulty one, if any.
  int64_t videoBytes = 0;
  // The faulty segment's message, or null.
  const char* fault = nullptr;
};

// Sizes the text of an ".xml" file whose line ends are already "\n" only.
// `text` ends with at least five zero bytes past its terminating one.
XmlSizing SizeXmlText(const char* text);

// SizeXmlText by TinyXML alone, which SizeXmlText leaves the texts to that
// a scan of the recorder's plain shape cannot be sure of.
XmlSizing SizeXmlTextWithTinyXml(const char* text);

// The video bytes of one segment between two offsets of its stream file; 0
// for a stop before 0 or a start before 0 without a stop, negative when the
// start lies past the stop.
int64_t SegmentBytes(int32_t startOffset, int32_t stopOffset);

#endif  // DB_EVENTS_EVENT_METADATA_H_
