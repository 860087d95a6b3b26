#include "access/local_time.h"

#include <langinfo.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "access/decimal.h"

namespace {

// Times remembered. Four streams interleave in number order, so the next
// file of a chain, whose start is this file's stop, comes a few rows on.
const size_t kRememberedTimes = 16;

// Writes `value` (0 to 99) as two digits at `out`.
char* PutTwoDigits(int value, char* out) {
  const uint32_t tenth = TenthOf(static_cast<uint32_t>(value));
  out[0] = static_cast<char>('0' + tenth);
  out[1] = static_cast<char>('0' + (static_cast<uint32_t>(value) - tenth * 10));
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
// "%H:%M:%S" (the C locale, which the tool never leaves, so the locale is
// asked once). strftime costs several times more, and a listing calls it
// twice a row. Returns the length, or 0 for any other format, locale or an
// out-of-range time: strftime then decides.
size_t FormatTableTime(const struct tm& broken, const char* format,
                       char text[17]) {
  static const bool plainLocale =
      std::strcmp(nl_langinfo(D_FMT), "%m/%d/%y") == 0 &&
      std::strcmp(nl_langinfo(T_FMT), "%H:%M:%S") == 0;
  const bool withDate = std::strcmp(format, "%x %X") == 0;
  if ((!withDate && std::strcmp(format, "%X") != 0) || !IsPlainTime(broken) ||
      !plainLocale) {
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

// localtime_r of `seconds`, remembered for a while. A files listing shows
// most times twice, a file's stop as the start of the next file of its
// chain a few rows on; localtime_r costs more than the rest of a row on
// the board. The zone, read once, does not change during the run, so a
// time remembered reads as it would be read again.
bool RecentLocalTime(int64_t seconds, struct tm* broken) {
  struct Remembered {
    int64_t seconds;
    struct tm broken;
  };
  static Remembered recent[kRememberedTimes];
  static size_t filled = 0;
  static size_t next = 0;
  for (size_t i = 0; i < filled; ++i) {
    if (recent[i].seconds == seconds) {
      *broken = recent[i].broken;
      return true;
    }
  }
  time_t when = static_cast<time_t>(seconds);
  if (static_cast<int64_t>(when) != seconds ||
      localtime_r(&when, broken) == nullptr) {
    return false;
  }
  recent[next] = {seconds, *broken};
  next = (next + 1) % kRememberedTimes;
  filled = std::min(filled + 1, kRememberedTimes);
  return true;
}

}  // namespace

std::string LocalTimeText(int64_t seconds, const char* format) {
  char text[20];
  return std::string(text, FormatLocalTime(seconds, format, text));
}

size_t FormatLocalTime(int64_t seconds, const char* format, char text[20]) {
  static const bool zoneLoaded = (tzset(), true);
  (void)zoneLoaded;
  struct tm broken;
  if (!RecentLocalTime(seconds, &broken)) return 0;
  size_t length = FormatTableTime(broken, format, text);
  if (length == 0) length = strftime(text, 20, format, &broken);
  return length;
}
