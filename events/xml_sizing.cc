#include "events/xml_sizing.h"

bool AddSegment(const SegmentReading& segment, XmlSizing* sizing) {
  const char* fault = nullptr;
  if (!segment.hasName) {
    // The recorder's own text, leading colon included: keep it so.
    fault = ":'name' attribute missing";
  } else if (segment.start == SegmentNumber::kNotInteger) {
    fault = "Start offset invalid";
  } else if (segment.start == SegmentNumber::kUnsure) {
    return false;
  } else if (segment.stop == SegmentNumber::kNotInteger) {
    fault = "Stop offset invalid";
  } else if (segment.stop == SegmentNumber::kUnsure) {
    return false;
  } else if (segment.source == SegmentNumber::kAbsent ||
             segment.source == SegmentNumber::kNotInteger) {
    fault = "Source file number missing";
  } else if (segment.source == SegmentNumber::kUnsure) {
    return false;
  }
  if (fault != nullptr) {
    sizing->fault = fault;
    return true;
  }
  const int32_t start =
      segment.start == SegmentNumber::kValue ? segment.startOffset : 0;
  const int32_t stop =
      segment.stop == SegmentNumber::kValue ? segment.stopOffset : 0;
  sizing->videoBytes += SegmentBytes(start, stop);
  return true;
}

int64_t SegmentBytes(int32_t startOffset, int32_t stopOffset) {
  if (startOffset == 0 && stopOffset == 0) return StreamFileBytes;
  if (startOffset > 0 && stopOffset == 0) {
    return StreamFileBytes - startOffset;
  }
  if (stopOffset > 0) {
    // Formed in 32 bits as the board does: modulo 2^32, then sign-extended.
    uint32_t difference =
        static_cast<uint32_t>(stopOffset) - static_cast<uint32_t>(startOffset);
    return static_cast<int32_t>(difference);
  }
  return 0;
}
