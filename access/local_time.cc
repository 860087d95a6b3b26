#include "access/local_time.h"

#include <time.h>

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
  size_t length = strftime(text, sizeof(text), format, &broken);
  return std::string(text, length);
}
