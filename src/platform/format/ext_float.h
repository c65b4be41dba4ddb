// A small emulated extended-precision number: non-negative finite values with a
// 64-bit significand, every operation rounded to nearest, ties to even, so that
// results never depend on the host's own floating-point types.
#pragma once

#include <cstdint>

// value = significand * 2^exponent. The top bit of the significand is set,
// except for zero, which has significand 0 (its exponent is then ignored).
// Exponents stay far inside int32_t for the operands this program uses.
struct ExtFloat {
  uint64_t significand; // 2^63 <= significand < 2^64, or 0 for zero
  int32_t exponent;     // power of two of the significand's lowest bit
};

constexpr uint64_t kExtTopBit = uint64_t{1} << 63;
constexpr ExtFloat kExtZero = {0, 0};
constexpr ExtFloat kExtOne = {kExtTopBit, -63};

// The exact magnitude of a finite double, subnormals included (a 53-bit
// significand always fits in 64 bits).
ExtFloat ext_from_double(double value);

// a * b, rounded to nearest, ties to even.
ExtFloat ext_mul(ExtFloat a, ExtFloat b);

// a < b.
bool ext_less(ExtFloat a, ExtFloat b);

// Splits `value`, which must be below 2^64, into its integer part (returned,
// truncated) and the rest, stored in `*fraction`. The rest is exact.
uint64_t ext_split_integer(ExtFloat value, ExtFloat *fraction);
