#include "chart/stats/independence.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "chart/stats/fit.h"
#include "chart/stats/independence_by_permutation.h"
#include "chart/stats/levels.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A table's row and column totals and its number of pairs.
struct Margins {
  std::vector<int64_t> rows, columns;
  int64_t pairs = 0;
};

Margins margins_of(const uint32_t *table, int side) {
  auto n = static_cast<size_t>(side);
  Margins m{std::vector<int64_t>(n), std::vector<int64_t>(n)};
  int64_t *columns = m.columns.data();
  for (size_t i = 0; i < n; ++i) {
    const uint32_t *row = table + i * n;
    int64_t total = 0;
    for (size_t j = 0; j < n; ++j) {
      total += row[j];
      columns[j] += row[j];
    }
    m.rows[i] = total;
    m.pairs += total;
  }
  return m;
}

// The count expected in cell (i, j) of independent rolls; products of two
// totals below 2^26 are exact in a double.
double expected_count(const Margins &m, int i, int j) {
  return static_cast<double>(m.rows[i]) * static_cast<double>(m.columns[j]) /
         static_cast<double>(m.pairs);
}

int non_empty(const std::vector<int64_t> &totals) {
  return static_cast<int>(
      std::count_if(totals.begin(), totals.end(), [](int64_t total) { return total > 0; }));
}

// The Wilson-Hilferty z of a chi-square statistic: (x/df)^(1/3) is nearly
// normal with mean 1 - 2/(9 df) and variance 2/(9 df).
double wilson_hilferty_z(const LagTest &test) {
  if (test.df == 0) return -std::numeric_limits<double>::infinity();
  double v = 2.0 / (9.0 * test.df);
  return (std::cbrt(test.chi2 / test.df) - (1 - v)) / std::sqrt(v);
}

} // namespace

LagTest test_table(const uint32_t *table, int side, int64_t lag) {
  Margins m = margins_of(table, side);
  LagTest test;
  test.lag = lag;
  test.pairs = m.pairs;
  // Cells are summed in a fixed order, so the statistic is the same on
  // every run.
  for (int i = 0; i < side; ++i) {
    if (m.rows[i] == 0) continue;
    for (int j = 0; j < side; ++j) {
      if (m.columns[j] == 0) continue;
      double expected = expected_count(m, i, j);
      double gap = table[i * side + j] - expected;
      test.chi2 += gap * gap / expected;
    }
  }
  test.df = std::max(non_empty(m.rows) - 1, 0) * std::max(non_empty(m.columns) - 1, 0);
  // With one row or one column every cell is as expected: nothing can be
  // related, and the statistic is 0 with certainty.
  test.p = test.df == 0 ? 1 : chi2_upper_tail(test.chi2, test.df);
  test.chi2_p = test.p;
  return test;
}

std::vector<double> pearson_residuals(const uint32_t *table, int side) {
  Margins m = margins_of(table, side);
  std::vector<double> residuals(static_cast<size_t>(side * side), kNaN);
  for (int i = 0; i < side; ++i)
    for (int j = 0; j < side; ++j) {
      if (m.rows[i] == 0 || m.columns[j] == 0) continue;
      double expected = expected_count(m, i, j);
      residuals[i * side + j] = (table[i * side + j] - expected) / std::sqrt(expected);
    }
  return residuals;
}

bool stronger_lag(const LagTest &a, const LagTest &b) {
  if (a.p != b.p) return a.p < b.p;
  // For equal degrees of freedom the statistics order the lags as their z
  // does, and exactly, whatever the system's cube root.
  if (a.df == b.df) return a.chi2 > b.chi2;
  return wilson_hilferty_z(a) > wilson_hilferty_z(b);
}

size_t strongest_lag(const std::vector<LagTest> &lags) {
  size_t strongest = 0;
  for (size_t k = 1; k < lags.size(); ++k)
    if (stronger_lag(lags[k], lags[strongest])) strongest = k;
  return strongest;
}

void set_verdict(Independence &result, double p) {
  Record &verdict = result.verdict;
  verdict.p = p;
  verdict.decision = decide(p);
  if (result.lags.empty()) {
    verdict.statistic = kNaN;
    return;
  }
  const LagTest &worst = result.lags[result.worst];
  verdict.statistic = worst.chi2;
  verdict.df = worst.df;
  // Past the line; or on it, where permutations that reach the same p are
  // told apart by how far out their lags lie, the worst lag when the
  // verdict rejects.
  for (LagTest &lag : result.lags) lag.rejects = lag.p < result.reject_below;
  if (verdict.decision == Decision::kRejected) result.lags[result.worst].rejects = true;
}

int64_t rolls_for_a_lag(const Independence &test) {
  // Lag 1 pairs rolls 0-1, 2-3, ...: j rolls hold floor(j / 2) pairs.
  return 2 * test.min_pairs;
}

Independence test_independence(const PairCounts &counts, int64_t rolls) {
  Independence result;
  result.rolls = rolls;
  result.analysed = static_cast<int64_t>(counts.outcomes.size());
  result.min_pairs = kMinPairsPerCell * counts.side * counts.side;
  for (int k = 0; k < kMaxLags; ++k) {
    LagTest test = test_table(pair_table(counts, k).data(), counts.side, int64_t{1} << k);
    if (test.pairs < result.min_pairs) break;
    result.lags.push_back(test);
  }
  if (result.lags.empty()) {
    set_verdict(result, kNaN);
    return result;
  }
  result.worst = strongest_lag(result.lags);
  double tests = static_cast<double>(result.lags.size());
  result.reject_below = kRejectLevel / tests;
  set_verdict(result, std::min(result.lags[result.worst].p * tests, 1.0));
  result.residuals =
      pearson_residuals(pair_table(counts, static_cast<int>(result.worst)).data(), counts.side);
  return result;
}

Independence independence_of(const PairCounts &counts, int64_t rolls, const MonteCarlo &mc) {
  if (pairs_before(1, rolls) >= kMinPairsPerCell * counts.side * counts.side)
    return test_independence(counts, rolls);
  return independence_by_permutation(counts.outcomes, counts.side, mc);
}
