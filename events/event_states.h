#ifndef DB_EVENTS_EVENT_STATES_H_
#define DB_EVENTS_EVENT_STATES_H_

#include "access/stream_mgr_api.h"

// The event table's texts for an event's state and split state: 10
// characters each, or "Invalid" for a value without a name.
const char* EventStateToStr(StreamMgrApi::EventState state);
const char* EventSplitStateToStr(StreamMgrApi::SplitEventState splitState);

#endif  // DB_EVENTS_EVENT_STATES_H_
