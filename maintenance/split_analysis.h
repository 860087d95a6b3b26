#ifndef DB_MAINTENANCE_SPLIT_ANALYSIS_H_
#define DB_MAINTENANCE_SPLIT_ANALYSIS_H_

#include <cstdint>

// Checks every split event group (overlap, last part, part numbers and, when
// maxPartSizeGB is not 0, part sizes) and reports on stdout.
void AnalyzeSplitEvents(uint32_t maxPartSizeGB);

#endif  // DB_MAINTENANCE_SPLIT_ANALYSIS_H_
