// The tests of any dice against values computed apart: exact intervals,
// which faces they flag at the Bonferroni level, the test between two dice
// (by chi-square and by shuffles) and the detectable bias.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "chart/stats/any_dice.h"
#include "chart/stats/between_dice.h"
#include "chart/stats/power.h"

namespace {

TEST(AnyDice, ClopperPearsonMatchesBetaQuantiles) {
  struct Case {
    int64_t count, rolls;
    double alpha, low, high;
  };
  for (const Case &c : {Case{0, 100, 0.0025, 0, 0.064660877205576534},
                        Case{3, 100, 0.0025, 0.0020790692921225777, 0.12169567237340151},
                        Case{100, 100, 0.05, 0.96378330735482354, 1},
                        Case{520, 10000, 0.0025, 0.045526548552488111, 0.05905511569554215},
                        Case{1, 2, 0.05, 0.01257911709342505, 0.98742088290657493}}) {
    Interval interval = clopper_pearson(c.count, c.rolls, c.alpha);
    EXPECT_NEAR(interval.low, c.low, 1e-12) << c.count << " of " << c.rolls;
    EXPECT_NEAR(interval.high, c.high, 1e-12) << c.count << " of " << c.rolls;
  }
}

TEST(AnyDice, FacesFlaggedFromTheFirstCountOutside) {
  // The first die's face 1 at `count` in `rolls`, the other faces sharing
  // the rest; the edges from beta quantiles at 0.05 / (dice * faces).
  struct Case {
    int dice, faces, rolls, count;
    Off off;
  };
  for (const Case &c : {Case{1, 20, 1000, 73, Off::kHigh}, Case{1, 20, 1000, 72, Off::kInside},
                        Case{1, 20, 1000, 29, Off::kLow}, Case{1, 20, 1000, 30, Off::kInside},
                        Case{2, 6, 600, 128, Off::kHigh}, Case{2, 6, 600, 127, Off::kInside},
                        Case{2, 6, 600, 74, Off::kLow}, Case{2, 6, 600, 75, Off::kInside}}) {
    DiceCounts counts = make_dice_counts(c.dice, c.faces, true);
    std::vector<uint8_t> roll(static_cast<size_t>(c.dice));
    for (int r = 0; r < c.rolls; ++r) {
      roll[0] = r < c.count ? 0 : static_cast<uint8_t>(1 + r % (c.faces - 1));
      add_roll(counts, roll.data(), 1);
    }
    DiceFindings findings = test_dice(counts, std::vector<std::string>(c.faces, "f"), {});
    EXPECT_EQ(findings.off[0][0].off, c.off) << c.count << " of " << c.rolls;
  }
}

TEST(AnyDice, BetweenDiceMatchesTheContingencyTest) {
  struct Case {
    Counts table;
    int side;
    double chi2, p;
    int df;
  };
  // The last: a table with an empty row and column tests the rest.
  for (const Case &c :
       {Case{{30, 10, 20, 15, 25, 20, 20, 20, 40}, 3, 18.531468531468533, 0.0009712538553483033, 4},
        Case{{50, 40, 30, 60}, 2, 9, 0.0026997960632601883, 1},
        Case{{50, 0, 40, 0, 0, 0, 30, 0, 60}, 3, 9, 0.0026997960632601883, 1}}) {
    Record test = between_dice_test(c.table, c.side, {});
    EXPECT_NEAR(test.statistic, c.chi2, 1e-9);
    EXPECT_NEAR(test.p, c.p, 1e-12);
    EXPECT_EQ(test.df, c.df);
    EXPECT_EQ(test.method, Method::kAsymptotic);
  }
  // Ten rolls, margins 5 and 5: the exact (hypergeometric) chance of a
  // table at least as far from independence is 13/63.
  // Each pairing draws from its own stream: the same p on any threads.
  for (unsigned threads : {1u, 2u, 3u}) {
    Record sparse = between_dice_test({4, 1, 1, 4}, 2, {20000, 3, threads});
    EXPECT_EQ(sparse.method, Method::kPermutation);
    EXPECT_NEAR(sparse.p, 13.0 / 63, 4 * std::sqrt(13.0 / 63 * 50 / 63 / 20000));
    EXPECT_EQ(sparse.p, between_dice_test({4, 1, 1, 4}, 2, {20000, 3, 1}).p) << threads;
  }
}

TEST(AnyDice, DetectableBiasMatchesTheNonCentralChiSquare) {
  struct Case {
    int faces;
    int64_t rolls;
    double detectable;
  };
  for (const Case &c : {Case{20, 1000, 0.62494170330755749}, Case{4, 100, 0.57190637232330077},
                        Case{100, 1000000, 0.063226330883733653}})
    EXPECT_NEAR(detectable_for(c.rolls, c.faces).detectable, c.detectable, 1e-7) << c.faces;
}

} // namespace
