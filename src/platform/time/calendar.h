// Calendar arithmetic for the clock: local dates and times counted from
// 1970-01-01 00:00:00, with every fourth year a leap year, and the fixed
// daylight-saving window. Callers pass a year of 1970 or later and fields
// within their ranges (month 1-12, day 1-31, hour 0-23, minute and second
// 0-59).
#pragma once

#include <cstdint>

#include "platform/host.h"

constexpr int32_t kEpochYear = 1970;
constexpr int32_t kSecondsPerMinute = 60;
constexpr int32_t kSecondsPerHour = 60 * kSecondsPerMinute;
constexpr int32_t kSecondsPerDay = 24 * kSecondsPerHour;
constexpr int32_t kDaylightSaving = kSecondsPerHour; // the adjustment inside the window

// The day of the year of a date, counting 1 January as 0.
int32_t day_of_year(int32_t year, int32_t month, int32_t day);

// Days from 1970-01-01 to the date, modulo 2^32.
uint32_t day_count(int32_t year, int32_t month, int32_t day);

// The day of the week of a day count: 0 for Sunday to 6 for Saturday.
int32_t day_of_week(uint32_t days);

// Seconds from 1970-01-01 00:00:00 to `t` read as if it were UTC, modulo 2^32.
uint32_t local_seconds(const LocalTime &t);

// kDaylightSaving from the first Sunday on or after 1 April, 02:00:00, to the
// last Sunday on or before 31 October, 02:00:00, both instants included, in
// the year of `t`; 0 outside that window.
int32_t daylight_adjustment(const LocalTime &t);
