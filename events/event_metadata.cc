#include "events/event_metadata.h"

#include <sys/stat.h>
#include <tinyxml.h>

#include <cerrno>
#include <cstdlib>
#include <iostream>

namespace {

bool Exists(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0;
}

// Reads an offset attribute into *offset; absent means 0. What counts as an
// integer is TinyXML's query; a value beyond 32 signed bits is refused too,
// since its conversion differs from platform to platform.
bool ReadOffset(const TiXmlElement& segment, const char* name,
                int32_t* offset) {
  int value = 0;
  int result = segment.QueryIntAttribute(name, &value);
  if (result == TIXML_NO_ATTRIBUTE) {
    *offset = 0;
    return true;
  }
  if (result != TIXML_SUCCESS) return false;
  // TinyXML reads with sscanf's %d, which takes the same leading blanks,
  // sign and digits as strtoll; strtoll also tells when they overflow.
  errno = 0;
  long long wide = std::strtoll(segment.Attribute(name), nullptr, 10);
  if (errno == ERANGE || wide < INT32_MIN || wide > INT32_MAX) return false;
  *offset = static_cast<int32_t>(wide);
  return true;
}

// Adds the bytes of every segment of `stream` to *total. False at the first
// faulty segment, after its message on stderr.
bool AddStreamBytes(const TiXmlElement& stream, int64_t* total) {
  const TiXmlNode* first = stream.FirstChild();
  const TiXmlElement* segment = first != nullptr ? first->ToElement() : nullptr;
  for (; segment != nullptr; segment = segment->NextSiblingElement()) {
    if (segment->Attribute("name") == nullptr) {
      std::cerr << ":'name' attribute missing";
      return false;
    }
    int32_t start = 0;
    int32_t stop = 0;
    int source = 0;
    if (!ReadOffset(*segment, "start-offset", &start)) {
      std::cerr << "Start offset invalid";
      return false;
    }
    if (!ReadOffset(*segment, "stop-offset", &stop)) {
      std::cerr << "Stop offset invalid";
      return false;
    }
    if (segment->QueryIntAttribute("src", &source) != TIXML_SUCCESS) {
      std::cerr << "Source file number missing";
      return false;
    }
    *total += SegmentBytes(start, stop);
  }
  return true;
}

}  // namespace

bool IsStaged(const std::string& basePath) {
  return Exists(basePath + ".xml") && Exists(basePath + ".mtd");
}

int64_t EventSize(const std::string& reid) {
  return EventSizeAt(kMetadataDirectory + reid);
}

int64_t EventSizeAt(const std::string& basePath) {
  const std::string xmlPath = basePath + ".xml";
  const std::string mtdPath = basePath + ".mtd";
  struct stat mtd;
  if (stat(mtdPath.c_str(), &mtd) != 0) {
    std::cerr << "Failed to stat file: " << mtdPath;
    return 0;
  }
  int64_t total = mtd.st_size;
  TiXmlDocument document;
  if (!document.LoadFile(xmlPath.c_str())) {
    std::cerr << "Failed to load XML file: " << xmlPath;
    return total;
  }
  const TiXmlElement* stream = TiXmlHandle(&document)
                                   .FirstChild("recording-event")
                                   .FirstChild("video")
                                   .FirstChild("streams")
                                   .FirstChild("stream")
                                   .ToElement();
  for (; stream != nullptr; stream = stream->NextSiblingElement()) {
    if (!AddStreamBytes(*stream, &total)) break;
  }
  return total;
}

int64_t SegmentBytes(int32_t startOffset, int32_t stopOffset) {
  if (startOffset == 0 && stopOffset == 0) return StreamFileBytes;
  if (startOffset > 0 && stopOffset == 0) {
    return StreamFileBytes - startOffset;
  }
  if (stopOffset > 0) {
    // Formed in 32 bits as the board does: modulo 2^32, then sign-extended.
    uint32_t difference =
        static_cast<uint32_t>(stopOffset) - static_cast<uint32_t>(startOffset);
    return static_cast<int32_t>(difference);
  }
  return 0;
}
