#ifndef DB_MAINTENANCE_TABLE_INVENTORY_H_
#define DB_MAINTENANCE_TABLE_INVENTORY_H_

// Lists every table of the catalogue with its number of rows, on stdout.
void DisplayTables();
// Shows the status table through the outside command sql.
void DisplayStatus();

#endif  // DB_MAINTENANCE_TABLE_INVENTORY_H_
