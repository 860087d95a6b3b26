#include "events/event_listings.h"

void DisplayEvents(bool) {}
void DisplayEventsById(const std::string&, bool) {}
void DisplaySplitEvents(bool) {}
void DisplayUntransferredEvents() {}
