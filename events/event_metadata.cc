#include "events/event_metadata.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <tinyxml.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <utility>

#include "events/metadata_scan.h"
#include "events/xml_nesting.h"

namespace {

bool Exists(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0;
}

// Reads fd to its end into *content, expecting about `expected` bytes;
// false on an error or past `limit` bytes.
bool ReadAtMost(int fd, size_t expected, size_t limit, std::string* content) {
  size_t length = 0;
  content->resize(std::min(expected, limit) + 1);
  for (;;) {
    if (length == content->size()) {
      if (length > limit) return false;
      content->resize(std::min(2 * length, limit + 1));
    }
    ssize_t got = read(fd, &(*content)[length], content->size() - length);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    length += static_cast<size_t>(got);
  }
  content->resize(length);
  return true;
}

// Line ends become "\n", as TinyXML's LoadFile makes them.
void NormalizeLineEnds(std::string* text) {
  size_t out = 0;
  const size_t size = text->size();
  for (size_t in = 0; in < size; ++in) {
    char c = (*text)[in];
    if (c == '\r') {
      if (in + 1 < size && (*text)[in + 1] == '\n') continue;
      c = '\n';
    }
    (*text)[out++] = c;
  }
  text->resize(out);
}

// The text of the ".xml" file at `path` as SizeXmlText takes it. False for
// an empty file and for anything but a regular file of at most
// kMaxMetadataBytes: opening a FIFO would wait for a writer, and a device
// such as /dev/zero never ends. The text has room for its padding.
bool ReadXmlText(const std::string& path, std::string* text) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
      static_cast<uint64_t>(status.st_size) > kMaxMetadataBytes) {
    return false;
  }
  // Never blocks, should the file have become a FIFO since.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  // The padding then takes no second copy of the text.
  text->reserve(static_cast<size_t>(status.st_size) + 1 +
                PaddedText::kPaddingBytes);
  const bool complete = fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
                        ReadAtMost(fd, static_cast<size_t>(status.st_size),
                                   kMaxMetadataBytes, text);
  close(fd);
  if (!complete || text->empty()) return false;
  NormalizeLineEnds(text);
  return true;
}

// How TinyXML's query reads the number attribute `name`. An offset beyond
// 32 signed bits is no integer either, since its conversion differs from
// platform to platform.
SegmentNumber ReadNumber(const TiXmlElement& segment, const char* name,
                         bool isOffset, int32_t* value) {
  int queried = 0;
  const int result = segment.QueryIntAttribute(name, &queried);
  if (result == TIXML_NO_ATTRIBUTE) return SegmentNumber::kAbsent;
  if (result != TIXML_SUCCESS) return SegmentNumber::kNotInteger;
  if (!isOffset) return SegmentNumber::kValue;
  // TinyXML reads with sscanf's %d, which takes the same leading blanks,
  // sign and digits as strtoll; strtoll also tells when they overflow.
  errno = 0;
  long long wide = std::strtoll(segment.Attribute(name), nullptr, 10);
  if (errno == ERANGE || wide < INT32_MIN || wide > INT32_MAX) {
    return SegmentNumber::kNotInteger;
  }
  *value = static_cast<int32_t>(wide);
  return SegmentNumber::kValue;
}

// Adds the bytes of every segment of `stream` to the sizing. False at the
// first faulty segment, whose message it keeps.
bool AddStreamBytes(const TiXmlElement& stream, XmlSizing* sizing) {
  const TiXmlNode* first = stream.FirstChild();
  const TiXmlElement* element = first != nullptr ? first->ToElement() : nullptr;
  for (; element != nullptr; element = element->NextSiblingElement()) {
    SegmentReading segment;
    int32_t source = 0;
    segment.hasName = element->Attribute("name") != nullptr;
    segment.start =
        ReadNumber(*element, "start-offset", true, &segment.startOffset);
    segment.stop =
        ReadNumber(*element, "stop-offset", true, &segment.stopOffset);
    segment.source = ReadNumber(*element, "src", false, &source);
    AddSegment(segment, sizing);
    if (sizing->fault != nullptr) return false;
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
  std::string text;
  XmlSizing sizing;
  if (ReadXmlText(xmlPath, &text)) {
    sizing = SizeXmlText(PaddedText(std::move(text)));
  }
  if (!sizing.loaded) {
    std::cerr << "Failed to load XML file: " << xmlPath;
    return total;
  }
  if (sizing.fault != nullptr) std::cerr << sizing.fault;
  return total + sizing.videoBytes;
}

XmlSizing SizeXmlText(const PaddedText& text) {
  // A document per event costs most of an event listing on the board.
  XmlSizing sizing;
  if (ScanXmlSizing(text, &sizing)) return sizing;
  return SizeXmlTextWithTinyXml(text);
}

XmlSizing SizeXmlTextWithTinyXml(const PaddedText& text) {
  XmlSizing sizing;
  if (!IsWithin(MeasureXmlParse(text, kMaxXmlParseCost), kMaxXmlParseCost)) {
    return sizing;
  }
  TiXmlDocument document;
  document.Parse(text.c_str(), nullptr, TIXML_DEFAULT_ENCODING);
  if (document.Error()) return sizing;
  sizing.loaded = true;
  const TiXmlElement* stream = TiXmlHandle(&document)
                                   .FirstChild("recording-event")
                                   .FirstChild("video")
                                   .FirstChild("streams")
                                   .FirstChild("stream")
                                   .ToElement();
  for (; stream != nullptr; stream = stream->NextSiblingElement()) {
    if (!AddStreamBytes(*stream, &sizing)) break;
  }
  return sizing;
}
