#include "access/sql_quote.h"

namespace {

std::string Quoted(const std::string& text, char quote) {
  std::string quoted(1, quote);
  quoted.reserve(text.size() + 2);
  for (char c : text) {
    if (c == quote) quoted += quote;
    quoted += c;
  }
  quoted += quote;
  return quoted;
}

}  // namespace

std::string QuotedSqlText(const std::string& text) {
  return Quoted(text, '\'');
}

std::string QuotedSqlIdentifier(const std::string& name) {
  return Quoted(name, '"');
}
