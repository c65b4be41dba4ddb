// The statistics arithmetic: an outcome's share of all rolls in percent, its
// deviation from the expected share, the band outside which it is marked,
// and the running total of the shares.
#pragma once

#include <cstdint>

// The expected share, 2.7777 % to the nearest single-precision value: the
// report compares against 2.7777, not 100/36.
constexpr float kExpectedPercent = 2.7777f;

// The band: 2.7777 reduced and increased by 3.5 %, to four decimals.
constexpr double kBandLow = 2.6805;
constexpr double kBandHigh = 2.8749;

// tally * 100 / roll_count, the exact quotient rounded once to single
// precision (to nearest, ties to even). No rolls give 0/0: a NaN with its
// sign bit set. A negative roll count gives a negative zero.
float share_percent(int32_t tally, int32_t roll_count);

// percent - kExpectedPercent, exact in double precision. A NaN keeps its sign.
double share_deviation(float percent);

// Whether the share lies strictly outside the band; a NaN never does.
bool share_marked(float percent);

// total + percent rounded to single precision; a NaN on either side carries
// through unchanged, whatever the host does with NaN signs.
float add_share(float total, float percent);
