#include "events/xml_nesting.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// Each function below follows the TinyXML function of the same purpose
// step for step, so that the walk stops, and skips text, exactly where the
// parser does; only the pointer's course and a count of the nodes are kept,
// not the nodes.

namespace {

// The parser's encodings: unknown until a BOM or the declaration tells.
enum class Encoding { kUnknown, kUtf8, kLegacy };

enum class Node { kNone, kDeclaration, kComment, kCData, kUnknown, kElement };

struct Walk {
  Encoding encoding;
  XmlParseCost limits;
  XmlParseCost cost;
  // The elements whose content is being read, innermost last.
  std::vector<std::string_view> open;
  // The attribute names of the start tag being read.
  std::vector<std::string_view> attributes;
};

bool IsWhiteSpace(char c) {
  return std::isspace(static_cast<unsigned char>(c)) || c == '\n' || c == '\r';
}

// Every byte past ASCII counts as a letter.
bool IsAlpha(unsigned char c) { return c < 127 ? std::isalpha(c) : true; }
bool IsAlphaNum(unsigned char c) { return c < 127 ? std::isalnum(c) : true; }

// The tags compared without case are ASCII.
char Lower(char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

int Utf8Length(unsigned char lead) {
  if (lead >= 0xc2 && lead <= 0xdf) return 2;
  if (lead >= 0xe0 && lead <= 0xef) return 3;
  if (lead >= 0xf0 && lead <= 0xf4) return 4;
  return 1;
}

// Null at the end of the text, as in TinyXML.
const char* SkipWhiteSpace(const char* p, Encoding encoding) {
  if (p == nullptr || *p == '\0') return nullptr;
  while (*p != '\0') {
    const unsigned char* u = reinterpret_cast<const unsigned char*>(p);
    // In UTF-8 byte order marks count as white space.
    if (encoding == Encoding::kUtf8 && u[0] == 0xef &&
        ((u[1] == 0xbb && u[2] == 0xbf) ||
         (u[1] == 0xbf && (u[2] == 0xbe || u[2] == 0xbf)))) {
      p += 3;
      continue;
    }
    if (!IsWhiteSpace(*p)) break;
    ++p;
  }
  return p;
}

// True when `tag` starts the text at p.
bool StringEqual(const char* p, const char* tag, bool ignoreCase) {
  if (p == nullptr || *p == '\0') return false;
  for (; *tag != '\0'; ++p, ++tag) {
    if (*p == '\0') return false;
    if (ignoreCase ? Lower(*p) != Lower(*tag) : *p != *tag) return false;
  }
  return true;
}

// The bytes of a character reference in UTF-8; none past 0x1fffff.
void EncodeUtf8(unsigned long code, char* bytes, int* length) {
  static const unsigned char kFirstByteMarks[] = {0x00, 0x00, 0xc0, 0xe0, 0xf0};
  *length = code < 0x80       ? 1
            : code < 0x800    ? 2
            : code < 0x10000  ? 3
            : code < 0x200000 ? 4
                              : 0;
  for (int i = *length - 1; i > 0; --i, code >>= 6) {
    bytes[i] = static_cast<char>((code | 0x80) & 0xbf);
  }
  if (*length > 0) {
    bytes[0] = static_cast<char>(code | kFirstByteMarks[*length]);
  }
}

// A character reference, one of the five named entities, or a lone '&'
// (which gives no byte) into bytes[0, *length); null where the parser gives
// up.
const char* GetEntity(const char* p, Encoding encoding, char* bytes,
                      int* length) {
  static const char* const kNames[] = {"&amp;", "&lt;", "&gt;", "&quot;",
                                       "&apos;"};
  static const char kCharacters[] = "&<>\"'";
  *length = 0;
  if (p[1] == '#' && p[2] != '\0') {
    const bool hex = p[2] == 'x';
    if (hex && p[3] == '\0') return nullptr;
    const char* end = std::strchr(p + (hex ? 3 : 2), ';');
    if (end == nullptr) return nullptr;
    unsigned long code = 0;
    unsigned multiplier = 1;
    for (const char* q = end - 1; *q != (hex ? 'x' : '#'); --q) {
      unsigned digit;
      if (*q >= '0' && *q <= '9') {
        digit = static_cast<unsigned>(*q - '0');
      } else if (hex && *q >= 'a' && *q <= 'f') {
        digit = static_cast<unsigned>(*q - 'a' + 10);
      } else if (hex && *q >= 'A' && *q <= 'F') {
        digit = static_cast<unsigned>(*q - 'A' + 10);
      } else {
        return nullptr;
      }
      code += multiplier * digit;
      multiplier *= hex ? 16 : 10;
    }
    if (encoding == Encoding::kUtf8) {
      EncodeUtf8(code, bytes, length);
    } else {
      bytes[0] = static_cast<char>(code);
      *length = 1;
    }
    return end + 1;
  }
  for (size_t i = 0; i < sizeof(kNames) / sizeof(kNames[0]); ++i) {
    const size_t nameLength = std::strlen(kNames[i]);
    if (std::strncmp(kNames[i], p, nameLength) == 0) {
      bytes[0] = kCharacters[i];
      *length = 1;
      return p + nameLength;
    }
  }
  return p + 1;
}

// One character, which in UTF-8 may take several bytes, into
// bytes[0, *length); the bytes of a sequence that the text's end cuts short
// stay as the caller set them.
const char* GetChar(const char* p, Encoding encoding, char* bytes,
                    int* length) {
  *length =
      encoding == Encoding::kUtf8 ? Utf8Length(static_cast<uint8_t>(*p)) : 1;
  if (*length == 1) {
    if (*p == '&') return GetEntity(p, encoding, bytes, length);
    bytes[0] = *p;
    return p + 1;
  }
  for (int i = 0; i < *length && p[i] != '\0'; ++i) bytes[i] = p[i];
  return p + *length;
}

// Text up to and past endTag, white space kept; null when the text ends
// before or right after it. What it reads lands in *value, if asked for.
const char* ReadText(const char* p, const char* endTag, Encoding encoding,
                     std::string* value) {
  if (value != nullptr) value->clear();
  while (p != nullptr && *p != '\0' && !StringEqual(p, endTag, false)) {
    char bytes[4] = {0, 0, 0, 0};
    int length = 0;
    p = GetChar(p, encoding, bytes, &length);
    if (value != nullptr) value->append(bytes, static_cast<size_t>(length));
  }
  if (p != nullptr && *p != '\0') p += std::strlen(endTag);
  return p != nullptr && *p != '\0' ? p : nullptr;
}

const char* ReadName(const char* p, std::string_view* name) {
  if (p == nullptr || *p == '\0' ||
      !(IsAlpha(static_cast<unsigned char>(*p)) || *p == '_')) {
    return nullptr;
  }
  const char* start = p;
  while (*p != '\0' && (IsAlphaNum(static_cast<unsigned char>(*p)) ||
                        std::strchr("_-.:", *p) != nullptr)) {
    ++p;
  }
  *name = std::string_view(start, static_cast<size_t>(p - start));
  return p;
}

const char* ParseAttribute(const char* p, Encoding encoding,
                           std::string_view* name, std::string* value) {
  p = SkipWhiteSpace(p, encoding);
  if (p == nullptr || *p == '\0') return nullptr;
  p = ReadName(p, name);
  if (p == nullptr || *p == '\0') return nullptr;
  p = SkipWhiteSpace(p, encoding);
  if (p == nullptr || *p != '=') return nullptr;
  p = SkipWhiteSpace(p + 1, encoding);
  if (p == nullptr || *p == '\0') return nullptr;
  if (*p == '\'' || *p == '"') {
    const char quote[] = {*p, '\0'};
    return ReadText(p + 1, quote, encoding, value);
  }
  // An unquoted value runs to a blank or the end of the tag.
  if (value != nullptr) value->clear();
  for (; *p != '\0' && !IsWhiteSpace(*p) && *p != '/' && *p != '>'; ++p) {
    if (*p == '\'' || *p == '"') return nullptr;
    if (value != nullptr) value->push_back(*p);
  }
  return p;
}

// The declaration "<?xml ...>"; its encoding attribute, when asked for,
// lands in *declared.
const char* ParseDeclaration(const char* p, Encoding encoding,
                             std::string* declared) {
  p = SkipWhiteSpace(p, encoding);
  if (!StringEqual(p, "<?xml", true)) return nullptr;
  p += 5;
  while (p != nullptr && *p != '\0') {
    if (*p == '>') return p + 1;
    p = SkipWhiteSpace(p, encoding);
    if (p == nullptr || *p == '\0') break;
    std::string_view name;
    if (StringEqual(p, "encoding", true)) {
      p = ParseAttribute(p, encoding, &name, declared);
    } else if (StringEqual(p, "version", true) ||
               StringEqual(p, "standalone", true)) {
      p = ParseAttribute(p, encoding, &name, nullptr);
    } else {
      while (*p != '\0' && *p != '>' && !IsWhiteSpace(*p)) ++p;
    }
  }
  return nullptr;
}

const char* ParseComment(const char* p, Encoding encoding) {
  p = SkipWhiteSpace(p, encoding);
  if (!StringEqual(p, "<!--", false)) return nullptr;
  for (p += 4; *p != '\0' && !StringEqual(p, "-->", false);) ++p;
  return *p != '\0' ? p + 3 : p;
}

const char* ParseCData(const char* p, Encoding encoding) {
  if (!StringEqual(p, "<![CDATA[", false)) return nullptr;
  for (p += 9; *p != '\0' && !StringEqual(p, "]]>", false);) ++p;
  return ReadText(p, "]]>", encoding, nullptr);
}

// Anything else in angle brackets: a document type, a processing
// instruction, a stray end tag.
const char* ParseUnknown(const char* p, Encoding encoding) {
  p = SkipWhiteSpace(p, encoding);
  if (p == nullptr || *p != '<') return nullptr;
  for (++p; *p != '\0' && *p != '>';) ++p;
  return *p == '>' ? p + 1 : p;
}

// Character data up to the next '<', which stays unread, its white space
// condensed; *blank when what it reads is white space only, a text that the
// parser drops.
const char* ParseText(const char* p, Encoding encoding, bool* blank) {
  *blank = true;
  p = SkipWhiteSpace(p, encoding);
  while (p != nullptr && *p != '\0' && *p != '<') {
    if (IsWhiteSpace(*p)) {
      ++p;
      continue;
    }
    char bytes[4] = {0, 0, 0, 0};
    int length = 0;
    p = GetChar(p, encoding, bytes, &length);
    for (int i = 0; i < length; ++i) {
      *blank = *blank && IsWhiteSpace(bytes[i]);
    }
  }
  // Null also when the text ends right after the '<'.
  return p != nullptr && *p != '\0' && p[1] != '\0' ? p : nullptr;
}

Node Identify(const char* p, Encoding encoding) {
  p = SkipWhiteSpace(p, encoding);
  if (p == nullptr || *p != '<') return Node::kNone;
  if (StringEqual(p, "<?xml", true)) return Node::kDeclaration;
  if (StringEqual(p, "<!--", false)) return Node::kComment;
  if (StringEqual(p, "<![CDATA[", false)) return Node::kCData;
  if (StringEqual(p, "<!", false)) return Node::kUnknown;
  if (IsAlpha(static_cast<unsigned char>(p[1])) || p[1] == '_') {
    return Node::kElement;
  }
  return Node::kUnknown;
}

const char* ParseOther(Node node, const char* p, Encoding encoding,
                       std::string* declared) {
  switch (node) {
    case Node::kDeclaration:
      return ParseDeclaration(p, encoding, declared);
    case Node::kComment:
      return ParseComment(p, encoding);
    case Node::kCData:
      return ParseCData(p, encoding);
    default:
      return ParseUnknown(p, encoding);
  }
}

// Counts a node that the parser builds; false past the limit.
bool AddNode(Walk* walk) {
  ++walk->cost.nodes;
  return walk->cost.nodes <= walk->limits.nodes;
}

bool IsNewAttribute(const Walk& walk, std::string_view name) {
  return std::find(walk.attributes.begin(), walk.attributes.end(), name) ==
         walk.attributes.end();
}

// A start tag, counted at the depth of its element; an element with
// content is opened. Null on a failure or past a limit.
const char* ParseStartTag(const char* p, Walk* walk, bool* opened) {
  const size_t depth = walk->open.size() + 1;
  walk->cost.depth = std::max(walk->cost.depth, depth);
  if (depth > walk->limits.depth || !AddNode(walk)) return nullptr;
  p = SkipWhiteSpace(p, walk->encoding);
  if (p == nullptr || *p != '<') return nullptr;
  std::string_view name;
  p = ReadName(SkipWhiteSpace(p + 1, walk->encoding), &name);
  if (p == nullptr || *p == '\0') return nullptr;
  walk->attributes.clear();
  for (;;) {
    p = SkipWhiteSpace(p, walk->encoding);
    if (p == nullptr || *p == '\0') return nullptr;
    if (*p == '/') {
      *opened = false;
      return p[1] == '>' ? p + 2 : nullptr;
    }
    if (*p == '>') {
      walk->open.push_back(name);
      *opened = true;
      return p + 1;
    }
    std::string_view attribute;
    p = ParseAttribute(p, walk->encoding, &attribute, nullptr);
    if (p == nullptr || *p == '\0' || !IsNewAttribute(*walk, attribute)) {
      return nullptr;
    }
    walk->attributes.push_back(attribute);
    walk->cost.attributes =
        std::max(walk->cost.attributes, walk->attributes.size());
    if (walk->attributes.size() > walk->limits.attributes || !AddNode(walk)) {
      return nullptr;
    }
  }
}

// The end tag of the innermost open element, which it closes.
const char* ParseEndTag(const char* p, Walk* walk) {
  const std::string_view name = walk->open.back();
  if (p == nullptr || *p == '\0' || !StringEqual(p, "</", false) ||
      std::strncmp(p + 2, name.data(), name.size()) != 0) {
    return nullptr;
  }
  p = SkipWhiteSpace(p + 2 + name.size(), walk->encoding);
  if (p == nullptr || *p != '>') return nullptr;
  walk->open.pop_back();
  return p + 1;
}

// The element at p with all it holds, depth first on an explicit stack of
// open elements where the parser recurses.
const char* ParseElement(const char* p, Walk* walk) {
  walk->open.clear();
  bool atStartTag = true;
  for (;;) {
    if (atStartTag) {
      bool opened = false;
      p = ParseStartTag(p, walk, &opened);
      if (p == nullptr) return nullptr;
      if (walk->open.empty()) return p;
    }
    // The content of the innermost open element, from p on, up to its end
    // tag or a child element.
    atStartTag = false;
    p = SkipWhiteSpace(p, walk->encoding);
    while (p != nullptr && *p != '\0') {
      if (*p != '<') {
        bool blank = true;
        p = ParseText(p, walk->encoding, &blank);
        if (!blank && !AddNode(walk)) return nullptr;
      } else if (StringEqual(p, "</", false)) {
        break;
      } else {
        const Node node = Identify(p, walk->encoding);
        if (node == Node::kElement) {
          atStartTag = true;
          break;
        }
        if (!AddNode(walk)) return nullptr;
        p = ParseOther(node, p, walk->encoding, nullptr);
      }
      p = SkipWhiteSpace(p, walk->encoding);
    }
    if (atStartTag) continue;
    p = ParseEndTag(p, walk);
    if (p == nullptr || walk->open.empty()) return p;
  }
}

Encoding EncodingNamed(const std::string& declared) {
  const char* name = declared.c_str();
  if (*name == '\0' || StringEqual(name, "UTF-8", true) ||
      StringEqual(name, "UTF8", true)) {
    return Encoding::kUtf8;
  }
  return Encoding::kLegacy;
}

}  // namespace

XmlParseCost MeasureXmlParse(const PaddedText& padded,
                             const XmlParseCost& limits) {
  const char* text = padded.c_str();
  Walk walk{Encoding::kUnknown, limits, {}, {}, {}};
  const unsigned char* u = reinterpret_cast<const unsigned char*>(text);
  if (u[0] == 0xef && u[1] == 0xbb && u[2] == 0xbf) {
    walk.encoding = Encoding::kUtf8;
  }
  const char* p = SkipWhiteSpace(text, walk.encoding);
  while (p != nullptr && *p != '\0') {
    const Node node = Identify(p, walk.encoding);
    if (node == Node::kNone || (node != Node::kElement && !AddNode(&walk))) {
      break;
    }
    std::string declared;
    p = node == Node::kElement ? ParseElement(p, &walk)
                               : ParseOther(node, p, walk.encoding, &declared);
    if (node == Node::kDeclaration && walk.encoding == Encoding::kUnknown) {
      walk.encoding = EncodingNamed(declared);
    }
    p = SkipWhiteSpace(p, walk.encoding);
  }
  return walk.cost;
}

bool IsWithin(const XmlParseCost& cost, const XmlParseCost& limits) {
  return cost.depth <= limits.depth && cost.attributes <= limits.attributes &&
         cost.nodes <= limits.nodes;
}
