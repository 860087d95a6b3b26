#ifndef DB_MAINTENANCE_EVENT_DELETION_H_
#define DB_MAINTENANCE_EVENT_DELETION_H_

#include <string>

// Deletes the event whose reid is `id` and every event whose groupId is `id`.
void DeleteEventOrGroup(const std::string& id);
// Deletes every event.
void DeleteAllEvents();

#endif  // DB_MAINTENANCE_EVENT_DELETION_H_
