#include "standin/client/wire.h"

#include <gtest/gtest.h>

#include <tuple>

// An event as it crosses, field by field in declaration order: integers
// four bytes big-endian, flags one byte, texts their length and bytes,
// then the count of answers and each answer's two texts.
const char kEventBytes[] =
    "\0\0\0\x03ID7\xff\xff\xff\xf9\0\0\0\x05\x01\0\x01\0\0\0\x03\0\0\0\x01"
    "\x01\x02\x03\x04\xff\xfe\xae\x80\x7f\xff\xff\xff\0\0\0\x07\xff\xff\xff\xff"
    "\0\0\0\x03tag\0\0\0\x03off\0\0\0\x03pre\0\0\0\x03n\0x\0\0\0\x03van"
    "\0\x01\0\0\0\x0c\0\0\0\x02G1\0\0\0\x02\0\0\0\x03\0\0\0\x02"
    "\0\0\0\x02q1\0\0\0\x02r1\0\0\0\0\0\0\0\x06second";

// Every member of an event, the answers as "question=answer;" texts.
static auto Members(const StreamMgrApi::EventRecordItem& e) {
  std::string answers;
  for (const auto& answer : e.answers.value)
    answers += answer.question + "=" + answer.answer + ";";
  return std::make_tuple(
      e.reid.value, int{e.state}, int{e.splitstate}, e.locked.value,
      e.marked.value, e.uploaded.value, int{e.cCode}, int{e.rCode},
      e.startTick.value, e.startTime.value, e.exportTime.value,
      e.stopTick.value, e.stopTime.value, e.category.value,
      e.officer.data.value, e.officer.preferences.data.value, e.notes.value,
      e.vehicle.data.value, e.evidence.value, e.bg.value, e.totalfiles.value,
      e.groupId.value, e.part.value, e.totalparts.value, answers);
}

TEST(WireTest, EveryMemberCrossesInBigEndianLayout) {
  const std::string received(kEventBytes, sizeof(kEventBytes) - 1);
  StreamMgrApi::EventRecordItem event;
  wire::Reader reader = wire::ReaderOf(received);
  ASSERT_TRUE(wire::GetEvent(&reader, &event) && wire::AtEnd(reader));
  EXPECT_EQ(std::make_tuple("ID7", -7, 5, true, false, true, 3, 1, 0x01020304u,
                            -86400, 2147483647, 7u, -1, "tag", "off", "pre",
                            std::string("n\0x", 3), "van", false, true, 12u,
                            "G1", 2u, 3u, "q1=r1;=second;"),
            Members(event));
  std::string sent;
  wire::PutEvent(event, &sent);
  EXPECT_EQ(received, sent);
}
