// The tests in words: plain sentences for the chart's caption, the two lines
// of `dicestat-chart --summary` and the lines of `--independence`.
#pragma once

#include <string>
#include <vector>

#include "fit.h"
#include "independence.h"

struct FitWords {
  std::string verdict; // such as "Consistent with fair dice (p = 0.6512)"
  std::string detail;  // the statistic, its degrees of freedom and the model; may be empty
};

// One entry per test, fair dice first; a single entry when there is nothing
// to test.
std::vector<FitWords> fit_words(const Fit &fit);

// "fair: chi2=X p=P\ngenerator: chi2=X p=P\n", X to four decimals and P to
// four significant digits; "nan" for both where there is nothing to test.
std::string fit_summary(const Fit &fit);

// Lines for the caption, the verdict first; that independence was not
// tested when `test` is null, as when no roll log is at hand.
std::vector<FitWords> independence_words(const Independence *test);

// "lag=L pairs=N chi2=X df=D p=P\n" for each lag tested, then
// "independence: lag=L chi2=X p=P\n" with the verdict's lag, statistic and
// adjusted p, or "independence: chi2=nan p=nan\n" when no lag was tested;
// first "analysed: first A of R rolls\n" when the log is longer than that.
std::string independence_summary(const Independence &test);
