#include "access/sql_statement.h"

#include <iostream>

#include "run_status.h"

SQLStatement::SQLStatement(sqlite3* database, std::string sql)
    : stmt(nullptr), rc(0), prepared(false) {
  rc = sqlite3_prepare_v2(database, sql.c_str(), -1, &stmt, nullptr);
  if (rc != SQLITE_OK) {
    // No line end: the caller's own report continues this line.
    std::cerr << "unable to prepare: " << sql;
    NoteFailure();
    return;
  }
  prepared = true;
}

SQLStatement::~SQLStatement() {
  if (!prepared) return;
  int result = sqlite3_finalize(stmt);
  // After a failed step, finalize hands back that step's error although the
  // statement is freed; the caller has reported the error, and no memory
  // leaks.
  if (result != SQLITE_OK && result != rc) {
    std::cerr << "could not free statement, leaking memory" << std::endl;
  }
}
