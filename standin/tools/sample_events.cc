#include "standin/tools/sample_events.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

constexpr uint64_t kEventsSalt = 0x6576656e7473;
constexpr uint32_t kMinSlotSeconds = 240;
constexpr uint32_t kSplitOverlapTicks = 4;
constexpr int64_t kExportWindowSeconds = 48 * 3600;
constexpr uint32_t kFilePackets = kFullFileBytes / kPacketBytes;
constexpr uint32_t kTicksPerFile = 720;  // a full file holds about 6 minutes

constexpr uint32_t kRecordCmpl = 0;
constexpr uint32_t kTransfered = 1;
constexpr uint32_t kRecording = 2;
constexpr uint32_t kInPost = 3;
constexpr uint32_t kAlreadySplit = 3;

// NotChecked and NotNeeded mostly, now and then SplitPend or ExportOnly.
const uint32_t kUnsplitStates[] = {0, 0, 1, 1, 1, 2, 4};

enum class GroupKind {
  kSingle,
  kHealthy,
  kBadOverlap,
  kShortLast,
  kMissingPart
};

// One recording: an unsplit event or a group of split parts.
struct Recording {
  GroupKind kind;
  uint32_t parts;
};

const char* const kCategories[] = {"Traffic Stop", "Pursuit", "Collision",
                                   "Assist",       "Arrest",  "Training"};
const char* const kNotes[] = {"",
                              "",
                              "Driver cooperative",
                              "Rain, poor light",
                              "Backup requested",
                              "Second unit on scene"};
const char* const kOfficers[] = {"A. Moreno", "J. Lindqvist", "K. Okafor",
                                 "R. Patel"};
struct Question {
  const char* question;
  const char* answers[3];
};
const Question kQuestions[] = {
    {"Reason for contact", {"Speeding", "Equipment", "Call for service"}},
    {"Citation issued", {"Yes", "No", "Warning"}},
    {"Arrest made", {"No", "Yes", "No"}},
    {"Use of force", {"No", "No", "Yes"}},
};

template <typename T, size_t N>
const T& Pick(const T (&choices)[N], Rng* rng) {
  return choices[RandomBetween(rng, 0, N - 1)];
}

// Most recordings stand alone; about one in fifteen events starts a split
// group. The three faulty groups are there whenever the disk is big enough
// to show them.
std::vector<Recording> PlanRecordings(uint32_t eventCount, Rng* rng) {
  std::vector<Recording> recordings;
  uint32_t rows = 0;
  if (eventCount >= 20) {
    recordings = {{GroupKind::kBadOverlap, 2},
                  {GroupKind::kShortLast, 2},
                  {GroupKind::kMissingPart, 3}};
    rows = 6;
  }
  for (uint32_t g = 0; g < eventCount / 15; ++g) {
    uint32_t parts = RandomBetween(rng, 2, 4);
    if (rows + parts > eventCount) break;
    recordings.push_back({GroupKind::kHealthy, parts});
    rows += parts;
  }
  for (; rows < eventCount; ++rows) {
    recordings.push_back({GroupKind::kSingle, 1});
  }
  for (size_t i = recordings.size(); i > 1; --i) {
    std::swap(recordings[i - 1],
              recordings[RandomBetween(rng, 0, static_cast<uint32_t>(i - 1))]);
  }
  return recordings;
}

std::string EventId(int64_t time, uint32_t unit, uint32_t sequence) {
  time_t seconds = static_cast<time_t>(time);
  struct tm utc = {};
  gmtime_r(&seconds, &utc);
  char id[96];
  std::snprintf(id, sizeof id, "EV%04d%02d%02d%02d%02d%02dU%02u%07u",
                utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour,
                utc.tm_min, utc.tm_sec, unit, sequence);
  return id;
}

// Where in `file` the recording stood at `tick`, in whole packets.
uint64_t OffsetAt(const StreamFileRow& file, uint32_t tick) {
  if (tick <= file.startTick) return 0;
  if (tick >= file.stopTick) return file.sizeBytes;
  uint64_t offset = uint64_t{tick - file.startTick} * file.sizeBytes /
                    (file.stopTick - file.startTick);
  return offset / kPacketBytes * kPacketBytes;
}

