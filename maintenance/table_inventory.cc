#include "maintenance/table_inventory.h"

void DisplayTables() {}
void DisplayStatus() {}
