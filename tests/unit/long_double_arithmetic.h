// The fixed-point digit algorithm on a long double with a 64-bit significand
// (the x87 extended format, whose operations round once to it, to nearest,
// ties to even, at the precision the start-up sets): a reference for the
// emulated arithmetic the program uses. Where long double is another format
// the reference is left out, and so are the tests that compare against it.
#pragma once

#include <cfloat>

#if LDBL_MANT_DIG == 64
#include <cmath>
#include <cstdint>

#include "platform/format/ext_float.h"
#include "platform/format/fixed_point_digits.h"
#include "platform/format/pow10_table.h"

struct LongDoubleTables {
  long double up[kPow10TableSize];
  long double down[kPow10TableSize];
};

inline long double to_long_double(ExtFloat x) {
  return std::ldexp(static_cast<long double>(x.significand), x.exponent);
}

// Filled before main, so that a lookup in the digit loops is a plain load
// (a function-local static is guarded on every call).
inline const LongDoubleTables kLongDoubleTables = [] {
  LongDoubleTables t;
  for (int k = 0; k < kPow10TableSize; ++k) {
    t.up[k] = to_long_double(kPow10Up[k]);
    t.down[k] = to_long_double(kPow10Down[k]);
  }
  return t;
}();

struct LongDoubleArithmetic {
  using Number = long double;
  static Number from_double(double magnitude) { return magnitude; }
  static Number one() { return 1; }
  static Number pow10_up(int k) { return kLongDoubleTables.up[k]; }
  static Number pow10_down(int k) { return kLongDoubleTables.down[k]; }
  static Number mul(Number a, Number b) { return a * b; }
  static bool less(Number a, Number b) { return a < b; }
  static uint64_t split_integer(Number m, Number *rest) {
    auto integer = static_cast<uint64_t>(m);
    *rest = m - static_cast<Number>(integer);
    return integer;
  }
};

#endif
