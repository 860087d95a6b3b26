#include "events/metadata_scan.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The scan's sizing of `text`; false when it leaves the text to TinyXML.
bool Scan(const std::string& text, XmlSizing* sizing) {
  return ScanXmlSizing(PaddedText(text), sizing);
}

// Each of these could make TinyXML, or the offsets' reading, differ from a
// plain reading; the scan must not guess.
TEST(MetadataScanTest, LeavesWhatItCannotBeSureOfToTinyXml) {
  const char* const kTexts[] = {
      "<recording-event><!-- c --></recording-event>",
      "<recording-event>video<video/></recording-event>",
      "<recording-event><![CDATA[x]]></recording-event>",
      "<!DOCTYPE a><recording-event/>",
      "<recording-event x='&#x41;'/>",
      "<recording-event x='\xc3\xa9'/>",
      "<recording-event x=1/>",
      "<recording-event x='1' x='2'/>",
      "<recording-event>\r</recording-event>",
      "<recording-event></recording-events>",
      "<recording-event/>junk",
      "<?xml version='1.0' encoding='UTF-8'><recording-event/>",
      "<?xml-stylesheet href='a'?><recording-event/>",
      "<recording-event><video><streams><stream><s name='a' src='1' "
      "stop-offset='2147483648'/></stream></streams></video>"
      "</recording-event>",
      "<recording-event><video><streams><stream><s name='a' src='1 '/>"
      "</stream></streams></video></recording-event>",
      "<recording-event><video><streams><stream><s name='a' src='1' "
      "start-offset='0012345678'/></stream></streams></video>"
      "</recording-event>",
  };
  XmlSizing sizing;
  for (const char* text : kTexts) EXPECT_FALSE(Scan(text, &sizing)) << text;
  // Nested deeper than any recorder nests.
  std::string deep;
  for (int i = 0; i < 17; ++i) deep = "<a>" + deep + "</a>";
  EXPECT_FALSE(Scan(deep, &sizing));
}

}  // namespace