// An event whose files the pool has since reused still names the numbers
// it was recorded into.
std::vector<Segment> ReusedSegments(uint32_t startTick, uint32_t stopTick,
                                    uint32_t fileCount, Rng* rng) {
  uint32_t count =
      1 + (stopTick - startTick) / kTicksPerFile + RandomBetween(rng, 0, 1);
  uint32_t first = RandomBetween(rng, 0, std::max<uint32_t>(fileCount, 1) - 1);
  std::vector<Segment> segments(count);
  for (uint32_t i = 0; i < count; ++i) {
    segments[i].src = (first + i) % std::max<uint32_t>(fileCount, 1) + 1;
  }
  uint32_t half = kFilePackets / 2;
  segments.front().startOffset =
      uint64_t{kPacketBytes} *
      RandomBetween(rng, 1, count == 1 ? half : kFilePackets - 1);
  segments.back().stopOffset =
      (count == 1 ? segments.front().startOffset : 0) +
      uint64_t{kPacketBytes} * RandomBetween(rng, 1, half);
  return segments;
}

// The files of `stream` that cover the ticks, the first entered and the
// last left part way.
std::vector<Segment> SegmentsFor(const SamplePool& pool, uint32_t stream,
                                 uint32_t startTick, uint32_t stopTick,
                                 Rng* rng) {
  const std::vector<uint32_t>& chain = pool.chains[stream];
  auto file = [&pool](uint32_t number) -> const StreamFileRow& {
    return pool.files[number - 1];
  };
  auto first = std::partition_point(
      chain.begin(), chain.end(),
      [&](uint32_t number) { return file(number).stopTick <= startTick; });
  std::vector<Segment> segments;
  for (auto it = first; it != chain.end() && file(*it).startTick < stopTick;
       ++it) {
    segments.push_back({*it, 0, 0});
  }
  if (segments.empty()) {
    return ReusedSegments(startTick, stopTick,
                          static_cast<uint32_t>(pool.files.size()), rng);
  }
  const StreamFileRow& head = file(segments.front().src);
  const StreamFileRow& tail = file(segments.back().src);
  uint64_t startOffset =
      std::clamp<uint64_t>(OffsetAt(head, startTick), kPacketBytes,
                           head.sizeBytes - 2 * kPacketBytes);
  uint64_t stopFloor =
      segments.size() == 1 ? startOffset + kPacketBytes : kPacketBytes;
  segments.front().startOffset = startOffset;
  segments.back().stopOffset =
      std::clamp<uint64_t>(OffsetAt(tail, stopTick), stopFloor, tail.sizeBytes);
  return segments;
}

int64_t ExportTime(int64_t stopTime, int64_t baseTime, Rng* rng) {
  int64_t low = std::max(stopTime + 1, baseTime - kExportWindowSeconds);
  int64_t high = baseTime - 1;
  if (low > high) low = high;
  return low + RandomBetween(rng, 0, static_cast<uint32_t>(high - low));
}

// The columns the tool does not check, the answers and the .mtd size.
void FillDetails(const SampleOptions& options, uint32_t unit, Rng* rng,
                 EventRow* event) {
  bool exported = event->state == kTransfered || RandomChance(rng, 4);
  event->exportTime =
      exported ? ExportTime(event->stopTime, options.baseTime, rng) : 0;
  event->locked = RandomChance(rng, 10);
  event->marked = RandomChance(rng, 15);
  event->uploaded = event->state == kTransfered && RandomChance(rng, 90);
  event->ccode = RandomBetween(rng, 0, 3);
  event->rcode = RandomBetween(rng, 0, 3);
  event->category = Pick(kCategories, rng);
  event->notes = Pick(kNotes, rng);
  event->officer = std::string("badge=") +
                   std::to_string(RandomBetween(rng, 1000, 9999)) +
                   ";name=" + Pick(kOfficers, rng) + ";prefs=metric,24h";
  event->vehicle = "unit=U" + std::to_string(unit) + ";plate=" +
                   std::to_string(RandomBetween(rng, 1000000, 9999999));
  event->evidence = RandomChance(rng, 20);
  event->bg = RandomChance(rng, 15);
  event->streamState = RandomBetween(rng, 0, 3);
  if (RandomChance(rng, 70)) {
    uint32_t count = RandomBetween(rng, 1, 3);
    uint32_t first = RandomBetween(rng, 0, 3);
    for (uint32_t i = 0; i < count; ++i) {
      const Question& question = kQuestions[(first + i) % 4];
      event->answers.push_back(
          {question.question, Pick(question.answers, rng)});
    }
  }
  event->mtdBytes = RandomBetween(rng, 200, 2000);
}

