#ifndef DB_EVENTS_EVENT_LISTINGS_H_
#define DB_EVENTS_EVENT_LISTINGS_H_

#include <string>

// The event listings of the command line, printed as the event table on
// stdout; sizes in bytes when showBytes, else in GiB.

// Every event, then a warning when critical columns hold NULL.
void DisplayEvents(bool showBytes);
// The event whose reid is `id` and every event whose groupId is `id`.
void DisplayEventsById(const std::string& id, bool showBytes);
// Events already split, and every part of a split event.
void DisplaySplitEvents(bool showBytes);
// Events not yet transferred.
void DisplayUntransferredEvents();

#endif  // DB_EVENTS_EVENT_LISTINGS_H_
