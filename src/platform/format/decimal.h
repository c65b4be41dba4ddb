// "%d": a signed 32-bit integer in decimal.
#pragma once

#include <cstddef>
#include <cstdint>

// Longest text format_decimal produces: "-2147483648".
constexpr size_t kDecimalTextMax = 11;

// Writes `value` in decimal into `out` (no terminating NUL) and returns the
// length: "-" for a negative value, no padding, "0" for zero.
size_t format_decimal(int32_t value, char *out);
