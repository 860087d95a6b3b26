#include "standin/wire.h"

#include <gtest/gtest.h>

namespace {

StreamMgrApi::EventRecordItem SampleEvent() {
  StreamMgrApi::EventRecordItem event;
  event.reid.value = "EV20260101T000000-0001";
  event.state = StreamMgrApi::EventState(-7);
  event.splitstate = StreamMgrApi::AlreadySpl;
  event.marked.value = true;
  event.cCode = StreamMgrApi::EventCode(3);
  event.rCode = StreamMgrApi::EventCode(1);
  event.startTick.value = 4294967295u;
  event.startTime.value = -86400;
  event.exportTime.value = 2147483647;
  event.stopTick.value = 7;
  event.stopTime.value = -1;
  event.category.value = "traffic";
  event.officer.data.value = "officer 12";
  event.officer.preferences.data.value = "prefs";
  event.notes.value = std::string("a\0b", 3);
  event.vehicle.data.value = "car 7";
  event.evidence.value = true;
  event.bg.value = true;
  event.totalfiles.value = 12;
  event.groupId.value = "G1";
  event.part.value = 2;
  event.totalparts.value = 3;
  event.answers.value = {{"q1", "a1"}, {"", "second"}};
  return event;
}

TEST(WireTest, EventCrossesWhole) {
  StreamMgrApi::EventRecordItem sent = SampleEvent();
  std::string bytes;
  wire::PutEvent(sent, &bytes);
  StreamMgrApi::EventRecordItem got;
  wire::Reader reader = wire::ReaderOf(bytes);
  ASSERT_TRUE(wire::GetEvent(&reader, &got));
  EXPECT_TRUE(wire::AtEnd(reader));
  EXPECT_EQ(sent.reid.value, got.reid.value);
  EXPECT_EQ(-7, got.state);
  EXPECT_EQ(StreamMgrApi::AlreadySpl, got.splitstate);
  EXPECT_FALSE(got.locked.value);
  EXPECT_TRUE(got.marked.value);
  EXPECT_EQ(3, got.cCode);
  EXPECT_EQ(1, got.rCode);
  EXPECT_EQ(4294967295u, got.startTick.value);
  EXPECT_EQ(-86400, got.startTime.value);
  EXPECT_EQ(2147483647, got.exportTime.value);
  EXPECT_EQ(-1, got.stopTime.value);
  EXPECT_EQ("officer 12", got.officer.data.value);
  EXPECT_EQ("prefs", got.officer.preferences.data.value);
  EXPECT_EQ(std::string("a\0b", 3), got.notes.value);
  EXPECT_EQ("car 7", got.vehicle.data.value);
  EXPECT_TRUE(got.evidence.value);
  EXPECT_TRUE(got.bg.value);
  EXPECT_EQ("G1", got.groupId.value);
  EXPECT_EQ(2u, got.part.value);
  EXPECT_EQ(3u, got.totalparts.value);
  ASSERT_EQ(2u, got.answers.value.size());
  EXPECT_EQ("second", got.answers.value[1].answer);
}

TEST(WireTest, ValuesAreBigEndianWhateverTheHost) {
  std::string bytes;
  wire::PutU32(0x01020304u, &bytes);
  wire::PutString("ab", &bytes);
  EXPECT_EQ(std::string("\x01\x02\x03\x04\x00\x00\x00\x02"
                        "ab",
                        10),
            bytes);
}

TEST(WireTest, EveryTruncationFailsAndStaysFailed) {
  std::string bytes;
  wire::PutEvent(SampleEvent(), &bytes);
  StreamMgrApi::StreamfileRecordItem file;
  file.number.value = 9;
  file.state = StreamMgrApi::StreamFileState(7);
  wire::PutFile(file, &bytes);
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    std::string partial = bytes.substr(0, cut);
    wire::Reader reader = wire::ReaderOf(partial);
    StreamMgrApi::EventRecordItem event;
    StreamMgrApi::StreamfileRecordItem got;
    bool whole =
        wire::GetEvent(&reader, &event) && wire::GetFile(&reader, &got);
    EXPECT_FALSE(whole) << "cut at " << cut;
    uint8_t byte = 0;
    EXPECT_FALSE(wire::GetU8(&reader, &byte)) << "cut at " << cut;
  }
}

TEST(WireTest, HugeCountsDoNotAllocateAhead) {
  // An answer count of four billion with no data behind it must fail fast.
  std::string bytes;
  wire::PutEvent(StreamMgrApi::EventRecordItem(), &bytes);
  bytes.resize(bytes.size() - 4);
  wire::PutU32(0xffffffffu, &bytes);
  wire::Reader reader = wire::ReaderOf(bytes);
  StreamMgrApi::EventRecordItem event;
  EXPECT_FALSE(wire::GetEvent(&reader, &event));
  EXPECT_TRUE(event.answers.value.empty());
}

}  // namespace
