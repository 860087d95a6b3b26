#include "events/metadata_scan.h"

#include <gtest/gtest.h>

#include <string>

#include "events/event_metadata.h"

namespace {

// The scan's sizing of `text`; false when it leaves the text to TinyXML.
bool Scan(const std::string& text, XmlSizing* sizing) {
  return ScanXmlSizing(PaddedText(text), sizing);
}

const char kHead[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<recording-event id=\"EV1\">\n  <video>\n    <streams>\n";
const char kTail[] = "    </streams>\n  </video>\n</recording-event>\n";

// What the recorder writes, and what any XML writer may write for it, is
// sized here exactly as TinyXML sizes it.
TEST(MetadataScanTest, SizesTheRecordersShapeAsTinyXml) {
  const char* const kStreams[] = {
      "<stream id=\"0\">\n"
      "<segment name=\"seg1\" src=\"7\" start-offset=\"84822404\" "
      "stop-offset=\"0\"/>\n"
      "<segment name=\"seg2\" src=\"8\" start-offset=\"0\" stop-offset=\"0\"/>"
      "\n</stream>\n<stream id='1'><segment name='a&amp;b' src='+9' "
      "stop-offset='-5'/><x name='s' src='1'></x></stream>",
      "<stream><s name='a' src='1' stop-offset = '10'/><s src='2'/>"
      "<s name='c' src='3'/></stream><stream><s src='4'/></stream>",
      "<other/><stream><s name='a' src='1' start-offset='x'/></stream>",
      "<stream><s name='a' src='' start-offset='-123456789'/></stream>",
      "<stream/><stream><s name='a' src='1' stop-offset='7'><y/></s></stream>"
      "<more><s name='b' src='1' start-offset='98566143'/></more>",
  };
  for (const char* streams : kStreams) {
    const std::string text = kHead + std::string(streams) + kTail;
    XmlSizing scanned;
    ASSERT_TRUE(Scan(text, &scanned)) << text;
    const XmlSizing parsed = SizeXmlTextWithTinyXml(PaddedText(text));
    EXPECT_TRUE(scanned.loaded) << text;
    EXPECT_EQ(parsed.videoBytes, scanned.videoBytes) << text;
    EXPECT_STREQ(parsed.fault, scanned.fault) << text;
  }
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
