#ifndef DB_STANDIN_DAEMON_FILES_PAGES_H_
#define DB_STANDIN_DAEMON_FILES_PAGES_H_

#include <sqlite3.h>

#include <string>

// Answers a files request for one page of a larger selection, "S limit L
// offset M", with the page cut from the whole of S. S is read once and kept
// while the catalogue stays unchanged, so that paging through N files reads
// N rows rather than N squared over twice the page size. False, leaving
// `*reply` alone, when `sql` is no such page or its rows might not come in
// the same order as those of S; the request is then answered on its own.
bool AnswerFilesPage(sqlite3* catalogue, const std::string& sql,
                     std::string* reply);

#endif  // DB_STANDIN_DAEMON_FILES_PAGES_H_
