#include "sim/share.h"

#include <cmath>
#include <limits>

namespace {

constexpr int kFloatBits = 24;            // significand bits of a float
constexpr int kWorkBits = kFloatBits + 2; // plus a guard and a round bit
constexpr uint64_t kWorkLow = 1ull << (kWorkBits - 1);
constexpr uint64_t kWorkHigh = 1ull << kWorkBits;

// p / n for p, n >= 1, p < 2^40, n <= 2^31, rounded once to single
// precision. Long division yields 26 significant quotient bits and a sticky
// bit, so the rounding sees the exact quotient.
float quotient_to_float(uint64_t p, uint64_t n) {
  uint64_t q = p / n, r = p % n;
  int exponent = 0;
  while (q < kWorkLow) {
    r <<= 1;
    q <<= 1;
    if (r >= n) {
      r -= n;
      q |= 1;
    }
    --exponent;
  }
  bool sticky = r != 0;
  while (q >= kWorkHigh) {
    sticky |= (q & 1) != 0;
    q >>= 1;
    ++exponent;
  }
  uint64_t kept = q >> 2, rest = q & 3;
  bool up = rest > 2 || (rest == 2 && (sticky || (kept & 1) != 0));
  kept += up ? 1 : 0; // 2^24 after a carry is still exact
  return std::ldexp(static_cast<float>(kept), exponent + 2);
}

} // namespace

float share_percent(int32_t tally, int32_t roll_count) {
  int64_t numerator = static_cast<int64_t>(tally) * 100;
  if (roll_count == 0) {
    if (numerator == 0) return std::copysign(std::numeric_limits<float>::quiet_NaN(), -1.0f);
    return numerator < 0 ? -std::numeric_limits<float>::infinity()
                         : std::numeric_limits<float>::infinity();
  }
  bool negative = (numerator < 0) != (roll_count < 0);
  float magnitude = 0;
  if (numerator != 0) {
    uint64_t p = static_cast<uint64_t>(numerator < 0 ? -numerator : numerator);
    uint64_t n = static_cast<uint64_t>(roll_count < 0 ? -static_cast<int64_t>(roll_count)
                                                      : static_cast<int64_t>(roll_count));
    magnitude = quotient_to_float(p, n);
  }
  return negative ? -magnitude : magnitude;
}

double share_deviation(float percent) {
  if (std::isnan(percent)) return percent;
  // A share lies between 0 and 100: with 2.7777 its bits span less than a
  // double's significand, so this subtraction is exact.
  return static_cast<double>(percent) - static_cast<double>(kExpectedPercent);
}

bool share_marked(float percent) {
  return percent > kBandHigh || percent < kBandLow;
}

float add_share(float total, float percent) {
  if (std::isnan(total)) return total;
  if (std::isnan(percent)) return percent;
  return total + percent;
}
