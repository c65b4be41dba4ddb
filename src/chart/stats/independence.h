// Pearson's chi-square test of independence on the pair table of each lag,
// and the verdict over all lags tested. With pairs enough p comes from the
// chi-square distribution; with fewer, from permutations of the rolls.
#pragma once

#include <cstdint>
#include <vector>

#include "chart/stats/monte_carlo.h"
#include "chart/stats/pair_counts.h"

// A lag is tested only with at least five pairs per cell on average.
constexpr int64_t kMinPairs = 5 * kPairCells;

struct LagTest {
  int64_t lag = 0;   // distance between the two rolls of a pair
  int64_t pairs = 0; // pairs in the table
  double chi2 = 0;   // Pearson's statistic over the non-empty rows and columns
  int df = 0;        // (rows - 1)(columns - 1) over those
  double p = 0;      // chance of a statistic at least this large: the chi-square
                     // distribution's, or its rank among the permutations' (with the
                     // data's) at this lag; the lags are ordered by it
  double chi2_p = 0; // the chi-square distribution's
};

struct Independence {
  int64_t rolls = 0;             // in the log
  int64_t analysed = 0;          // the first rolls, at most kMaxAnalysedRolls
  std::vector<LagTest> lags;     // the lags tested, 1 first, each twice the one before
  size_t worst = 0;              // the strongest lag (stronger_lag below)
  double p = 0;                  // its p times the lags tested, at most 1, or with permutations the
                                 // share of them whose smallest p over the lags is at most its
                                 // (single-step min-p); NaN when no lag was tested
  int64_t permutations = 0;      // behind every p, or that would have been had a lag been
                                 // tested; 0 when each p is the chi-square distribution's
  double smallest_p = 0;         // with permutations: the worst lag's p, the statistic that the
                                 // verdict's p is found for
  double reject_below = 0;       // a lag whose p is below this makes the verdict's p fall below
                                 // kRejectLevel: kRejectLevel over the lags tested, or the
                                 // level the permutations' smallest p-values set; 0 when none
                                 // can
  std::vector<double> residuals; // the worst lag's table as Pearson residuals,
                                 // (observed - expected) / sqrt(expected), first roll's
                                 // outcome * 36 + second roll's; NaN in an empty row or
                                 // column; empty when no lag was tested
};

// Whether lag a shows a stronger relation than lag b: a smaller p, or,
// where both p-values are equal (as when both underflow to 0, or rank
// alike among permutations), a statistic further out for its degrees of
// freedom, by the Wilson-Hilferty normal approximation of the chi-square
// distribution.
bool stronger_lag(const LagTest &a, const LagTest &b);

// The index of the strongest of lags, not empty; the first among equals.
size_t strongest_lag(const std::vector<LagTest> &lags);

// The Pearson residuals of a table (see Independence::residuals).
std::vector<double> pearson_residuals(const uint32_t *table);

// The test of one table; `pairs` and the statistic are 0 for an empty table.
LagTest test_table(const uint32_t *table, int64_t lag);

// Every lag of the counts while it has kMinPairs pairs.
Independence test_independence(const PairCounts &counts, int64_t rolls);

// The test of counts.outcomes, all the rolls of a log: as test_independence
// when lag 1 has kMinPairs pairs, else by permutations (permutation_test.h).
Independence independence_of(const PairCounts &counts, int64_t rolls, const MonteCarlo &mc);
