// Goodness of fit of a report's 36 counts: Pearson's chi-square statistic and
// its upper-tail p-value, against fair dice and against the generator's own
// distribution of outcomes.
#pragma once

#include "report_parse.h"

// Degrees of freedom of the test: the outcomes less one, since the counts add
// up to the rolls made.
constexpr int kFitDegrees = kReportOutcomes - 1;

// The generator's 15-bit output taken modulo 36: 32768 = 36 * 910 + 8, so
// the first eight outcomes come up 911 times in 32768 and the others 910.
constexpr int kGeneratorRange = 32768;
constexpr int kGeneratorFavoured = kGeneratorRange % kReportOutcomes;
constexpr int kGeneratorShare = kGeneratorRange / kReportOutcomes;

struct FitTest {
  double chi2 = 0; // Pearson's statistic; NaN when there is nothing to test
  double p = 0;    // chance of a statistic at least this large; NaN likewise
};

struct Fit {
  FitTest fair;      // each outcome 1/36
  FitTest generator; // 911/32768 for the first eight outcomes, 910/32768 after
};

// The upper tail of the chi-square distribution with `degrees` (at least 1)
// degrees of freedom at x; NaN for NaN or a negative x.
double chi2_upper_tail(double x, int degrees = kFitDegrees);

// Both tests of a report; NaN throughout for a report without rolls (none
// made, or a negative number asked for).
Fit fit_report(const Report &report);
