// Fuzzes the event metadata reader: the input is an event's ".xml" file,
// beside a fixed ".mtd" file, both named for this process in /tmp. Beside
// the size, the nesting guard must agree with TinyXML's parser on how deep
// and how wide it builds the document, and on how many nodes it holds, since
// the guard alone keeps a text from exhausting the stack or the memory.
#include <fcntl.h>
#include <tinyxml.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>

#include "events/event_metadata.h"
#include "events/xml_nesting.h"
#include "fuzz/fuzz_check.h"

namespace {

const int64_t kMtdBytes = 1000;
// The guard's limits, low enough that the fuzzer reaches them.
const XmlParseCost kLimits = {200, 20, 2000};
std::string basePath;

// Rewrites the file in place: truncating it to nothing first would have
// ext4 flush it to disk on every run. The name is foreseeable, so a link
// planted there is refused.
void WriteFile(const std::string& path, const char* bytes, size_t size) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW, 0600);
  Require(fd >= 0 && write(fd, bytes, size) == static_cast<ssize_t>(size) &&
              ftruncate(fd, static_cast<off_t>(size)) == 0 && close(fd) == 0,
          "the scratch file holds the input");
}

// How deep and how wide the parsed document is, and its nodes, walked
// without recursion.
XmlParseCost DocumentCost(const TiXmlDocument& document) {
  XmlParseCost cost;
  size_t depth = 0;
  const TiXmlNode* node = document.FirstChild();
  while (node != nullptr) {
    ++cost.nodes;
    if (const TiXmlElement* element = node->ToElement()) {
      cost.depth = std::max(cost.depth, depth + 1);
      size_t attributes = 0;
      for (const TiXmlAttribute* a = element->FirstAttribute(); a != nullptr;
           a = a->Next()) {
        ++attributes;
      }
      cost.attributes = std::max(cost.attributes, attributes);
      cost.nodes += attributes;
    }
    if (node->FirstChild() != nullptr) {
      node = node->FirstChild();
      ++depth;
      continue;
    }
    while (node != nullptr && node->NextSibling() == nullptr) {
      node = node->Parent();
      if (node == &document) node = nullptr;
      --depth;
    }
    if (node != nullptr) node = node->NextSibling();
  }
  return cost;
}

void CheckGuard(const uint8_t* data, size_t size) {
  const PaddedText text(std::string(reinterpret_cast<const char*>(data), size));
  const XmlParseCost guard = MeasureXmlParse(text, kLimits);
  if (!IsWithin(guard, kLimits)) return;
  TiXmlDocument document;
  document.Parse(text.c_str(), nullptr, TIXML_DEFAULT_ENCODING);
  const XmlParseCost parsed = DocumentCost(document);
  Require(parsed.depth == guard.depth,
          "the guard nests exactly as deep as TinyXML");
  Require(parsed.attributes == guard.attributes,
          "the guard counts the attributes TinyXML keeps");
  Require(parsed.nodes == guard.nodes,
          "the guard counts the nodes of TinyXML's document");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  basePath = "/tmp/event_metadata_fuzzer." + std::to_string(getpid());
  WriteFile(basePath + ".mtd", std::string(kMtdBytes, 'm').data(), kMtdBytes);
  std::atexit([] {
    for (const char* end : {".xml", ".mtd"}) unlink((basePath + end).c_str());
  });
  // The reader's messages go to std::cerr; a failed std::cerr drops them, so
  // that the fuzzer's own reports, on the stderr descriptor, stay readable.
  std::cerr.setstate(std::ios_base::badbit);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckGuard(data, size);
  WriteFile(basePath + ".xml", reinterpret_cast<const char*>(data), size);
  // Each segment adds a signed 32-bit amount and is an element of its own,
  // so it needs a '<' of the file; without these names none is ever summed.
  const std::string text(reinterpret_cast<const char*>(data), size);
  const int64_t video = EventSizeAt(basePath) - kMtdBytes;
  const bool named = text.find("recording-event") != std::string::npos &&
                     text.find("src") != std::string::npos;
  const int64_t elements = std::count(text.begin(), text.end(), '<');
  Require(
      std::abs(video) <= elements * (int64_t{1} << 31) && (named || video == 0),
      "the size is the .mtd plus a 32-bit amount per segment element");
  return 0;
}
