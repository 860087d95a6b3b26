#ifndef DB_EVENTS_METADATA_SCAN_H_
#define DB_EVENTS_METADATA_SCAN_H_

#include "events/padded_text.h"
#include "events/xml_sizing.h"

// Sizes `text`, an ".xml" file's with line ends "\n" only, in one pass
// without building a document, when the text has the plain shape that a
// recorder or any XML writer gives an event: ASCII elements with quoted
// attributes, blanks between them, an XML declaration at most. Returns false,
// leaving *sizing alone, for any text on which it could differ from TinyXML.
bool ScanXmlSizing(const PaddedText& text, XmlSizing* sizing);

#endif  // DB_EVENTS_METADATA_SCAN_H_
