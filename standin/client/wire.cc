#include "standin/client/wire.h"

namespace wire {

void PutU8(uint8_t value, std::string* out) {
  out->push_back(static_cast<char>(value));
}

// One append of four bytes, not four of one: a listing of many files
// sends eleven values a file.
void PutU32(uint32_t value, std::string* out) {
  const char bytes[4] = {
      static_cast<char>(value >> 24), static_cast<char>(value >> 16),
      static_cast<char>(value >> 8), static_cast<char>(value)};
  out->append(bytes, sizeof(bytes));
}

void PutString(const std::string& value, std::string* out) {
  PutU32(static_cast<uint32_t>(value.size()), out);
  out->append(value);
}

namespace {

void PutI32(int32_t value, std::string* out) {
  PutU32(static_cast<uint32_t>(value), out);
}

void PutBool(bool value, std::string* out) { PutU8(value ? 1 : 0, out); }

bool GetI32(Reader* reader, int32_t* value) {
  uint32_t raw = 0;
  if (!GetU32(reader, &raw)) return false;
  *value = static_cast<int32_t>(raw);
  return true;
}

bool GetBool(Reader* reader, bool* value) {
  uint8_t raw = 0;
  if (!GetU8(reader, &raw)) return false;
  *value = raw != 0;
  return true;
}

template <typename Enum>
bool GetEnum(Reader* reader, Enum* value) {
  int32_t raw = 0;
  if (!GetI32(reader, &raw)) return false;
  *value = static_cast<Enum>(raw);
  return true;
}

}  // namespace

void PutEvent(const StreamMgrApi::EventRecordItem& event, std::string* out) {
  PutString(event.reid.value, out);
  PutI32(event.state, out);
  PutI32(event.splitstate, out);
  PutBool(event.locked.value, out);
  PutBool(event.marked.value, out);
  PutBool(event.uploaded.value, out);
  PutI32(event.cCode, out);
  PutI32(event.rCode, out);
  PutU32(event.startTick.value, out);
  PutI32(event.startTime.value, out);
  PutI32(event.exportTime.value, out);
  PutU32(event.stopTick.value, out);
  PutI32(event.stopTime.value, out);
  PutString(event.category.value, out);
  PutString(event.officer.data.value, out);
  PutString(event.officer.preferences.data.value, out);
  PutString(event.notes.value, out);
  PutString(event.vehicle.data.value, out);
  PutBool(event.evidence.value, out);
  PutBool(event.bg.value, out);
  PutU32(event.totalfiles.value, out);
  PutString(event.groupId.value, out);
  PutU32(event.part.value, out);
  PutU32(event.totalparts.value, out);
  PutU32(static_cast<uint32_t>(event.answers.value.size()), out);
  for (const StreamMgrApi::EventAnswer& answer : event.answers.value) {
    PutString(answer.question, out);
    PutString(answer.answer, out);
  }
}

void PutFile(const StreamMgrApi::StreamfileRecordItem& file, std::string* out) {
  PutU32(file.number.value, out);
  PutU32(file.stream.value, out);
  PutI32(file.state, out);
  PutU32(file.startTick.value, out);
  PutU32(file.stopTick.value, out);
  PutU32(file.startTime.value, out);
  PutU32(file.stopTime.value, out);
  PutU32(file.previous.value, out);
  PutU32(file.next.value, out);
  PutU32(file.size.value, out);
  PutI32(file.type, out);
}

Reader ReaderOf(const std::string& data) { return Reader{&data, 0, true}; }

bool AtEnd(const Reader& reader) {
  return reader.ok && reader.pos == reader.data->size();
}

bool GetU8(Reader* reader, uint8_t* value) {
  if (!reader->ok || reader->data->size() - reader->pos < 1) {
    reader->ok = false;
    return false;
  }
  *value = static_cast<uint8_t>((*reader->data)[reader->pos++]);
  return true;
}

bool GetU32(Reader* reader, uint32_t* value) {
  if (!reader->ok || reader->data->size() - reader->pos < 4) {
    reader->ok = false;
    return false;
  }
  const unsigned char* bytes =
      reinterpret_cast<const unsigned char*>(reader->data->data()) +
      reader->pos;
  *value = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) |
           (uint32_t{bytes[2]} << 8) | uint32_t{bytes[3]};
  reader->pos += 4;
  return true;
}

bool GetString(Reader* reader, std::string* value) {
  uint32_t length = 0;
  if (!GetU32(reader, &length)) return false;
  if (reader->data->size() - reader->pos < length) {
    reader->ok = false;
    return false;
  }
  value->assign(*reader->data, reader->pos, length);
  reader->pos += length;
  return true;
}

bool GetEvent(Reader* reader, StreamMgrApi::EventRecordItem* event) {
  GetString(reader, &event->reid.value);
  GetEnum(reader, &event->state);
  GetEnum(reader, &event->splitstate);
  GetBool(reader, &event->locked.value);
  GetBool(reader, &event->marked.value);
  GetBool(reader, &event->uploaded.value);
  GetEnum(reader, &event->cCode);
  GetEnum(reader, &event->rCode);
  GetU32(reader, &event->startTick.value);
  GetI32(reader, &event->startTime.value);
  GetI32(reader, &event->exportTime.value);
  GetU32(reader, &event->stopTick.value);
  GetI32(reader, &event->stopTime.value);
  GetString(reader, &event->category.value);
  GetString(reader, &event->officer.data.value);
  GetString(reader, &event->officer.preferences.data.value);
  GetString(reader, &event->notes.value);
  GetString(reader, &event->vehicle.data.value);
  GetBool(reader, &event->evidence.value);
  GetBool(reader, &event->bg.value);
  GetU32(reader, &event->totalfiles.value);
  GetString(reader, &event->groupId.value);
  GetU32(reader, &event->part.value);
  GetU32(reader, &event->totalparts.value);
  uint32_t answers = 0;
  GetU32(reader, &answers);
  event->answers.value.clear();
  // The count is not trusted for a reservation: a damaged one would
  // allocate before the data runs out.
  for (uint32_t i = 0; i < answers && reader->ok; ++i) {
    StreamMgrApi::EventAnswer answer;
    GetString(reader, &answer.question);
    GetString(reader, &answer.answer);
    if (reader->ok) event->answers.value.push_back(std::move(answer));
  }
  return reader->ok;
}

bool GetFile(Reader* reader, StreamMgrApi::StreamfileRecordItem* file) {
  GetU32(reader, &file->number.value);
  GetU32(reader, &file->stream.value);
  GetEnum(reader, &file->state);
  GetU32(reader, &file->startTick.value);
  GetU32(reader, &file->stopTick.value);
  GetU32(reader, &file->startTime.value);
  GetU32(reader, &file->stopTime.value);
  GetU32(reader, &file->previous.value);
  GetU32(reader, &file->next.value);
  GetU32(reader, &file->size.value);
  GetEnum(reader, &file->type);
  return reader->ok;
}

}  // namespace wire