// Staging follows the percentage; of the events left out, one in four has
// only one of its two metadata files, as after an interrupted staging.
Staging StagingFor(uint32_t stagedPercent, uint32_t* unstagedSeen, Rng* rng) {
  if (RandomChance(rng, stagedPercent)) return Staging::kBoth;
  uint32_t seen = (*unstagedSeen)++;
  if (seen % 8 == 1) return Staging::kXmlOnly;
  if (seen % 8 == 3) return Staging::kMtdOnly;
  return Staging::kNone;
}

// The newest unsplit event is still recording. One unsplit event in twenty
// (about one row in twenty-five, at least one on a disk of ten) lost a
// critical value.
void MarkRecordingAndNulls(std::vector<EventRow>* events, Rng* rng) {
  auto newest =
      std::find_if(events->rbegin(), events->rend(),
                   [](const EventRow& event) { return event.part == 0; });
  if (events->size() >= 4 && newest != events->rend()) {
    newest->state = kRecording;
    newest->splitState = 0;
    newest->exportTime = 0;
    newest->uploaded = 0;
  }
  const NullColumn kColumns[] = {NullColumn::kStreamState,
                                 NullColumn::kTotalFiles, NullColumn::kGroupId,
                                 NullColumn::kPart, NullColumn::kTotalParts};
  uint32_t nulled = 0;
  for (EventRow& event : *events) {
    if (event.part != 0 || !RandomChance(rng, 5)) continue;
    event.nullColumn = kColumns[nulled++ % 5];
  }
  for (EventRow& event : *events) {
    if (nulled > 0 || events->size() < 10) break;
    if (event.part != 0 || event.state == kRecording) continue;
    event.nullColumn = kColumns[nulled++];
  }
}

// What planning one event after another carries along.
struct Planner {
  const SampleOptions& options;
  const SamplePool& pool;
  Rng rng;
  uint32_t unit;  // the recorder's number, part of every id
  uint32_t sequence;
  uint32_t unstagedSeen;
};

// An event over the ticks, in no group; split parts are grouped by the
// caller.
EventRow PlanEvent(uint32_t startTick, uint32_t stopTick, Planner* planner) {
  Rng* rng = &planner->rng;
  EventRow event;
  event.startTick = startTick;
  event.stopTick = stopTick;
  event.startTime = TimeAt(planner->pool.clock, startTick);
  event.stopTime = TimeAt(planner->pool.clock, stopTick);
  event.reid = EventId(event.startTime, planner->unit, ++planner->sequence);
  event.state = RandomChance(rng, 40) ? kTransfered : kRecordCmpl;
  if (RandomChance(rng, 8)) event.state = kInPost;
  event.splitState = Pick(kUnsplitStates, rng);
  FillDetails(planner->options, planner->unit, rng, &event);
  event.streams.push_back(
      {0, SegmentsFor(planner->pool, 0, startTick, stopTick, rng)});
  // A second camera joins about one recording in four.
  if (RandomChance(rng, 25)) {
    event.streams.push_back(
        {1, SegmentsFor(planner->pool, 1, startTick, stopTick, rng)});
  }
  for (const EventStream& stream : event.streams) {
    event.totalFiles += static_cast<uint32_t>(stream.segments.size());
  }
  event.staging =
      StagingFor(planner->options.stagedPercent, &planner->unstagedSeen, rng);
  return event;
}

