// The POSIX stand-ins for the clock's host calls: the C library's local time
// and time zone, which follow TZ where the library understands it and the
// host's configured zone otherwise.
#include <time.h>

#include "platform/posix/posix.h"

namespace {

constexpr int32_t kSecondsPerMinute = 60;

} // namespace

void posix_local_time(LocalTime *now) {
  timespec ts = {};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm local = {};
  localtime_r(&ts.tv_sec, &local);
  *now = {local.tm_sec,  local.tm_min,     local.tm_hour,
          local.tm_mday, local.tm_mon + 1, local.tm_year + 1900};
}

// A zone without daylight-saving rules (a host set to UTC, say) answers as
// one whose rules are unknown; one with rules gives its standard offset and
// the usual hour of daylight saving.
ZoneQuery posix_zone_info(ZoneInfo *zone) {
  tzset();
  if (!daylight) return ZoneQuery::kUnknown;
  const int32_t kDaylightBias = -60;
  const int32_t kTransitionMonth = 1; // any month: only whether there is one matters
  *zone = {static_cast<int32_t>(timezone / kSecondsPerMinute), kTransitionMonth, 0,
           kTransitionMonth, kDaylightBias};
  return ZoneQuery::kStandard;
}
