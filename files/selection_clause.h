#ifndef DB_FILES_SELECTION_CLAUSE_H_
#define DB_FILES_SELECTION_CLAUSE_H_

#include <string>

#include "files/file_options.h"

// The part of the files query after "where" that selects and orders what
// `options` ask for; it begins with a blank.
std::string SelectionClause(const FileOptions& options);

#endif  // DB_FILES_SELECTION_CLAUSE_H_
