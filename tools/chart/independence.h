// Pearson's chi-square test of independence on the pair table of each lag,
// and the verdict over all lags tested.
#pragma once

#include <cstdint>
#include <vector>

#include "pair_counts.h"

// A lag is tested only with at least five pairs per cell on average.
constexpr int64_t kMinPairs = 5 * kPairCells;

struct LagTest {
  int64_t lag = 0;   // distance between the two rolls of a pair
  int64_t pairs = 0; // pairs in the table
  double chi2 = 0;   // Pearson's statistic over the non-empty rows and columns
  int df = 0;        // (rows - 1)(columns - 1) over those
  double p = 0;      // chance of a statistic at least this large
};

struct Independence {
  int64_t rolls = 0;         // in the log
  int64_t analysed = 0;      // the first rolls, at most kMaxAnalysedRolls
  std::vector<LagTest> lags; // the lags tested, 1 first, each twice the one before
  size_t worst = 0;          // the lag with the smallest p; the smallest such lag among equals
  double p = 0;              // its p times the lags tested, at most 1; NaN when none was tested
};

// The test of one table; `pairs` and the statistic are 0 for an empty table.
LagTest test_table(const uint32_t *table, int64_t lag);

// Every lag of the counts while it has kMinPairs pairs.
Independence test_independence(const PairCounts &counts, int64_t rolls);
