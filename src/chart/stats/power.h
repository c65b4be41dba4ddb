// How many rolls the test of fit against fair dice needs: Pearson's test
// with 35 degrees of freedom at the 5 % level, asked to reject 80 % of the
// time. Its statistic then follows the non-central chi-square distribution
// whose non-centrality is the rolls times the alternative's distance from
// fair dice, sum over outcomes of (p - 1/36)^2 / (1/36).
//
// Where the test's p is simulated, too few rolls for the chi-square
// approximation, so is its power: the same samples of fair dice, from the
// same seed, set the statistic the test rejects from, and as many samples
// of the alternative dice say how often it does.
#pragma once

#include <cstdint>

#include "chart/stats/monte_carlo.h"

constexpr double kPowerLevel = 0.05; // chance of rejecting fair dice by chance alone
constexpr double kPower = 0.8;       // chance of rejecting the alternative

struct Power {
  int64_t needed = 0;    // the fewest rolls at which the test rejects the generator's
                         // 911/910 split with kPower
  double detectable = 0; // the smallest d for which, at the rolls given, the test rejects
                         // dice with one outcome (1 + d)/36 and the others alike with
                         // kPower; NaN without rolls, infinity when no d will do
  int64_t samples = 0;   // behind a simulated `detectable`; 0 when it is the chi-square
                         // approximation's
};

Power power_for(int64_t rolls, const MonteCarlo &mc = {});
