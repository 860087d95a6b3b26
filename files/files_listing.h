#ifndef DB_FILES_FILES_LISTING_H_
#define DB_FILES_FILES_LISTING_H_

#include "files/file_options.h"

// Lists the stream files that `options` select, in its order, with the
// number of matching files, on stdout.
void DisplayFiles(const FileOptions& options);

#endif  // DB_FILES_FILES_LISTING_H_
