#ifndef DB_EVENTS_XML_SIZING_H_
#define DB_EVENTS_XML_SIZING_H_

#include <cstdint>

// What an event's ".xml" description adds to its size, and the rule for
// one segment, shared by the two readers of the description: the one-pass
// scan of the recorder's own shape and TinyXML for any other.

// Bytes counted for a segment that covers a whole stream file.
constexpr int64_t StreamFileBytes = 98566144;

struct XmlSizing {
  // False for a text that does not load as XML: not well-formed, or too
  // deep, too wide or too large for the parser to take safely.
  bool loaded = false;
  // The bytes of the segments before the first faulty one, if any.
  int64_t videoBytes = 0;
  // The faulty segment's message, or null.
  const char* fault = nullptr;
};

// How a reader reads one number attribute of a segment: TinyXML's integer
// query, and for the offsets a 32-bit range. Only the scan can be unsure.
enum class SegmentNumber { kAbsent, kValue, kNotInteger, kUnsure };

// One segment element as a reader read it.
struct SegmentReading {
  bool hasName = false;
  SegmentNumber start = SegmentNumber::kAbsent;
  SegmentNumber stop = SegmentNumber::kAbsent;
  SegmentNumber source = SegmentNumber::kAbsent;
  int32_t startOffset = 0;  // with start kValue
  int32_t stopOffset = 0;   // with stop kValue
};

// Adds the segment's bytes to the sizing, or ends the sum with its fault,
// checked in the order the recorder's reader checks them. False, leaving
// the sizing alone, when a reading it depends on is unsure.
bool AddSegment(const SegmentReading& segment, XmlSizing* sizing);

// The video bytes of one segment between two offsets of its stream file; 0
// for a stop before 0 or a start before 0 without a stop, negative when the
// start lies past the stop.
int64_t SegmentBytes(int32_t startOffset, int32_t stopOffset);

#endif  // DB_EVENTS_XML_SIZING_H_
