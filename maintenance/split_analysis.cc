#include "maintenance/split_analysis.h"

#include <sqlite3.h>

#include <cmath>
#include <iomanip>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "access/sql_statement.h"
#include "access/stream_db.h"
#include "access/stream_mgr_api.h"
#include "events/event_metadata.h"
#include "program_state.h"
#include "run_status.h"
#include "standard_output.h"

namespace {

using StreamMgrApi::EventRecordItem;

// What the checks read of one event. The grouping keeps only this much of
// each split event, since it holds them all at once.
struct SplitPart {
  std::string reid;
  uint32_t part;
  uint32_t totalparts;
  uint32_t startTick;
  uint32_t stopTick;
};
// Group id to its parts; equal keys keep the order they were read in.
using EventGroups = std::multimap<std::string, SplitPart>;
using GroupEvents =
    std::pair<EventGroups::const_iterator, EventGroups::const_iterator>;

const char kEventsSql[] = "select * from events";
// A part starts this many ticks (two seconds) before the previous one stops.
const uint32_t kOverlapTicks = 4;

// Unsplit events may carry no group id; they are not checked, so not kept.
void AddToGroups(const EventRecordItem& event, EventGroups* groups) {
  if (event.groupId.value.empty()) return;
  groups->insert({event.groupId.value,
                  {event.reid.value, event.part.value, event.totalparts.value,
                   event.startTick.value, event.stopTick.value}});
}

EventGroups GroupsFromStreamMgr() {
  StreamMgrApi::EventRecordListMessage list;
  NoteIfQueryFailed(
      ipc,
      StreamMgrApi::GetEventsFromSqlStatement(ipc, kEventsSql, list, 60000),
      kEventsSql);
  EventGroups groups;
  for (const EventRecordItem& event : list.records) {
    AddToGroups(event, &groups);
  }
  return groups;
}

// Groups the rows one by one, so that no list of every event is held. On a
// step error the events read so far are kept.
EventGroups GroupsFromCatalogue() {
  EventGroups groups;
  SQLStatement statement(db, kEventsSql);
  if (statement.rc != SQLITE_OK) return groups;
  while ((statement.rc = sqlite3_step(statement.stmt)) == SQLITE_ROW) {
    AddToGroups(StreamDB::LoadEventInfoFromStatement(statement), &groups);
  }
  if (statement.rc != SQLITE_DONE) {
    std::cerr << "stmt Error: ";
    NoteFailure();
  }
  return groups;
}

bool HasTwoSecondOverlap(const SplitPart& previous, const SplitPart& event) {
  return event.startTick == previous.stopTick - kOverlapTicks;
}

// Ticks by which `event` starts before `previous` stops; negative for a gap.
int32_t OverlapTicks(const SplitPart& previous, const SplitPart& event) {
  return static_cast<int32_t>(previous.stopTick - event.startTick);
}

// A part passes when its metadata is staged and its size is above 0 and
// below the limit.
bool IsPartSmallEnough(const SplitPart& event, uint32_t maxPartSizeGB) {
  if (!IsStaged(kMetadataDirectory + event.reid)) return false;
  const uint64_t sizeBytes = static_cast<uint64_t>(EventSize(event.reid));
  const double sizeGB = std::ldexp(static_cast<double>(sizeBytes), -30);
  return sizeGB != 0 && sizeGB < maxPartSizeGB;
}

// Judged on the event's own part and total, not on the group's.
bool IsTooShortLastPart(const SplitPart& event) {
  return event.part == event.totalparts &&
         event.stopTick - event.startTick < kOverlapTicks;
}

const char* VerdictText(bool passed) { return passed ? "PASS" : "FAIL"; }

// Parts must be numbered 1 to the expected count without a gap.
void PrintPartNumbersCheck(uint32_t expectedParts,
                           const std::set<uint32_t>& partNumbers) {
  const size_t uniqueParts = partNumbers.size();
  const uint32_t lastPart = *partNumbers.rbegin();
  if (expectedParts == uniqueParts && expectedParts == lastPart) {
    std::cout << "  Checking totalParts.........PASS\n";
    return;
  }
  std::cout << "  Checking totalParts.........FAIL:  expectedTotalParts="
            << expectedParts << "  actualUniquePartNums=" << uniqueParts
            << "  lastPartNum=" << lastPart << '\n';
}

// Reports one group; an overlap failure is printed as it is found, the
// first one ending the overlap line with "FAIL".
void CheckGroup(const std::string& groupId, GroupEvents events,
                uint32_t maxPartSizeGB) {
  std::cout << "Checking groupId '" << groupId << "':\n";
  const uint32_t expectedParts = events.first->second.totalparts;
  std::cout << "  Checking 2-second overlap...";
  // Sizing the parts reads their metadata, which may take a while.
  if (maxPartSizeGB != 0) std::cout << std::flush;
  bool overlapPassed = true;
  bool lastPartPassed = true;
  bool sizesPassed = true;
  std::set<uint32_t> partNumbers;
  const SplitPart* previous = nullptr;
  for (auto it = events.first; it != events.second; ++it) {
    const SplitPart& event = it->second;
    if (previous != nullptr && !HasTwoSecondOverlap(*previous, event)) {
      if (overlapPassed) std::cout << "FAIL\n";
      overlapPassed = false;
      std::cout << "    Part " << event.part
                << " doesn't have 2-second overlap:  ticks = "
                << OverlapTicks(*previous, event) << '\n';
    }
    if (maxPartSizeGB != 0 && !IsPartSmallEnough(event, maxPartSizeGB)) {
      sizesPassed = false;
    }
    if (IsTooShortLastPart(event)) lastPartPassed = false;
    previous = &event;
    partNumbers.insert(event.part);
  }
  if (overlapPassed) std::cout << "PASS\n";
  std::cout << "  Verify last part >= 2 sec..." << VerdictText(lastPartPassed)
            << '\n';
  PrintPartNumbersCheck(expectedParts, partNumbers);
  if (maxPartSizeGB != 0) {
    std::cout << "  Verify part sizes < " << std::setw(2) << maxPartSizeGB
              << " GB..." << VerdictText(sizesPassed) << '\n';
  }
}

}  // namespace

void AnalyzeSplitEvents(uint32_t maxPartSizeGB) {
  const EventGroups groups =
      streamMgrRunning ? GroupsFromStreamMgr() : GroupsFromCatalogue();
  for (auto it = groups.begin(); it != groups.end() && OutputIsWritable();) {
    const GroupEvents events = groups.equal_range(it->first);
    CheckGroup(it->first, events, maxPartSizeGB);
    it = events.second;
  }
  std::cout << '\n';
}
