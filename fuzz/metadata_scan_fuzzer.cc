// Fuzzes the one-pass metadata scan against TinyXML: wherever the scan
// sizes a text, TinyXML must size it the same way, to the byte and the
// message. A text that the scan leaves to TinyXML proves nothing here.
#include <cstdint>
#include <cstring>
#include <string>

#include "events/event_metadata.h"
#include "events/metadata_scan.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const PaddedText text(std::string(reinterpret_cast<const char*>(data), size));
  XmlSizing scanned;
  if (!ScanXmlSizing(text, &scanned)) return 0;
  const XmlSizing parsed = SizeXmlTextWithTinyXml(text);
  Require(scanned.loaded == parsed.loaded, "the scan loads what TinyXML loads");
  Require(scanned.videoBytes == parsed.videoBytes,
          "the scan sums the bytes that TinyXML's walk sums");
  Require(scanned.fault == nullptr
              ? parsed.fault == nullptr
              : parsed.fault != nullptr &&
                    std::strcmp(scanned.fault, parsed.fault) == 0,
          "the scan stops at the fault where TinyXML's walk stops");
  return 0;
}
