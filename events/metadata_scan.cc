#include "events/metadata_scan.h"

#include <cstdint>
#include <cstring>
#include <string_view>

// The scan takes only what TinyXML reads one way for certain: elements,
// quoted attributes and the blanks between them. Text, comments, CDATA,
// character references, other blanks and bytes past ASCII end it with
// false, and TinyXML decides. Every byte up to the text's first zero byte is
// looked at, as the parser looks at each, so nothing unread can make
// TinyXML fail where the scan succeeds.

namespace {

// The recorder nests five levels deep and writes four attributes on a
// segment; both far below what TinyXML is trusted with.
const size_t kMaxDepth = 16;
const size_t kMaxAttributes = 16;

// Where an element stands on the path that the sizing follows:
// recording-event, video, streams, then every stream element from the
// first one named "stream" on.
enum class Role { kDocument, kNone, kEvent, kVideo, kStreams, kStream };

struct Attribute {
  std::string_view name;
  // As written: the named entities it may hold are not decoded.
  std::string_view value;
};

struct StartTag {
  std::string_view name;
  Attribute attributes[kMaxAttributes];
  size_t attributeCount = 0;
  bool empty = false;  // closed by "/>"
};

struct Scan {
  // The open elements, innermost last.
  std::string_view open[kMaxDepth];
  Role roles[kMaxDepth];
  size_t depth = 0;
  bool videoSeen = false;
  bool streamsSeen = false;
  bool streamSeen = false;
  // A faulty segment ends the sum; the rest of the text must still load.
  XmlSizing sizing;
};

// TinyXML also skips '\r', '\v' and '\f'; a text with them is not taken.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

bool IsNameStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsNameChar(char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == ':';
}

const char* SkipBlanks(const char* p) {
  while (IsBlank(*p)) ++p;
  return p;
}

const char* ReadName(const char* p, std::string_view* name) {
  if (!IsNameStart(*p)) return nullptr;
  const char* start = p;
  while (IsNameChar(*p)) ++p;
  *name = std::string_view(start, static_cast<size_t>(p - start));
  return p;
}

// A quoted value of printable ASCII. A character reference is refused:
// TinyXML looks for its ';' as far as the end of the text.
const char* ReadQuoted(const char* p, std::string_view* value) {
  const char quote = *p;
  if (quote != '"' && quote != '\'') return nullptr;
  const char* start = ++p;
  for (; *p != quote; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c < ' ' || c > '~' || (c == '&' && p[1] == '#')) return nullptr;
  }
  *value = std::string_view(start, static_cast<size_t>(p - start));
  return p + 1;
}

// name, blanks, '=', blanks, quoted value.
const char* ReadAttribute(const char* p, Attribute* attribute) {
  p = ReadName(p, &attribute->name);
  if (p == nullptr) return nullptr;
  p = SkipBlanks(p);
  if (*p != '=') return nullptr;
  return ReadQuoted(SkipBlanks(p + 1), &attribute->value);
}

// The start tag whose name should begin at p; returns past its '>'.
// Comments, declarations and other markup have no name. TinyXML refuses an
// element that repeats an attribute.
const char* ReadStartTag(const char* p, StartTag* tag) {
  p = ReadName(p, &tag->name);
  if (p == nullptr) return nullptr;
  tag->attributeCount = 0;
  for (;;) {
    p = SkipBlanks(p);
    if (*p == '>' || *p == '/') {
      tag->empty = *p == '/';
      if (!tag->empty) return p + 1;
      return p[1] == '>' ? p + 2 : nullptr;
    }
    if (tag->attributeCount == kMaxAttributes) return nullptr;
    Attribute* attribute = &tag->attributes[tag->attributeCount];
    p = ReadAttribute(p, attribute);
    if (p == nullptr) return nullptr;
    for (size_t i = 0; i < tag->attributeCount; ++i) {
      if (tag->attributes[i].name == attribute->name) return nullptr;
    }
    ++tag->attributeCount;
  }
}

// The rest of a declaration after "<?xml": its attributes, each after a
// blank, with plain values, then "?>". Returns past it.
const char* SkipDeclaration(const char* p) {
  for (;;) {
    const char* next = SkipBlanks(p);
    if (next[0] == '?' && next[1] == '>') return next + 2;
    Attribute attribute;
    if (next == p || (p = ReadAttribute(next, &attribute)) == nullptr) {
      return nullptr;
    }
    const std::string_view name = attribute.name;
    if (name != "version" && name != "encoding" && name != "standalone") {
      return nullptr;
    }
    for (char c : attribute.value) {
      if (!IsNameChar(c)) return nullptr;
    }
  }
}

const Attribute* FindAttribute(const StartTag& tag, std::string_view name) {
  for (size_t i = 0; i < tag.attributeCount; ++i) {
    if (tag.attributes[i].name == name) return &tag.attributes[i];
  }
  return nullptr;
}

