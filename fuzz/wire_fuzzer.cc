// Fuzzes the stand-in wire decoding of records: the input is read as a run
// of events and, separately, as a run of stream files, as far as each
// decodes. The encoding is canonical but for booleans, which any non-zero
// byte sets: every decoded record must encode back to the very bytes it
// took, a 1 standing for such a byte, and decode from them to itself.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "standin/client/wire.h"

namespace {

bool IsEncodingOf(const std::string& encoded, const std::string& taken) {
  if (encoded.size() != taken.size()) return false;
  for (size_t i = 0; i < taken.size(); ++i) {
    if (encoded[i] != taken[i] && (encoded[i] != 1 || taken[i] == 0)) {
      return false;
    }
  }
  return true;
}

// Decodes records of one kind from the front of `input` until one fails,
// and checks each by its round trip.
template <typename Record, typename Get, typename Put>
void CheckRecords(const std::string& input, Get get, Put put) {
  wire::Reader reader = wire::ReaderOf(input);
  for (;;) {
    const size_t start = reader.pos;
    Record decoded;
    if (!get(&reader, &decoded)) {
      Require(!reader.ok && reader.pos <= input.size(),
              "a failed read leaves the reader failed, within the input");
      return;
    }
    std::string encoded;
    put(decoded, &encoded);
    Require(IsEncodingOf(encoded, input.substr(start, reader.pos - start)),
            "a record encodes back to the bytes it took");
    wire::Reader again = wire::ReaderOf(encoded);
    Record redecoded;
    std::string reencoded;
    Require(get(&again, &redecoded) && wire::AtEnd(again),
            "an encoded record decodes whole");
    put(redecoded, &reencoded);
    Require(reencoded == encoded, "a record survives its round trip");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  CheckRecords<StreamMgrApi::EventRecordItem>(input, wire::GetEvent,
                                              wire::PutEvent);
  CheckRecords<StreamMgrApi::StreamfileRecordItem>(input, wire::GetFile,
                                                   wire::PutFile);
  return 0;
}
