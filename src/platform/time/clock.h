// The clock value: the local wall-clock time counted in seconds as if it were
// UTC, then corrected by a zone offset and, when the zone has daylight
// saving, by the fixed daylight-saving window. Everything but
// read_clock_with is pure.
#pragma once

#include <cstdint>

#include "platform/host.h"
#include "platform/time/calendar.h"

struct Zone {
  int32_t offset; // seconds added to local standard time to give UTC; positive west
  bool daylight;  // whether the daylight-saving adjustment applies at all
};

// For a host zone that cannot be read or has no daylight-saving transitions.
constexpr Zone kDefaultZone = {8 * kSecondsPerHour, true};

// The clock value of a reading before 1970.
constexpr int32_t kBeforeEpoch = -1;

// The zone from the host's settings. The daylight flag only says whether
// there is daylight saving: its dates and amount are never used.
Zone zone_from_host(ZoneQuery query, const ZoneInfo &info);

// The zone in force now: from `tz`, the value of TZ, when it is usable,
// else from the host's settings.
Zone current_zone(const char *tz);

// kBeforeEpoch for a year before 1970; otherwise the local seconds plus the
// zone offset, less the daylight adjustment, modulo 2^32 read as signed.
int32_t clock_value(const LocalTime &now, const Zone &zone);

// What the clock keeps between readings: the zone, once it has been set up.
struct ClockState {
  bool zone_set_up;
  Zone zone;
};

// One reading of the host's clock over `state`. The first reading of 1970 or
// later sets up the zone; later changes to TZ or the host's zone are not
// seen. read_clock is this over the process's own state.
int32_t read_clock_with(ClockState *state);
