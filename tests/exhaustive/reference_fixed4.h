// "%2.4f" and "%+2.4f" worked out again, step by documented step, in the
// processor's 64-bit-significand long double: slow and plain, and sharing
// nothing with the program's conversion, so that a wrong step there
// (scaling, digits, rounding, carry, layout) shows as a difference.
#pragma once

#include <cmath>
#include <cstddef>

namespace reference {

// 10^(2^k) and 10^-(2^k) for k = 0 to 12, each the nearest long double.
constexpr long double kUp[] = {1e1L,   1e2L,   1e4L,   1e8L,    1e16L,   1e32L,  1e64L,
                               1e128L, 1e256L, 1e512L, 1e1024L, 1e2048L, 1e4096L};
constexpr long double kDown[] = {1e-1L,   1e-2L,   1e-4L,   1e-8L,    1e-16L,   1e-32L,  1e-64L,
                                 1e-128L, 1e-256L, 1e-512L, 1e-1024L, 1e-2048L, 1e-4096L};
constexpr int kTop = 12;
constexpr int kMostWanted = 36;          // digits before and after the point
constexpr int kWorkedOut = 20;           // significant digits computed; the rest are 0
constexpr int kDigits = kMostWanted + 2; // one more to round, one for a carry

inline size_t put(char *out, size_t n, const char *text) {
  while (*text) out[n++] = *text++;
  return n;
}

// The text of `value`, with "+" before a clear sign bit when `plus_sign`;
// `out` needs room for the sign, every digit before the point, the point
// and four decimals.
inline size_t fixed4(double value, bool plus_sign, char *out) {
  size_t n = 0;
  if (std::signbit(value))
    n = put(out, n, "-");
  else if (plus_sign)
    n = put(out, n, "+");
  if (std::isnan(value)) return put(out, n, "nan");
  if (std::isinf(value)) return put(out, n, "inf");
  if (value == 0) return put(out, n, "0.0000");

  // Into [1, 10); e counts the digits before the point.
  long double m = std::fabs(static_cast<long double>(value));
  int e = 1;
  if (m < 1)
    for (int k = kTop; k >= 0; --k)
      while (m < (k > 0 ? kDown[k - 1] : 1.0L)) m *= kUp[k], e -= 1 << k;
  for (int k = kTop; k >= 0; --k)
    while (m >= kUp[k]) m *= kDown[k], e += 1 << k;
  int wanted = e + 4 < kMostWanted ? e + 4 : kMostWanted;
  if (wanted < 0) return put(out, n, "0.0000");

  // wanted + 1 digits; the first is not 0 (1 <= m), so digit i is the
  // (i + 1)th significant one.
  int digit[kDigits] = {};
  for (int i = 0; i <= wanted && i < kWorkedOut; ++i) {
    digit[i] = static_cast<int>(m);
    m = (m - digit[i]) * 10;
  }
  // The last digit is dropped; 5 or more adds one to the digits before it,
  // and a carry past the first makes them 1 and zeros, one place up.
  int dropped = digit[wanted];
  digit[wanted] = 0;
  if (dropped >= 5) {
    int i = wanted - 1;
    while (i >= 0 && digit[i] == 9) digit[i--] = 0;
    if (i >= 0) {
      ++digit[i];
    } else {
      digit[0] = 1;
      ++e;
    }
  }

  // Digit i stands e - 1 - i places before the point.
  auto at = [&](int i) { return static_cast<char>('0' + (i < kDigits ? digit[i] : 0)); };
  if (e <= 0) out[n++] = '0';
  for (int i = 0; i < e; ++i) out[n++] = at(i);
  out[n++] = '.';
  for (int i = e; i < e + 4; ++i) out[n++] = i < 0 ? '0' : at(i);
  return n;
}

} // namespace reference
