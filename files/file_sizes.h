#ifndef DB_FILES_FILE_SIZES_H_
#define DB_FILES_FILE_SIZES_H_

#include <sqlite3.h>

#include <functional>

// Hands every stream file's number and size, as read from `catalogue`, to
// `initializeFileSize`, in the order SQLite gives the rows. Failures are
// reported on stderr; the sizes handed over before a failed step stay.
void LoadFileSizes(
    sqlite3* catalogue,
    const std::function<void(int number, int size)>& initializeFileSize);

#endif  // DB_FILES_FILE_SIZES_H_
