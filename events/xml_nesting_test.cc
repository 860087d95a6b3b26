#include "events/xml_nesting.h"

#include <gtest/gtest.h>

#include <string>

namespace {

XmlParseCost CostOf(const std::string& text, const XmlParseCost& limits) {
  return MeasureXmlParse(PaddedText(text), limits);
}

// Markup whose '<', '>' or "/>" opens or closes nothing, the texts that the
// parser drops, and the places where the parser stops early.
TEST(XmlNestingTest, OnlyElementsNestAndKeptNodesCount) {
  const struct {
    const char* text;
    size_t depth;
    size_t nodes;
  } kCases[] = {
      {"<a><b><c/></b></a>", 3, 3},
      {"<a x=\"/>\"><a y='/>'><b/></a></a>", 3, 5},
      {"<a><!-- <b><c> --><d/></a>", 2, 3},
      {"<a><![CDATA[<b><c>]]><d/></a>", 2, 3},
      {"<?xml version=\"<b>\"?><a/>", 1, 2},
      {"<!DOCTYPE a><a><?pi <b>?></a>", 1, 4},
      // A document type ends at its first '>': " ]>" is text, which ends
      // the document.
      {"<!DOCTYPE a [ <!ELEMENT a ANY> ]><a/>", 0, 1},
      {"<a>text <b>more</b> &lt;c&gt;</a>", 2, 5},
      // A text of white space, references to it and lone '&' is dropped;
      // past U+1FFFFF a reference gives nothing in UTF-8, a zero byte in
      // an encoding not yet known.
      {"<a> &#32;&#x9;&<b/>& &#x20;x</a>", 2, 3},
      {"<?xml?><a>&#x200000;</a><b>&#x200000;</b>", 1, 3},
      {"<a>&#x200000;</a>", 1, 2},
      // The parser stops at the first fault: what follows is never read.
      {"<a x=1 x=2><b><c/></b></a>", 1, 2},
      {"<a><b></c><d><e/></d></a>", 2, 2},
      {"<a/> text <b><c/></b>", 1, 1},
  };
  for (const auto& c : kCases) {
    const XmlParseCost cost = CostOf(c.text, {100, 100, 100});
    EXPECT_EQ(c.depth, cost.depth) << c.text;
    EXPECT_EQ(c.nodes, cost.nodes) << c.text;
  }
}

// db's own limits, each taken at its edge and refused one past it.
TEST(XmlNestingTest, TakesEachLimitAndRefusesOnePast) {
  const XmlParseCost& limits = kMaxXmlParseCost;
  for (size_t past : {0, 1}) {
    std::string deep, wide = "<a", many = "<r>";
    for (size_t i = 0; i < limits.depth + past; ++i) deep += "<a>";
    for (size_t i = 0; i < limits.attributes + past; ++i) {
      wide += " b" + std::to_string(i) + "=''";
    }
    for (size_t i = 1; i < limits.nodes + past; ++i) many += "<a/>";
    for (const std::string& text : {deep, wide + "/>", many + "</r>"}) {
      EXPECT_EQ(past == 0, IsWithin(CostOf(text, limits), limits))
          << text.substr(0, 20) << " " << past;
    }
  }
}

}  // namespace
