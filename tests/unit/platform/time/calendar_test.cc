// Day counts, weekdays and the daylight window, checked against a plain
// day-by-day walk of the calendar.
#include <gtest/gtest.h>

#include <vector>

#include "platform/time/calendar.h"

namespace {

constexpr int32_t kLastYear = 2106; // where a 32-bit unsigned count of seconds ends
constexpr int kMaxReports = 20;     // mismatches reported one by one before the count

struct Date {
  int32_t year, month, day;
  uint32_t count;  // days since 1970-01-01
  int32_t weekday; // 0 for Sunday
};

int32_t month_length(int32_t year, int32_t month) {
  if (month == 2) return year % 4 == 0 ? 29 : 28; // 2100 included: no century rule
  return month == 4 || month == 6 || month == 9 || month == 11 ? 30 : 31;
}

// Every date from 1970-01-01, a Thursday, to the end of kLastYear.
std::vector<Date> walk() {
  std::vector<Date> dates;
  Date d = {1970, 1, 1, 0, 4};
  while (d.year <= kLastYear) {
    dates.push_back(d);
    ++d.count;
    d.weekday = (d.weekday + 1) % 7;
    if (++d.day > month_length(d.year, d.month)) {
      d.day = 1;
      if (++d.month > 12) {
        d.month = 1;
        ++d.year;
      }
    }
  }
  return dates;
}

LocalTime at(const Date &d, int32_t hour, int32_t minute, int32_t second) {
  return {second, minute, hour, d.day, d.month, d.year};
}

TEST(Calendar, DayCountAndWeekdayFollowTheWalk) {
  int mismatches = 0;
  for (const Date &d : walk()) {
    uint32_t count = day_count(d.year, d.month, d.day);
    if (count == d.count && day_of_week(count) == d.weekday) continue;
    if (++mismatches <= kMaxReports)
      ADD_FAILURE() << d.year << "-" << d.month << "-" << d.day << ": day " << count << " weekday "
                    << day_of_week(count) << ", walk says " << d.count << " " << d.weekday;
  }
  EXPECT_EQ(mismatches, 0);
  // Anchors known apart from the walk: 2000-01-01 a Saturday, 2026-04-05 a Sunday.
  EXPECT_EQ(day_of_week(day_count(2000, 1, 1)), 6);
  EXPECT_EQ(day_of_week(day_count(2026, 4, 5)), 0);
}

// Whether the window holds the instant: from the first Sunday of April,
// 02:00:00, to the last Sunday of October, 02:00:00, by the walk's weekdays.
bool in_window(const Date &d, int32_t seconds_of_day, int32_t first_sunday, int32_t last_sunday) {
  constexpr int32_t kChange = 2 * kSecondsPerHour;
  if (d.month == 4)
    return d.day > first_sunday || (d.day == first_sunday && seconds_of_day >= kChange);
  if (d.month == 10)
    return d.day < last_sunday || (d.day == last_sunday && seconds_of_day <= kChange);
  return d.month > 4 && d.month < 10;
}

TEST(Calendar, DaylightWindowFollowsTheWalk) {
  std::vector<Date> dates = walk();
  std::vector<int32_t> first_sunday(kLastYear + 1), last_sunday(kLastYear + 1);
  for (const Date &d : dates) {
    if (d.weekday != 0) continue;
    if (d.month == 4 && d.day <= 7) first_sunday[d.year] = d.day;
    if (d.month == 10 && d.day >= 25) last_sunday[d.year] = d.day;
  }
  // Midnight, just before and at the change, just after it, the last second.
  const int32_t kTimes[][3] = {{0, 0, 0}, {1, 59, 59}, {2, 0, 0}, {2, 0, 1}, {23, 59, 59}};
  int mismatches = 0;
  for (const Date &d : dates) {
    for (const auto &time : kTimes) {
      int32_t seconds = time[0] * kSecondsPerHour + time[1] * kSecondsPerMinute + time[2];
      int32_t want =
          in_window(d, seconds, first_sunday[d.year], last_sunday[d.year]) ? kDaylightSaving : 0;
      int32_t got = daylight_adjustment(at(d, time[0], time[1], time[2]));
      if (got != want && ++mismatches <= kMaxReports)
        ADD_FAILURE() << d.year << "-" << d.month << "-" << d.day << " " << seconds << "s: " << got
                      << ", want " << want;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

} // namespace
