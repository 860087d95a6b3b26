#include "standin/tools/sample_disk.h"

#include <algorithm>

namespace {

constexpr uint32_t kStreamCount = 4;
// Streams 0 to 2 are cameras still recording; stream 3 records in the
// background and stopped a while ago.
constexpr uint32_t kStreamPercent[kStreamCount] = {40, 30, 18, 12};
constexpr uint32_t kStoppedStream = 3;
// The default disk's ticks cross 2^31, as on a recorder that has counted
// long enough, so that a reader taking them as signed shows it.
constexpr uint32_t kBaseTickFloor = 2147483648u + 6000;
constexpr uint16_t kVideoPid = 0x100;
// Salts keep the pool rows and the data file contents on separate number
// sequences, so that changing one does not reshuffle the other.
constexpr uint64_t kRowsSalt = 0x726f7773;
constexpr uint64_t kDataSalt = 0x64617461;

struct FileTimes {
  int64_t startTime;
  int64_t stopTime;
  uint32_t sizeBytes;
};

// Each stream gets its share of the used files, at least two where there
// are enough, so that its last file has a previous one.
std::vector<uint32_t> ChainLengths(uint32_t usedCount) {
  std::vector<uint32_t> lengths(kStreamCount, 0);
  if (usedCount < 2 * kStreamCount) {
    for (uint32_t i = 0; i < usedCount; ++i) ++lengths[i % kStreamCount];
    return lengths;
  }
  uint32_t given = 0;
  for (uint32_t s = 1; s < kStreamCount; ++s) {
    lengths[s] = std::max<uint32_t>(usedCount * kStreamPercent[s] / 100, 2);
    given += lengths[s];
  }
  lengths[0] = usedCount - given;
  return lengths;
}

// Walks back from the stream's newest file: full files of 300 to 420
// seconds, now and then a pause in the recording.
std::vector<FileTimes> ChainTimes(uint32_t stream, uint32_t length,
                                  int64_t baseTime, Rng* rng) {
  std::vector<FileTimes> times(length);
  int64_t cursor = stream == kStoppedStream
                       ? baseTime - RandomBetween(rng, 1800, 7200)
                       : baseTime - RandomBetween(rng, 0, 20);
  for (uint32_t i = length; i-- > 0;) {
    bool newest = i + 1 == length;
    uint32_t sizeBytes = newest
                             ? kPacketBytes * RandomBetween(rng, 53000, 450000)
                             : static_cast<uint32_t>(kFullFileBytes);
    uint64_t fullSeconds = RandomBetween(rng, 300, 420);
    int64_t seconds = static_cast<int64_t>(
        std::max<uint64_t>(fullSeconds * sizeBytes / kFullFileBytes, 1));
    times[i] = {cursor - seconds, cursor, sizeBytes};
    cursor -= seconds;
    if (RandomChance(rng, 5)) cursor -= RandomBetween(rng, 60, 3600);
  }
  return times;
}

uint32_t UsedState(uint32_t stream, uint32_t index, uint32_t length, Rng* rng) {
  if (index + 1 == length) {
    return stream == kStoppedStream ? kFileUsedKeep : kFileAllocated;
  }
  // The oldest file of stream 0 is always reusable, so that every state
  // shows on a small disk.
  if (stream == 0 && index == 0) return kFileUsedFree;
  uint32_t freePercent = index < length / 2 ? 70 : 25;
  return RandomChance(rng, freePercent) ? kFileUsedFree : kFileUsedKeep;
}

// Lays the files out in the pool: used ones by start time, free ones
// scattered between, and the whole ring turned so that the oldest file is
// not number 1.
std::vector<uint32_t> SlotNumbers(uint32_t fileCount, uint32_t freeCount,
                                  std::vector<bool>* isFree, Rng* rng) {
  isFree->assign(fileCount, false);
  for (uint32_t i = 0; i < freeCount; ++i) (*isFree)[i] = true;
  for (uint32_t i = fileCount; i > 1; --i) {
    uint32_t j = RandomBetween(rng, 0, i - 1);
    bool kept = (*isFree)[i - 1];
    (*isFree)[i - 1] = (*isFree)[j];
    (*isFree)[j] = kept;
  }
  uint32_t rotation = fileCount == 0 ? 0 : RandomBetween(rng, 0, fileCount - 1);
  std::vector<uint32_t> numbers(fileCount);
  for (uint32_t slot = 0; slot < fileCount; ++slot) {
    numbers[slot] = (slot + rotation) % fileCount + 1;
  }
  return numbers;
}

void PlanPoolData(const SampleOptions& options, SamplePool* pool) {
  Rng rng{options.seed ^ kDataSalt};
  pool->data.assign(options.files, PoolFileData());
  uint32_t damagedCount = 0;
  for (PoolFileData& data : pool->data) {
    data.packetCount = RandomBetween(&rng, 16, 48);
    if (RandomChance(&rng, 10)) {
      data.damage = Damage::kBadSync;
      ++damagedCount;
    }
  }
  while (options.files >= 10 && damagedCount < 2) {
    PoolFileData& data = pool->data[RandomBetween(&rng, 0, options.files - 1)];
    if (data.damage != Damage::kNone) continue;
    data.damage = Damage::kBadSync;
    ++damagedCount;
  }
  // Alternating the kinds in number order puts both on every damaged disk.
  bool badSync = true;
  for (PoolFileData& data : pool->data) {
    if (data.damage == Damage::kNone) continue;
    data.damage = badSync ? Damage::kBadSync : Damage::kTrailingBytes;
    data.damagedPacket = RandomBetween(&rng, 0, data.packetCount - 1);
    data.trailingBytes = RandomBetween(&rng, 1, kPacketBytes - 1);
    badSync = !badSync;
  }
}

void AppendTsPacket(uint16_t pid, uint32_t index, Rng* rng,
                    std::string* bytes) {
  size_t at = bytes->size();
  bytes->resize(at + kPacketBytes);
  char* packet = &(*bytes)[at];
  bool unitStart = index == 0;
  packet[0] = 0x47;
  packet[1] = static_cast<char>((unitStart ? 0x40 : 0) | ((pid >> 8) & 0x1F));
  packet[2] = static_cast<char>(pid & 0xFF);
  packet[3] = static_cast<char>(0x10 | (index & 0x0F));  // payload only
  size_t payloadAt = 4;
  if (unitStart) {
    // A file begins a video PES packet, as the recorder cuts at key frames.
    const char kPesStart[] = {0x00, 0x00, 0x01, static_cast<char>(0xE0), 0, 0};
    std::copy(kPesStart, kPesStart + sizeof kPesStart, packet + payloadAt);
    payloadAt += sizeof kPesStart;
  }
  for (size_t i = payloadAt; i < kPacketBytes; i += 8) {
    uint64_t random = NextRandom(rng);
    for (size_t j = 0; j < 8 && i + j < kPacketBytes; ++j) {
      packet[i + j] = static_cast<char>(random >> (8 * j));
    }
  }
}

}  // namespace

