#ifndef DB_EVENTS_XML_NESTING_H_
#define DB_EVENTS_XML_NESTING_H_

#include <cstddef>

#include "events/padded_text.h"

// What parsing a text costs TinyXML, which recurses once per level of
// nested elements, checks each new attribute against every earlier one of
// its element and takes a hundred bytes or more for each node it builds:
// a text nested deeply enough exhausts any stack, an element with enough
// attributes takes hours, and a few bytes a node take hundreds of MiB.
struct XmlParseCost {
  size_t depth = 0;       // deepest nesting of elements
  size_t attributes = 0;  // most attributes on one element
  // Elements, attributes, texts, CDATA sections, comments, declarations
  // and other markup: the nodes of the document.
  size_t nodes = 0;
};

// Walks `text` as TinyXML's parser does, without recursion, up to where the
// parser would stop, or until the cost passes one of `limits`. Quoted
// attribute values, comments, CDATA sections, declarations and other markup
// open no element, as in TinyXML.
XmlParseCost MeasureXmlParse(const PaddedText& text,
                             const XmlParseCost& limits);

// What db lets TinyXML parse; files in the recorder's shape are read in one
// pass, without these limits. TinyXML recurses once per level, to parse and
// again to destroy the document, taking up to 230 bytes a level: 1,000
// levels fit a stack limited to 1 MiB with room to spare on every build.
// Natively a node takes 112 to 224 bytes and its long names and texts
// more: with 100,000 nodes db peaks at 41 MiB in the costliest shapes.
constexpr XmlParseCost kMaxXmlParseCost = {1000, 100, 100000};

// True when `cost` passes none of `limits`.
bool IsWithin(const XmlParseCost& cost, const XmlParseCost& limits);

#endif  // DB_EVENTS_XML_NESTING_H_
