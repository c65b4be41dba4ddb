#include "chart/stats/power.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

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

constexpr int kOthers = kOutcomes - 1;

// A simulated sample's statistic as the fit orders them against fair dice:
// the sum of its counts squared.
template <typename Draw> int64_t sample_key(RandomStream stream, int64_t rolls, Draw draw) {
  int64_t counts[kOutcomes] = {};
  for (int64_t r = 0; r < rolls; ++r) ++counts[draw(stream)];
  int64_t key = 0;
  for (int64_t c : counts) key += c * c;
  return key;
}

// One roll of dice whose outcome 0 has the chance `first` and whose other
// 35 share the rest evenly, from 53 random bits.
int alternative_roll(RandomStream &stream, double first) {
  constexpr double kUnit = 1.0 / (uint64_t{1} << 53);
  double u = static_cast<double>(next_random(stream) >> 11) * kUnit;
  if (u < first) return 0;
  int other = 1 + static_cast<int>((u - first) / (1 - first) * kOthers);
  return std::min(other, kOthers);
}

struct Simulation {
  int64_t rolls;
  MonteCarlo mc;
  std::vector<int64_t> fair; // the fit's samples of fair dice, their keys in order
};

// The share of mc.samples samples of dice with one outcome at (1 + d)/36
// whose simulated p, against the fair samples, is below kPowerLevel.
double simulated_power(const Simulation &s, double d) {
  double first = (1 + d) / kOutcomes;
  int64_t rejected = 0;
  for (int64_t b = 0; b < s.mc.samples; ++b) {
    int64_t key = sample_key(random_stream(s.mc.seed, static_cast<uint64_t>(b)), s.rolls,
                             [&](RandomStream &r) { return alternative_roll(r, first); });
    auto at_least = s.fair.end() - std::lower_bound(s.fair.begin(), s.fair.end(), key);
    rejected += simulated_p(at_least, s.mc.samples) < kPowerLevel;
  }
  return static_cast<double>(rejected) / static_cast<double>(s.mc.samples);
}

// The smallest d with kPower, by bisection to four significant digits;
// infinity when not even all rolls on one outcome (d = 35) reach it.
double simulated_detectable(int64_t rolls, const MonteCarlo &mc) {
  constexpr double kPrecision = 1e-4;
  Simulation s{rolls, mc, {}};
  for (int64_t b = 0; b < mc.samples; ++b)
    s.fair.push_back(sample_key(random_stream(mc.seed, static_cast<uint64_t>(b)), rolls,
                                [](RandomStream &r) { return random_below(r, kOutcomes); }));
  std::sort(s.fair.begin(), s.fair.end());
  double low = 0, high = kOthers;
  if (simulated_power(s, high) < kPower) return std::numeric_limits<double>::infinity();
  while (high - low > kPrecision * high) {
    double middle = (low + high) / 2;
    (simulated_power(s, middle) >= kPower ? high : low) = middle;
  }
  return high;
}

} // namespace

Power power_for(int64_t rolls, const MonteCarlo &mc) {
  double lambda = non_centrality();
  Power power;
  power.needed = static_cast<int64_t>(std::ceil(lambda / generator_distance()));
  if (rolls <= 0) {
    power.detectable = std::numeric_limits<double>::quiet_NaN();
  } else if (rolls < int64_t{kMinExpected} * kOutcomes) { // the fit's p is simulated
    power.detectable = simulated_detectable(rolls, mc);
    power.samples = mc.samples;
  } else {
    // One outcome at (1 + d)/36 and the 35 others at (1 - d/35)/36 are
    // d^2/35 from fair dice per roll.
    power.detectable = std::sqrt(kOthers * lambda / static_cast<double>(rolls));
  }
  return power;
}
