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

#include "platform/format/pow10_table.h"

constexpr int kFixedDecimals = 4;
// Digits before and after the point that are worked out at most.
constexpr int kFixedMaxDigits = 36;
// Significant digits computed; every later digit is written as 0.
constexpr int kFixedComputedDigits = 20;

namespace fixed_point_detail {

// The digits of a magnitude, most significant first, and where the point
// goes among them.
struct FixedDigits {
  unsigned char digit[kFixedMaxDigits + 1]; // 0 to 9 each
  int count;                                // digits worked out
  int exponent;                             // digits before the point; 0 or less below 1
};

inline size_t append(char *out, size_t length, const char *text) {
  while (*text) out[length++] = *text++;
  return length;
}

// Scales a positive magnitude m into [1, 10) by the table's powers of ten
// and returns it; `*exponent` counts the digits before the point.
template <typename Arithmetic>
typename Arithmetic::Number scale(typename Arithmetic::Number m, int *exponent) {
  int e = 1;
  if (Arithmetic::less(m, Arithmetic::one())) {
    for (int k = kPow10TableSize - 1; k >= 0; --k) {
      // Multiply by 10^(2^k) while m is below 10^-(2^(k-1)), or below 1 for k = 0.
      auto threshold = k > 0 ? Arithmetic::pow10_down(k - 1) : Arithmetic::one();
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
  *exponent = e;
  return m;
}

// The first `count` digits of m in [1, 10), after kFixedComputedDigits
// significant ones all 0. Each digit is 0 to 9, since m stays below 10: a
// rest of at most 1 - 2^-64, times 10, rounds to 10 - 2^-60.
template <typename Arithmetic>
void produce_digits(typename Arithmetic::Number m, int count, unsigned char *digits) {
  const auto ten = Arithmetic::pow10_up(0);
  int significant = 0;
  for (int i = 0; i < count; ++i) {
    unsigned digit = 0;
    if (significant < kFixedComputedDigits) {
      typename Arithmetic::Number rest;
      digit = static_cast<unsigned>(Arithmetic::split_integer(m, &rest));
      m = Arithmetic::mul(rest, ten);
      if (digit != 0 || significant > 0) ++significant;
    }
    digits[i] = static_cast<unsigned char>(digit);
  }
}

// Drops the last digit, rounding half up on it and carrying through 9s.
// Past the first digit, or when the dropped digit was the only one, the
// digits become 1 and zeros, one place further up.
inline void round_last_digit(FixedDigits *d) {
  if (d->digit[--d->count] < 5) return;
  int i = d->count - 1;
  while (i >= 0 && d->digit[i] == 9) d->digit[i--] = 0;
  if (i >= 0) {
    ++d->digit[i];
    return;
  }
  d->digit[d->count++] = 0;
  d->digit[0] = 1;
  ++d->exponent;
}

// Writes the digits with the point and exactly kFixedDecimals after it;
// positions past the digits worked out (a capped count) are zeros.
inline size_t lay_out(const FixedDigits &d, char *out, size_t length) {
  auto digit_at = [&](int i) { return static_cast<char>('0' + (i < d.count ? d.digit[i] : 0)); };
  if (d.exponent > 0) {
    for (int i = 0; i < d.exponent; ++i) out[length++] = digit_at(i);
  } else {
    out[length++] = '0';
  }
  out[length++] = '.';
  int first_decimal = d.exponent > 0 ? d.exponent : 0;
  int leading_zeros = d.exponent < 0 ? -d.exponent : 0;
  for (int i = 0; i < leading_zeros; ++i) out[length++] = '0';
  for (int i = 0; i < kFixedDecimals - leading_zeros; ++i)
    out[length++] = digit_at(first_decimal + i);
  return length;
}

} // namespace fixed_point_detail

// format_fixed4 on the given arithmetic; `out` must hold kFixedTextMax characters.
template <typename Arithmetic> size_t format_fixed4_in(double value, bool plus_sign, char *out) {
  using namespace fixed_point_detail;
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

  FixedDigits d;
  auto m = scale<Arithmetic>(Arithmetic::from_double(std::fabs(value)), &d.exponent);
  int wanted = d.exponent + kFixedDecimals;
  if (wanted > kFixedMaxDigits) wanted = kFixedMaxDigits;
  // Below one unit of the fifth decimal: nothing can round up to the fourth.
  if (wanted < 0) return append(out, length, "0.0000");

  // The wanted digits and one more that decides the rounding.
  d.count = wanted + 1;
  produce_digits<Arithmetic>(m, d.count, d.digit);
  round_last_digit(&d);
  return lay_out(d, out, length);
}
