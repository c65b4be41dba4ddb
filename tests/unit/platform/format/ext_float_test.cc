// ExtFloat arithmetic against exact integer products and a long double with
// a 64-bit significand, and the power-of-ten table recomputed with exact
// integers.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "long_double_arithmetic.h"
#include "platform/format/ext_float.h"
#include "platform/format/pow10_table.h"

namespace {

constexpr uint64_t kTop = uint64_t{1} << 63;
constexpr int kRandomOperands = 200000;
constexpr int kReportedMismatches = 10;

bool same(ExtFloat a, ExtFloat b) {
  return a.significand == b.significand && (a.significand == 0 || a.exponent == b.exponent);
}

std::string show(ExtFloat x) {
  char text[48];
  snprintf(text, sizeof text, "{0x%016llx, %d}", static_cast<unsigned long long>(x.significand),
           x.exponent);
  return text;
}

// Collects every mismatch of a sweep and reports the first few.
struct Mismatches {
  int count = 0;
  std::string report;
  void add(const std::string &line) {
    if (count++ < kReportedMismatches) report += line + "\n";
  }
};

// Significands that make ties, exact products and carries likely, plus random ones.
uint64_t pick_significand(std::mt19937_64 &random) {
  static const uint64_t kSpecial[] = {kTop,
                                      kTop | 1,
                                      0xC000000000000000,
                                      0xA000000000000000,
                                      0xFFFFFFFFFFFFFFFF,
                                      0xFFFFFFFFFFFFFFFE,
                                      0xCCCCCCCCCCCCCCCD};
  uint64_t r = random();
  if (r % 4 == 0) return kSpecial[(r >> 8) % (sizeof kSpecial / sizeof kSpecial[0])];
  return random() | kTop;
}

TEST(ExtFloat, FromDoubleIsExact) {
  struct {
    double value;
    ExtFloat expected;
  } cases[] = {
      {1.0, {kTop, -63}},
      {10.0, {0xA000000000000000, -60}},
      {-2.0, {kTop, -62}},                  // the magnitude: the sign bit is ignored
      {0.1, {0xCCCCCCCCCCCCD000, -67}},     // the double's 53 bits, not the nearest 64-bit 0.1
      {DBL_MAX, {0xFFFFFFFFFFFFF800, 960}}, // (2^53 - 1) * 2^971
      {DBL_MIN, {kTop, -1022 - 63}},
      {DBL_TRUE_MIN, {kTop, -1074 - 63}},                    // one subnormal bit moved to the top
      {DBL_MIN - DBL_TRUE_MIN, {0xFFFFFFFFFFFFF000, -1086}}, // largest subnormal: 52 ones
      {0.0, kExtZero},
  };
  for (const auto &c : cases) {
    ExtFloat got = ext_from_double(c.value);
    EXPECT_TRUE(same(got, c.expected)) << c.value << ": " << show(got);
  }
}

// Round to nearest, ties to even, worked out on the exact 128-bit product.
ExtFloat exact_rounded_product(ExtFloat a, ExtFloat b) {
  unsigned __int128 product = static_cast<unsigned __int128>(a.significand) * b.significand;
  int dropped = 0;
  while ((product >> dropped) >> 64 != 0) ++dropped;
  unsigned __int128 kept = product >> dropped;
  unsigned __int128 rest = product - (kept << dropped);
  unsigned __int128 half = static_cast<unsigned __int128>(1) << (dropped - 1);
  if (rest > half || (rest == half && (kept & 1) != 0)) ++kept;
  if (kept >> 64 != 0) { // rounded up to 2^64: halving it is exact
    kept >>= 1;
    ++dropped;
  }
  return {static_cast<uint64_t>(kept), a.exponent + b.exponent + dropped};
}

TEST(ExtFloat, MultiplicationRounding) {
  struct {
    ExtFloat a, b, product;
  } cases[] = {
      {{kTop, -63}, {0xA000000000000000, -60}, {0xA000000000000000, -60}}, // 1 * 10
      {{kTop, 0}, kExtZero, kExtZero},
      // (2^63 + 1)(2^64 - 2) = 2^127 - 2 rounds up out of the significand: 2^127.
      {{kTop | 1, 0}, {0xFFFFFFFFFFFFFFFE, 0}, {kTop, 64}},
      // 3 * b for b = 0xC000000000000000 + x is 0x24000000000000000 + 3x: two bits are dropped.
      {{0xC000000000000000, -62}, {0xC000000000000001, 0}, {0x9000000000000001, 2}}, // above half
      {{0xC000000000000000, -62}, {0xC000000000000003, 0}, {0x9000000000000002, 2}}, // below half
      {{0xC000000000000000, -62}, {0xC000000000000006, 0}, {0x9000000000000004, 2}}, // tie, even
      // 3 * (2^63 + 1): one bit dropped, exactly one half, and the kept 0xC...01 is odd: up.
      {{0xC000000000000000, -62}, {kTop | 1, 0}, {0xC000000000000002, 1}},
  };
  for (const auto &c : cases) {
    EXPECT_TRUE(same(ext_mul(c.a, c.b), c.product))
        << show(c.a) << " * " << show(c.b) << " = " << show(ext_mul(c.a, c.b));
  }

  std::mt19937_64 random(12345);
  Mismatches mismatches;
  for (int i = 0; i < kRandomOperands; ++i) {
    ExtFloat a = {pick_significand(random), static_cast<int32_t>(random() % 2001) - 1000};
    ExtFloat b = {pick_significand(random), static_cast<int32_t>(random() % 2001) - 1000};
    ExtFloat got = ext_mul(a, b), want = exact_rounded_product(a, b);
    if (!same(got, want)) mismatches.add(show(a) + " * " + show(b) + ": " + show(got));
  }
  EXPECT_EQ(mismatches.count, 0) << mismatches.report;
}

TEST(ExtFloat, Comparison) {
  struct {
    ExtFloat a, b;
    bool less;
  } cases[] = {
      {{kTop, 0}, {kTop, 0}, false},
      {{0xFFFFFFFFFFFFFFFF, -1}, {kTop, 0}, true}, // the exponent decides, not the significand
      {{kTop, 0}, {kTop | 1, 0}, true},
      {kExtZero, {kTop, -2000}, true},
      {{kTop, -2000}, kExtZero, false},
      {kExtZero, {0, 5}, false}, // zeros are equal whatever their exponent
  };
  for (const auto &c : cases)
    EXPECT_EQ(ext_less(c.a, c.b), c.less) << show(c.a) << " < " << show(c.b);
}

TEST(ExtFloat, SplitInteger) {
  struct {
    ExtFloat value;
    uint64_t integer;
    ExtFloat fraction;
  } cases[] = {
      {{0x9C00000000000000, -60}, 9, {0xC000000000000000, -64}}, // 9.75
      {{kTop | 1, -63}, 1, {kTop, -126}},                        // 1 + 2^-63: the lowest bit
      {{kTop, -63}, 1, kExtZero},
      {{0xCCCCCCCCCCCCCCCD, -67}, 0, {0xCCCCCCCCCCCCCCCD, -67}}, // below 1: all fraction
      {{0xFFFFFFFFFFFFFFFF, 0}, 0xFFFFFFFFFFFFFFFF, kExtZero},   // 2^64 - 1
      {kExtZero, 0, kExtZero},
  };
  for (const auto &c : cases) {
    ExtFloat fraction;
    EXPECT_EQ(ext_split_integer(c.value, &fraction), c.integer) << show(c.value);
    EXPECT_TRUE(same(fraction, c.fraction)) << show(c.value) << ": " << show(fraction);
  }
}

#if LDBL_MANT_DIG == 64
TEST(ExtFloat, MatchesLongDouble) {
  std::mt19937_64 random(2024);
  Mismatches mismatches;
  for (int i = 0; i < kRandomOperands; ++i) {
    // Bit patterns of every exponent, subnormals included.
    uint64_t bits = random() >> 1;
    double d;
    memcpy(&d, &bits, sizeof d);
    if (std::isfinite(d) && to_long_double(ext_from_double(d)) != d) {
      mismatches.add("from_double " + std::to_string(bits));
    }

    ExtFloat a = {pick_significand(random), static_cast<int32_t>(random() % 401) - 200};
    ExtFloat b = {pick_significand(random), static_cast<int32_t>(random() % 401) - 200};
    if (random() % 64 == 0) b = kExtZero;
    long double la = to_long_double(a), lb = to_long_double(b);
    if (to_long_double(ext_mul(a, b)) != la * lb) mismatches.add(show(a) + " * " + show(b));
    if (ext_less(a, b) != (la < lb)) mismatches.add(show(a) + " < " + show(b));

    // Values below 10 with up to 66 bits below the point.
    ExtFloat m = {pick_significand(random), static_cast<int32_t>(random() % 7) - 66};
    ExtFloat fraction;
    uint64_t integer = ext_split_integer(m, &fraction);
    long double lf = to_long_double(fraction);
    if (integer + lf != to_long_double(m) || lf < 0 || lf >= 1) mismatches.add("split " + show(m));
  }
  EXPECT_EQ(mismatches.count, 0) << mismatches.report;
}
#endif

// Unsigned big integers for the table check: 32-bit limbs, least significant first.
using Big = std::vector<uint32_t>;

Big big_trim(Big x) {
  while (!x.empty() && x.back() == 0) x.pop_back();
  return x;
}

Big big_from(uint64_t x) {
  return big_trim({static_cast<uint32_t>(x), static_cast<uint32_t>(x >> 32)});
}

Big big_mul(const Big &a, const Big &b) {
  Big product(a.size() + b.size() + 1, 0);
  for (size_t i = 0; i < a.size(); ++i) {
    uint64_t carry = 0;
    for (size_t j = 0; j < b.size(); ++j) {
      uint64_t t = static_cast<uint64_t>(a[i]) * b[j] + product[i + j] + carry;
      product[i + j] = static_cast<uint32_t>(t);
      carry = t >> 32;
    }
    product[i + b.size()] = static_cast<uint32_t>(carry);
  }
  return big_trim(product);
}

Big big_pow2(int n) {
  Big x(n / 32 + 1, 0);
  x[n / 32] = uint32_t{1} << (n % 32);
  return x;
}

int big_compare(const Big &a, const Big &b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (size_t i = a.size(); i-- > 0;) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

// a - b for a >= b.
Big big_sub(const Big &a, const Big &b) {
  Big difference = a;
  int64_t borrow = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    int64_t t = static_cast<int64_t>(a[i]) - (i < b.size() ? b[i] : 0) - borrow;
    borrow = t < 0;
    difference[i] = static_cast<uint32_t>(t + (borrow << 32));
  }
  return big_trim(difference);
}

// Whether significand * 2^exponent is the nearest 64-bit-significand value to
// numerator / denominator, ties to even.
bool is_nearest(ExtFloat entry, const Big &numerator, const Big &denominator) {
  if ((entry.significand & kTop) == 0) return false;
  // Compare entry * denominator with numerator, both scaled to integers.
  Big scaled_entry = big_mul(big_from(entry.significand), denominator);
  Big scaled_value = numerator;
  Big unit = denominator; // one unit of the last significand place, scaled likewise
  if (entry.exponent >= 0) {
    scaled_entry = big_mul(scaled_entry, big_pow2(entry.exponent));
    unit = big_mul(unit, big_pow2(entry.exponent));
  } else {
    scaled_value = big_mul(scaled_value, big_pow2(-entry.exponent));
  }
  int order = big_compare(scaled_entry, scaled_value);
  Big error =
      order >= 0 ? big_sub(scaled_entry, scaled_value) : big_sub(scaled_value, scaled_entry);
  // At most half a unit off; at a significand of 2^63 the next value down is only half a unit
  // away, so from above at most a quarter.
  Big limit = big_mul(error, big_from(entry.significand == kTop && order > 0 ? 4 : 2));
  int against_unit = big_compare(limit, unit);
  return against_unit < 0 || (against_unit == 0 && (entry.significand & 1) == 0);
}

TEST(Pow10Table, EachEntryIsTheNearestValue) {
  Big power = big_from(10); // 10^(2^k)
  for (int k = 0; k < kPow10TableSize; ++k) {
    EXPECT_TRUE(is_nearest(kPow10Up[k], power, big_from(1))) << "10^(2^" << k << ")";
    EXPECT_TRUE(is_nearest(kPow10Down[k], big_from(1), power)) << "10^-(2^" << k << ")";
    power = big_mul(power, power);
  }
}

} // namespace
