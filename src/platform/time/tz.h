// Reading a TZ value: a standard-time name, an offset, then optionally a
// daylight-saving name and rules ("UTC", "EST5EDT", "CET-1CEST", "IST-5:30").
// The offset and the daylight flag come from two separate scans of the whole
// value. Every function reads no further than the terminating NUL.
#pragma once

#include <cstdint>

// Whether the value can describe a zone at all: present and starting with an
// ASCII letter. Null and empty values are not usable.
bool tz_usable(const char *value);

// Longest name the daylight scan passes over before it looks for the offset.
constexpr int kTzNameScan = 9;

// Whether anything follows the name and the offset: a daylight-saving name or
// rules. The name ends at the first digit or sign, but the scan passes over
// at most kTzNameScan characters, so a longer name counts as something more.
// The offset is the longest run of digits, ':', '+', '-' and ';' after the
// name. "EST5;" gives false, "EST5," true.
bool tz_daylight(const char *value);

// Seconds added to local standard time to give UTC, positive west: leading
// ASCII letters are passed over, then hours with optional white space and
// sign, then ":minutes" and ":seconds", each taken only when a digit follows
// its colon. Minutes and seconds take the sign of the hour value. Fields are
// not range-checked; arithmetic keeps the low 32 bits. "EST5EDT" gives 18000,
// "IST-5:30" gives -19800.
int32_t tz_offset(const char *value);
