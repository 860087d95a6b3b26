#ifndef DB_EVENTS_EVENT_TABLE_H_
#define DB_EVENTS_EVENT_TABLE_H_

#include <cstdint>
#include <string>

#include "access/stream_mgr_api.h"

// The event table on stdout: 19 fixed-width columns, each closed by two
// blanks; the size column in bytes when showBytes, else in GiB.

// Prints an empty line, the header line and the rule line.
void PrintEventHeader(bool showBytes);

// Prints `event` as one row and flushes stdout. Asks the configuration
// service for the re-export period; when that fails the row shows "NA" and
// the failure goes to the system log. Leaves stdout in fixed notation with
// the size column's precision and right alignment.
void DisplayEvent(const StreamMgrApi::EventRecordItem& event, bool showBytes);

// "r", "c", "a" or "k" for codes 0 to 3; "?" for any other.
const char* EventCodeLetter(StreamMgrApi::EventCode code);

// stopTime minus startTime in 32 bits; -1 when that is negative.
int32_t EventDurationSeconds(int32_t startTime, int32_t stopTime);

// Hours left at `now` until an event exported at exportTime is exported
// again; 0.0 when re-export is off (reExportHours 0).
double HoursTillReExport(uint32_t reExportHours, int32_t exportTime,
                         int64_t now);

// "NA" for a negative value, "Disabled" for 0.0, else the hours with two
// decimals.
std::string HoursTillReExportText(double hours);

#endif  // DB_EVENTS_EVENT_TABLE_H_
