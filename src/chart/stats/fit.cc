#include "chart/stats/fit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

#include <boost/math/special_functions/gamma.hpp>

#include "chart/stats/no_throw.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A distribution of the outcomes in whole chances: outcome i has ways[i] in
// `range`.
struct Hypothesis {
  int32_t ways[kOutcomes];
  int32_t range;
};

Hypothesis fair_dice() {
  Hypothesis h{{}, kOutcomes};
  for (int32_t &w : h.ways) w = 1;
  return h;
}

Hypothesis generator_split() {
  Hypothesis h{{}, kGeneratorRange};
  for (int i = 0; i < kOutcomes; ++i)
    h.ways[i] = kGeneratorShare + (i < kGeneratorFavoured ? 1 : 0);
  return h;
}

double statistic(const int32_t (&counts)[kOutcomes], int32_t rolls, const Hypothesis &h) {
  double chi2 = 0;
  for (int i = 0; i < kOutcomes; ++i) {
    double expected = rolls * (static_cast<double>(h.ways[i]) / h.range);
    double gap = counts[i] - expected;
    chi2 += gap * gap / expected;
  }
  return chi2;
}

// For a fixed number of rolls the statistic is (range / (rolls * lcm)) times
// the sum of count^2 * lcm / ways, less the rolls: that sum orders samples
// as the statistic does, in whole numbers, so equal statistics tie exactly.
struct Order {
  int64_t factor[kOutcomes]; // lcm / ways[i]
};

Order order_of(const Hypothesis &h) {
  int64_t lcm = 1;
  for (int32_t w : h.ways) lcm = std::lcm(lcm, int64_t{w});
  Order order;
  for (int i = 0; i < kOutcomes; ++i) order.factor[i] = lcm / h.ways[i];
  return order;
}

int64_t order_key(const int32_t (&counts)[kOutcomes], const Order &order) {
  int64_t key = 0;
  for (int i = 0; i < kOutcomes; ++i) key += int64_t{counts[i]} * counts[i] * order.factor[i];
  return key;
}

// Samples of `rolls` rolls drawn from h whose statistic is at least the one
// of `counts`, out of mc.samples.
int64_t as_extreme(const int32_t (&counts)[kOutcomes], int32_t rolls, const Hypothesis &h,
                   const MonteCarlo &mc) {
  std::vector<uint8_t> outcome_of(static_cast<size_t>(h.range)); // each of the range's chances
  for (int i = 0, at = 0; i < kOutcomes; at += h.ways[i++])
    std::fill(outcome_of.begin() + at, outcome_of.begin() + at + h.ways[i],
              static_cast<uint8_t>(i));
  Order order = order_of(h);
  int64_t observed = order_key(counts, order), found = 0;
  for (int64_t b = 0; b < mc.samples; ++b) {
    RandomStream stream = random_stream(mc.seed, static_cast<uint64_t>(b));
    int32_t sample[kOutcomes] = {};
    for (int32_t r = 0; r < rolls; ++r)
      ++sample[outcome_of[random_below(stream, static_cast<uint32_t>(h.range))]];
    found += order_key(sample, order) >= observed;
  }
  return found;
}

FitTest test(const int32_t (&counts)[kOutcomes], int32_t rolls, const Hypothesis &h,
             const MonteCarlo &mc) {
  FitTest result;
  result.chi2 = statistic(counts, rolls, h);
  int32_t fewest = *std::min_element(h.ways, h.ways + kOutcomes);
  if (int64_t{rolls} * fewest >= int64_t{kMinExpected} * h.range) {
    result.p = chi2_upper_tail(result.chi2);
  } else {
    result.samples = mc.samples;
    result.p = simulated_p(as_extreme(counts, rolls, h, mc), mc.samples);
  }
  return result;
}

} // namespace

double chi2_upper_tail(double x, int degrees) {
  if (!(x >= 0)) return kNaN;
  return boost::math::gamma_q(degrees / 2.0, x / 2, NoThrow());
}

Fit fit_report(const Report &report, const MonteCarlo &mc) {
  Fit fit;
  if (report.roll_count <= 0 || report.total_count <= 0) {
    fit.fair = fit.generator = {kNaN, kNaN};
    std::fill(fit.z, fit.z + kOutcomes, kNaN);
    return fit;
  }
  int32_t counts[kOutcomes];
  for (int i = 0; i < kOutcomes; ++i) counts[i] = report.rows[i].count;
  int32_t rolls = report.total_count;
  fit.fair = test(counts, rolls, fair_dice(), mc);
  fit.generator = test(counts, rolls, generator_split(), mc);
  double expected = static_cast<double>(rolls) / kOutcomes;
  for (int i = 0; i < kOutcomes; ++i) fit.z[i] = (counts[i] - expected) / std::sqrt(expected);
  return fit;
}
