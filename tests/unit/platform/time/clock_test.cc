// The clock value from a zone, the zone from TZ or the host, and the one-time
// zone set-up of a reading.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_host.h"
#include "platform/platform.h"
#include "platform/process/environment.h"
#include "platform/time/clock.h"
#include "platform/time/tz.h"

namespace {

constexpr LocalTime at(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                       int32_t second) {
  return {second, minute, hour, day, month, year};
}

// Expected values are true UTC seconds where the zone and the window match
// the local clock, else worked out from the local time counted as UTC.
TEST(Clock, ValueFromTz) {
  struct {
    const char *tz; // null for the default zone
    LocalTime now;
    int32_t value;
  } cases[] = {
      {"UTC", at(2026, 7, 1, 12, 0, 0), 1782907200},
      {"EST5EDT", at(2026, 7, 1, 12, 0, 0), 1782921600},
      {"EST5EDT", at(2026, 1, 15, 12, 0, 0), 1768496400},
      // Daylight saving in this zone has begun, but the window has not.
      {"CET-1CEST", at(2026, 3, 29, 12, 0, 0), 1774782000},
      {"IST-5:30", at(2026, 7, 1, 12, 0, 0), 1782887400},
      // The window's edges: the first Sunday of April and the last of October.
      {"EST5EDT", at(2026, 4, 5, 1, 59, 59), 1775372399},
      {"EST5EDT", at(2026, 4, 5, 2, 0, 0), 1775368800},
      {"EST5EDT", at(2026, 10, 25, 2, 0, 0), 1792908000},
      {"EST5EDT", at(2026, 10, 25, 2, 0, 1), 1792911601},
      {"UTC", at(1970, 1, 1, 0, 0, 0), 0},
      {"CET-1", at(1970, 1, 1, 0, 0, 0), -3600},
      {"UTC", at(2024, 3, 1, 0, 0, 0), 1709251200}, // 29 February counted
      {"UTC", at(2038, 1, 19, 3, 14, 7), 2147483647},
      {"UTC", at(2038, 1, 19, 3, 14, 8), INT32_MIN}, // wraps to negative
      // 2^32 seconds is 2106-02-07 06:28:16; 2100 counts as a leap year, so
      // a day earlier already wraps to 0.
      {"UTC", at(2106, 2, 6, 6, 28, 16), 0},
      {"UTC", at(1969, 12, 31, 23, 59, 59), kBeforeEpoch},
      {"EST5EDT", at(1969, 12, 31, 23, 59, 59), kBeforeEpoch}, // whatever the offset
      {nullptr, at(2026, 7, 1, 12, 0, 0), 1782932400},         // the default zone: 8 hours west
      {nullptr, at(2026, 12, 7, 21, 0, 0), 1796706000},
  };
  for (const auto &c : cases)
    EXPECT_EQ(clock_value(c.now, c.tz ? Zone{tz_offset(c.tz), tz_daylight(c.tz)} : kDefaultZone),
              c.value)
        << (c.tz ? c.tz : "default") << " " << c.now.year << "-" << c.now.month << "-" << c.now.day;
}

TEST(Clock, ZoneFromHost) {
  constexpr ZoneQuery kStandard = ZoneQuery::kStandard;
  struct {
    const char *why;
    ZoneQuery query;
    ZoneInfo info; // bias, standard month and bias, daylight month and bias
    Zone zone;
  } cases[] = {
      {"standard time now", kStandard, {300, 11, 0, 3, -60}, {18000, true}},
      {"daylight time now: the same", ZoneQuery::kDaylight, {300, 11, 0, 3, -60}, {18000, true}},
      {"east", kStandard, {-60, 10, 0, 3, -60}, {-3600, true}},
      {"standard bias counts with a month", kStandard, {300, 11, 60, 3, -60}, {21600, true}},
      {"standard bias ignored without", kStandard, {300, 0, 60, 0, 0}, {18000, false}},
      {"no daylight month", kStandard, {300, 11, 0, 0, -60}, {18000, false}},
      {"no daylight bias", kStandard, {300, 11, 0, 3, 0}, {18000, false}},
      // The flag is all that is kept: the window and the hour stay fixed.
      {"two hours of daylight bias", kStandard, {300, 11, 0, 3, -120}, {18000, true}},
      {"failed query", ZoneQuery::kInvalid, {-60, 10, 0, 3, -60}, kDefaultZone},
      {"no transitions", ZoneQuery::kUnknown, {0, 0, 0, 0, 0}, kDefaultZone},
  };
  for (const auto &c : cases) {
    Zone zone = zone_from_host(c.query, c.info);
    EXPECT_EQ(zone.offset, c.zone.offset) << c.why;
    EXPECT_EQ(zone.daylight, c.zone.daylight) << c.why;
  }
}

// Puts `entries` in place of the environment table for its lifetime.
struct ScopedEnvironment {
  std::vector<std::string> text;
  std::vector<char *> table;
  char **saved = environment_table;
  explicit ScopedEnvironment(std::vector<std::string> entries) : text(std::move(entries)) {
    for (std::string &entry : text) table.push_back(&entry[0]);
    table.push_back(nullptr);
    environment_table = table.data();
  }
  ~ScopedEnvironment() { environment_table = saved; }
};

TEST(Clock, CurrentZone) {
  const ZoneInfo kEastern = {300, 11, 0, 3, -60};
  struct {
    const char *why;
    std::vector<std::string> environment;
    ZoneQuery query;
    Zone zone;
  } cases[] = {
      {"TZ before the host", {"PATH=/bin", "TZ=CET-1"}, ZoneQuery::kStandard, {-3600, false}},
      {"the name in any case", {"tz=UTC"}, ZoneQuery::kStandard, {0, false}},
      {"no TZ", {"PATH=/bin"}, ZoneQuery::kStandard, {18000, true}},
      {"empty TZ", {"TZ="}, ZoneQuery::kStandard, {18000, true}},
      {"a digit first", {"TZ=5EST"}, ZoneQuery::kStandard, {18000, true}},
      {"a sign first", {"TZ=-1CET"}, ZoneQuery::kStandard, {18000, true}},
      {"the first TZ wins, empty or not", {"TZ=", "TZ=UTC"}, ZoneQuery::kStandard, {18000, true}},
      {"failed query", {}, ZoneQuery::kInvalid, kDefaultZone},
      {"no transitions", {}, ZoneQuery::kUnknown, kDefaultZone},
  };
  for (const auto &c : cases) {
    FakeHost fake;
    fake.zone_query = c.query;
    fake.zone = kEastern;
    ScopedEnvironment environment(c.environment);
    Zone zone = current_zone(environment_variable("TZ"));
    EXPECT_EQ(zone.offset, c.zone.offset) << c.why;
    EXPECT_EQ(zone.daylight, c.zone.daylight) << c.why;
  }
}

// The host's own lookup is asked only for a name the table lacks; an entry
// in the table wins even when it is empty.
TEST(Clock, HostLookupOnlyWhenTheTableLacksTz) {
  const ZoneInfo kEastern = {300, 11, 0, 3, -60};
  struct {
    const char *why;
    std::vector<std::string> environment;
    const char *host_tz; // null: the host has none either
    Zone zone;
  } cases[] = {
      {"only the host has TZ", {"PATH=/bin"}, "CET-1", {-3600, false}},
      {"the table's TZ wins", {"TZ=UTC"}, "CET-1", {0, false}},
      {"an empty TZ in the table still wins", {"TZ="}, "CET-1", {18000, true}},
      {"an unusable TZ from the host", {}, "5EST", {18000, true}},
      {"neither has TZ", {}, nullptr, {18000, true}},
  };
  for (const auto &c : cases) {
    FakeHost fake;
    fake.zone_query = ZoneQuery::kStandard;
    fake.zone = kEastern;
    if (c.host_tz) fake.variables["TZ"] = c.host_tz;
    ScopedEnvironment environment(c.environment);
    Zone zone = current_zone(environment_variable("TZ"));
    EXPECT_EQ(zone.offset, c.zone.offset) << c.why;
    EXPECT_EQ(zone.daylight, c.zone.daylight) << c.why;
  }
}

TEST(Clock, ZoneIsSetUpByTheFirstReadingFrom1970) {
  FakeHost fake;
  ClockState state = {};
  {
    ScopedEnvironment environment({"TZ=EST5EDT"});
    fake.now = at(1969, 7, 1, 12, 0, 0);
    EXPECT_EQ(read_clock_with(&state), kBeforeEpoch);
    EXPECT_FALSE(state.zone_set_up);
  }
  {
    ScopedEnvironment environment({"TZ=UTC"});
    fake.now = at(2026, 7, 1, 12, 0, 0);
    EXPECT_EQ(read_clock_with(&state), 1782907200);
    EXPECT_TRUE(state.zone_set_up);
  }
  {
    ScopedEnvironment environment({"TZ=EST5EDT"}); // too late: not seen
    fake.zone_query = ZoneQuery::kStandard;
    fake.zone = {-60, 10, 0, 3, -60};
    fake.now = at(2026, 7, 1, 12, 0, 1);
    EXPECT_EQ(read_clock_with(&state), 1782907201);
  }
}

// The process's own state may be set up by an earlier test already; a
// reading before 1970 is -1 either way.
TEST(Clock, ReadClockBefore1970) {
  FakeHost fake;
  fake.now = at(1900, 1, 1, 0, 0, 0);
  EXPECT_EQ(read_clock(), kBeforeEpoch);
}

} // namespace
