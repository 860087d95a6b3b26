#include "events/event_states.h"

#include <cstdint>

const char* EventStateToStr(StreamMgrApi::EventState state) {
  switch (state) {
    case StreamMgrApi::RecordCmpl:
      return "RecordCmpl";
    case StreamMgrApi::Transfered:
      // The recorder's own spelling, as scripts read it: keep it so.
      return "Transfered";
    case StreamMgrApi::Recording:
      return "Recording ";
    case StreamMgrApi::InPost:
      return "InPost    ";
  }
  return "Invalid";
}

const char* EventSplitStateToStr(StreamMgrApi::SplitEventState splitState) {
  static const char* const kNames[] = {"NotChecked", "NotNeeded ", "SplitPend ",
                                       "AlreadySpl", "ExportOnly"};
  // Taken as unsigned, a negative value falls past the table too.
  uint32_t index = static_cast<uint32_t>(splitState);
  if (index >= sizeof(kNames) / sizeof(kNames[0])) return "Invalid";
  return kNames[index];
}
