#include "standin/sample_disk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "standin/sample_events.h"
#include "standin/ts_check.h"

namespace {

SampleOptions Options(uint64_t seed, uint32_t files, uint32_t events) {
  SampleOptions options;
  options.seed = seed;
  options.files = files;
  options.events = events;
  return options;
}

std::string PoolText(const SamplePool& pool) {
  std::string text;
  for (const StreamFileRow& r : pool.files) {
    for (uint32_t value :
         {r.number, r.stream, r.state, r.startTick, r.stopTick, r.startTime,
          r.stopTime, r.previous, r.next, r.sizeBytes, r.type}) {
      text += std::to_string(value) + ",";
    }
  }
  for (const PoolFileData& d : pool.data) {
    text += std::to_string(d.packetCount) + "/" +
            std::to_string(static_cast<int>(d.damage)) + "/" +
            std::to_string(d.damagedPacket) + "/" +
            std::to_string(d.trailingBytes) + ",";
  }
  return text;
}

std::string EventsText(const std::vector<EventRow>& events) {
  std::string text;
  for (const EventRow& e : events) {
    text += e.reid + e.groupId + std::to_string(e.startTick) + "-" +
            std::to_string(e.stopTick) + "-" + std::to_string(e.exportTime) +
            "-" + std::to_string(static_cast<int>(e.nullColumn)) + "-" +
            std::to_string(static_cast<int>(e.staging)) + EventXml(e) +
            EventMtd(e) + "\n";
  }
  return text;
}

std::string Scan(const std::string& bytes, size_t chunkBytes) {
  TsScan scan;
  for (size_t at = 0; at < bytes.size(); at += chunkBytes) {
    size_t count = std::min(chunkBytes, bytes.size() - at);
    ScanTsBytes(reinterpret_cast<const uint8_t*>(bytes.data()) + at, count,
                &scan);
  }
  std::string fault;
  return IsCleanTs(scan, &fault) ? "clean" : fault;
}

TEST(RngTest, IsSplitmix64AndStaysInRange) {
  Rng rng{0};
  EXPECT_EQ(0xE220A8397B1DCDAFull, NextRandom(&rng));
  std::set<uint32_t> seen;
  for (int i = 0; i < 1000; ++i) {
    uint32_t value = RandomBetween(&rng, 3, 7);
    ASSERT_GE(value, 3u);
    ASSERT_LE(value, 7u);
    seen.insert(value);
  }
  EXPECT_EQ(5u, seen.size());
  EXPECT_EQ(UINT32_MAX, RandomBetween(&rng, UINT32_MAX, UINT32_MAX));
}

TEST(ClockTest, TicksRunAtTwoPerSecondAndTimesRoundDown) {
  Clock clock{1767225600, 2147483000u};
  EXPECT_EQ(2147483000u, TickAt(clock, 1767225600));
  EXPECT_EQ(2147484200u, TickAt(clock, 1767225600 + 600));
  EXPECT_EQ(2147482000u, TickAt(clock, 1767225600 - 500));
  EXPECT_EQ(1767225600 + 600, TimeAt(clock, 2147484201u));
  EXPECT_EQ(1767225600 - 1, TimeAt(clock, 2147482999u));
  EXPECT_EQ(1767225600 - 1, TimeAt(clock, 2147482998u));
}

TEST(PoolPlanTest, SameOptionsSameDiskOtherSeedOtherDisk) {
  EXPECT_EQ(PoolText(PlanSamplePool(Options(1, 40, 30))),
            PoolText(PlanSamplePool(Options(1, 40, 30))));
  EXPECT_NE(PoolText(PlanSamplePool(Options(1, 40, 30))),
            PoolText(PlanSamplePool(Options(2, 40, 30))));
}

TEST(PoolPlanTest, ChainsAreLinkedAndRunForwardInTime) {
  for (uint32_t files : {10u, 40u, 5000u}) {
    SamplePool pool = PlanSamplePool(Options(7, files, 0));
    ASSERT_EQ(files, pool.files.size());
    std::set<uint32_t> chained;
    for (const std::vector<uint32_t>& chain : pool.chains) {
      ASSERT_GE(chain.size(), 2u) << files;
      for (size_t i = 0; i < chain.size(); ++i) {
        const StreamFileRow& row = pool.files[chain[i] - 1];
        SCOPED_TRACE(std::to_string(files) + " files, number " +
                     std::to_string(row.number));
        EXPECT_TRUE(chained.insert(row.number).second);
        EXPECT_EQ(i == 0 ? 0 : chain[i - 1], row.previous);
        EXPECT_EQ(i + 1 == chain.size() ? 0 : chain[i + 1], row.next);
        EXPECT_LT(row.startTick, row.stopTick);
        EXPECT_EQ(2 * (row.stopTime - row.startTime),
                  row.stopTick - row.startTick);
        EXPECT_EQ(0u, row.sizeBytes % kPacketBytes);
        if (i + 1 < chain.size()) {
          EXPECT_EQ(kFullFileBytes, row.sizeBytes);
          EXPECT_LE(row.stopTick, pool.files[chain[i + 1] - 1].startTick);
        } else {
          EXPECT_LT(row.sizeBytes, kFullFileBytes);
          EXPECT_GT(row.sizeBytes, 10000000u);
        }
      }
    }
    for (const StreamFileRow& row : pool.files) {
      if (chained.count(row.number) != 0) continue;
      EXPECT_EQ(kFileFree, row.state) << row.number;
      EXPECT_EQ(0u, row.startTick + row.stopTick + row.next + row.previous);
    }
  }
}

TEST(PoolPlanTest, EveryStateTypeAndDamageShowsOnSmallDisks) {
  for (uint64_t seed = 1; seed <= 1000; ++seed) {
    uint32_t files = seed % 2 == 0 ? 10 : 40;
    SamplePool pool = PlanSamplePool(Options(seed, files, 0));
    std::set<uint32_t> states, types;
    for (const StreamFileRow& row : pool.files) {
      states.insert(row.state);
      types.insert(row.type);
    }
    std::set<Damage> damages;
    for (const PoolFileData& data : pool.data) damages.insert(data.damage);
    EXPECT_EQ(std::set<uint32_t>({0, 1, 2, 3}), states) << "seed " << seed;
    EXPECT_EQ(std::set<uint32_t>({0, 1, 2, 3}), types) << "seed " << seed;
    EXPECT_EQ(3u, damages.size()) << "seed " << seed;
  }
}

TEST(PoolPlanTest, TicksOfTheDefaultDiskCrossTheSignedLimit) {
  SamplePool pool = PlanSamplePool(SampleOptions());
  uint32_t low = UINT32_MAX, high = 0;
  for (const StreamFileRow& row : pool.files) {
    if (row.startTick == 0) continue;
    low = std::min(low, row.startTick);
    high = std::max(high, row.stopTick);
  }
  EXPECT_LT(low, 2147483648u);
  EXPECT_GT(high, 2147483648u);
}

TEST(PoolFileTest, CleanFilesAreWholePacketsOnOnePidCountingOn) {
  std::string bytes = PoolFileBytes(12, {20, Damage::kNone, 0, 0}, 1);
  ASSERT_EQ(20u * 188, bytes.size());
  for (size_t p = 0; p < 20; ++p) {
    const char* packet = bytes.data() + p * 188;
    EXPECT_EQ(0x47, packet[0]) << p;
    EXPECT_EQ(0x100, ((packet[1] & 0x1F) << 8) | (packet[2] & 0xFF)) << p;
    EXPECT_EQ(p % 16, static_cast<size_t>(packet[3] & 0x0F)) << p;
  }
  EXPECT_EQ("clean", Scan(bytes, 4096));
  EXPECT_EQ(bytes, PoolFileBytes(12, {20, Damage::kNone, 0, 0}, 1));
  EXPECT_NE(bytes, PoolFileBytes(13, {20, Damage::kNone, 0, 0}, 1));
}

TEST(PoolFileTest, DamagedFilesFailAtTheDamage) {
  EXPECT_EQ("packet 5 at byte 940: sync byte 0x00",
            Scan(PoolFileBytes(3, {20, Damage::kBadSync, 5, 0}, 1), 4096));
  EXPECT_EQ(
      "trailing 100 bytes, not a whole packet",
      Scan(PoolFileBytes(3, {20, Damage::kTrailingBytes, 0, 100}, 1), 4096));
}

TEST(TsCheckTest, FindsTheFirstFaultWhateverTheChunks) {
  std::string clean = PoolFileBytes(1, {6, Damage::kNone, 0, 0}, 9);
  std::string twoBad = clean;
  twoBad[2 * 188] = 0x46;
  twoBad[4 * 188] = 0x00;
  struct Case {
    std::string bytes;
    const char* expected;
  };
  const Case cases[] = {
      {clean, "clean"},
      {twoBad, "packet 2 at byte 376: sync byte 0x46"},
      {clean + "\x47\x01", "trailing 2 bytes, not a whole packet"},
      {"\x12" + clean.substr(1), "packet 0 at byte 0: sync byte 0x12"},
      {clean.substr(0, 187), "trailing 187 bytes, not a whole packet"},
      {"", "empty, no packets"},
  };
  for (const Case& c : cases) {
    for (size_t chunk : {1, 7, 187, 188, 189, 4096}) {
      EXPECT_EQ(c.expected, Scan(c.bytes, chunk)) << "chunk " << chunk;
    }
  }
}

TEST(EventPlanTest, SameOptionsSameEvents) {
  SampleOptions options = Options(5, 40, 30);
  SamplePool pool = PlanSamplePool(options);
  EXPECT_EQ(EventsText(PlanSampleEvents(options, pool)),
            EventsText(PlanSampleEvents(options, pool)));
  SampleOptions other = Options(6, 40, 30);
  EXPECT_NE(EventsText(PlanSampleEvents(options, pool)),
            EventsText(PlanSampleEvents(other, PlanSamplePool(other))));
}

TEST(EventPlanTest, IdsAreUniqueLettersAndDigitsAndUnsplitEventsHaveNoGroup) {
  SampleOptions options = Options(1, 400, 500);
  std::vector<EventRow> events =
      PlanSampleEvents(options, PlanSamplePool(options));
  ASSERT_EQ(500u, events.size());
  std::set<std::string> ids;
  for (const EventRow& event : events) {
    EXPECT_GE(event.reid.size(), 24u);
    EXPECT_TRUE(std::all_of(event.reid.begin(), event.reid.end(), [](char c) {
      return std::isalnum(c) != 0;
    })) << event.reid;
    EXPECT_TRUE(ids.insert(event.reid).second) << event.reid;
    EXPECT_LT(event.startTick, event.stopTick) << event.reid;
    EXPECT_LE(event.stopTime, options.baseTime) << event.reid;
    if (event.part == 0) {
      EXPECT_EQ("", event.groupId);
      EXPECT_EQ(0u, event.totalParts);
    }
  }
}

// Classifies each split group by its fault; "healthy" when it has none.
std::map<std::string, int> GroupFaults(const std::vector<EventRow>& events) {
  std::map<std::string, std::vector<const EventRow*>> groups;
  for (const EventRow& event : events) {
    if (event.part != 0) groups[event.groupId].push_back(&event);
  }
  std::map<std::string, int> faults;
  for (const auto& group : groups) {
    const std::vector<const EventRow*>& parts = group.second;
    std::string fault = "healthy";
    if (parts.size() != parts[0]->totalParts) fault = "missing part";
    for (size_t i = 1; i < parts.size(); ++i) {
      if (parts[i]->part != parts[i - 1]->part + 1) continue;
      if (parts[i]->startTick != parts[i - 1]->stopTick - 4) fault = "overlap";
    }
    if (parts.back()->stopTick - parts.back()->startTick < 4) fault = "short";
    ++faults[fault];
  }
  return faults;
}

TEST(EventPlanTest, SplitGroupsAreHealthyButForOneOfEachFault) {
  for (uint32_t count : {20u, 30u, 3000u}) {
    SampleOptions options = Options(2, 40, count);
    std::map<std::string, int> faults =
        GroupFaults(PlanSampleEvents(options, PlanSamplePool(options)));
    EXPECT_EQ(1, faults["missing part"]) << count;
    EXPECT_EQ(1, faults["overlap"]) << count;
    EXPECT_EQ(1, faults["short"]) << count;
    EXPECT_GE(faults["healthy"], static_cast<int>(count / 30)) << count;
  }
}

TEST(EventPlanTest, SegmentsMatchTotalFilesWithPartialEnds) {
  SampleOptions options = Options(4, 200, 300);
  SamplePool pool = PlanSamplePool(options);
  for (const EventRow& event : PlanSampleEvents(options, pool)) {
    uint32_t segments = 0;
    for (const EventStream& stream : event.streams) {
      const std::vector<Segment>& list = stream.segments;
      ASSERT_FALSE(list.empty()) << event.reid;
      segments += static_cast<uint32_t>(list.size());
      EXPECT_GT(list.front().startOffset, 0u) << event.reid;
      EXPECT_GT(list.back().stopOffset, 0u) << event.reid;
      if (list.size() == 1) {
        EXPECT_GT(list[0].stopOffset, list[0].startOffset) << event.reid;
      }
      for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_GE(list[i].src, 1u);
        EXPECT_LE(list[i].src, options.files);
        EXPECT_LE(list[i].stopOffset, kFullFileBytes);
        if (i > 0) {
          EXPECT_EQ(0u, list[i].startOffset) << event.reid;
        }
        if (i + 1 < list.size()) {
          EXPECT_EQ(0u, list[i].stopOffset) << event.reid;
        }
      }
    }
    EXPECT_EQ(event.totalFiles, segments) << event.reid;
  }
}

