#ifndef DB_ACCESS_SQL_STATEMENT_H_
#define DB_ACCESS_SQL_STATEMENT_H_

#include <sqlite3.h>

#include <string>

// One prepared statement, owned for the length of a scope. A failed prepare
// is reported on stderr ("unable to prepare: " and the text, no line end);
// rc is then not 0 and nothing may be stepped.
class SQLStatement {
 public:
  SQLStatement(sqlite3* database, std::string sql);
  ~SQLStatement();
  SQLStatement(const SQLStatement&) = delete;
  SQLStatement& operator=(const SQLStatement&) = delete;

  sqlite3_stmt* stmt;
  int rc;  // result of the prepare, then of each step
  bool prepared;
};

#endif  // DB_ACCESS_SQL_STATEMENT_H_