// What TinyXML's QueryIntAttribute (sscanf's "%d") and the offsets' 32-bit
// check make of an attribute, where the scan can be sure.
SegmentNumber ReadNumber(const Attribute* attribute, int32_t* value) {
  if (attribute == nullptr) return SegmentNumber::kAbsent;
  const std::string_view text = attribute->value;
  // sscanf finds no input in an empty text, and no number at a letter.
  if (text.empty() || IsNameStart(text[0])) return SegmentNumber::kNotInteger;
  const bool negative = text[0] == '-';
  size_t i = negative || text[0] == '+' ? 1 : 0;
  // Nine digits fit 32 bits whatever their sign; more, and what follows
  // the digits, are left to TinyXML.
  if (text.size() == i || text.size() - i > 9) return SegmentNumber::kUnsure;
  int32_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return SegmentNumber::kUnsure;
    magnitude = magnitude * 10 + (text[i] - '0');
  }
  *value = negative ? -magnitude : magnitude;
  return SegmentNumber::kValue;
}

// Adds a segment's bytes, or ends the sum at its fault; false when unsure.
bool SizeSegment(const StartTag& tag, Scan* scan) {
  if (scan->sizing.fault != nullptr) return true;
  SegmentReading segment;
  int32_t source = 0;
  segment.hasName = FindAttribute(tag, "name") != nullptr;
  segment.start =
      ReadNumber(FindAttribute(tag, "start-offset"), &segment.startOffset);
  segment.stop =
      ReadNumber(FindAttribute(tag, "stop-offset"), &segment.stopOffset);
  segment.source = ReadNumber(FindAttribute(tag, "src"), &source);
  return AddSegment(segment, &scan->sizing);
}

// The role of an element named `name` opened inside one of role `parent`:
// each step of the path is the first child of its name.
Role ChildRole(Role parent, std::string_view name, Scan* scan) {
  bool* seen = nullptr;
  Role role = Role::kNone;
  if (parent == Role::kDocument && name == "recording-event") {
    return Role::kEvent;
  } else if (parent == Role::kEvent && name == "video") {
    seen = &scan->videoSeen, role = Role::kVideo;
  } else if (parent == Role::kVideo && name == "streams") {
    seen = &scan->streamsSeen, role = Role::kStreams;
  } else if (parent == Role::kStreams &&
             (scan->streamSeen || name == "stream")) {
    // The elements after the first stream count whatever their names.
    scan->streamSeen = true;
    return Role::kStream;
  }
  if (seen == nullptr || *seen) return Role::kNone;
  *seen = true;
  return role;
}

// The root element whose name should begin at p, with all it holds; returns
// past its end. Depth first, on the stack of open elements in *scan.
const char* ScanRoot(const char* p, Scan* scan) {
  StartTag tag;
  for (;;) {
    p = ReadStartTag(p, &tag);
    if (p == nullptr) return nullptr;
    const Role parent =
        scan->depth == 0 ? Role::kDocument : scan->roles[scan->depth - 1];
    // Every child element of a stream is one of its segments.
    if (parent == Role::kStream && !SizeSegment(tag, scan)) return nullptr;
    // An empty element takes its place on the path too: the first video,
    // say, even when it holds nothing.
    const Role role = ChildRole(parent, tag.name, scan);
    if (!tag.empty) {
      if (scan->depth == kMaxDepth) return nullptr;
      scan->open[scan->depth] = tag.name;
      scan->roles[scan->depth] = role;
      ++scan->depth;
    }
    // Blanks and end tags, up to the next start tag or the root's end.
    for (;;) {
      if (scan->depth == 0) return p;
      p = SkipBlanks(p);
      if (p[0] != '<') return nullptr;
      if (p[1] != '/') break;
      const std::string_view name = scan->open[scan->depth - 1];
      if (std::strncmp(p + 2, name.data(), name.size()) != 0) return nullptr;
      p = SkipBlanks(p + 2 + name.size());
      if (*p != '>') return nullptr;
      ++p;
      --scan->depth;
    }
    ++p;
  }
}

}  // namespace

bool ScanXmlSizing(const PaddedText& text, XmlSizing* sizing) {
  const char* p = SkipBlanks(text.c_str());
  if (std::strncmp(p, "<?xml", 5) == 0) {
    p = SkipDeclaration(p + 5);
    if (p == nullptr) return false;
    p = SkipBlanks(p);
  }
  if (*p != '<') return false;
  Scan scan;
  p = ScanRoot(p + 1, &scan);
  if (p == nullptr || *SkipBlanks(p) != '\0') return false;
  *sizing = scan.sizing;
  sizing->loaded = true;
  return true;
}
