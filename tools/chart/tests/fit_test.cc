// The tests of fit: the statistic against a hand-computed case, the p-value
// against known points of the chi-square distribution with 35 degrees of
// freedom, and the words at the p-values where they change.
#include <gtest/gtest.h>

#include "fit.h"
#include "verdict.h"

namespace {

TEST(Fit, StatisticMatchesAHandComputedCase) {
  // 32768 rolls at the generator's split, 10 of them moved from outcome 8
  // to outcome 0. Fair dice expect 8192/9 each, so the gaps are 97/9, -92/9,
  // seven of 7/9 and 27 of -2/9.
  Report r;
  for (int i = 0; i < kReportOutcomes; ++i) r.rows[i].count = i < 8 ? 911 : 910;
  r.rows[0].count += 10;
  r.rows[8].count -= 10;
  r.roll_count = r.total_count = 32768;
  Fit fit = fit_report(r);
  EXPECT_NEAR(fit.fair.chi2, (9409.0 + 8464 + 7 * 49 + 27 * 4) / 81 / (8192.0 / 9), 1e-12);
  EXPECT_NEAR(fit.generator.chi2, 100.0 / 911 + 100.0 / 910, 1e-12);
}

TEST(Fit, UpperTailMatchesKnownPoints) {
  EXPECT_EQ(chi2_upper_tail(0), 1);
  EXPECT_NEAR(chi2_upper_tail(34.336), 0.5, 1e-3);  // the median
  EXPECT_NEAR(chi2_upper_tail(49.802), 0.05, 1e-4); // the 5 % point
}

TEST(Fit, WordsChangeAtTheirLevels) {
  EXPECT_EQ(fit_words({{1, 0.04999}, {1, 1}})[0].verdict, "Doubtful as fair dice (p = 0.04999)");
  EXPECT_EQ(fit_words({{1, 0.000999}, {1, 1}})[0].verdict, "Not fair dice (p = 0.000999)");
}

} // namespace
