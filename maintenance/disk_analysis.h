#ifndef DB_MAINTENANCE_DISK_ANALYSIS_H_
#define DB_MAINTENANCE_DISK_ANALYSIS_H_

// Checks every stream file on disk with the outside extraction and analysis
// tools and reports a verdict per file on stdout.
void AnalyzeDisk();

#endif  // DB_MAINTENANCE_DISK_ANALYSIS_H_
