#include "events/event_metadata.h"

#include <sys/stat.h>
#include <tinyxml.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace {

// TinyXML parses nested elements by recursion: a damaged file nested deeper
// than this would exhaust the stack, and takes ever longer well before.
const size_t kMaxElementDepth = 5000;

bool Exists(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0;
}

// An upper bound of how deeply the elements of an XML text nest.
size_t ElementDepthBound(const std::string& text) {
  size_t depth = 0;
  size_t deepest = 0;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '<' && text[i + 1] == '/') {
      if (depth > 0) --depth;
    } else if (text[i] == '<' && text[i + 1] != '!' && text[i + 1] != '?') {
      deepest = std::max(deepest, ++depth);
    } else if (text[i] == '/' && text[i + 1] == '>' && depth > 0) {
      --depth;
    }
  }
  return deepest;
}

// The whole file, or false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* content) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) {
    content->append(buffer, got);
  }
  bool complete = !std::ferror(file);
  std::fclose(file);
  return complete;
}

// Loads an XML file as TinyXML's LoadFile does (line ends made "\n", then
// parsed with the default encoding), but from a buffer with spare zero
// bytes: TinyXML steps past the end of a text that stops inside a UTF-8
// sequence. A file nested too deeply counts as not loaded.
bool LoadXmlFile(const std::string& path, TiXmlDocument* document) {
  std::string raw;
  if (!ReadWholeFile(path, &raw) || raw.empty() ||
      ElementDepthBound(raw) > kMaxElementDepth) {
    return false;
  }
  std::string text;
  text.reserve(raw.size() + 8);
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\r') {
      text += raw[i];
    } else if (i + 1 >= raw.size() || raw[i + 1] != '\n') {
      text += '\n';
    }
  }
  text.append(8, '\0');
  document->Parse(text.c_str(), nullptr, TIXML_DEFAULT_ENCODING);
  return !document->Error();
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
  if (!LoadXmlFile(xmlPath, &document)) {
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
