// The two tests of fit in words: plain sentences for the chart's caption and
// the two lines of `dicestat-chart --summary`.
#pragma once

#include <string>
#include <vector>

#include "fit.h"

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
