#include "chart/stats/power.h"

#include <cmath>
#include <limits>

#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/non_central_chi_squared.hpp>

#include "chart/stats/fit.h"
#include "chart/stats/no_throw.h"

namespace {

using ChiSquared = boost::math::chi_squared_distribution<double, NoThrow>;
using NonCentral = boost::math::non_central_chi_squared_distribution<double, NoThrow>;

// The non-centrality at which the statistic exceeds the test's critical
// value with kPower.
double non_centrality() {
  double critical = quantile(complement(ChiSquared(kFitDegrees), kPowerLevel));
  return NonCentral::find_non_centrality(kFitDegrees, critical, 1 - kPower);
}

// The generator's split's distance from fair dice per roll: with
// p = ways / range, 36 (p - 1/36)^2 = (36 ways - range)^2 / (36 range^2),
// summed in whole numbers and exact in a double.
double generator_distance() {
  int64_t sum = 0;
  for (int i = 0; i < kOutcomes; ++i) {
    int64_t ways = kGeneratorShare + (i < kGeneratorFavoured ? 1 : 0);
    int64_t gap = kOutcomes * ways - kGeneratorRange;
    sum += gap * gap;
  }
  return static_cast<double>(sum) /
         (static_cast<double>(kOutcomes) * kGeneratorRange * kGeneratorRange);
}

} // namespace

Power power_for(int64_t rolls) {
  double lambda = non_centrality();
  Power power;
  power.needed = static_cast<int64_t>(std::ceil(lambda / generator_distance()));
  // One outcome at (1 + d)/36 and the 35 others at (1 - d/35)/36 are
  // d^2/35 from fair dice per roll.
  constexpr double kOthers = kOutcomes - 1;
  power.detectable = rolls > 0 ? std::sqrt(kOthers * lambda / static_cast<double>(rolls))
                               : std::numeric_limits<double>::quiet_NaN();
  return power;
}
