#include "standin/sample_disk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "standin/sample_events.h"
#include "standin/ts_check.h"

namespace {

// What a seed decides: pool rows and data plans (plain uint32_t fields, so
// their bytes are their values), then events with their metadata.
std::string DiskText(const SampleOptions& options) {
  SamplePool pool = PlanSamplePool(options);
  std::string text(reinterpret_cast<const char*>(pool.files.data()),
                   pool.files.size() * sizeof(StreamFileRow));
  text.append(reinterpret_cast<const char*>(pool.data.data()),
              pool.data.size() * sizeof(PoolFileData));
  for (const EventRow& e : PlanSampleEvents(options, pool)) {
    text += EventXml(e) + EventMtd(e);
  }
  return text;
}

TEST(SampleDiskTest, SameSeedSameDiskOnAnyPlatform) {
  Rng rng{0};
  EXPECT_EQ(0xE220A8397B1DCDAFull, NextRandom(&rng));  // splitmix64
  EXPECT_EQ(DiskText({5, 40, 30}), DiskText({5, 40, 30}));
}

// On small disks too: one chain per stream, linked both ways, forward in
// ticks and times, full files but the newest; every state (0-3), type
// (4-7) and damage (8-10).
TEST(SampleDiskTest, PoolChainsHoldTogetherAndShowEveryKindOfFile) {
  for (uint64_t seed = 1; seed <= 1000; ++seed) {
    const uint32_t files = seed % 100 == 0 ? 3000 : seed % 2 == 0 ? 10 : 40;
    SamplePool pool = PlanSamplePool({seed, files, 0});
    SCOPED_TRACE("seed " + std::to_string(seed));
    ASSERT_EQ(4u, pool.chains.size());
    std::set<uint32_t> chained, kinds;
    for (uint32_t s = 0; s < 4; ++s) {
      const std::vector<uint32_t>& chain = pool.chains[s];
      uint32_t tick = 0;
      for (size_t i = 0; i < chain.size(); ++i) {
        const uint32_t n = chain[i];
        const StreamFileRow& r = pool.files[n - 1];
        EXPECT_TRUE(chained.insert(n).second && r.stream == s) << n;
        EXPECT_EQ(i == 0 ? 0 : chain[i - 1], r.previous) << n;
        EXPECT_EQ(i + 1 < chain.size() ? chain[i + 1] : 0, r.next) << n;
        EXPECT_TRUE(tick <= r.startTick && r.startTick < r.stopTick) << n;
        EXPECT_EQ(2 * (r.stopTime - r.startTime), r.stopTick - r.startTick);
        tick = r.stopTick;
        EXPECT_EQ(i + 1 == chain.size(), r.sizeBytes < kFullFileBytes) << n;
      }
    }
    for (uint32_t n = 1; n <= files; ++n) {
      const StreamFileRow& r = pool.files[n - 1];
      EXPECT_TRUE(r.number == n &&
                  (chained.count(n) == 0) == (r.state == kFileFree));
      kinds.insert({r.state, 4 + r.type,
                    8 + static_cast<uint32_t>(pool.data[n - 1].damage)});
    }
    EXPECT_EQ(std::set<uint32_t>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), kinds);
  }
}

TEST(TsCheckTest, NamesTheFirstFaultWhateverTheChunks) {
  std::string bad = PoolFileBytes(3, {20, Damage::kBadSync, 5, 0}, 1);
  const std::pair<std::string, const char*> cases[] = {
      {PoolFileBytes(1, {6, Damage::kNone, 0, 0}, 9), "clean"},
      {bad, "packet 5 at byte 940: sync byte 0x00"},
      {bad.substr(0, 376) + "\x46" + bad.substr(377),
       "packet 2 at byte 376: sync byte 0x46"},
      {PoolFileBytes(3, {20, Damage::kTrailingBytes, 0, 100}, 1),
       "trailing 100 bytes, not a whole packet"},
      {"", "empty, no packets"},
  };
  for (const auto& [bytes, expected] : cases) {
    for (size_t chunk : {1, 7, 187, 188, 189, 4096}) {
      TsScan scan;
      for (size_t at = 0; at < bytes.size(); at += chunk) {
        ScanTsBytes(reinterpret_cast<const uint8_t*>(bytes.data()) + at,
                    std::min(chunk, bytes.size() - at), &scan);
      }
      std::string fault;
      EXPECT_EQ(expected, IsCleanTs(scan, &fault) ? "clean" : fault) << chunk;
    }
  }
}

// Unique ids, unsplit events in no group and NULLs, small disks included;
// every staging; split groups healthy and exactly one of each fault.
TEST(SampleDiskTest, EventsShowEveryCaseTheToolHandles) {
  std::set<Staging> staging;
  for (uint32_t count : {10u, 20u, 3000u}) {
    SampleOptions options{8, 40, count};
    std::set<std::string> ids;
    std::map<std::string, int> faults;  // by kind, "healthy" groups too
    std::map<std::string, std::vector<EventRow>> groups;
    for (const EventRow& e :
         PlanSampleEvents(options, PlanSamplePool(options))) {
      EXPECT_TRUE(ids.insert(e.reid).second && e.startTick < e.stopTick);
      EXPECT_EQ(e.part == 0, e.groupId.empty()) << e.reid;
      if (e.part != 0) groups[e.groupId].push_back(e);
      faults["null"] += e.nullColumn != NullColumn::kNone;
      staging.insert(e.staging);
    }
    for (const auto& [groupId, p] : groups) {
      std::string fault = "healthy";
      for (size_t i = 1; i < p.size(); ++i) {
        if (p[i].startTick != p[i - 1].stopTick - 4) fault = "overlap";
      }
      if (p.size() != p[0].totalParts) fault = "missing";
      if (p.back().stopTick - p.back().startTick < 4) fault = "short";
      ++faults[fault];
    }
    EXPECT_TRUE(
        faults["null"] > 0 &&
        (count < 20 || (faults["healthy"] > 0 && faults["missing"] == 1 &&
                        faults["overlap"] == 1 && faults["short"] == 1)))
        << count << " events: " << testing::PrintToString(faults);
  }
  EXPECT_EQ(4u, staging.size());
}

TEST(EventXmlTest, ListsEachStreamsSegmentsInOrder) {
  EventRow event;
  event.reid = "EV20251231120000U070000001";
  event.streams = {{0, {{12, 376, 0}}}, {1, {{20, 188, 940}}}};
  EXPECT_EQ(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<recording-event id=\"EV20251231120000U070000001\">\n"
      "  <video>\n    <streams>\n      <stream id=\"0\">\n"
      "        <segment name=\"seg1\" src=\"12\" start-offset=\"376\" "
      "stop-offset=\"0\"/>\n"
      "      </stream>\n      <stream id=\"1\">\n"
      "        <segment name=\"seg1\" src=\"20\" start-offset=\"188\" "
      "stop-offset=\"940\"/>\n"
      "      </stream>\n    </streams>\n  </video>\n</recording-event>\n",
      EventXml(event));
}

}  // namespace
