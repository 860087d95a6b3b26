#ifndef DB_STANDIN_TOOLS_SAMPLE_DISK_H_
#define DB_STANDIN_TOOLS_SAMPLE_DISK_H_

#include <cstdint>
#include <string>
#include <vector>

// What make_sample_disk was asked for; the defaults are its defaults.
struct SampleOptions {
  uint64_t seed = 1;
  uint32_t files = 40;
  uint32_t events = 30;
  int64_t baseTime = 1767225600;  // 2026-01-01 00:00:00 UTC
  uint32_t stagedPercent = 85;
};

// splitmix64, so that a seed gives the same disk with any compiler and
// library.
struct Rng {
  uint64_t state;
};
uint64_t NextRandom(Rng* rng);
// A number from `low` to `high`, both included; `low` when high < low.
uint32_t RandomBetween(Rng* rng, uint32_t low, uint32_t high);
// True about `percent` times in a hundred.
bool RandomChance(Rng* rng, uint32_t percent);

constexpr uint64_t kFullFileBytes = 98566144;  // 524288 packets of 188 bytes
constexpr uint32_t kPacketBytes = 188;

constexpr uint32_t kFileFree = 0;
constexpr uint32_t kFileAllocated = 1;
constexpr uint32_t kFileUsedFree = 2;
constexpr uint32_t kFileUsedKeep = 3;

constexpr uint32_t kTypeInit = 0;
constexpr uint32_t kTypeNorm = 1;
constexpr uint32_t kTypeBkgd = 2;
constexpr uint32_t kTypeWiped = 3;

// The recorder's tick counter runs at two ticks a second alongside the wall
// clock; `baseTick` is its value at `baseTime`.
struct Clock {
  int64_t baseTime;
  uint32_t baseTick;
};
uint32_t TickAt(const Clock& clock, int64_t time);
int64_t TimeAt(const Clock& clock, uint32_t tick);

// One row of table streamfiles.
struct StreamFileRow {
  uint32_t number = 0;
  uint32_t stream = 0;
  uint32_t state = kFileFree;
  uint32_t startTick = 0;
  uint32_t stopTick = 0;
  uint32_t startTime = 0;
  uint32_t stopTime = 0;
  uint32_t previous = 0;
  uint32_t next = 0;
  uint32_t sizeBytes = 0;
  uint32_t type = kTypeInit;
};

enum class Damage { kNone, kBadSync, kTrailingBytes };

// The content of data file streams/N: whole packets, perhaps damaged.
struct PoolFileData {
  uint32_t packetCount = 0;
  Damage damage = Damage::kNone;
  uint32_t damagedPacket = 0;  // kBadSync: this packet is all zero bytes
  uint32_t trailingBytes = 0;  // kTrailingBytes: a cut packet after the rest
};

struct SamplePool {
  Clock clock;
  std::vector<StreamFileRow> files;           // files[i] has number i + 1
  std::vector<PoolFileData> data;             // data[i] is streams/(i + 1)
  std::vector<std::vector<uint32_t>> chains;  // per stream, oldest first
};

// The stream file pool for `options`: rows, chains and data file contents.
SamplePool PlanSamplePool(const SampleOptions& options);

// The bytes of data file streams/`number`.
std::string PoolFileBytes(uint32_t number, const PoolFileData& data,
                          uint64_t seed);

#endif  // DB_STANDIN_TOOLS_SAMPLE_DISK_H_
