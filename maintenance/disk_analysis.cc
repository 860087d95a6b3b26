#include "maintenance/disk_analysis.h"

void AnalyzeDisk() {}
