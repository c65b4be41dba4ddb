// The test of independence: which pairs each lag takes, whatever pieces the
// log comes in; the statistic of a hand-computed table; and the verdict
// over the lags.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "independence.h"
#include "pair_counts.h"

namespace {

// One entry per pair counted in lag 2^k's table: its cell, in cell order.
std::vector<int> cells_of(const PairCounts &counts, int k) {
  std::vector<int> cells;
  std::vector<uint32_t> table = pair_table(counts, k);
  for (int cell = 0; cell < kPairCells; ++cell) cells.insert(cells.end(), table[cell], cell);
  return cells;
}

TEST(PairCounts, EachLagTakesItsPairsInAnyPieces) {
  // Roll i comes up outcome i, so a cell names its pair: first * 36 + second.
  constexpr int kRolls = 30;
  auto pair = [](int first, int lag) { return first * kReportOutcomes + first + lag; };
  for (int piece = 1; piece <= kRolls; ++piece) {
    PairCounts counts = make_pair_counts();
    for (int i = 0; i < kRolls; ++i) counts.outcomes.push_back(static_cast<uint8_t>(i));
    for (int begin = 0; begin < kRolls; begin += piece)
      count_pairs(counts, begin, std::min(begin + piece, kRolls));
    // Lag 8 by hand: first rolls 0 to 7 and 16 to 21; 22 and 23 would pair
    // past the end, and 8 to 15 are the second rolls of the first block.
    std::vector<int> lag8;
    for (int first : {0, 1, 2, 3, 4, 5, 6, 7, 16, 17, 18, 19, 20, 21})
      lag8.push_back(pair(first, 8));
    EXPECT_EQ(cells_of(counts, 3), lag8) << "pieces of " << piece;
    for (int k = 0; k < 5; ++k) {
      int lag = 1 << k;
      std::vector<int> expected;
      for (int i = 0; i + lag < kRolls; ++i)
        if (i % (2 * lag) < lag) expected.push_back(pair(i, lag));
      EXPECT_EQ(cells_of(counts, k), expected) << "lag " << lag << ", pieces of " << piece;
    }
  }
}

TEST(Independence, StatisticOfAHandComputedTable) {
  // Outcomes 0 and 1 alone, (10 20 / 30 40): expected 12 18 / 28 42, so the
  // statistic is 100 (10 * 40 - 20 * 30)^2 / (30 * 70 * 40 * 60), on one
  // degree of freedom as the 34 empty rows and columns do not count.
  std::vector<uint32_t> table(kPairCells, 0);
  table[0] = 10, table[1] = 20, table[36] = 30, table[37] = 40;
  LagTest test = test_table(table.data(), 4);
  EXPECT_EQ(test.pairs, 100);
  EXPECT_NEAR(test.chi2, 100.0 * 200 * 200 / (30.0 * 70 * 40 * 60), 1e-12);
  EXPECT_EQ(test.df, 1);
  EXPECT_NEAR(test.p, 0.372998483613487, 1e-12); // erfc(sqrt(chi2 / 2))

  // One first outcome only: nothing can be related, and p is 1, not NaN.
  std::fill(table.begin(), table.end(), 0);
  table[5] = 7, table[7] = 9;
  test = test_table(table.data(), 1);
  EXPECT_EQ(test.df, 0);
  EXPECT_EQ(test.chi2, 0);
  EXPECT_EQ(test.p, 1);
}

TEST(Independence, VerdictIsTheSmallestPTimesTheLagsTested) {
  enum Kind { kHandTable, kRelated, kUniform }; // each of 6480 pairs
  auto set_table = [](PairCounts &counts, int k, Kind kind) {
    uint32_t *table = counts.tables.data() + static_cast<size_t>(k) * kTableCopies * kPairCells;
    for (int i = 0; i < kReportOutcomes; ++i)
      for (int j = 0; j < kReportOutcomes; ++j)
        table[i * kReportOutcomes + j] = kind == kRelated   ? (i == j) * 180
                                         : kind == kUniform ? 5
                                                            : 0;
    if (kind == kHandTable) // the table above, 65 times over: 6500 pairs
      table[0] = 650, table[1] = 1300, table[36] = 1950, table[37] = 2600;
  };
  const double kHandP = 6.848309695972492e-13; // erfc(sqrt(65 * 0.79365 / 2))
  struct Case {
    Kind lags[3];
    int64_t worst;
    double p;
    const char *why;
  };
  const Case cases[] = {
      {{kHandTable, kRelated, kRelated}, 2, 0, "the smallest lag among equal p-values"},
      {{kHandTable, kUniform, kUniform}, 1, 3 * kHandP, "times the three lags tested"},
      {{kUniform, kUniform, kUniform}, 1, 1, "three times 1, capped"},
  };
  for (const Case &c : cases) {
    PairCounts counts = make_pair_counts();
    for (int k = 0; k < 3; ++k) set_table(counts, k, c.lags[k]);
    set_table(counts, 4, kUniform); // not tested: lag 8 has no pairs
    Independence result = test_independence(counts, 100);
    ASSERT_EQ(result.lags.size(), 3u) << c.why;
    EXPECT_EQ(result.lags[result.worst].lag, c.worst) << c.why;
    EXPECT_NEAR(result.p, c.p, c.p * 1e-9) << c.why;
  }
}

} // namespace
