#include "platform/format/decimal.h"

size_t format_decimal(int32_t value, char *out) {
  // Widened first, so that the magnitude of the most negative value fits.
  int64_t wide = value;
  uint64_t magnitude = wide < 0 ? static_cast<uint64_t>(-wide) : static_cast<uint64_t>(wide);
  char digits[kDecimalTextMax];
  size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  size_t length = 0;
  if (wide < 0) out[length++] = '-';
  while (count > 0) out[length++] = digits[--count];
  return length;
}
