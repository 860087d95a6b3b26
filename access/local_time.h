#ifndef DB_ACCESS_LOCAL_TIME_H_
#define DB_ACCESS_LOCAL_TIME_H_

#include <cstddef>
#include <cstdint>
#include <string>

// `seconds` since the epoch as local time in strftime `format`, as the
// recorder shows times ("%x %X" is 17 characters in the default locale).
// The time zone is read once per process, not per call. Empty when the time
// cannot be shown or the text would not fit 19 characters.
std::string LocalTimeText(int64_t seconds, const char* format);

// LocalTimeText written into `text`, for a caller that keeps no string;
// returns its length, 0 where LocalTimeText is empty.
size_t FormatLocalTime(int64_t seconds, const char* format, char text[20]);

#endif  // DB_ACCESS_LOCAL_TIME_H_
