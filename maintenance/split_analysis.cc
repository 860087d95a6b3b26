#include "maintenance/split_analysis.h"

void AnalyzeSplitEvents(uint32_t) {}