// The rows of `recording` from `startTime`: one event, or parts each
// starting 4 ticks before the previous one stopped, faults aside.
void PlanRecording(const Recording& recording, int64_t startTime,
                   uint32_t slotSeconds, Planner* planner,
                   std::vector<EventRow>* events) {
  Rng* rng = &planner->rng;
  uint32_t tick =
      TickAt(planner->pool.clock, startTime) + RandomBetween(rng, 0, 1);
  if (recording.kind == GroupKind::kSingle) {
    uint32_t seconds = RandomBetween(rng, slotSeconds / 3, slotSeconds * 3 / 4);
    events->push_back(PlanEvent(tick, tick + 2 * seconds, planner));
    return;
  }
  std::string groupId = EventId(startTime, planner->unit, ++planner->sequence);
  uint32_t overlap = kSplitOverlapTicks;
  if (recording.kind == GroupKind::kBadOverlap) overlap += 16;
  for (uint32_t part = 1; part <= recording.parts; ++part) {
    uint32_t ticks =
        2 * RandomBetween(rng, slotSeconds / 2, slotSeconds * 9 / 10);
    if (recording.kind == GroupKind::kShortLast && part == recording.parts) {
      ticks = RandomBetween(rng, 1, kSplitOverlapTicks - 1);
    }
    uint32_t startTick = tick;
    tick = startTick + ticks - overlap;
    if (recording.kind == GroupKind::kMissingPart && part == 2) continue;
    EventRow event = PlanEvent(startTick, startTick + ticks, planner);
    event.groupId = groupId;
    event.part = part;
    event.totalParts = recording.parts;
    if (event.state == kInPost) event.state = kRecordCmpl;
    event.splitState = kAlreadySplit;
    events->push_back(event);
  }
}

}  // namespace

std::vector<EventRow> PlanSampleEvents(const SampleOptions& options,
                                       const SamplePool& pool) {
  Planner planner{options, pool, Rng{options.seed ^ kEventsSalt}, 0, 0, 0};
  planner.unit = RandomBetween(&planner.rng, 1, 99);
  std::vector<Recording> recordings =
      PlanRecordings(options.events, &planner.rng);
  // Events share out the time stream 0 covers, unless there are too many
  // for it; older events then name files the pool has reused since.
  uint64_t slots = 0;
  for (const Recording& recording : recordings) slots += recording.parts;
  int64_t chainSeconds = 0;
  if (!pool.chains.empty() && !pool.chains[0].empty()) {
    chainSeconds =
        options.baseTime - pool.files[pool.chains[0][0] - 1].startTime;
  }
  int64_t spanSeconds =
      std::max<int64_t>(chainSeconds, slots * kMinSlotSeconds);
  uint32_t slotSeconds =
      slots == 0 ? kMinSlotSeconds : static_cast<uint32_t>(spanSeconds / slots);
  int64_t cursor = options.baseTime - spanSeconds;
  std::vector<EventRow> events;
  for (const Recording& recording : recordings) {
    // Parts of a split group run longer, so their group starts earlier to
    // stay within its slots.
    bool split = recording.kind != GroupKind::kSingle;
    int64_t startTime =
        cursor + RandomBetween(&planner.rng, 0, slotSeconds / (split ? 10 : 4));
    PlanRecording(recording, startTime, slotSeconds, &planner, &events);
    cursor += int64_t{slotSeconds} * recording.parts;
  }
  MarkRecordingAndNulls(&events, &planner.rng);
  return events;
}

std::string EventXml(const EventRow& event) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<recording-event id=\"" +
      event.reid + "\">\n  <video>\n    <streams>\n";
  for (const EventStream& stream : event.streams) {
    xml += "      <stream id=\"" + std::to_string(stream.id) + "\">\n";
    for (size_t i = 0; i < stream.segments.size(); ++i) {
      const Segment& segment = stream.segments[i];
      xml += "        <segment name=\"seg" + std::to_string(i + 1) +
             "\" src=\"" + std::to_string(segment.src) + "\" start-offset=\"" +
             std::to_string(segment.startOffset) + "\" stop-offset=\"" +
             std::to_string(segment.stopOffset) + "\"/>\n";
    }
    xml += "      </stream>\n";
  }
  xml += "    </streams>\n  </video>\n</recording-event>\n";
  return xml;
}

std::string EventMtd(const EventRow& event) {
  // FNV-1a of the id, so that each event's bytes differ yet repeat.
  uint64_t hash = 0xcbf29ce484222325ull;
  for (char c : event.reid) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
  }
  Rng rng{hash};
  std::string bytes = "MTD1" + event.reid + '\0';
  while (bytes.size() < event.mtdBytes) {
    bytes.push_back(static_cast<char>(NextRandom(&rng)));
  }
  return bytes;
}
