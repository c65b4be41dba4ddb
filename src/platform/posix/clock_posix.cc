// The POSIX stand-ins for the clock's host calls: the C library's local time
// and time zone, which follow TZ where the library understands it and the
// host's configured zone otherwise.
#include "platform/posix/calls.h"
#include "platform/posix/posix.h"

namespace {

constexpr int32_t kSecondsPerMinute = 60;
constexpr int32_t kTmFirstYear = 1900;

} // namespace

// A clock or a conversion that fails gives a reading in the year 1900,
// which the clock takes for a time before 1970.
void host_local_time(LocalTime *now) {
  timespec ts = {};
  tm local = {};
  if (sys.clock_gettime(CLOCK_REALTIME, &ts) != 0 || !sys.localtime_r(&ts.tv_sec, &local))
    local = tm{};
  *now = {local.tm_sec,  local.tm_min,     local.tm_hour,
          local.tm_mday, local.tm_mon + 1, local.tm_year + kTmFirstYear};
}

// A zone without daylight-saving rules (a host set to UTC, say) answers as
// one whose rules are unknown; one with rules gives its standard offset and
// the usual hour of daylight saving.
ZoneQuery host_zone_info(ZoneInfo *zone) {
  sys.tzset();
  if (!daylight) return ZoneQuery::kUnknown;
  const int32_t kDaylightBias = -60;
  const int32_t kTransitionMonth = 1; // any month: only whether there is one matters
  *zone = {static_cast<int32_t>(timezone / kSecondsPerMinute), kTransitionMonth, 0,
           kTransitionMonth, kDaylightBias};
  return ZoneQuery::kStandard;
}
