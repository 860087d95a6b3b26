#ifndef DB_MAINTENANCE_ANALYSIS_OPTIONS_H_
#define DB_MAINTENANCE_ANALYSIS_OPTIONS_H_

#include <cstdint>
#include <string>

// Which analysis -a runs; one record accumulates every -a of a command line.
struct AnalysisOptions {
  bool analyzeDisk = false;
  bool analyzeSplitEvents = false;
  uint32_t maxPartSizeGB = 0;  // 0: part sizes are not checked
};

// Applies the -a argument to `options`, consuming `argument`. False when it
// stopped at a character it does not accept; what came before stays applied.
bool ProcessAnalysisOptions(std::string* argument, AnalysisOptions* options);

#endif  // DB_MAINTENANCE_ANALYSIS_OPTIONS_H_
