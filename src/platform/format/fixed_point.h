// "%2.4f" and "%+2.4f": a double in fixed point with four decimals, rounded
// half away from zero by digits computed in 64-bit-significand arithmetic.
#pragma once

#include <cstddef>
#include <limits>

// Longest text format_fixed4 can produce (sign, digits, point, four decimals):
// the largest double has max_exponent10 + 1 digits before the point.
constexpr size_t kFixedTextMax = 1 + (std::numeric_limits<double>::max_exponent10 + 1) + 1 + 4;

// Writes `value` with exactly four decimals into `out` (no terminating NUL) and returns the length.
// plus_sign: "+" in front of a value whose sign bit is clear ("%+2.4f"), else nothing ("%2.4f").
// `out` must hold kFixedTextMax characters.
size_t format_fixed4(double value, bool plus_sign, char *out);
