// Fuzzes the stand-in wire decoding of records: the input is read as a run
// of events and, separately, as a run of stream files, as far as each
// decodes. Every decoded record must encode back to as many bytes as it
// took, and decode from them to the same fields.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "standin/wire.h"

namespace {

using StreamMgrApi::EventAnswer;
using StreamMgrApi::EventRecordItem;
using StreamMgrApi::StreamfileRecordItem;

bool SameAnswers(const std::vector<EventAnswer>& a,
                 const std::vector<EventAnswer>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].question != b[i].question || a[i].answer != b[i].answer) {
      return false;
    }
  }
  return true;
}

bool SameEvent(const EventRecordItem& a, const EventRecordItem& b) {
  return a.reid.value == b.reid.value && a.state == b.state &&
         a.splitstate == b.splitstate && a.locked.value == b.locked.value &&
         a.marked.value == b.marked.value &&
         a.uploaded.value == b.uploaded.value && a.cCode == b.cCode &&
         a.rCode == b.rCode && a.startTick.value == b.startTick.value &&
         a.startTime.value == b.startTime.value &&
         a.exportTime.value == b.exportTime.value &&
         a.stopTick.value == b.stopTick.value &&
         a.stopTime.value == b.stopTime.value &&
         a.category.value == b.category.value &&
         a.officer.data.value == b.officer.data.value &&
         a.officer.preferences.data.value == b.officer.preferences.data.value &&
         a.notes.value == b.notes.value &&
         a.vehicle.data.value == b.vehicle.data.value &&
         a.evidence.value == b.evidence.value && a.bg.value == b.bg.value &&
         a.totalfiles.value == b.totalfiles.value &&
         a.groupId.value == b.groupId.value && a.part.value == b.part.value &&
         a.totalparts.value == b.totalparts.value &&
         SameAnswers(a.answers.value, b.answers.value);
}

bool SameFile(const StreamfileRecordItem& a, const StreamfileRecordItem& b) {
  return a.number.value == b.number.value && a.stream.value == b.stream.value &&
         a.state == b.state && a.startTick.value == b.startTick.value &&
         a.stopTick.value == b.stopTick.value &&
         a.startTime.value == b.startTime.value &&
         a.stopTime.value == b.stopTime.value &&
         a.previous.value == b.previous.value && a.next.value == b.next.value &&
         a.size.value == b.size.value && a.type == b.type;
}

// Decodes records of one kind from the front of `input` until one fails,
// and checks each by its round trip.
template <typename Record, typename Get, typename Put, typename Same>
void CheckRecords(const std::string& input, Get get, Put put, Same same) {
  wire::Reader reader = wire::ReaderOf(input);
  for (;;) {
    const size_t start = reader.pos;
    Record decoded;
    if (!get(&reader, &decoded)) {
      Require(!reader.ok, "a failed read leaves the reader failed");
      Require(reader.pos <= input.size(), "the reader stays in the input");
      return;
    }
    std::string encoded;
    put(decoded, &encoded);
    Require(encoded.size() == reader.pos - start,
            "a record encodes to as many bytes as it took");
    wire::Reader again = wire::ReaderOf(encoded);
    Record redecoded;
    Require(get(&again, &redecoded) && wire::AtEnd(again),
            "an encoded record decodes whole");
    Require(same(decoded, redecoded), "a record survives its round trip");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  CheckRecords<EventRecordItem>(input, wire::GetEvent, wire::PutEvent,
                                SameEvent);
  CheckRecords<StreamfileRecordItem>(input, wire::GetFile, wire::PutFile,
                                     SameFile);
  return 0;
}
