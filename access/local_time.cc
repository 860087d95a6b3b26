#include "access/local_time.h"

#include <langinfo.h>
#include <time.h>

#include <cstring>

namespace {

// Writes `value` (0 to 99) as two digits at `out`.
char* PutTwoDigits(int value, char* out) {
  out[0] = static_cast<char>('0' + value / 10);
  out[1] = static_cast<char>('0' + value % 10);
  return out + 2;
}

bool IsPlainTime(const struct tm& broken) {
  return broken.tm_year >= 0 && broken.tm_mon >= 0 && broken.tm_mon <= 11 &&
         broken.tm_mday >= 1 && broken.tm_mday <= 31 && broken.tm_hour >= 0 &&
         broken.tm_hour <= 23 && broken.tm_min >= 0 && broken.tm_min <= 59 &&
         broken.tm_sec >= 0 && broken.tm_sec <= 60;
}

// The table formats "%x %X" and "%X" written digit by digit into `text`, as
// strftime writes them wherever the locale's %x is "%m/%d/%y" and its %X
// "%H:%M:%S" (the C locale, which the tool never leaves). strftime costs
// several times more, and a listing calls it twice a row. Returns the
// length, or 0 for any other format, locale or an out-of-range time:
// strftime then decides.
size_t FormatTableTime(const struct tm& broken, const char* format,
                       char text[17]) {
  const bool withDate = std::strcmp(format, "%x %X") == 0;
  if ((!withDate && std::strcmp(format, "%X") != 0) || !IsPlainTime(broken) ||
      std::strcmp(nl_langinfo(D_FMT), "%m/%d/%y") != 0 ||
      std::strcmp(nl_langinfo(T_FMT), "%H:%M:%S") != 0) {
    return 0;
  }
  char* out = text;
  if (withDate) {
    out = PutTwoDigits(broken.tm_mon + 1, out);
    *out++ = '/';
    out = PutTwoDigits(broken.tm_mday, out);
    *out++ = '/';
    out = PutTwoDigits(broken.tm_year % 100, out);
    *out++ = ' ';
  }
  out = PutTwoDigits(broken.tm_hour, out);
  *out++ = ':';
  out = PutTwoDigits(broken.tm_min, out);
  *out++ = ':';
  out = PutTwoDigits(broken.tm_sec, out);
  return static_cast<size_t>(out - text);
}

}  // namespace

std::string LocalTimeText(int64_t seconds, const char* format) {
  static const bool zoneLoaded = (tzset(), true);
  (void)zoneLoaded;
  time_t when = static_cast<time_t>(seconds);
  struct tm broken;
  if (static_cast<int64_t>(when) != seconds ||
      localtime_r(&when, &broken) == nullptr) {
    return std::string();
  }
  char text[20];
  size_t length = FormatTableTime(broken, format, text);
  if (length == 0) length = strftime(text, sizeof(text), format, &broken);
  return std::string(text, length);
}
