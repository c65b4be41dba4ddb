// The tests of fit: the statistic against hand-computed cases, the p-value
// against known points of the chi-square distribution with 35 degrees of
// freedom, and the words each p-value earns.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fit.h"
#include "verdict.h"

namespace {

// A report of 32768 rolls at the generator's split (911 for the first eight
// outcomes, 910 after), with `moved` rolls taken from outcome 8 to outcome 0.
Report split_report(int moved) {
  Report r;
  for (int i = 0; i < kReportOutcomes; ++i) r.rows[i].count = i < 8 ? 911 : 910;
  r.rows[0].count += moved;
  r.rows[8].count -= moved;
  r.roll_count = r.total_count = 32768;
  return r;
}

TEST(Fit, StatisticMatchesHandComputedCases) {
  // Fair dice expect 8192/9 a outcome: the split is off by +7/9 eight times
  // and -2/9 28 times, (8 * 49 + 28 * 4) / 81 / (8192 / 9) = 56/8192. Moving
  // 10 rolls makes the gaps 97/9 and -92/9 and leaves seven +7/9 and 27 -2/9.
  struct Case {
    int moved;
    double fair, generator;
  };
  const std::vector<Case> cases = {
      {0, 56.0 / 8192, 0},
      {10, (9409.0 + 8464 + 7 * 49 + 27 * 4) / 81 / (8192.0 / 9), 100.0 / 911 + 100.0 / 910},
  };
  for (const Case &c : cases) {
    Fit fit = fit_report(split_report(c.moved));
    EXPECT_NEAR(fit.fair.chi2, c.fair, 1e-12) << c.moved;
    EXPECT_NEAR(fit.generator.chi2, c.generator, 1e-12) << c.moved;
  }
}

TEST(Fit, UpperTailMatchesKnownPoints) {
  struct Case {
    double x, p, tolerance;
  };
  const std::vector<Case> cases = {
      {0, 1, 0},
      {34.336, 0.5, 1e-3},  // the median
      {49.802, 0.05, 1e-4}, // the 5 % point
      {57.342, 0.01, 1e-4}, // the 1 % point
      {66.619, 0.001, 1e-5},
  };
  for (const Case &c : cases) EXPECT_NEAR(chi2_upper_tail(c.x), c.p, c.tolerance) << c.x;
  EXPECT_TRUE(std::isnan(chi2_upper_tail(-1)));
  EXPECT_TRUE(std::isnan(chi2_upper_tail(NAN)));
}

TEST(Fit, NoRollsNoTest) {
  for (int rolls : {0, -5}) {
    Report r;
    r.roll_count = rolls;
    Fit fit = fit_report(r);
    EXPECT_EQ(fit_summary(fit), "fair: chi2=nan p=nan\ngenerator: chi2=nan p=nan\n") << rolls;
    ASSERT_EQ(fit_words(fit).size(), 1u);
    EXPECT_EQ(fit_words(fit)[0].verdict, "No test of fairness: there were no rolls");
  }
}

TEST(Fit, WordsFollowThePValue) {
  struct Case {
    double p;
    const char *fair; // the verdict against fair dice
  };
  const std::vector<Case> cases = {
      {0.65, "Consistent with fair dice (p = 0.65)"},
      {0.05, "Consistent with fair dice (p = 0.05)"},
      {0.04999, "Doubtful as fair dice (p = 0.04999)"},
      {0.001, "Doubtful as fair dice (p = 0.001)"},
      {0.000999, "Not fair dice (p = 0.000999)"},
      {1e-9, "Not fair dice (p = 1e-09)"},
      {9.99e-10, "Not fair dice (p below 10^-9)"},
      {0, "Not fair dice (p below 10^-9)"},
  };
  for (const Case &c : cases) {
    Fit fit = {{1, c.p}, {2.5, 0.5}};
    std::vector<FitWords> words = fit_words(fit);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0].verdict, c.fair);
  }
  std::vector<FitWords> words = fit_words({{12.34567, 0.65}, {2.5, 0.5}});
  EXPECT_EQ(words[0].detail,
            "chi-square 12.3457, 35 degrees of freedom, against 1/36 for each outcome");
  EXPECT_EQ(words[1].verdict, "Consistent with the generator's own 911/910 split (p = 0.5)");
}

} // namespace
