#include "maintenance/event_deletion.h"

void DeleteEventOrGroup(const std::string&) {}
void DeleteAllEvents() {}
