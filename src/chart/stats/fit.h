// Goodness of fit of a report's 36 counts: Pearson's chi-square statistic and
// its upper-tail p-value, against fair dice and against the generator's own
// distribution of outcomes. Where an expected count is below 5 the
// chi-square distribution is a poor guide to the statistic, and p is
// simulated instead.
#pragma once

#include "chart/read/report_parse.h"
#include "chart/stats/monte_carlo.h"

// Degrees of freedom of the test: the outcomes less one, since the counts add
// up to the rolls made.
constexpr int kFitDegrees = kOutcomes - 1;

// The generator's 15-bit output taken modulo 36: 32768 = 36 * 910 + 8, so
// the first eight outcomes come up 911 times in 32768 and the others 910.
constexpr int kGeneratorFavoured = kGeneratorRange % kOutcomes;
constexpr int kGeneratorShare = kGeneratorRange / kOutcomes;

// Below this expected count in any outcome, p is simulated.
constexpr int kMinExpected = 5;

struct FitTest {
  double chi2 = 0;     // Pearson's statistic; NaN when there is nothing to test
  double p = 0;        // chance of a statistic at least this large; NaN likewise
  int64_t samples = 0; // samples drawn from the distribution tested to find p;
                       // 0 when p is the chi-square distribution's
};

struct Fit {
  FitTest fair;             // each outcome 1/36
  FitTest generator;        // 911/32768 for the first eight outcomes, 910/32768 after
  double z[kOutcomes] = {}; // each count's standardised residual against fair dice,
                            // (count - expected) / sqrt(expected), in label order;
                            // NaN where fair.p is
};

// The upper tail of the chi-square distribution with `degrees` (at least 1)
// degrees of freedom at x; NaN for NaN or a negative x.
double chi2_upper_tail(double x, int degrees = kFitDegrees);

// Both tests of a report and the residuals; NaN throughout for a report without rolls (none
// made, or a negative number asked for). A simulated p draws mc.samples
// samples of the report's number of rolls from the distribution tested and
// counts those whose statistic is at least the report's.
Fit fit_report(const Report &report, const MonteCarlo &mc = {});
