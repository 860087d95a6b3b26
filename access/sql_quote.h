#ifndef DB_ACCESS_SQL_QUOTE_H_
#define DB_ACCESS_SQL_QUOTE_H_

#include <string>

// `text` as an SQL string literal: in single quotes, each quote doubled, so
// that whatever a user types means only itself.
std::string QuotedSqlText(const std::string& text);

// `name` as an SQL identifier: in double quotes, each double quote doubled.
std::string QuotedSqlIdentifier(const std::string& name);

#endif  // DB_ACCESS_SQL_QUOTE_H_
