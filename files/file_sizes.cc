#include "files/file_sizes.h"

#include <iostream>

#include "access/sql_statement.h"
#include "run_status.h"

void LoadFileSizes(
    sqlite3* catalogue,
    const std::function<void(int number, int size)>& initializeFileSize) {
  SQLStatement statement(catalogue, "select number, size from streamfiles");
  if (statement.rc != SQLITE_OK) {
    // Continues the statement's own report on the same line. The recorder's
    // own text, its two parts run together without a blank: keep it so.
    std::cerr << "main"
              << "unable to access database" << std::endl;
    return;
  }
  while ((statement.rc = sqlite3_step(statement.stmt)) == SQLITE_ROW) {
    initializeFileSize(sqlite3_column_int(statement.stmt, 0),
                       sqlite3_column_int(statement.stmt, 1));
  }
  if (statement.rc != SQLITE_DONE) {
    // The recorder's own text, colons and all: keep it so.
    std::cerr << "main"
              << ":Error initializing file sizes from the database:"
              << std::endl;
    NoteFailure();
  }
}