TEST(EventPlanTest, ExportsStagingAndNullsKeepTheirShares) {
  SampleOptions options = Options(8, 100, 2500);
  std::vector<EventRow> events =
      PlanSampleEvents(options, PlanSamplePool(options));
  std::map<Staging, int> staging;
  int nulls = 0;
  for (const EventRow& event : events) {
    ++staging[event.staging];
    nulls += event.nullColumn != NullColumn::kNone;
    if (event.state == 1) {
      EXPECT_GE(event.exportTime, options.baseTime - 48 * 3600) << event.reid;
      EXPECT_LT(event.exportTime, options.baseTime) << event.reid;
    }
  }
  EXPECT_NEAR(0.85, staging[Staging::kBoth] / 2500.0, 0.03);
  EXPECT_GT(staging[Staging::kXmlOnly], 0);
  EXPECT_GT(staging[Staging::kMtdOnly], 0);
  EXPECT_GT(staging[Staging::kNone], staging[Staging::kXmlOnly]);
  EXPECT_NEAR(0.04, nulls / 2500.0, 0.015);

  SampleOptions few = Options(8, 40, 10);
  events = PlanSampleEvents(few, PlanSamplePool(few));
  EXPECT_TRUE(std::any_of(events.begin(), events.end(), [](const EventRow& e) {
    return e.nullColumn != NullColumn::kNone;
  }));
}

TEST(EventXmlTest, ListsEachStreamsSegmentsInOrder) {
  EventRow event;
  event.reid = "EV20251231120000U070000001";
  event.streams = {{0, {{12, 376, 0}, {13, 0, 0}, {14, 0, 1880}}},
                   {1, {{20, 188, 940}}}};
  EXPECT_EQ(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<recording-event id=\"EV20251231120000U070000001\">\n"
      "  <video>\n"
      "    <streams>\n"
      "      <stream id=\"0\">\n"
      "        <segment name=\"seg1\" src=\"12\" start-offset=\"376\" "
      "stop-offset=\"0\"/>\n"
      "        <segment name=\"seg2\" src=\"13\" start-offset=\"0\" "
      "stop-offset=\"0\"/>\n"
      "        <segment name=\"seg3\" src=\"14\" start-offset=\"0\" "
      "stop-offset=\"1880\"/>\n"
      "      </stream>\n"
      "      <stream id=\"1\">\n"
      "        <segment name=\"seg1\" src=\"20\" start-offset=\"188\" "
      "stop-offset=\"940\"/>\n"
      "      </stream>\n"
      "    </streams>\n"
      "  </video>\n"
      "</recording-event>\n",
      EventXml(event));
}

}  // namespace
