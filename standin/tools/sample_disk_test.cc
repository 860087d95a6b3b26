#include "standin/tools/sample_disk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "standin/tools/sample_events.h"
#include "standin/tools/ts_check.h"

// What seed 1 decides for a disk of four files and one event, whatever the
// platform (the generator draws from splitmix64 only): its one event,
// recorded in two streams, as its metadata lists each stream's segments.
TEST(SampleDiskTest, SameSeedSameMetadataOnAnyPlatform) {
  EXPECT_EQ(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<recording-event id=\"EV20251231235543U470000001\">\n"
      "  <video>\n    <streams>\n      <stream id=\"0\">\n"
      "        <segment name=\"seg1\" src=\"1\" start-offset=\"16114796\" "
      "stop-offset=\"42228184\"/>\n"
      "      </stream>\n      <stream id=\"1\">\n"
      "        <segment name=\"seg1\" src=\"2\" start-offset=\"9368040\" "
      "stop-offset=\"39508764\"/>\n"
      "      </stream>\n    </streams>\n  </video>\n</recording-event>\n",
      EventXml(PlanSampleEvents({1, 4, 1}, PlanSamplePool({1, 4, 1})).at(0)));
}

// On small disks too: one chain per stream, linked both ways, forward in
// ticks and times, full files but the newest; every state (0-3), type (4-7)
// and damage (8-10).
TEST(SampleDiskTest, EveryPoolHoldsTogetherAndShowsEveryKindOfFile) {
  for (uint64_t seed = 1; seed <= 1000; ++seed) {
    const uint32_t size = seed % 100 == 0 ? 3000 : seed % 2 == 0 ? 10 : 40;
    SamplePool pool = PlanSamplePool({seed, size, size});
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::set<uint32_t> chained, kinds;
    for (uint32_t s = 0; s < 4; ++s) {
      const std::vector<uint32_t>& c = pool.chains.at(s);
      for (size_t i = 0; i < c.size(); ++i) {
        const StreamFileRow& r = pool.files[c[i] - 1];
        const uint32_t tick = i == 0 ? 0 : pool.files[c[i - 1] - 1].stopTick;
        EXPECT_TRUE(chained.insert(c[i]).second && r.stream == s) << c[i];
        EXPECT_EQ(i == 0 ? 0 : c[i - 1], r.previous) << c[i];
        EXPECT_EQ(i + 1 < c.size() ? c[i + 1] : 0, r.next) << c[i];
        EXPECT_TRUE(tick <= r.startTick && r.startTick < r.stopTick) << c[i];
        EXPECT_EQ(2 * (r.stopTime - r.startTime), r.stopTick - r.startTick);
        EXPECT_EQ(i + 1 == c.size(), r.sizeBytes < kFullFileBytes) << c[i];
      }
    }
    for (const StreamFileRow& r : pool.files) {
      EXPECT_EQ(chained.count(r.number) == 0, r.state == kFileFree);
      kinds.insert({r.state, 4 + r.type,
                    8 + static_cast<uint32_t>(pool.data[r.number - 1].damage)});
    }
    EXPECT_EQ(std::set<uint32_t>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), kinds);
  }
}

TEST(TsCheckTest, NamesTheFirstFaultWhateverTheChunks) {
  std::string bad = PoolFileBytes(3, {20, Damage::kBadSync, 5, 0}, 1);
  const std::pair<std::string, const char*> cases[] = {
      {PoolFileBytes(1, {6, Damage::kNone, 0, 0}, 9), "clean"},
      {bad, "packet 5 at byte 940: sync byte 0x00"},
      {bad.replace(376, 1, "\x46"), "packet 2 at byte 376: sync byte 0x46"},
      {PoolFileBytes(3, {20, Damage::kTrailingBytes, 0, 100}, 1),
       "trailing 100 bytes, not a whole packet"},
      {"", "empty, no packets"},
  };
  for (const auto& [bytes, expected] : cases) {
    for (size_t chunk : {1, 7, 187, 188, 189, 4096}) {
      TsScan scan;
      for (size_t at = 0; at < bytes.size(); at += chunk)
        ScanTsBytes(reinterpret_cast<const uint8_t*>(bytes.data()) + at,
                    std::min(chunk, bytes.size() - at), &scan);
      std::string fault;
      EXPECT_EQ(expected, IsCleanTs(scan, &fault) ? "clean" : fault) << chunk;
    }
  }
}
