// Clock-seeded runs at fixed local times. The clock is stopped at a chosen
// local wall time by preloading the time-faking library (it reads the
// wanted time in the zone of the process it is loaded into), and a probe
// of the same settings shows what local time the C library then reports
// before anything is asserted.
#include <glob.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

#include "checks.h"

namespace e2e {
namespace {

constexpr const char *kLibraryPatterns[] = {
    "/usr/lib/*/faketime/libfaketime.so.1",
    "/usr/lib/faketime/libfaketime.so.1",
};

// Where the time-faking library is installed; empty when it is not.
std::string faking_library() {
  for (const char *pattern : kLibraryPatterns) {
    glob_t found = {};
    bool any = glob(pattern, 0, nullptr, &found) == 0 && found.gl_pathc > 0;
    std::string path = any ? found.gl_pathv[0] : "";
    globfree(&found);
    if (any) return path;
  }
  return "";
}

const char *const kNoLibrary =
    "libfaketime is not installed (Debian package faketime); these runs need it";

// The clock stopped at `local`, read in the zone that `tz` gives the C
// library (none: TZ removed). A sanitized program must accept a library
// loaded ahead of its runtime.
EnvChanges stopped_clock(const std::string &library, const std::string &local,
                         const std::optional<std::string> &tz) {
  const char *asan = getenv("ASAN_OPTIONS");
  std::string asan_options =
      std::string(asan && *asan ? std::string(asan) + ":" : "") + "verify_asan_link_order=0";
  return {{"LD_PRELOAD", library},
          {"FAKETIME", local},
          {"FAKETIME_DONT_FAKE_MONOTONIC", "1"},
          {"TZ", tz},
          {"ASAN_OPTIONS", asan_options}};
}

// "<local> <zone>" as the C library sees the time under `env`.
std::string probe_local_time(const EnvChanges &env) {
  RunOptions options;
  options.command = {"/bin/date", "+%Y-%m-%d %H:%M:%S %Z"};
  options.env = env;
  options.timeout_seconds = 10;
  RunResult run = run_dicestat(options);
  if (!run.out.empty() && run.out.back() == '\n') run.out.pop_back();
  return run.out;
}

struct ClockCase {
  const char *why;
  std::optional<std::string> tz;
  const char *local;     // the local wall time the clock shows
  const char *zone_name; // what the C library calls the zone at that time
  int32_t value;         // the clock value the report must give
};

// Local time counted as UTC, plus the zone offset (seconds west), less an
// hour inside the fixed daylight window (first Sunday of April 02:00 to
// last Sunday of October 02:00; in 2026 the 5th of April and the 25th of
// October) when the zone has daylight saving at all.
const ClockCase kClockCases[] = {
    {"TZ UTC: no offset, no daylight", "UTC", "2026-07-01 12:00:00", "UTC", 1782907200},
    {"EST5EDT in summer: 18000 west, less the hour", "EST5EDT", "2026-07-01 12:00:00", "EDT",
     1782921600},
    {"EST5EDT in winter", "EST5EDT", "2026-01-15 12:00:00", "EST", 1768496400},
    {"CET-1CEST: the zone keeps summer time already, the window opens only in April", "CET-1CEST",
     "2026-03-29 12:00:00", "CEST", 1774782000},
    {"one second before the window", "EST5EDT", "2026-04-05 01:59:59", "EDT", 1775372399},
    {"the window's first second", "EST5EDT", "2026-04-05 02:00:00", "EDT", 1775368800},
    {"the window's last second", "EST5EDT", "2026-10-25 02:00:00", "EDT", 1792908000},
    {"one second after the window", "EST5EDT", "2026-10-25 02:00:01", "EDT", 1792911601},
    // A TZ that does not begin with a letter goes to the C library only,
    // whose zone here has no daylight rules: the default zone, 28800 west
    // with the hour, applies.
    {"TZ :UTC: the default zone", ":UTC", "2026-07-01 12:00:00", "UTC", 1782932400},
    {"TZ empty: the default zone", "", "2026-12-07 21:00:00", "UTC", 1796706000},
    // The C library's zone has daylight rules: its standard offset counts,
    // its transition dates do not.
    {"a library zone with daylight rules, in the window", "<EST>5<EDT>", "2026-07-01 12:00:00",
     "EDT", 1782921600},
    {"a library zone with daylight rules, on daylight time before the window", "<EST>5<EDT>",
     "2026-03-29 12:00:00", "EDT", 1774803600},
    {"a library zone whose daylight saving is half an hour still gets one hour",
     "<LHST>-10:30<LHDT>-11,M10.1.0,M4.1.0", "2026-07-01 12:00:00", "LHST", 1782865800},
    // A zone file: its winter offset is standard time, and its daylight
    // saving only says that the window applies, even where the file calls
    // winter time the daylight-saving one (Dublin).
    {"Dublin in winter: no offset", ":Europe/Dublin", "2026-01-15 12:00:00", "GMT", 1768478400},
    {"Dublin in summer: no offset, less the hour", ":Europe/Dublin", "2026-07-01 12:00:00", "IST",
     1782903600},
    {"Paris: 3600 east", ":Europe/Paris", "2026-07-01 12:00:00", "CEST", 1782900000},
    {"New York: 18000 west", ":America/New_York", "2026-07-01 12:00:00", "EDT", 1782921600},
    {"Sydney: its July is winter, 36000 east", ":Australia/Sydney", "2026-07-01 12:00:00", "AEST",
     1782867600},
    {"Tokyo: no daylight saving, the default zone", ":Asia/Tokyo", "2026-07-01 12:00:00", "JST",
     1782932400},
    // The C library takes a TZ with a comma and no rules for UTC; the
    // program reads it as 18000 west with daylight saving.
    {"TZ EST5,: UTC to the C library, daylight to the program", "EST5,", "2026-07-01 12:00:00", "",
     1782921600},
    {"a year before 1970 gives -1", "UTC", "1969-07-01 12:00:00", "UTC", -1},
    {"the last second a 32-bit count holds", "UTC", "2038-01-19 03:14:07", "UTC", INT32_MAX},
    {"one second later the count wraps", "UTC", "2038-01-19 03:14:08", "UTC", INT32_MIN},
};

// Where the Windows program under Wine must give another value: the same
// clock shows it another local time.
struct WineDifference {
  const char *tz;
  const char *local;
  int32_t value;
  const char *why;
};

const char kDublinUnderWine[] =
    "Wine reads a zone file that calls winter time daylight saving its own way; "
    ":Europe/London, the same clocks without that, gives the native values under Wine";

const WineDifference kWineDifferences[] = {
    {"EST5,", "2026-07-01 12:00:00", 1782907200,
     "Wine's local time under TZ=EST5, is US Eastern with daylight saving (08:00 at 12:00 UTC), "
     "where the C library's is UTC; the program adds the same 4 hours to either"},
    {":Europe/Dublin", "2026-01-15 12:00:00", 1768514400, kDublinUnderWine},
    {":Europe/Dublin", "2026-07-01 12:00:00", 1782932400, kDublinUnderWine},
};

// The case's value, or the one the Windows program gives under Wine, with
// the reason shown.
int32_t expected_value(const ClockCase &c) {
  if (kNativeProgram) return c.value;
  for (const WineDifference &d : kWineDifferences) {
    if (c.tz != d.tz || std::string(c.local) != d.local) continue;
    std::cout << "expected difference under Wine: " << d.value << ", not " << c.value << ": "
              << d.why << "\n";
    return d.value;
  }
  return c.value;
}

const std::string kClockAnswers = "36\n\n"; // 36 rolls, a blank seed

// The clock run, its value checked, then the same value typed as the seed
// must give the same rolls and the same statistics.
void check_clock_case(const std::string &library, const ClockCase &c) {
  EnvChanges env = stopped_clock(library, c.local, c.tz);
  std::string seen = probe_local_time(env);
  ASSERT_EQ(seen, std::string(c.local) + " " + c.zone_name)
      << "the stopped clock does not show the wanted local time";

  RunOptions options;
  options.input = kClockAnswers;
  options.env = env;
  RunResult clocked = run_dicestat(options);
  ASSERT_TRUE(ended_with(clocked, 0));
  std::vector<std::string> clock_lines = model::report_lines(clocked.stat.bytes);
  ASSERT_GE(clock_lines.size(), 3u);
  std::optional<int32_t> time = model::time_line_value(clock_lines[2]);
  ASSERT_TRUE(time) << "no Time line in the report";
  EXPECT_EQ(*time, expected_value(c));
  EXPECT_TRUE(holds_run(clocked, 36, kClock));

  RunResult repeated = run_dicestat("36\n" + std::to_string(*time) + "\n");
  ASSERT_TRUE(ended_with(repeated, 0));
  EXPECT_EQ(repeated.dice.bytes, clocked.dice.bytes);
  // The reports differ only in the header: "Seed: 0 " and the Time line
  // there, the seed itself here.
  std::vector<std::string> seed_lines = model::report_lines(repeated.stat.bytes);
  ASSERT_GE(seed_lines.size(), 2u);
  EXPECT_EQ(seed_lines[1], "Seed: " + std::to_string(*time) + " ");
  EXPECT_EQ(std::vector<std::string>(seed_lines.begin() + 2, seed_lines.end()),
            std::vector<std::string>(clock_lines.begin() + 3, clock_lines.end()));
}

TEST(StoppedClock, ValueAtFixedLocalTimes) {
  std::string library = faking_library();
  if (library.empty()) GTEST_SKIP() << kNoLibrary;
  for (const ClockCase &c : kClockCases) {
    SCOPED_TRACE(std::string(c.why) + ": TZ=" + c.tz.value_or("(unset)") + ", " + c.local);
    check_clock_case(library, c);
  }
}

// Without TZ the C library takes the host's configured zone, which the
// test cannot choose; the case holds only on a host kept on UTC (as CI is).
TEST(StoppedClock, NoTzOnAHostWithoutDaylightRules) {
  std::string library = faking_library();
  if (library.empty()) GTEST_SKIP() << kNoLibrary;
  const ClockCase c = {"TZ unset: the host's zone", std::nullopt, "2026-07-01 12:00:00", "UTC",
                       1782932400};
  std::string seen = probe_local_time(stopped_clock(library, c.local, c.tz));
  if (seen.size() > 20 && seen.substr(20) != "UTC")
    GTEST_SKIP() << "the host's zone is " << seen.substr(20) << ", not UTC";
  check_clock_case(library, c);
}

} // namespace
} // namespace e2e
