// How many rolls the test of fit against equal chances needs: Pearson's
// test with the outcomes less one degrees of freedom at the 5 % level,
// asked to reject 80 % of the time. Its statistic then follows the
// non-central chi-square distribution whose non-centrality is the rolls
// times the alternative's distance from equal chances, sum over the K
// outcomes of (p - 1/K)^2 / (1/K).
#pragma once

#include <cstdint>

#include "chart/stats/fit.h"
#include "chart/stats/monte_carlo.h"

constexpr double kPowerLevel = 0.05; // chance of rejecting equal chances by chance alone
constexpr double kPower = 0.8;       // chance of rejecting the alternative

struct Power {
  int64_t needed = 0;    // the fewest rolls at which the test rejects the alternative
                         // with kPower
  double detectable = 0; // the smallest d for which, at the rolls given, the test rejects
                         // one outcome at (1 + d)/K and the others alike with kPower;
                         // NaN without rolls, infinity when no d will do
  int64_t samples = 0;   // behind a simulated `detectable`; 0 when it is the chi-square
                         // approximation's
};

// The power of the test over as many outcomes as the alternative has; d
// simulated from mc.samples samples where the test of equal chances
// simulates its p, under kMinExpected rolls expected per outcome.
Power power_for(int64_t rolls, const Weights &alternative, const MonteCarlo &mc = {});

// Power::detectable and Power::samples at `rolls` rolls of `outcomes`
// outcomes (at least 2).
Power detectable_for(int64_t rolls, int outcomes, const MonteCarlo &mc = {});
