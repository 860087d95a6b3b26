#ifndef DB_STANDIN_TOOLS_SAMPLE_EVENTS_H_
#define DB_STANDIN_TOOLS_SAMPLE_EVENTS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "standin/tools/sample_disk.h"

// A stretch of pool file `src`; offsets in bytes, 0 meaning the file's start
// (startOffset) or end (stopOffset).
struct Segment {
  uint32_t src = 0;
  uint64_t startOffset = 0;
  uint64_t stopOffset = 0;
};

struct EventStream {
  uint32_t id = 0;
  std::vector<Segment> segments;
};

struct Answer {
  std::string question;
  std::string answer;
};

// Which of the metadata files connectionmgr/<reid>.xml and .mtd exist.
enum class Staging { kBoth, kNone, kXmlOnly, kMtdOnly };

// The column an event row leaves NULL, as a damaged catalogue might.
enum class NullColumn {
  kNone,
  kStreamState,
  kTotalFiles,
  kGroupId,
  kPart,
  kTotalParts
};

// One row of table events, with its answers and metadata files.
struct EventRow {
  std::string reid;
  uint32_t state = 0;
  uint32_t splitState = 0;
  uint32_t locked = 0;
  uint32_t marked = 0;
  uint32_t uploaded = 0;
  uint32_t ccode = 0;
  uint32_t rcode = 0;
  uint32_t startTick = 0;
  int64_t startTime = 0;
  int64_t exportTime = 0;
  uint32_t stopTick = 0;
  int64_t stopTime = 0;
  std::string category;
  std::string officer;
  std::string notes;
  std::string vehicle;
  uint32_t evidence = 0;
  uint32_t bg = 0;
  uint32_t streamState = 0;
  uint32_t totalFiles = 0;
  std::string groupId;
  uint32_t part = 0;
  uint32_t totalParts = 0;
  NullColumn nullColumn = NullColumn::kNone;
  std::vector<Answer> answers;
  Staging staging = Staging::kBoth;
  std::vector<EventStream> streams;  // the .xml's streams
  uint32_t mtdBytes = 0;
};

// The events for `options` in start order, recorded into `pool`'s chains.
std::vector<EventRow> PlanSampleEvents(const SampleOptions& options,
                                       const SamplePool& pool);

// The text of connectionmgr/<reid>.xml.
std::string EventXml(const EventRow& event);

// The bytes of connectionmgr/<reid>.mtd.
std::string EventMtd(const EventRow& event);

#endif  // DB_STANDIN_TOOLS_SAMPLE_EVENTS_H_
