#include "maintenance/table_inventory.h"

#include <sqlite3.h>

#include <cstdint>
#include <iomanip>
#include <iostream>
#include <string>

#include "access/outside_command.h"
#include "access/sql_quote.h"
#include "access/sql_statement.h"
#include "access/stream_mgr_api.h"
#include "program_state.h"
#include "run_status.h"
#include "standard_output.h"

namespace {

const int kTimeoutMs = 60000;

// Rows of `name` by the run's access path; 0 when they cannot be counted.
uint32_t TableRowCount(const std::string& name) {
  // Quoted, so that a name with a blank or a keyword such as "order" still
  // names its table.
  const std::string sql = "select count(*) from " + QuotedSqlIdentifier(name);
  unsigned int count = 0;
  if (streamMgrRunning) {
    NoteIfQueryFailed(
        ipc,
        StreamMgrApi::GetCountFromSqlStatement(ipc, sql, count, kTimeoutMs),
        sql);
    return count;
  }
  SQLStatement statement(db, sql);
  if (statement.rc != SQLITE_OK) {
    std::cerr << "Error getting count for " << name << '\n';
    return 0;
  }
  statement.rc = sqlite3_step(statement.stmt);
  if (statement.rc != SQLITE_ROW) {
    NoteFailure();
    return 0;
  }
  return static_cast<uint32_t>(sqlite3_column_int(statement.stmt, 0));
}

// The name left in 12 columns and the count right in 4; neither is cut.
void PrintTableRow(const std::string& name, uint32_t count) {
  std::cout << std::left << std::setw(12) << name << "    " << std::right
            << std::setw(4) << count << '\n';
}

}  // namespace

void DisplayTables() {
  // Names always come from the file itself, also while StreamMgr runs.
  SQLStatement tables(db,
                      "select tbl_name from sqlite_master where type='table'");
  std::cout << "\nTable Name    Entries\n============  =======\n";
  if (tables.rc == SQLITE_OK) {
    while (OutputIsWritable() &&
           (tables.rc = sqlite3_step(tables.stmt)) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(tables.stmt, 0);
      const std::string name =
          text != nullptr ? reinterpret_cast<const char*>(text) : "";
      PrintTableRow(name, TableRowCount(name));
    }
    if (tables.rc != SQLITE_DONE && OutputIsWritable()) {
      std::cerr << "stmt Error: ";
      NoteFailure();
    }
  }
  std::cout << '\n';
}

void DisplayStatus() {
  // The command would create an empty catalogue where none opened.
  if (!catalogueOpened) return;
  // Whatever went wrong, the command or the shell has already said so.
  if (!Succeeded(RunCommand("sql 'select * from status'"))) NoteFailure();
}
