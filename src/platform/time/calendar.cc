#include "platform/time/calendar.h"

namespace {

// Days of a common year before the first of each month, January first.
constexpr uint16_t kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

constexpr uint32_t kDaysPerYear = 365;
constexpr int32_t kLeapCycle = 4; // years; no century rule
constexpr int32_t kDaysPerWeek = 7;
constexpr uint32_t kEpochWeekday = 4; // 1970-01-01 was a Thursday
constexpr int32_t kMarch = 3, kApril = 4, kOctober = 10;
constexpr int32_t kLastOfOctober = 31;
constexpr int32_t kWindowChange = 2 * kSecondsPerHour; // 02:00:00 opens and closes the window

bool is_leap_year(int32_t year) {
  return year % kLeapCycle == 0;
}

int32_t weekday(int32_t year, int32_t month, int32_t day) {
  return day_of_week(day_count(year, month, day));
}

// Day of the year of the first Sunday on or after the date.
int32_t sunday_on_or_after(int32_t year, int32_t month, int32_t day) {
  return day_of_year(year, month, day) + (kDaysPerWeek - weekday(year, month, day)) % kDaysPerWeek;
}

// Day of the year of the last Sunday on or before the date.
int32_t sunday_on_or_before(int32_t year, int32_t month, int32_t day) {
  return day_of_year(year, month, day) - weekday(year, month, day);
}

} // namespace

int32_t day_of_year(int32_t year, int32_t month, int32_t day) {
  int32_t days = kDaysBeforeMonth[month - 1] + day - 1;
  if (month >= kMarch && is_leap_year(year)) ++days;
  return days;
}

uint32_t day_count(int32_t year, int32_t month, int32_t day) {
  uint32_t years = static_cast<uint32_t>(year) - kEpochYear;
  // One leap day for each year divisible by 4 from 1972 up to the year before.
  uint32_t leap_days = (years + 1) / kLeapCycle;
  return years * kDaysPerYear + leap_days + static_cast<uint32_t>(day_of_year(year, month, day));
}

int32_t day_of_week(uint32_t days) {
  return static_cast<int32_t>((days + kEpochWeekday) % static_cast<uint32_t>(kDaysPerWeek));
}

uint32_t local_seconds(const LocalTime &t) {
  return day_count(t.year, t.month, t.day) * kSecondsPerDay +
         static_cast<uint32_t>(t.hour) * kSecondsPerHour +
         static_cast<uint32_t>(t.minute) * kSecondsPerMinute + static_cast<uint32_t>(t.second);
}

int32_t daylight_adjustment(const LocalTime &t) {
  if (t.month < kApril || t.month > kOctober) return 0;
  if (t.month > kApril && t.month < kOctober) return kDaylightSaving;
  int32_t start = sunday_on_or_after(t.year, kApril, 1) * kSecondsPerDay + kWindowChange;
  int32_t end =
      sunday_on_or_before(t.year, kOctober, kLastOfOctober) * kSecondsPerDay + kWindowChange;
  int32_t now = day_of_year(t.year, t.month, t.day) * kSecondsPerDay + t.hour * kSecondsPerHour +
                t.minute * kSecondsPerMinute + t.second;
  return start <= now && now <= end ? kDaylightSaving : 0;
}
