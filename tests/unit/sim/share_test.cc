// The statistics arithmetic: shares rounded once from the exact quotient,
// deviations, marks and the running total.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "sim/share.h"

namespace {

uint32_t bits(float f) {
  uint32_t b;
  memcpy(&b, &f, sizeof b);
  return b;
}

// Sign of p/n - m * 2^e, exactly.
int compare(__int128 p, __int128 n, __int128 m, int e) {
  __int128 left = p, right = m * n;
  if (e >= 0)
    right <<= e;
  else
    left <<= -e;
  return (left > right) - (left < right);
}

// Whether f is p/n rounded to the nearest float, ties to even: p/n lies
// between the midpoints to f's neighbours, and on one only if f is even.
bool is_nearest(float f, int64_t p, int64_t n) {
  int e;
  float frac = std::frexp(f, &e);
  int64_t m = static_cast<int64_t>(std::ldexp(frac, 24)); // f = m * 2^(e - 24)
  e -= 24;
  bool even = (m & 1) == 0;
  // Midpoints, in units of 2^(e - 1): below is finer at a power of two.
  __int128 below = m == (1 << 23) ? 4 * m - 1 : 2 * m - 1;
  int below_e = m == (1 << 23) ? e - 2 : e - 1;
  int lo = compare(p, n, below, below_e), hi = compare(p, n, 2 * m + 1, e - 1);
  return (lo > 0 || (lo == 0 && even)) && (hi < 0 || (hi == 0 && even));
}

TEST(Share, RoundsTheExactQuotientOnce) {
  int failures = 0;
  auto check = [&](int32_t tally, int32_t count) {
    float f = share_percent(tally, count);
    if (!is_nearest(f, int64_t{tally} * 100, count) && ++failures <= 10)
      ADD_FAILURE() << tally << "*100/" << count << " gave " << f;
  };
  // Every share of every small count.
  for (int32_t count = 1; count <= 1500; ++count)
    for (int32_t tally = 1; tally <= count; ++tally) check(tally, count);
  // Large counts, where the numerator has more bits than a double keeps exact in p/n.
  std::mt19937 random(20261208);
  for (int i = 0; i < 2000000; ++i) {
    int32_t count = static_cast<int32_t>(random() % INT32_MAX) + 1;
    check(static_cast<int32_t>(random() % (static_cast<uint32_t>(count) + 1)), count);
  }
  check(INT32_MAX, INT32_MAX);
  check(1, INT32_MAX);
  EXPECT_EQ(failures, 0);
}

// Dividing in double and then narrowing rounds twice. A quotient within
// 2^-55 of a float midpoint becomes that midpoint in double, and the tie then
// goes to even whichever side the exact quotient lies on. Such quotients
// solve 100 * t * 2^24 - A * n = delta for an odd 25-bit A (the midpoint
// A / 2^24) and delta = +-1.
TEST(Share, DoubleRoundingWouldDiffer) {
  const int64_t kModulus = int64_t{100} << 24;
  auto inverse = [&](int64_t a) { // a^-1 mod kModulus, by extended Euclid
    int64_t r0 = kModulus, r1 = a, s0 = 0, s1 = 1;
    while (r1 != 0) {
      int64_t q = r0 / r1, r = r0 - q * r1, s = s0 - q * s1;
      r0 = r1, r1 = r, s0 = s1, s1 = s;
    }
    return (s0 % kModulus + kModulus) % kModulus;
  };
  int cases = 0, differing = 0;
  for (int64_t a = (int64_t{1} << 24) + 1; cases < 200; a += 2) {
    if (a % 5 == 0) continue;
    for (int64_t delta : {1, -1}) {
      int64_t n = (kModulus - delta) % kModulus * inverse(a) % kModulus;
      int64_t t = (a * n + delta) / kModulus;
      if (n == 0 || t > n || (a * n + delta) % kModulus != 0) continue;
      ++cases;
      int32_t tally = static_cast<int32_t>(t), count = static_cast<int32_t>(n);
      EXPECT_TRUE(is_nearest(share_percent(tally, count), t * 100, n)) << t << "/" << n;
      differing += static_cast<float>(tally * 100.0 / count) != share_percent(tally, count);
    }
  }
  EXPECT_GT(differing, cases / 4) << "the double-then-float path should often be wrong here";
}

TEST(Share, SpecialCounts) {
  float none = share_percent(0, 0); // 0/0
  EXPECT_TRUE(std::isnan(none));
  EXPECT_TRUE(std::signbit(none));
  float negative = share_percent(0, -5);
  EXPECT_EQ(negative, 0.0f);
  EXPECT_TRUE(std::signbit(negative));
  EXPECT_FALSE(std::signbit(share_percent(0, 5)));
  EXPECT_EQ(bits(share_percent(1, 36)), bits(100.0f / 36.0f));
  EXPECT_EQ(share_percent(36, 36), 100.0f);
}

TEST(Share, ExpectedPercentAndDeviation) {
  EXPECT_EQ(bits(kExpectedPercent), 0x4031C5D6u);
  EXPECT_EQ(share_deviation(share_percent(1, 36)), 7.772445678710938e-05);
  EXPECT_EQ(share_deviation(0.0f), -2.7776999473571777);
  EXPECT_TRUE(std::signbit(share_deviation(-0.0f)));
  double nan = share_deviation(share_percent(0, 0));
  EXPECT_TRUE(std::isnan(nan));
  EXPECT_TRUE(std::signbit(nan));
  EXPECT_FALSE(std::signbit(share_deviation(std::fabs(share_percent(0, 0)))));
}

TEST(Share, MarksOnlyStrictlyOutsideTheBand) {
  struct {
    float percent;
    bool marked;
  } cases[] = {
      {std::nextafter(static_cast<float>(kBandLow), 0.0f), true},   // just below the low limit
      {std::nextafter(static_cast<float>(kBandLow), 10.0f), false}, // just above it
      {std::nextafter(static_cast<float>(kBandHigh), 10.0f), true},
      {std::nextafter(static_cast<float>(kBandHigh), 0.0f), false},
      {2.85f, false},
      {2.6730f, true},
      {100.0f / 36.0f, false},
      {0.0f, true},
      {-0.0f, true},
      {share_percent(0, 0), false}, // a NaN is never marked
  };
  for (const auto &c : cases) EXPECT_EQ(share_marked(c.percent), c.marked) << c.percent;
  // Neither limit is a float, so no share can equal one.
  EXPECT_NE(static_cast<double>(static_cast<float>(kBandLow)), kBandLow);
  EXPECT_NE(static_cast<double>(static_cast<float>(kBandHigh)), kBandHigh);
}

TEST(Share, RunningTotal) {
  float total = 0.0f;
  for (int i = 0; i < 36; ++i) total = add_share(total, share_percent(0, -1));
  EXPECT_EQ(bits(total), 0u) << "negative zeros summed from zero stay positive";

  float nan = share_percent(0, 0);
  float t = add_share(add_share(0.0f, nan), 1.0f);
  EXPECT_TRUE(std::isnan(t) && std::signbit(t));
  EXPECT_EQ(bits(add_share(1.5f, 2.25f)), bits(3.75f));
}

} // namespace
