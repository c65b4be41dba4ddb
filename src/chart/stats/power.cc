#include "chart/stats/power.h"

#include <cmath>
#include <limits>

#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/non_central_chi_squared.hpp>

#include "chart/stats/no_throw.h"

namespace {

using ChiSquared = boost::math::chi_squared_distribution<double, NoThrow>;
using NonCentral = boost::math::non_central_chi_squared_distribution<double, NoThrow>;

// The non-centrality at which the statistic exceeds the test's critical
// value with kPower.
double non_centrality(int degrees) {
  double critical = quantile(complement(ChiSquared(degrees), kPowerLevel));
  return NonCentral::find_non_centrality(degrees, critical, 1 - kPower);
}

// The alternative's distance from equal chances per roll: with K outcomes
// and p = weight / range, K (p - 1/K)^2 = (K weight - range)^2 / (K range^2),
// summed in whole numbers and exact in a double.
double distance(const Weights &alternative) {
  auto outcomes = static_cast<int64_t>(alternative.size());
  int64_t range = 0, sum = 0;
  for (int32_t w : alternative) range += w;
  for (int32_t w : alternative) {
    int64_t gap = outcomes * w - range;
    sum += gap * gap;
  }
  return static_cast<double>(sum) /
         (static_cast<double>(outcomes) * static_cast<double>(range) * static_cast<double>(range));
}

// One outcome at (1 + d)/K and the K - 1 others at (1 - d/(K - 1))/K are
// d^2/(K - 1) from equal chances per roll.
double detectable_at(int64_t rolls, int outcomes, double lambda) {
  if (rolls <= 0) return std::numeric_limits<double>::quiet_NaN();
  return std::sqrt((outcomes - 1) * lambda / static_cast<double>(rolls));
}

} // namespace

double detectable_for(int64_t rolls, int outcomes) {
  return detectable_at(rolls, outcomes, non_centrality(outcomes - 1));
}

Power power_for(int64_t rolls, const Weights &alternative) {
  double lambda = non_centrality(static_cast<int>(alternative.size()) - 1);
  Power power;
  power.needed = static_cast<int64_t>(std::ceil(lambda / distance(alternative)));
  power.detectable = detectable_at(rolls, static_cast<int>(alternative.size()), lambda);
  return power;
}
