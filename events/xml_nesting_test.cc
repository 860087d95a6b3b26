#include "events/xml_nesting.h"

#include <gtest/gtest.h>

#include <string>

namespace {

size_t DepthOf(std::string text) {
  text.append(8, '\0');
  return MeasureXmlParse(text.c_str(), 100, 100).depth;
}

// Markup whose '<', '>' or "/>" opens or closes nothing, and the places
// where the parser stops early.
TEST(XmlNestingTest, OnlyElementsNest) {
  const struct {
    const char* text;
    size_t depth;
  } kCases[] = {
      {"<a><b><c/></b></a>", 3},
      {"<a x=\"/>\"><a y='/>'><b/></a></a>", 3},
      {"<a><!-- <b><c> --><d/></a>", 2},
      {"<a><![CDATA[<b><c>]]><d/></a>", 2},
      {"<?xml version=\"<b>\"?><a/>", 1},
      {"<!DOCTYPE a><a><?pi <b>?></a>", 1},
      // A document type ends at its first '>': " ]>" is text, which ends
      // the document.
      {"<!DOCTYPE a [ <!ELEMENT a ANY> ]><a/>", 0},
      {"<a>text <b>more</b> &lt;c&gt;</a>", 2},
      // The parser stops at the first fault: what follows is never read.
      {"<a x=1 x=2><b><c/></b></a>", 1},
      {"<a><b></c><d><e/></d></a>", 2},
      {"<a/> text <b><c/></b>", 1},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.depth, DepthOf(c.text)) << c.text;
}

TEST(XmlNestingTest, StopsPastItsLimits) {
  std::string deep;
  for (int i = 0; i < 1000; ++i) deep += "<a>";
  deep.append(8, '\0');
  EXPECT_EQ(11u, MeasureXmlParse(deep.c_str(), 10, 100).depth);
  std::string wide = "<a";
  for (int i = 0; i < 50; ++i) wide += " b" + std::to_string(i) + "=''";
  wide += "/>";
  wide.append(8, '\0');
  EXPECT_EQ(11u, MeasureXmlParse(wide.c_str(), 10, 10).attributes);
}

}  // namespace
