#include "events/event_metadata.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <tinyxml.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "events/metadata_scan.h"
#include "events/xml_nesting.h"

namespace {

// Zero bytes after the text: TinyXML steps up to four bytes past the end
// of a text that stops inside a UTF-8 sequence.
const size_t kTextPadding = 8;

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
// such as /dev/zero never ends.
bool ReadXmlText(const std::string& path, std::string* text) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
      static_cast<uint64_t>(status.st_size) > kMaxMetadataBytes) {
    return false;
  }
  // Never blocks, should the file have become a FIFO since.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool complete = fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
                        ReadAtMost(fd, static_cast<size_t>(status.st_size),
                                   kMaxMetadataBytes, text);
  close(fd);
  if (!complete || text->empty()) return false;
  NormalizeLineEnds(text);
  text->append(kTextPadding, '\0');
  return true;
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

// Adds the bytes of every segment of `stream` to the sizing. False at the
// first faulty segment, whose message it keeps.
bool AddStreamBytes(const TiXmlElement& stream, XmlSizing* sizing) {
  const TiXmlNode* first = stream.FirstChild();
  const TiXmlElement* segment = first != nullptr ? first->ToElement() : nullptr;
  for (; segment != nullptr; segment = segment->NextSiblingElement()) {
    if (segment->Attribute("name") == nullptr) {
      sizing->fault = ":'name' attribute missing";
      return false;
    }
    int32_t start = 0;
    int32_t stop = 0;
    int source = 0;
    if (!ReadOffset(*segment, "start-offset", &start)) {
      sizing->fault = "Start offset invalid";
      return false;
    }
    if (!ReadOffset(*segment, "stop-offset", &stop)) {
      sizing->fault = "Stop offset invalid";
      return false;
    }
    if (segment->QueryIntAttribute("src", &source) != TIXML_SUCCESS) {
      sizing->fault = "Source file number missing";
      return false;
    }
    sizing->videoBytes += SegmentBytes(start, stop);
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
  if (ReadXmlText(xmlPath, &text)) sizing = SizeXmlText(text.c_str());
  if (!sizing.loaded) {
    std::cerr << "Failed to load XML file: " << xmlPath;
    return total;
  }
  if (sizing.fault != nullptr) std::cerr << sizing.fault;
  return total + sizing.videoBytes;
}

XmlSizing SizeXmlText(const char* text) {
  // A document per event costs most of an event listing on the board.
  XmlSizing sizing;
  if (ScanXmlSizing(text, &sizing)) return sizing;
  return SizeXmlTextWithTinyXml(text);
}

XmlSizing SizeXmlTextWithTinyXml(const char* text) {
  XmlSizing sizing;
  if (!IsWithin(MeasureXmlParse(text, kMaxXmlParseCost), kMaxXmlParseCost)) {
    return sizing;
  }
  TiXmlDocument document;
  document.Parse(text, nullptr, TIXML_DEFAULT_ENCODING);
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
