// The tests in words: plain sentences for the chart's caption, the lines of
// `dicestat-chart --summary` and those of `--independence`. They print the
// tests' records and never compute or judge anything themselves.
#pragma once

#include <string>
#include <vector>

#include "chart/read/run_log.h"
#include "chart/stats/e_value.h"
#include "chart/stats/independence.h"
#include "chart/stats/power.h"
#include "chart/stats/record.h"

// What the tests found about one input, for the printers.
struct Findings {
  Record fair;                                // the test of fit against fair dice
  Record generator;                           // against the generator's 911/910 split
  std::vector<double> z;                      // each count's standardised residual against
                                              // fair dice, in label order; NaN without rolls
  const Independence *independence = nullptr; // of the rolls; null when not tested
  const Provenance *provenance = nullptr;     // of a report: its run replayed, and its roll
                                              // log; null for a list of rolls
  Power power;
  const Anytime *anytime_fit = nullptr;   // the e-process of fit against fair dice
  const Anytime *anytime_order = nullptr; // of independence; null without rolls in order
};

struct FitWords {
  std::string verdict; // such as "Consistent with fair dice (p = 0.6512)"
  std::string detail;  // the statistic, its degrees of freedom and the model; may be empty
};

// One entry per test, fair dice first, and a last one saying why p was
// simulated when it was; a single entry when there is nothing to test.
std::vector<FitWords> fit_words(const Record &fair, const Record &generator);

// "NAME: chi2=X p=P\n", or with_df "NAME: chi2=X df=D p=P\n": X to four
// decimals, P to four significant digits, "p<1e-300" below that, "nan" for
// both where there was nothing to test; a simulated p followed by its
// method, as below.
std::string summary_line(const std::string &name, const Record &test, bool with_df = false);

// v to three significant digits, without an exponent: 0.302, 3.02, 135, 3020.
std::string three_digits(double v);

// "fair: chi2=X p=P\ngenerator: chi2=X p=P\n", X to four decimals and P to
// four significant digits; "nan" for both where there is nothing to test.
// A simulated p is followed by " (Monte Carlo, B samples)".
std::string fit_summary(const Record &fair, const Record &generator);

// Lines for the caption, the verdict first; that independence was not
// tested when `test` is null.
std::vector<FitWords> independence_words(const Independence *test);

// What the `detectable:` line says of `one` ("one outcome", "one face") of
// K: "one outcome X% more often than 1/36 (80% power at the 0.05 level)",
// X to three significant digits, followed by " (Monte Carlo, B samples)"
// when simulated.
std::string detectable_words(const Power &power, const std::string &one, int outcomes);

// "needed: N rolls to tell the generator's 911/910 split from fair dice\n"
// "detectable: ...\n" of detectable_words.
std::string power_summary(const Power &power);

// The same in a sentence for the caption, of `rolls` rolls.
FitWords power_words(const Power &power, int64_t rolls);

// The verdicts first and in short, for the picture's headline: one line on
// the counts and one on the order of the rolls, such as
// "Counts: consistent with fair dice." and "Rolls: not independent (65,536 apart)."
std::vector<std::string> headline_words(const Findings &findings);

// "lag=L pairs=N chi2=X df=D p=P\n" for each lag tested, then
// "independence: lag=L chi2=X p=P lags=N lag_p=Q\n" with the verdict's lag,
// statistic, p adjusted over the N lags and the lag's own p, p-values as
// in summary_line; when no lag was tested, "independence: not tested: R rolls;
// N would give lag 1 its M pairs\n";
// first "analysed: first A of R rolls\n" when the log is longer than that.
// Each p found by permutations is followed by " (Monte Carlo, B permutations)".
std::string independence_summary(const Independence &test);
