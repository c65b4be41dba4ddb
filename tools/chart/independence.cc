#include "independence.h"

#include <algorithm>
#include <limits>

#include "fit.h"
#include "permutation_test.h"

LagTest test_table(const uint32_t *table, int64_t lag) {
  int64_t rows[kOutcomes] = {}, columns[kOutcomes] = {};
  LagTest test;
  test.lag = lag;
  for (int i = 0; i < kOutcomes; ++i)
    for (int j = 0; j < kOutcomes; ++j) {
      uint32_t count = table[i * kOutcomes + j];
      rows[i] += count;
      columns[j] += count;
      test.pairs += count;
    }
  // Cells are summed in a fixed order, so the statistic is the same on
  // every run; products of two totals below 2^26 are exact in a double.
  for (int i = 0; i < kOutcomes; ++i) {
    if (rows[i] == 0) continue;
    for (int j = 0; j < kOutcomes; ++j) {
      if (columns[j] == 0) continue;
      double expected = static_cast<double>(rows[i]) * static_cast<double>(columns[j]) /
                        static_cast<double>(test.pairs);
      double gap = table[i * kOutcomes + j] - expected;
      test.chi2 += gap * gap / expected;
    }
  }
  auto non_empty = [](const int64_t(&totals)[kOutcomes]) {
    return static_cast<int>(
        std::count_if(totals, totals + kOutcomes, [](int64_t total) { return total > 0; }));
  };
  test.df = std::max(non_empty(rows) - 1, 0) * std::max(non_empty(columns) - 1, 0);
  // With one row or one column every cell is as expected: nothing can be
  // related, and the statistic is 0 with certainty.
  test.p = test.df == 0 ? 1 : chi2_upper_tail(test.chi2, test.df);
  return test;
}

Independence test_independence(const PairCounts &counts, int64_t rolls) {
  Independence result;
  result.rolls = rolls;
  result.analysed = static_cast<int64_t>(counts.outcomes.size());
  for (int k = 0; k < kMaxLags; ++k) {
    LagTest test = test_table(pair_table(counts, k).data(), int64_t{1} << k);
    if (test.pairs < kMinPairs) break;
    if (result.lags.empty() || test.p < result.lags[result.worst].p)
      result.worst = result.lags.size();
    result.lags.push_back(test);
  }
  if (result.lags.empty()) {
    result.p = std::numeric_limits<double>::quiet_NaN();
  } else {
    double tests = static_cast<double>(result.lags.size());
    result.p = std::min(result.lags[result.worst].p * tests, 1.0);
  }
  return result;
}

Independence independence_of(const PairCounts &counts, int64_t rolls, const MonteCarlo &mc) {
  if (pairs_before(1, rolls) >= kMinPairs) return test_independence(counts, rolls);
  return permutation_test(counts.outcomes, mc);
}
