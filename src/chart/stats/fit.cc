#include "chart/stats/fit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include <boost/math/special_functions/gamma.hpp>

#include "chart/stats/no_throw.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

int64_t sum_of(const Weights &weights) {
  return std::accumulate(weights.begin(), weights.end(), int64_t{0});
}

double statistic(const Counts &counts, int64_t rolls, const Weights &weights, int64_t range) {
  double chi2 = 0;
  for (size_t i = 0; i < counts.size(); ++i) {
    double expected = rolls * (static_cast<double>(weights[i]) / range);
    double gap = counts[i] - expected;
    chi2 += gap * gap / expected;
  }
  return chi2;
}

// For a fixed number of rolls the statistic is (range / (rolls * lcm)) times
// the sum of count^2 * lcm / weight, less the rolls: that sum orders samples
// as the statistic does, in whole numbers, so equal statistics tie exactly.
std::vector<int64_t> order_factors(const Weights &weights) {
  int64_t lcm = 1;
  for (int32_t w : weights) lcm = std::lcm(lcm, int64_t{w});
  std::vector<int64_t> factors;
  for (int32_t w : weights) factors.push_back(lcm / w);
  return factors;
}

int64_t order_key(const Counts &counts, const std::vector<int64_t> &factors) {
  int64_t key = 0;
  for (size_t i = 0; i < counts.size(); ++i) key += counts[i] * counts[i] * factors[i];
  return key;
}

// Samples of `rolls` rolls drawn from the weights whose statistic is at
// least the one of `counts`, out of mc.samples.
int64_t as_extreme(const Counts &counts, int64_t rolls, const Weights &weights, int64_t range,
                   const MonteCarlo &mc) {
  std::vector<int32_t> outcome_of(static_cast<size_t>(range)); // each of the range's chances
  for (int32_t i = 0, at = 0; i < static_cast<int32_t>(weights.size()); at += weights[i++])
    std::fill(outcome_of.begin() + at, outcome_of.begin() + at + weights[i], i);
  std::vector<int64_t> factors = order_factors(weights);
  int64_t observed = order_key(counts, factors), found = 0;
  Counts sample(counts.size());
  for (int64_t b = 0; b < mc.samples; ++b) {
    RandomStream stream = random_stream(mc.seed, static_cast<uint64_t>(b));
    std::fill(sample.begin(), sample.end(), 0);
    for (int64_t r = 0; r < rolls; ++r)
      ++sample[outcome_of[random_below(stream, static_cast<uint32_t>(range))]];
    found += order_key(sample, factors) >= observed;
  }
  return found;
}

} // namespace

Weights equal_weights(size_t outcomes) {
  return Weights(outcomes, 1);
}

double chi2_upper_tail(double x, int degrees) {
  if (!(x >= 0)) return kNaN;
  return boost::math::gamma_q(degrees / 2.0, x / 2, NoThrow());
}

Record fit_test(const Counts &counts, const Weights &weights, const MonteCarlo &mc) {
  Record result;
  result.df = static_cast<int>(counts.size()) - 1;
  int64_t rolls = rolls_in(counts);
  if (rolls <= 0) {
    result.statistic = result.p = kNaN;
    return result;
  }
  int64_t range = sum_of(weights);
  result.statistic = statistic(counts, rolls, weights, range);
  // Every expected count, rolls * weight / range, at least kMinExpected.
  int64_t fewest = *std::min_element(weights.begin(), weights.end());
  if (rolls >= (kMinExpected * range + fewest - 1) / fewest) {
    result.p = chi2_upper_tail(result.statistic, result.df);
  } else {
    result.method = Method::kMonteCarlo;
    result.draws = mc.samples;
    result.p = simulated_p(as_extreme(counts, rolls, weights, range, mc), mc.samples);
  }
  result.decision = decide(result.p);
  return result;
}

std::vector<double> standardised_residuals(const Counts &counts, const Weights &weights) {
  int64_t rolls = rolls_in(counts), range = sum_of(weights);
  std::vector<double> z(counts.size(), kNaN);
  if (rolls <= 0) return z;
  for (size_t i = 0; i < counts.size(); ++i) {
    double expected = static_cast<double>(rolls) * weights[i] / static_cast<double>(range);
    z[i] = (counts[i] - expected) / std::sqrt(expected);
  }
  return z;
}
