#include "events/event_metadata.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <fstream>
#include <string>

namespace {

TEST(SegmentBytesTest, OffsetsCombineAsTheRecorderCountsThem) {
  struct Case {
    int32_t start;
    int32_t stop;
    int64_t bytes;
  };
  const Case cases[] = {
      {0, 0, 98566144},
      {1000, 0, 98565144},
      {100, 0, 98566044},
      {0, 5000, 5000},
      {2000, 7000, 5000},
      {7000, 2000, -5000},
      {0, -5, 0},
      {-5, 0, 0},
      {-5, -1, 0},
      // The difference wraps in 32 bits before it is sign-extended.
      {INT32_MIN, INT32_MAX, -1},
      {INT32_MIN, 1, -2147483647},
      {-100, 50, 150},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.bytes, SegmentBytes(c.start, c.stop))
        << "start " << c.start << " stop " << c.stop;
  }
}

// Metadata files of one event in a private directory.
class EventSizeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/event-size.XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    dir_ = pattern;
    base_ = dir_ + "/EV";
  }
  void TearDown() override {
    std::remove((base_ + ".xml").c_str());
    std::remove((base_ + ".mtd").c_str());
    std::remove(dir_.c_str());
  }

  void Write(const std::string& suffix, const std::string& content) {
    std::ofstream(base_ + suffix, std::ios::binary) << content;
  }
  // A ".mtd" of 1000 bytes and streams made of `streams`.
  void WriteEvent(const std::string& streams) {
    Write(".mtd", std::string(1000, 'm'));
    Write(".xml", "<?xml version=\"1.0\"?>\n<recording-event><video><streams>" +
                      streams + "</streams></video></recording-event>\n");
  }
  // Size and stderr text of the event.
  int64_t Size(std::string* err) {
    testing::internal::CaptureStderr();
    int64_t size = EventSizeAt(base_);
    *err = testing::internal::GetCapturedStderr();
    return size;
  }

  std::string dir_;
  std::string base_;
};

TEST_F(EventSizeTest, EveryStreamAfterTheFirstCountsWhateverItsTag) {
  WriteEvent(
      "<stream><s name='a' src='1' stop-offset='10'/></stream>"
      "<other><s name='b' src='2' stop-offset='20'/></other>"
      "<stream><!-- no segment --><s name='c' src='3'/></stream>");
  std::string err;
  EXPECT_EQ(1000 + 10 + 20, Size(&err));
  EXPECT_EQ("", err);
}

TEST_F(EventSizeTest, FaultySegmentStopsTheCountWithItsMessage) {
  WriteEvent(
      "<stream><s name='a' src='1' stop-offset='10'/></stream>"
      "<stream><s src='2'/><s name='c' src='3'/></stream>"
      "<stream><s src='4'/></stream>");
  std::string err;
  EXPECT_EQ(1010, Size(&err));
  EXPECT_EQ(":'name' attribute missing", err);

  WriteEvent("<stream><s name='a' src='x'/></stream>");
  EXPECT_EQ(1000, Size(&err));
  EXPECT_EQ("Source file number missing", err);
}

TEST_F(EventSizeTest, OffsetsAreTinyXmlIntegersWithin32SignedBits) {
  struct Case {
    const char* offset;
    int64_t bytes;  // -1: "Stop offset invalid"
  };
  const Case cases[] = {
      {"2147483647", 1000 + 2147483647LL},
      {" 7", 1007},
      {"12abc", 1012},
      {"+9", 1009},
      {"2147483648", -1},
      {"-2147483649", -1},
      {"99999999999999999999", -1},
      {"x", -1},
      {"", -1},
  };
  for (const Case& c : cases) {
    WriteEvent(std::string("<stream><s name='a' src='1' stop-offset='") +
               c.offset + "'/></stream>");
    std::string err;
    int64_t size = Size(&err);
    if (c.bytes < 0) {
      EXPECT_EQ(1000, size) << c.offset;
      EXPECT_EQ("Stop offset invalid", err) << c.offset;
    } else {
      EXPECT_EQ(c.bytes, size) << c.offset;
      EXPECT_EQ("", err) << c.offset;
    }
  }
}

TEST_F(EventSizeTest, MissingFilesAndBrokenXml) {
  std::string err;
  EXPECT_EQ(0, Size(&err));
  EXPECT_EQ("Failed to stat file: " + base_ + ".mtd", err);

  Write(".mtd", std::string(1000, 'm'));
  Write(".xml", "<recording-event><video>");
  EXPECT_EQ(1000, Size(&err));
  EXPECT_EQ("Failed to load XML file: " + base_ + ".xml", err);

  Write(".xml", "<recording-event><audio/></recording-event>");
  EXPECT_EQ(1000, Size(&err));
  EXPECT_EQ("", err);
}

TEST_F(EventSizeTest, StagedNeedsBothFiles) {
  Write(".xml", "");
  EXPECT_FALSE(IsStaged(base_));
  std::remove((base_ + ".xml").c_str());
  Write(".mtd", "");
  EXPECT_FALSE(IsStaged(base_));
  Write(".xml", "");
  EXPECT_TRUE(IsStaged(base_));
}

}  // namespace
