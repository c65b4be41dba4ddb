// format_fixed4 ("%2.4f", "%+2.4f"): known values, an exact reference below
// 10, and the same digit algorithm run on a 64-bit-significand long double.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "long_double_arithmetic.h"
#include "platform/format/fixed_point.h"
#include "platform/format/fixed_point_digits.h"

namespace {

// Values per sweep; every sweep is a multiple of it.
constexpr int kSweepSize = 200000;
constexpr int kReportedMismatches = 10;

std::string fixed(double value, bool plus_sign) {
  char text[kFixedTextMax];
  return std::string(text, format_fixed4(value, plus_sign, text));
}

std::string describe(double value) {
  uint64_t bits;
  memcpy(&bits, &value, sizeof bits);
  char text[64];
  snprintf(text, sizeof text, "%.17g (0x%016llx)", value, static_cast<unsigned long long>(bits));
  return text;
}

// Collects every mismatch of a sweep and reports the first few.
struct Mismatches {
  int count = 0;
  std::string report;
  void check(double value, bool plus_sign, const std::string &got, const std::string &want) {
    if (got == want) return;
    if (count++ < kReportedMismatches) {
      report += describe(value) + (plus_sign ? " %+2.4f" : " %2.4f") + ": got " + got + ", want " +
                want + "\n";
    }
  }
};

double from_bits(uint64_t bits) {
  double value;
  memcpy(&value, &bits, sizeof value);
  return value;
}

const double kNegativeNan = std::copysign(std::numeric_limits<double>::quiet_NaN(), -1.0);
const double kPositiveNan = std::copysign(std::numeric_limits<double>::quiet_NaN(), 1.0);
const double kInf = std::numeric_limits<double>::infinity();
const float kExpectedShare = 2.7777f;

// A share as the report holds it: count * 100 / rolls in single precision.
double share(int64_t count, int64_t rolls) {
  return static_cast<float>(static_cast<double>(count * 100) / static_cast<double>(rolls));
}

// Its deviation from the expected share, exact in double precision.
double deviation(int64_t count, int64_t rolls) {
  return share(count, rolls) - static_cast<double>(kExpectedShare);
}

struct Vector {
  double value;
  const char *plain; // "%2.4f"
  const char *plus;  // "%+2.4f"
};

template <size_t N> void expect_texts(const Vector (&cases)[N]) {
  for (const Vector &c : cases) {
    EXPECT_EQ(fixed(c.value, false), c.plain) << describe(c.value);
    EXPECT_EQ(fixed(c.value, true), c.plus) << describe(c.value);
  }
}

TEST(FixedPoint, KnownValues) {
  const Vector cases[] = {
      {share(1, 36), "2.7778", "+2.7778"}, // 2.777777671813965
      {share(4, 36), "11.1111", "+11.1111"},
      {deviation(4, 36), "8.3334", "+8.3334"},
      {share(2850, 100000), "2.8500", "+2.8500"},
      {deviation(2850, 100000), "0.0723", "+0.0723"},
      {deviation(2673, 100000), "-0.1047", "-0.1047"},
      {100.0, "100.0000", "+100.0000"},
      {0.0, "0.0000", "+0.0000"},
      {-0.0, "-0.0000", "-0.0000"},
      {-0.00004, "-0.0000", "-0.0000"},
      {7.772445678710938e-05, "0.0001", "+0.0001"}, // deviation(1, 36)
      {0.01236, "0.0124", "+0.0124"},
      {-2.7776999473571777, "-2.7777", "-2.7777"},
      {0.03125, "0.0313", "+0.0313"}, // halfway values below 10 round away from zero
      {0.78125, "0.7813", "+0.7813"},
      {-2.78125, "-2.7813", "-2.7813"},
      {2.78125, "2.7813", "+2.7813"},
      {9.99995, "10.0000", "+10.0000"}, // the double is just above halfway: a digit is added
      {0.099996, "0.1000", "+0.1000"},
      {10.09375, "10.0937", "+10.0937"}, // from 10 on, the inexact 0.1 and 0.01 decide halfway
      {10.15625, "10.1563", "+10.1563"},
      {kNegativeNan, "-nan", "-nan"}, // what 0 / 0 gives
      {kPositiveNan, "nan", "+nan"},
      {kInf, "inf", "+inf"},
      {-kInf, "-inf", "-inf"},
  };
  expect_texts(cases);
}

TEST(FixedPoint, RoundingAndCarries) {
  const Vector cases[] = {
      {2.99995, "3.0000", "+3.0000"},     // carry through three 9s, stopping at the first digit
      {0.99995, "1.0000", "+1.0000"},     // carry past the first digit: e goes from 0 to 1
      {-9.99995, "-10.0000", "-10.0000"}, // the same, with the sign
      {0.04995, "0.0500", "+0.0500"},     // carry with a zero after the point
      {1.99995, "1.9999", "+1.9999"},     // the double lies just below halfway: no carry
      {0.09995, "0.0999", "+0.0999"},     // likewise below halfway
      {0.12345, "0.1235", "+0.1235"},     // the double lies just above halfway
      {123.5, "123.5000", "+123.5000"},   // 0.01 scales it to 1.2349999...; rounding restores it
      {0.0001, "0.0001", "+0.0001"},
      {0.00015, "0.0001", "+0.0001"}, // 0.000149999...: one digit and a 4 that is dropped
  };
  expect_texts(cases);
}

TEST(FixedPoint, TinyMagnitudes) {
  const Vector cases[] = {
      // No digit before the fifth decimal: only the rounding digit is produced.
      {0.00005, "0.0001", "+0.0001"}, // the double lies above 0.00005: the only digit rounds up
      {std::nextafter(0.00005, 0.0), "0.0000", "+0.0000"}, // just below: dropped
      {-0.00005, "-0.0001", "-0.0001"},
      {0.0000099999, "0.0000", "+0.0000"}, // below one unit of the fifth decimal: no digits at all
      {-1e-300, "-0.0000", "-0.0000"},
      {DBL_MIN, "0.0000", "+0.0000"},
      {DBL_MIN - DBL_TRUE_MIN, "0.0000", "+0.0000"}, // largest subnormal
      {DBL_TRUE_MIN, "0.0000", "+0.0000"},
      {-DBL_TRUE_MIN, "-0.0000", "-0.0000"},
  };
  expect_texts(cases);
}

TEST(FixedPoint, LargeMagnitudes) {
  // Worked out with exact rational arithmetic rounded to a 64-bit significand at every step:
  // the digits come from a value scaled by inexact powers of ten, and only 20 are computed.
  const Vector cases[] = {
      // 18446744073709551616 scales to just below 1.8446744073709551616.
      {0x1p64, "18446744073709551615.0000", "+18446744073709551615.0000"},
      // The 20th digit is the first decimal.
      {0x1p60, "1152921504606846975.9000", "+1152921504606846975.9000"},
      // 2^47 + 2^-5 = 140737488355328.03125: the rounding digit is the 20th, still computed.
      {0x1p47 + 0x1p-5, "140737488355328.0313", "+140737488355328.0313"},
      // 1180591620717411303424: digits past the 20th are 0.
      {0x1p70, "1180591620717411303400.0000", "+1180591620717411303400.0000"},
      {-1e21, "-1000000000000000000000.0000", "-1000000000000000000000.0000"},
  };
  expect_texts(cases);
  // The largest double fills the buffer.
  const std::string largest = "17976931348623157079" + std::string(309 - 20, '0') + ".0000";
  EXPECT_EQ(fixed(DBL_MAX, false), largest);
  EXPECT_EQ(fixed(-DBL_MAX, true), "-" + largest);
  EXPECT_EQ(fixed(DBL_MAX, true).size(), kFixedTextMax);
}

// From 0.01 up to 10, |value| is scaled (by 10 or 100, if at all) exactly and its digits come
// out exact, so the text is its exact value rounded half away from zero at the fourth decimal.
std::string exact_reference(double value, bool plus_sign) {
  int exponent;
  double fraction = std::frexp(std::fabs(value), &exponent);
  uint64_t significand = static_cast<uint64_t>(std::ldexp(fraction, 53));
  int shift = 53 - exponent; // |value| = significand / 2^shift, shift <= 60 here
  unsigned __int128 twice_scaled = static_cast<unsigned __int128>(significand) * 10000 * 2;
  auto units = static_cast<uint64_t>(
      (twice_scaled + (static_cast<unsigned __int128>(1) << shift)) >> (shift + 1));
  std::string decimals = std::to_string(units % 10000);
  std::string sign = std::signbit(value) ? "-" : plus_sign ? "+" : "";
  return sign + std::to_string(units / 10000) + "." + std::string(4 - decimals.size(), '0') +
         decimals;
}

TEST(FixedPoint, MatchesExactRoundingBelowTen) {
  const uint64_t low = 0x3F847AE147AE147B;  // 0.01
  const uint64_t high = 0x4024000000000000; // 10
  std::mt19937_64 random(7);
  Mismatches mismatches;
  auto check = [&](double value) {
    for (bool plus_sign : {false, true}) {
      mismatches.check(value, plus_sign, fixed(value, plus_sign),
                       exact_reference(value, plus_sign));
    }
  };
  // Every binade alike: random bit patterns between 0.01 and 10, both signs.
  for (int i = 0; i < 2 * kSweepSize; ++i) {
    double value = from_bits(low + random() % (high - low));
    check(i % 2 ? -value : value);
  }
  // The doubles nearest to each halfway point k + 0.5 units of the fourth decimal, and both
  // neighbours.
  for (int k = 100; k < 100000; ++k) {
    double halfway = (2.0 * k + 1) / 20000;
    check(halfway);
    check(std::nextafter(halfway, 0.0));
    check(-std::nextafter(halfway, 10.0));
  }
  // Exact binary halfway values: odd multiples of 1/32 (10^4 / 32 = 312.5).
  for (int j = 1; j < 320; j += 2) check(j / 32.0);
  EXPECT_EQ(mismatches.count, 0) << mismatches.report;
}

#if LDBL_MANT_DIG == 64
std::string long_double_reference(double value, bool plus_sign) {
  char text[kFixedTextMax];
  return std::string(text, format_fixed4_in<LongDoubleArithmetic>(value, plus_sign, text));
}

// Checks values under "%2.4f" and "%+2.4f" in turn.
struct Differential {
  Mismatches mismatches;
  long checked = 0;
  void check(double value) {
    bool plus_sign = checked++ % 2 != 0;
    mismatches.check(value, plus_sign, fixed(value, plus_sign),
                     long_double_reference(value, plus_sign));
  }
};

TEST(FixedPoint, MatchesLongDoubleInReportRange) {
  Differential differential;
  std::mt19937_64 random(31337);
  // Uniform in (-200, 200).
  for (int i = 0; i < 10 * kSweepSize; ++i) {
    double value = static_cast<double>(random() >> 11) * 0x1p-53 * 200;
    differential.check(i % 2 ? -value : value);
  }
  // Shares and deviations as the report has them.
  for (int i = 0; i < kSweepSize; ++i) {
    int64_t rolls = static_cast<int64_t>(random() % 1000000) + 1;
    int64_t count = static_cast<int64_t>(random() % (rolls + 1));
    differential.check(share(count, rolls));
    differential.check(deviation(count, rolls));
  }
  // Nearest doubles to the halfway points below 200 (a prime stride through them) and neighbours.
  constexpr int kHalfwayStride = 7;
  for (int k = 0; k < 2000000; k += kHalfwayStride) {
    double halfway = (2.0 * k + 1) / 20000;
    differential.check(halfway);
    differential.check(-std::nextafter(halfway, 0.0));
    differential.check(std::nextafter(halfway, 200.0));
  }
  // Exact binary fractions j / 2^m: halfway for m = 5, finer tails beyond.
  for (int m = 5; m <= 30; ++m) {
    for (int i = 0; i < kSweepSize / 20; ++i) {
      double j = static_cast<double>(random() % (uint64_t{200} << m));
      differential.check(std::ldexp(j, -m));
    }
  }
  EXPECT_EQ(differential.mismatches.count, 0) << differential.mismatches.report;
}

TEST(FixedPoint, MatchesLongDoubleOverAllExponents) {
  Differential differential;
  std::mt19937_64 random(4242);
  for (int i = 0; i < kSweepSize; ++i) differential.check(from_bits(random()));
  // Powers of ten and their neighbours, where the scaling is closest to a digit boundary.
  for (int n = -323; n <= 308; ++n) {
    double power = std::pow(10.0, n);
    double below = power, above = power;
    for (int step = 0; step < 8; ++step) {
      differential.check(below);
      differential.check(above);
      below = std::nextafter(below, 0.0);
      above = std::nextafter(above, kInf);
    }
  }
  EXPECT_EQ(differential.mismatches.count, 0) << differential.mismatches.report;
}
#endif

} // namespace
