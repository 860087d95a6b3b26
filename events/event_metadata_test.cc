#include "events/event_metadata.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "events/metadata_scan.h"

namespace {

// The whole-file, start-only and stop cases show in the sizes below; here
// the cases that go below zero or wrap.
TEST(SegmentBytesTest, NegativeOffsetsAndThe32BitDifference) {
  EXPECT_EQ(-5000, SegmentBytes(7000, 2000));
  EXPECT_EQ(0, SegmentBytes(0, -5));
  EXPECT_EQ(0, SegmentBytes(-5, 0));
  EXPECT_EQ(150, SegmentBytes(-100, 50));
  // The difference wraps in 32 bits before it is sign-extended.
  EXPECT_EQ(-1, SegmentBytes(INT32_MIN, INT32_MAX));
  EXPECT_EQ(-2147483647, SegmentBytes(INT32_MIN, 1));
}

const char kHead[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<recording-event id=\"EV1\">\n  <video>\n    <streams>\n";
const char kTail[] = "    </streams>\n  </video>\n</recording-event>\n";

// Each row through both readers: as written, where the one-pass scan takes
// the plain rows and must size them as TinyXML does, and behind a
// byte-order mark or a comment, which only TinyXML reads.
TEST(XmlSizingTest, BothReadersSumSegmentsUntilTheFirstFault) {
  const char kName[] = ":'name' attribute missing";
  const char kStart[] = "Start offset invalid";
  const char kStop[] = "Stop offset invalid";
  const char kSource[] = "Source file number missing";
  const struct {
    const char* streams;
    bool plain;  // the scan takes it as written
    int64_t bytes;
    const char* fault;
  } kRows[] = {
      // The recorder's own shape: whole files, a start only, a stop.
      {"<stream id=\"0\">\n<segment name=\"seg1\" src=\"7\" "
       "start-offset=\"84822404\" stop-offset=\"0\"/>\n<segment name=\"s2\" "
       "src=\"8\" start-offset=\"0\" stop-offset=\"0\"/>\n</stream>\n"
       "<stream id='1'><segment name='a&amp;b' src='+9' stop-offset='-5'/>"
       "<x name='s' src='1'></x></stream>",
       true, 210876028, nullptr},
      // Every stream after the first counts, whatever its tag, from its
      // first child on when that is an element.
      {"<stream><s name='a' src='1' stop-offset='10'/></stream><other><s "
       "name='b' src='2' stop-offset='20'/></other><stream><!-- x --><s "
       "name='c' src='3'/></stream>",
       false, 30, nullptr},
      {"<stream/><stream><s name='a' src='1' stop-offset='7'><y/></s>"
       "</stream><more><s name='b' src='1' start-offset='98566143'/></more>",
       true, 8, nullptr},
      // A fault ends the sum, also before a good stream.
      {"<stream><s name='a' src='1' stop-offset='10'/><s src='2'/><s "
       "name='c' src='3'/></stream><stream><s src='4'/></stream>",
       true, 10, kName},
      {"<stream><s src='1'/></stream><stream><s name='b' src='2' "
       "stop-offset='20'/></stream>",
       true, 0, kName},
      {"<other/><stream><s name='a' src='1' start-offset='x'/></stream>", true,
       0, kStart},
      {"<stream><s name='a' src='' start-offset='-123456789'/></stream>", true,
       0, kSource},
      {"<stream><s name='a' src='x'/></stream>", true, 0, kSource},
      // Offsets are TinyXML's integers within 32 signed bits.
      {"<stream><s name='a' src='1' stop-offset='2147483647'/></stream>", false,
       2147483647, nullptr},
      {"<stream><s name='a' src='1' stop-offset=' 7'/></stream>", false, 7,
       nullptr},
      {"<stream><s name='a' src='1' stop-offset='12abc'/></stream>", false, 12,
       nullptr},
      {"<stream><s name='a' src='1' start-offset='-2147483649'/></stream>",
       false, 0, kStart},
      {"<stream><s name='a' src='1' stop-offset='2147483648'/></stream>", false,
       0, kStop},
      {"<stream><s name='a' src='1' stop-offset='99999999999999999999'/>"
       "</stream>",
       false, 0, kStop},
      {"<stream><s name='a' src='1' stop-offset=''/></stream>", true, 0, kStop},
      // Nested deeper than the recorder ever nests: left to TinyXML.
      {"<stream><s name='a' src='1' stop-offset='10'><n><n><n><n><n><n><n><n>"
       "<n><n><n><n><n/></n></n></n></n></n></n></n></n></n></n></n></n></s></"
       "stream>",
       false, 10, nullptr},
  };
  for (const auto& row : kRows) {
    for (const std::string prefix : {"", "\xef\xbb\xbf", "<!-- c -->"}) {
      const PaddedText text(prefix + kHead + row.streams + kTail);
      SCOPED_TRACE(prefix + row.streams);
      XmlSizing scanned;
      EXPECT_EQ(row.plain && prefix.empty(), ScanXmlSizing(text, &scanned));
      for (const XmlSizing& sizing :
           {SizeXmlTextWithTinyXml(text), SizeXmlText(text)}) {
        EXPECT_TRUE(sizing.loaded);
        EXPECT_EQ(row.bytes, sizing.videoBytes);
        EXPECT_STREQ(row.fault, sizing.fault);
      }
    }
  }
}

const std::string kBase =
    testing::TempDir() + "event_metadata_test." + std::to_string(getpid());

// The size of an event whose ".mtd" has 1000 bytes (none when mtd is false)
// and whose ".xml" describes `streams`, and in *err what went to stderr.
int64_t SizeOf(const std::string& streams, std::string* err, bool mtd = true) {
  if (mtd) std::ofstream(kBase + ".mtd") << std::string(1000, 'm');
  std::ofstream(kBase + ".xml")
      << "<recording-event><video><streams>" << streams
      << "</streams></video></recording-event>";
  testing::internal::CaptureStderr();
  int64_t size = EventSizeAt(kBase);
  *err = testing::internal::GetCapturedStderr();
  std::remove((kBase + ".mtd").c_str());
  std::remove((kBase + ".xml").c_str());
  return size;
}

// The ".mtd" counts; what cannot be read is said without a line end. A text
// that ends inside a UTF-8 sequence must not make the parser read past it.
TEST(EventSizeTest, ReportsWhatItCannotReadAndCountsTheRest) {
  const std::string kNotLoaded = "Failed to load XML file: " + kBase + ".xml";
  std::string err;
  EXPECT_EQ(0, SizeOf("", &err, false));
  EXPECT_EQ("Failed to stat file: " + kBase + ".mtd", err);
  EXPECT_EQ(1000, SizeOf("<stream>", &err));
  EXPECT_EQ(kNotLoaded, err);
  EXPECT_EQ(1000, SizeOf("<stream><s name='a'>\xf0", &err));
  EXPECT_EQ(kNotLoaded, err);
  EXPECT_EQ(1010, SizeOf("<stream><s name='a' src='1' stop-offset='10'/>"
                         "<s/></stream>",
                         &err));
  EXPECT_EQ(":'name' attribute missing", err);
}

}  // namespace
