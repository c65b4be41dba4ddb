// The POSIX stand-ins for the clock's host calls: the C library's local time
// and time zone, which follow TZ where the library understands it and the
// host's configured zone otherwise.
#include "platform/posix/calls.h"
#include "platform/posix/posix.h"
#include "platform/time/calendar.h"

namespace {

constexpr int32_t kTmFirstYear = 1900;
constexpr int32_t kJanuary = 1, kJuly = 7;
constexpr int32_t kMidMonth = 15, kNoon = 12; // far from any zone's transition

LocalTime local_time_of(const tm &t) {
  return {t.tm_sec, t.tm_min, t.tm_hour, t.tm_mday, t.tm_mon + 1, t.tm_year + kTmFirstYear};
}

// UTC less local time, in seconds, at noon UTC on the 15th of `month`.
bool utc_less_local(int32_t year, int32_t month, int32_t *offset) {
  uint32_t utc = local_seconds({0, 0, kNoon, kMidMonth, month, year});
  time_t at = static_cast<time_t>(utc);
  tm local = {};
  if (!sys.localtime_r(&at, &local)) return false;
  *offset = static_cast<int32_t>(utc - local_seconds(local_time_of(local)));
  return true;
}

} // namespace

// A clock or a conversion that fails gives a reading in the year 1900,
// which the clock takes for a time before 1970.
void host_local_time(LocalTime *now) {
  timespec ts = {};
  tm local = {};
  if (sys.clock_gettime(CLOCK_REALTIME, &ts) != 0 || !sys.localtime_r(&ts.tv_sec, &local))
    local = tm{};
  *now = local_time_of(local);
}

// The larger of the zone's offsets in January and July of this year is its
// standard (winter) one in either hemisphere, whatever its data call it; it
// has daylight saving when they differ, and without (a host on UTC, say)
// answers as a zone whose rules are unknown.
ZoneQuery host_zone_info(ZoneInfo *zone) {
  sys.tzset();
  LocalTime now;
  host_local_time(&now);
  int32_t january = 0, july = 0;
  if (now.year < kEpochYear || !utc_less_local(now.year, kJanuary, &january) ||
      !utc_less_local(now.year, kJuly, &july))
    return ZoneQuery::kInvalid;
  if (january == july) return ZoneQuery::kUnknown;
  const int32_t kDaylightBias = -60;
  const int32_t kTransitionMonth = 1; // any month: only whether there is one matters
  int32_t standard = january > july ? january : july;
  *zone = {standard / kSecondsPerMinute, kTransitionMonth, 0, kTransitionMonth, kDaylightBias};
  return ZoneQuery::kStandard;
}
