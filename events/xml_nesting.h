#ifndef DB_EVENTS_XML_NESTING_H_
#define DB_EVENTS_XML_NESTING_H_

#include <cstddef>

// What parsing a text costs TinyXML, which recurses once per level of
// nested elements and checks each new attribute against every earlier one
// of its element: a text nested deeply enough exhausts the stack, and an
// element with enough attributes takes hours.
struct XmlParseCost {
  size_t depth = 0;       // deepest nesting of elements
  size_t attributes = 0;  // most attributes on one element
};

// Walks `text` as TinyXML's parser does, without recursion, up to where the
// parser would stop, or until the depth passes maxDepth or an element's
// attributes pass maxAttributes. Quoted attribute values, comments, CDATA
// sections, declarations and other markup open no element, as in TinyXML.
// `text` ends with at least five zero bytes: inside a UTF-8 sequence the
// parser steps up to four bytes past the end.
XmlParseCost MeasureXmlParse(const char* text, size_t maxDepth,
                             size_t maxAttributes);

#endif  // DB_EVENTS_XML_NESTING_H_
