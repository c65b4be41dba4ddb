// The fixed-point conversion written once over its arithmetic. The program
// runs it on ExtFloat; any other type whose operations round to a 64-bit
// significand, to nearest, ties to even, gives the same text.
//
// An Arithmetic provides:
//   Number                         the number type
//   from_double(double)            the exact value of a finite, positive double
//   one()                          1
//   pow10_up(k), pow10_down(k)     the table values of 10^(2^k) and 10^-(2^k)
//   mul(a, b)                      a * b, rounded
//   less(a, b)                     a < b
//   split_integer(m, &rest)        the integer part of m < 10 (truncated) and the exact rest
#pragma once

#include <cmath>
#include <cstddef>

#include "platform/pow10_table.h"

constexpr int kFixedDecimals = 4;
// Digits before and after the point that are worked out at most.
constexpr int kFixedMaxDigits = 36;
// Significant digits computed; every later digit is written as 0.
constexpr int kFixedComputedDigits = 20;

namespace fixed_point_detail {

inline size_t append(char *out, size_t length, const char *text) {
  while (*text) out[length++] = *text++;
  return length;
}

} // namespace fixed_point_detail

// format_fixed4 on the given arithmetic; `out` must hold kFixedTextMax characters.
template <typename Arithmetic> size_t format_fixed4_in(double value, bool plus_sign, char *out) {
  using Number = typename Arithmetic::Number;
  using fixed_point_detail::append;
  size_t length = 0;
  // The sign bit decides, so -0 and a NaN with the sign bit set are negative.
  if (std::signbit(value)) {
    out[length++] = '-';
  } else if (plus_sign) {
    out[length++] = '+';
  }
  if (std::isnan(value)) return append(out, length, "nan");
  if (std::isinf(value)) return append(out, length, "inf");
  if (value == 0) return append(out, length, "0.0000");

  // Scale m into [1, 10); e counts the digits before the point.
  Number m = Arithmetic::from_double(std::fabs(value));
  int e = 1;
  if (Arithmetic::less(m, Arithmetic::one())) {
    for (int k = kPow10TableSize - 1; k >= 0; --k) {
      // Multiply by 10^(2^k) while m is below 10^-(2^(k-1)), or below 1 for k = 0.
      Number threshold = k > 0 ? Arithmetic::pow10_down(k - 1) : Arithmetic::one();
      while (Arithmetic::less(m, threshold)) {
        m = Arithmetic::mul(m, Arithmetic::pow10_up(k));
        e -= 1 << k;
      }
    }
  }
  for (int k = kPow10TableSize - 1; k >= 0; --k) {
    while (!Arithmetic::less(m, Arithmetic::pow10_up(k))) {
      m = Arithmetic::mul(m, Arithmetic::pow10_down(k));
      e += 1 << k;
    }
  }

  int wanted = e + kFixedDecimals;
  if (wanted > kFixedMaxDigits) wanted = kFixedMaxDigits;
  // Below one unit of the fifth decimal: nothing can round up to the fourth.
  if (wanted < 0) return append(out, length, "0.0000");

  // The wanted digits and one more that decides the rounding. m stays below 10, so each digit
  // is 0 to 9: a rest of at most 1 - 2^-64, times 10, rounds to 10 - 2^-60.
  unsigned char digits[kFixedMaxDigits + 1];
  int count = 0;
  int significant = 0;
  const Number ten = Arithmetic::pow10_up(0);
  for (; count <= wanted; ++count) {
    unsigned digit = 0;
    if (significant < kFixedComputedDigits) {
      Number rest;
      digit = static_cast<unsigned>(Arithmetic::split_integer(m, &rest));
      m = Arithmetic::mul(rest, ten);
      if (digit != 0 || significant > 0) ++significant;
    }
    digits[count] = static_cast<unsigned char>(digit);
  }

  // Round half up on the extra digit, carrying through 9s.
  if (digits[--count] >= 5) {
    int i = count - 1;
    while (i >= 0 && digits[i] == 9) digits[i--] = 0;
    if (i >= 0) {
      ++digits[i];
    } else {
      // Past the first digit, or the dropped digit was the only one: 1 and zeros.
      digits[count++] = 0;
      digits[0] = 1;
      ++e;
    }
  }

  // Positions past the digits worked out (a capped count) are zeros.
  auto digit_at = [&](int i) { return static_cast<char>('0' + (i < count ? digits[i] : 0)); };
  if (e > 0) {
    for (int i = 0; i < e; ++i) out[length++] = digit_at(i);
  } else {
    out[length++] = '0';
  }
  out[length++] = '.';
  int first_decimal = e > 0 ? e : 0;
  int leading_zeros = e < 0 ? -e : 0;
  for (int i = 0; i < leading_zeros; ++i) out[length++] = '0';
  for (int i = 0; i < kFixedDecimals - leading_zeros; ++i)
    out[length++] = digit_at(first_decimal + i);
  return length;
}
