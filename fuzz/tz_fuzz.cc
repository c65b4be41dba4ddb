// The TZ reader over arbitrary strings: no crash, no read past the end, and
// nothing after the terminating NUL changes the result.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/time/tz.h"

namespace {

struct Reading {
  bool usable, daylight;
  int32_t offset;
};

Reading read_tz(const char *value) {
  return {tz_usable(value), tz_daylight(value), tz_offset(value)};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // Up to the first NUL is the value; an exact-size copy lets the address
  // sanitizer catch any read beyond it.
  size_t length = strnlen(reinterpret_cast<const char *>(data), size);
  char *exact = static_cast<char *>(malloc(length + 1));
  memcpy(exact, data, length);
  exact[length] = '\0';
  // The same value followed by whatever the input holds after its NUL.
  char *trailed = static_cast<char *>(malloc(size + 1));
  memcpy(trailed, data, size);
  trailed[length] = '\0';
  trailed[size] = '\0';

  Reading a = read_tz(exact), b = read_tz(trailed);
  if (a.usable != b.usable || a.daylight != b.daylight || a.offset != b.offset) abort();
  free(exact);
  free(trailed);
  return 0;
}