uint64_t NextRandom(Rng* rng) {
  uint64_t z = (rng->state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

uint32_t RandomBetween(Rng* rng, uint32_t low, uint32_t high) {
  if (high <= low) return low;
  uint64_t span = uint64_t{high} - low + 1;
  return low + static_cast<uint32_t>(((NextRandom(rng) >> 32) * span) >> 32);
}

bool RandomChance(Rng* rng, uint32_t percent) {
  return RandomBetween(rng, 0, 99) < percent;
}

uint32_t TickAt(const Clock& clock, int64_t time) {
  return static_cast<uint32_t>(clock.baseTick + 2 * (time - clock.baseTime));
}

int64_t TimeAt(const Clock& clock, uint32_t tick) {
  int64_t ticks = int64_t{tick} - clock.baseTick;
  // Rounds down for ticks before the base as well.
  return clock.baseTime + (ticks >= 0 ? ticks / 2 : -((1 - ticks) / 2));
}

SamplePool PlanSamplePool(const SampleOptions& options) {
  SamplePool pool;
  Rng rng{options.seed ^ kRowsSalt};
  pool.clock = {options.baseTime, kBaseTickFloor + RandomBetween(&rng, 0, 999)};
  uint32_t freeCount = options.files / 12;
  if (options.files >= 10) freeCount = std::max<uint32_t>(freeCount, 2);
  std::vector<uint32_t> lengths = ChainLengths(options.files - freeCount);

  struct Used {
    uint32_t stream;
    uint32_t index;
    int64_t startTime;
  };
  std::vector<std::vector<FileTimes>> times;
  std::vector<Used> used;
  for (uint32_t s = 0; s < kStreamCount; ++s) {
    times.push_back(ChainTimes(s, lengths[s], options.baseTime, &rng));
    for (uint32_t i = 0; i < lengths[s]; ++i) {
      used.push_back({s, i, times[s][i].startTime});
    }
  }
  std::stable_sort(used.begin(), used.end(), [](const Used& a, const Used& b) {
    return a.startTime < b.startTime;
  });

  std::vector<bool> isFree;
  std::vector<uint32_t> numbers =
      SlotNumbers(options.files, freeCount, &isFree, &rng);
  pool.files.resize(options.files);
  pool.chains.resize(kStreamCount);
  for (uint32_t s = 0; s < kStreamCount; ++s) pool.chains[s].resize(lengths[s]);
  size_t nextUsed = 0;
  uint32_t freeSeen = 0;
  for (uint32_t slot = 0; slot < options.files; ++slot) {
    StreamFileRow& row = pool.files[numbers[slot] - 1];
    row.number = numbers[slot];
    if (isFree[slot]) {
      // The first free file was wiped and the second never used, so that
      // both kinds show on a small disk.
      bool wiped = freeSeen == 0 || (freeSeen > 1 && RandomChance(&rng, 25));
      row.type = wiped ? kTypeWiped : kTypeInit;
      ++freeSeen;
      continue;
    }
    const Used& file = used[nextUsed++];
    pool.chains[file.stream][file.index] = row.number;
  }

  for (uint32_t s = 0; s < kStreamCount; ++s) {
    const std::vector<uint32_t>& chain = pool.chains[s];
    for (uint32_t i = 0; i < chain.size(); ++i) {
      StreamFileRow& row = pool.files[chain[i] - 1];
      const FileTimes& at = times[s][i];
      row.stream = s;
      row.state = UsedState(s, i, lengths[s], &rng);
      row.startTick = TickAt(pool.clock, at.startTime);
      row.stopTick = TickAt(pool.clock, at.stopTime);
      row.startTime = static_cast<uint32_t>(at.startTime);
      row.stopTime = static_cast<uint32_t>(at.stopTime);
      row.previous = i == 0 ? 0 : chain[i - 1];
      row.next = i + 1 == chain.size() ? 0 : chain[i + 1];
      row.sizeBytes = at.sizeBytes;
      bool background = s == kStoppedStream || RandomChance(&rng, 6);
      row.type = background ? kTypeBkgd : kTypeNorm;
    }
  }
  PlanPoolData(options, &pool);
  return pool;
}

std::string PoolFileBytes(uint32_t number, const PoolFileData& data,
                          uint64_t seed) {
  Rng rng{seed ^ (uint64_t{number} * 0xD6E8FEB86659FD93ull)};
  bool cut = data.damage == Damage::kTrailingBytes;
  std::string bytes;
  bytes.reserve((data.packetCount + 1) * kPacketBytes);
  for (uint32_t p = 0; p < data.packetCount + (cut ? 1 : 0); ++p) {
    AppendTsPacket(kVideoPid, p, &rng, &bytes);
  }
  if (cut) bytes.resize(data.packetCount * kPacketBytes + data.trailingBytes);
  if (data.damage == Damage::kBadSync) {
    auto packet = bytes.begin() + data.damagedPacket * kPacketBytes;
    std::fill(packet, packet + kPacketBytes, '\0');
  }
  return bytes;
}
