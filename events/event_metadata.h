#ifndef DB_EVENTS_EVENT_METADATA_H_
#define DB_EVENTS_EVENT_METADATA_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "events/padded_text.h"
#include "events/xml_sizing.h"

// Where an event's metadata files live: this directory, the reid, and
// ".xml" or ".mtd".
constexpr char kMetadataDirectory[] = "/mnt/hd/connectionmgr/";

// An ".xml" file larger than this is not read: at about 100 bytes a
// segment it would describe one event over some 40,000 stream files, far
// past any recording, and parsing it would take the board's memory.
constexpr size_t kMaxMetadataBytes = 4 << 20;

// True when both basePath + ".xml" and basePath + ".mtd" exist; basePath is
// kMetadataDirectory followed by the reid.
bool IsStaged(const std::string& basePath);

// The event's size in bytes: its ".mtd" file plus the video bytes that its
// ".xml" description covers. Problems are reported on stderr without a line
// end, and the total reached so far is returned.
int64_t EventSize(const std::string& reid);

// EventSize for the metadata files basePath + ".xml" and basePath + ".mtd".
int64_t EventSizeAt(const std::string& basePath);

// Sizes the text of an ".xml" file whose line ends are already "\n" only.
XmlSizing SizeXmlText(const PaddedText& text);

// SizeXmlText by TinyXML alone, which SizeXmlText leaves the texts to that
// a scan of the recorder's plain shape cannot be sure of.
XmlSizing SizeXmlTextWithTinyXml(const PaddedText& text);

#endif  // DB_EVENTS_EVENT_METADATA_H_
