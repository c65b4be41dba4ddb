#include "chart/stats/power.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

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

// A simulated sample's statistic as the fit orders samples against equal
// chances: the sum of its counts squared; `counts` is scratch of a count
// per outcome.
template <typename Draw>
int64_t sample_key(RandomStream stream, int64_t rolls, Counts &counts, Draw draw) {
  std::fill(counts.begin(), counts.end(), 0);
  for (int64_t r = 0; r < rolls; ++r) ++counts[draw(stream)];
  int64_t key = 0;
  for (int64_t c : counts) key += c * c;
  return key;
}

// One roll of an alternative whose outcome 0 has the chance `first` and
// whose `others` others share the rest evenly, from 53 random bits.
size_t alternative_roll(RandomStream &stream, double first, size_t others) {
  constexpr double kUnit = 1.0 / static_cast<double>(uint64_t{1} << 53);
  double u = static_cast<double>(next_random(stream) >> 11) * kUnit;
  if (u < first) return 0;
  auto other = 1 + static_cast<size_t>((u - first) / (1 - first) * static_cast<double>(others));
  return std::min(other, others);
}

struct Simulation {
  int64_t rolls;
  size_t outcomes;
  MonteCarlo mc;
  std::vector<int64_t> equal; // the fit's samples of equal chances, their keys in order
};

// The share of mc.samples samples with one outcome at (1 + d)/K whose
// simulated p, against the samples of equal chances, is below kPowerLevel.
double simulated_power(const Simulation &s, double d) {
  double first = (1 + d) / static_cast<double>(s.outcomes);
  int64_t rejected = 0;
  Counts counts(s.outcomes);
  for (int64_t b = 0; b < s.mc.samples; ++b) {
    int64_t key =
        sample_key(random_stream(s.mc.seed, static_cast<uint64_t>(b)), s.rolls, counts,
                   [&](RandomStream &r) { return alternative_roll(r, first, s.outcomes - 1); });
    auto at_least = s.equal.end() - std::lower_bound(s.equal.begin(), s.equal.end(), key);
    rejected += simulated_p(at_least, s.mc.samples) < kPowerLevel;
  }
  return static_cast<double>(rejected) / static_cast<double>(s.mc.samples);
}

// The smallest d with kPower, by halving to four significant digits;
// infinity when not even every roll on one outcome (d = K - 1) reaches it.
double simulated_detectable(int64_t rolls, size_t outcomes, const MonteCarlo &mc) {
  constexpr double kPrecision = 1e-4;
  Simulation s{rolls, outcomes, mc, {}};
  auto bound = static_cast<uint32_t>(outcomes);
  Counts counts(outcomes);
  for (int64_t b = 0; b < mc.samples; ++b)
    s.equal.push_back(sample_key(random_stream(mc.seed, static_cast<uint64_t>(b)), rolls, counts,
                                 [&](RandomStream &r) { return random_below(r, bound); }));
  std::sort(s.equal.begin(), s.equal.end());
  double low = 0, high = static_cast<double>(outcomes) - 1;
  if (simulated_power(s, high) < kPower) return std::numeric_limits<double>::infinity();
  while (high - low > kPrecision * high) {
    double middle = (low + high) / 2;
    (simulated_power(s, middle) >= kPower ? high : low) = middle;
  }
  return high;
}

// d at `rolls` rolls of `outcomes` outcomes, with the non-centrality
// lambda of the approximation; simulated where the test of equal chances
// simulates its p.
Power detectable_with(int64_t rolls, int outcomes, double lambda, const MonteCarlo &mc) {
  Power power;
  if (rolls > 0 && rolls < int64_t{kMinExpected} * outcomes) {
    power.detectable = simulated_detectable(rolls, static_cast<size_t>(outcomes), mc);
    power.samples = mc.samples;
  } else {
    power.detectable = detectable_at(rolls, outcomes, lambda);
  }
  return power;
}

} // namespace

Power detectable_for(int64_t rolls, int outcomes, const MonteCarlo &mc) {
  return detectable_with(rolls, outcomes, non_centrality(outcomes - 1), mc);
}

Power power_for(int64_t rolls, const Weights &alternative, const MonteCarlo &mc) {
  auto outcomes = static_cast<int>(alternative.size());
  double lambda = non_centrality(outcomes - 1);
  Power power = detectable_with(rolls, outcomes, lambda, mc);
  power.needed = static_cast<int64_t>(std::ceil(lambda / distance(alternative)));
  return power;
}
