#include "platform/time/tz.h"

#include "platform/ascii.h"
#include "platform/time/calendar.h"

namespace {

bool ends_name(char c) {
  return c == '\0' || is_digit(c) || c == '+' || c == '-';
}
bool in_offset_run(char c) {
  return is_digit(c) || c == ':' || c == '+' || c == '-' || c == ';';
}

// Reads the digits at `*p`, keeping the low 32 bits; 0 when there are none.
uint32_t read_number(const char **p) {
  uint32_t value = 0;
  for (; is_digit(**p); ++*p) value = value * 10 + static_cast<uint32_t>(**p - '0');
  return value;
}

// A ':' and at least one digit: the next field of the offset. Moves `*p`
// past the colon when there is one.
bool next_field(const char **p) {
  if ((*p)[0] != ':' || !is_digit((*p)[1])) return false;
  ++*p;
  return true;
}

} // namespace

bool tz_usable(const char *value) {
  return value && is_letter(value[0]);
}

bool tz_daylight(const char *value) {
  const char *p = value;
  for (int i = 0; i < kTzNameScan && !ends_name(*p); ++i) ++p;
  while (in_offset_run(*p)) ++p;
  return *p != '\0';
}

int32_t tz_offset(const char *value) {
  const char *p = value;
  while (is_letter(*p)) ++p;
  while (is_space(*p)) ++p;
  bool minus = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  uint32_t hours = read_number(&p);
  if (minus) hours = 0u - hours;
  // The sign of the value, not of the text: "-0:30" adds its 30 minutes.
  bool negative = static_cast<int32_t>(hours) < 0;
  uint32_t offset = hours * kSecondsPerHour;
  if (next_field(&p)) {
    uint32_t minutes = read_number(&p) * kSecondsPerMinute;
    offset += negative ? 0u - minutes : minutes;
    if (next_field(&p)) {
      uint32_t seconds = read_number(&p);
      offset += negative ? 0u - seconds : seconds;
    }
  }
  return static_cast<int32_t>(offset);
}
