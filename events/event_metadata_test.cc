#include "events/event_metadata.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

// The whole-file, start-only and stop cases show in the listings' sizes;
// here the cases that go below zero or wrap.
TEST(SegmentBytesTest, NegativeOffsetsAndThe32BitDifference) {
  EXPECT_EQ(-5000, SegmentBytes(7000, 2000));
  EXPECT_EQ(0, SegmentBytes(0, -5));
  EXPECT_EQ(0, SegmentBytes(-5, 0));
  EXPECT_EQ(150, SegmentBytes(-100, 50));
  // The difference wraps in 32 bits before it is sign-extended.
  EXPECT_EQ(-1, SegmentBytes(INT32_MIN, INT32_MAX));
  EXPECT_EQ(-2147483647, SegmentBytes(INT32_MIN, 1));
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

// A stream of one segment from source file 1 with these offsets.
std::string Segment(const std::string& offsets) {
  return "<stream><s name='a' src='1' " + offsets + "/></stream>";
}

// The size and stderr text of an event with 1000 bytes of ".mtd" and
// `streams`.
void ExpectSize(const std::string& streams, int64_t bytes, const char* err) {
  std::string text;
  EXPECT_EQ(bytes, SizeOf(streams, &text)) << streams;
  EXPECT_EQ(err, text) << streams;
}

TEST(EventSizeTest, StreamsCountUntilTheFirstFaultySegment) {
  // Every stream after the first counts, whatever its tag, from its first
  // child on when that is an element.
  ExpectSize(Segment("stop-offset='10'") +
                 "<other><s name='b' src='2' stop-offset='20'/></other>"
                 "<stream><!-- none --><s name='c' src='3'/></stream>",
             1030, "");
  ExpectSize(
      "<stream><s name='a' src='1' stop-offset='10'/><s src='2'/>"
      "<s name='c' src='3'/></stream><stream><s src='4'/></stream>",
      1010, ":'name' attribute missing");
  ExpectSize("<stream><s name='a' src='x'/></stream>", 1000,
             "Source file number missing");
}

TEST(EventSizeTest, OffsetsAreTinyXmlIntegersWithin32SignedBits) {
  const char kStart[] = "Start offset invalid";
  const char kStop[] = "Stop offset invalid";
  ExpectSize(Segment("stop-offset='2147483647'"), 2147484647, "");
  ExpectSize(Segment("stop-offset=' 7'"), 1007, "");
  ExpectSize(Segment("stop-offset='12abc'"), 1012, "");
  ExpectSize(Segment("start-offset='x'"), 1000, kStart);
  ExpectSize(Segment("start-offset='-2147483649'"), 1000, kStart);
  ExpectSize(Segment("stop-offset='2147483648'"), 1000, kStop);
  ExpectSize(Segment("stop-offset='99999999999999999999'"), 1000, kStop);
  ExpectSize(Segment("stop-offset=''"), 1000, kStop);
}

TEST(EventSizeTest, MissingMtdAndBrokenXml) {
  std::string err;
  EXPECT_EQ(0, SizeOf("", &err, false));
  EXPECT_EQ("Failed to stat file: " + kBase + ".mtd", err);
  EXPECT_EQ(1000, SizeOf("<stream>", &err));
  EXPECT_EQ("Failed to load XML file: " + kBase + ".xml", err);
}

// Damaged files must not make the parser read past its buffer (a text that
// ends inside a UTF-8 sequence) or recurse past the stack (deep nesting).
TEST(EventSizeTest, DamagedXmlIsReadSafely) {
  std::string err;
  EXPECT_EQ(1000, SizeOf("<stream><s name='a'>\xf0", &err));
  EXPECT_EQ("Failed to load XML file: " + kBase + ".xml", err);
  auto nested = [](int depth) {
    std::string open;
    std::string close;
    for (int i = 0; i < depth; ++i) open += "<a>", close += "</a>";
    return "<stream><s name='a' src='1' stop-offset='10'/>" + open + close +
           "</stream>";
  };
  EXPECT_EQ(1010, SizeOf(nested(990), &err));
  EXPECT_EQ(":'name' attribute missing", err);
  EXPECT_EQ(1000, SizeOf(nested(100000), &err));
  EXPECT_EQ("Failed to load XML file: " + kBase + ".xml", err);
}

}  // namespace
