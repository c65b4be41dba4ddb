// Pearson's chi-square test of independence on the pair table of each lag,
// and the verdict over all lags tested. With pairs enough p comes from the
// chi-square distribution; with fewer, from permutations of the rolls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "chart/stats/monte_carlo.h"
#include "chart/stats/pair_counts.h"
#include "chart/stats/record.h"

// A lag is tested by the chi-square distribution only with at least this
// many pairs per cell of its table on average.
constexpr int64_t kMinPairsPerCell = 5;

struct LagTest {
  int64_t lag = 0;      // distance between the two rolls of a pair
  int64_t pairs = 0;    // pairs in the table
  double chi2 = 0;      // Pearson's statistic over the non-empty rows and columns
  int df = 0;           // (rows - 1)(columns - 1) over those
  double p = 0;         // chance of a statistic at least this large: the chi-square
                        // distribution's, or its rank among the permutations' (with the
                        // data's) at this lag; the lags are ordered by it
  double chi2_p = 0;    // the chi-square distribution's
  bool rejects = false; // p alone makes the verdict reject: it lies below reject_below, or
                        // on it for the worst lag of a verdict that rejects
};

struct Independence {
  int64_t rolls = 0;             // in the log
  int64_t analysed = 0;          // the first rolls, at most kMaxAnalysedRolls
  int64_t min_pairs = 0;         // pairs a lag needs to be tested
  std::vector<LagTest> lags;     // the lags tested, 1 first, each twice the one before
  size_t worst = 0;              // the strongest lag (stronger_lag below)
  Record verdict;                // the worst lag's statistic and degrees of freedom; p is its
                                 // p times the lags tested, at most 1, or with permutations
                                 // the share of them whose smallest p over the lags is at
                                 // most its (single-step min-p); NaN when no lag was tested.
                                 // Its method and draws are set even then.
  double smallest_p = 0;         // with permutations: the worst lag's p, the statistic that the
                                 // verdict's p is found for
  double reject_below = 0;       // a lag whose p is below this makes the verdict's p fall below
                                 // kRejectLevel: kRejectLevel over the lags tested, or the
                                 // level the permutations' smallest p-values set; 0 when none
                                 // can
  std::vector<double> residuals; // the worst lag's table as Pearson residuals,
                                 // (observed - expected) / sqrt(expected), first roll's
                                 // outcome * K + second roll's; NaN in an empty row or
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

// The Pearson residuals of a side x side table (see Independence::residuals).
std::vector<double> pearson_residuals(const uint32_t *table, int side);

// The test of one side x side table; `pairs` and the statistic are 0 for an
// empty table.
LagTest test_table(const uint32_t *table, int side, int64_t lag);

// The verdict of result, whose method, draws, worst lag and reject_below
// are set, with p: the worst lag's statistic, or NaN when no lag was
// tested; and which lags reject.
void set_verdict(Independence &result, double p);

// The fewest rolls whose first lag has test.min_pairs pairs: what a log
// with no lag tested would need.
int64_t rolls_for_a_lag(const Independence &test);

// Every lag of the counts while it has kMinPairsPerCell pairs per cell.
Independence test_independence(const PairCounts &counts, int64_t rolls);

// The test of counts.outcomes, all the rolls of a log: as test_independence
// when lag 1 has pairs enough, else by permutations
// (independence_by_permutation.h).
Independence independence_of(const PairCounts &counts, int64_t rolls, const MonteCarlo &mc);
