// The test of independence: which pairs each lag takes, whatever pieces the
// log comes in; the statistic of a hand-computed table; and the verdict
// over the lags.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "chart/stats/independence.h"
#include "chart/stats/independence_by_permutation.h"
#include "chart/stats/pair_counts.h"
#include "sim/file_facts.h"

namespace {

constexpr int kPairCells = kOutcomes * kOutcomes;

// One entry per pair counted in lag 2^k's table: its cell, in cell order.
std::vector<int> cells_of(const PairCounts &counts, int k) {
  std::vector<int> cells;
  std::vector<uint32_t> table = pair_table(counts, k);
  for (size_t cell = 0; cell < table.size(); ++cell)
    cells.insert(cells.end(), table[cell], static_cast<int>(cell));
  return cells;
}

TEST(PairCounts, EachLagTakesItsPairsInAnyPieces) {
  // Roll i comes up outcome i, so a cell names its pair: first * side +
  // second; with dice of as many outcomes as rolls too.
  constexpr int kRolls = 30;
  for (int side : {kOutcomes, kRolls})
    for (int piece = 1; piece <= kRolls; ++piece) {
      PairCounts counts = make_pair_counts(side);
      for (int i = 0; i < kRolls; ++i) counts.outcomes.push_back(static_cast<uint8_t>(i));
      for (int begin = 0; begin < kRolls; begin += piece)
        count_pairs(counts, begin, std::min(begin + piece, kRolls));
      for (int k = 0; k < 5; ++k) {
        int lag = 1 << k;
        std::vector<int> expected;
        for (int i = 0; i + lag < kRolls; ++i)
          if (i % (2 * lag) < lag) expected.push_back(i * side + i + lag);
        EXPECT_EQ(cells_of(counts, k), expected)
            << "lag " << lag << ", pieces of " << piece << ", side " << side;
      }
    }
}

TEST(Independence, StatisticOfAHandComputedTable) {
  // Outcomes 0 and 1 alone, (10 20 / 30 40): expected 12 18 / 28 42, so the
  // statistic is 100 (10 * 40 - 20 * 30)^2 / (30 * 70 * 40 * 60), on one
  // degree of freedom as the 34 empty rows and columns do not count.
  std::vector<uint32_t> table(kPairCells, 0);
  table[0] = 10, table[1] = 20, table[36] = 30, table[37] = 40;
  LagTest test = test_table(table.data(), kOutcomes, 4);
  EXPECT_NEAR(test.chi2, 100.0 * 200 * 200 / (30.0 * 70 * 40 * 60), 1e-12);
  EXPECT_EQ(test.df, 1);
  EXPECT_NEAR(test.p, 0.372998483613487, 1e-12); // erfc(sqrt(chi2 / 2))

  // One first outcome only: nothing can be related, and p is 1, not NaN.
  std::fill(table.begin(), table.end(), 0);
  table[5] = 7, table[7] = 9;
  test = test_table(table.data(), kOutcomes, 1);
  EXPECT_EQ(test.df, 0);
  EXPECT_EQ(test.p, 1);

  // Three outcomes a roll; statistic and p from another implementation.
  const uint32_t three[] = {20, 5, 5, 5, 20, 5, 4, 6, 30};
  test = test_table(three, 3, 1);
  EXPECT_NEAR(test.chi2, 59.24870226177234, 1e-9);
  EXPECT_EQ(test.df, 4);
  EXPECT_NEAR(test.p / 4.172291753911236e-12, 1, 1e-9);
}

TEST(Independence, VerdictIsTheStrongestLagOfTheSmallestPCapped) {
  // Tables of 6480 pairs each: five in every cell (0), or each first
  // outcome followed by one second outcome (1), or by either of two (2).
  auto set_table = [](PairCounts &counts, int k, int seconds) {
    uint32_t *table = counts.tables.data() + static_cast<size_t>(k) * kTableCopies * kPairCells;
    for (int cell = 0; cell < kPairCells; ++cell) {
      int gap = (cell % kOutcomes - cell / kOutcomes + kOutcomes) % kOutcomes;
      table[cell] = seconds == 0 ? 5 : gap < seconds ? 180 / seconds : 0;
    }
  };
  struct Case {
    int seconds[3]; // of lags 1, 2 and 4
    int64_t lag;
    double p;
    const char *why;
  };
  for (const Case &c : {Case{{0, 1, 1}, 2, 0, "the smallest lag among equals"},
                        Case{{0, 0, 0}, 1, 1, "1 times 3, capped"},
                        Case{{0, 2, 1}, 4, 0, "both p underflow to 0: the larger statistic"}}) {
    PairCounts counts = make_pair_counts(kOutcomes);
    for (int k = 0; k < 3; ++k) set_table(counts, k, c.seconds[k]);
    set_table(counts, 4, 0); // not tested: lag 8 has no pairs
    Independence result = test_independence(counts, 100);
    ASSERT_EQ(result.lags.size(), 3u);
    EXPECT_EQ(result.lags[result.worst].lag, c.lag) << c.why;
    EXPECT_EQ(result.verdict.p, c.p) << c.why;
  }
}

TEST(Independence, AnyDieByPermutationsBelowTenPairsPerCellSquared) {
  // K faces: permutations below 10 K^2 rolls, the chi-square distribution
  // from there on, lag 1 on (K - 1)^2 degrees of freedom; no lag at all
  // below 2K rolls, which is what the words then ask for.
  struct Case {
    int faces;
    int64_t rolls;
    Method method;
  };
  for (const Case &c : {Case{4, 159, Method::kPermutation}, Case{4, 160, Method::kAsymptotic},
                        Case{20, 3999, Method::kPermutation}, Case{20, 4000, Method::kAsymptotic},
                        Case{20, 39, Method::kPermutation}}) {
    std::mt19937 draw(3);
    PairCounts counts = make_pair_counts(c.faces);
    for (int64_t i = 0; i < c.rolls; ++i)
      counts.outcomes.push_back(static_cast<uint8_t>(draw() % c.faces));
    count_pairs(counts, 0, c.rolls);
    Independence test = independence_of(counts, c.rolls, {20, 1, 1});
    EXPECT_EQ(test.verdict.method, c.method) << c.faces << " faces, " << c.rolls << " rolls";
    if (test.lags.empty()) {
      EXPECT_EQ(rolls_for_a_lag(test), 2 * c.faces);
      EXPECT_LT(c.rolls, rolls_for_a_lag(test));
    } else {
      EXPECT_EQ(test.lags[0].df, (c.faces - 1) * (c.faces - 1));
    }
  }
}

TEST(PermutationTest, SameResultOnAnyNumberOfThreads) {
  // Each permutation draws from its own stream, whichever thread runs it.
  std::mt19937 draw(7);
  std::vector<uint8_t> rolls(2000);
  for (uint8_t &roll : rolls) roll = static_cast<uint8_t>(draw() % kOutcomes);
  MonteCarlo mc;
  mc.samples = 1999; // the verdict rejects below the 1st of the permutations' smallest p
  std::vector<Independence> runs;
  for (unsigned threads : {1u, 2u, 1u}) {
    mc.threads = threads;
    runs.push_back(independence_by_permutation(rolls, kOutcomes, mc));
  }
  ASSERT_EQ(runs[0].lags.size(), 11u) << "lags 1 to 1024 have 36 pairs";
  // Single-step min-p: the lag named has the smallest of the lags' own p,
  // and the verdict's p lies between it and that p times the lags.
  double least = 1;
  for (const LagTest &lag : runs[0].lags) least = std::min(least, lag.p);
  EXPECT_EQ(runs[0].lags[runs[0].worst].p, least);
  EXPECT_GE(runs[0].verdict.p, least);
  EXPECT_LE(runs[0].verdict.p, std::min(1.0, 11 * least));
  for (const Independence &run : runs) {
    EXPECT_EQ(run.verdict.p, runs[0].verdict.p);
    EXPECT_GE(run.verdict.p, 0.001) << "independent rolls, not rejected";
    EXPECT_EQ(run.reject_below, runs[0].reject_below);
    EXPECT_GE(run.smallest_p, run.reject_below) << "not past the line either";
    for (size_t k = 0; k < run.lags.size(); ++k) EXPECT_EQ(run.lags[k].p, runs[0].lags[k].p);
  }
  // Dice that stick, each roll the one before on a coin flip: past the line,
  // as the verdict says.
  for (size_t i = 1; i < rolls.size(); ++i)
    if (draw() % 2 == 0) rolls[i] = rolls[i - 1];
  Independence sticky = independence_by_permutation(rolls, kOutcomes, mc);
  EXPECT_LT(sticky.verdict.p, 0.001);
  EXPECT_LT(sticky.smallest_p, sticky.reject_below);
}

} // namespace
