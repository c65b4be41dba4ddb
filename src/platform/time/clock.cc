// The clock value that seeds a run when no seed was given.
#include "platform/time/clock.h"

#include "platform/platform.h"
#include "platform/process/environment.h"
#include "platform/time/tz.h"

static ClockState process_clock; // zero: the zone is not set up yet

Zone zone_from_host(ZoneQuery query, const ZoneInfo &info) {
  if (query != ZoneQuery::kStandard && query != ZoneQuery::kDaylight) return kDefaultZone;
  uint32_t offset = static_cast<uint32_t>(info.bias) * kSecondsPerMinute;
  if (info.standard_month != 0)
    offset += static_cast<uint32_t>(info.standard_bias) * kSecondsPerMinute;
  return {static_cast<int32_t>(offset), info.daylight_month != 0 && info.daylight_bias != 0};
}

Zone current_zone(const char *tz) {
  if (tz_usable(tz)) return {tz_offset(tz), tz_daylight(tz)};
  ZoneInfo info = {}; // not filled in when the query fails
  ZoneQuery query = host_zone_info(&info);
  return zone_from_host(query, info);
}

int32_t clock_value(const LocalTime &now, const Zone &zone) {
  if (now.year < kEpochYear) return kBeforeEpoch;
  uint32_t value = local_seconds(now) + static_cast<uint32_t>(zone.offset);
  if (zone.daylight) value -= static_cast<uint32_t>(daylight_adjustment(now));
  return static_cast<int32_t>(value);
}

int32_t read_clock_with(ClockState *state) {
  LocalTime now;
  host_local_time(&now);
  // Before 1970 the zone is neither needed nor set up.
  if (now.year < kEpochYear) return kBeforeEpoch;
  if (!state->zone_set_up) {
    state->zone = current_zone(environment_variable("TZ"));
    state->zone_set_up = true;
  }
  return clock_value(now, state->zone);
}

int32_t read_clock() {
  return read_clock_with(&process_clock);
}
