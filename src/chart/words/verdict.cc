#include "chart/words/verdict.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "chart/words/number_words.h"

namespace {

constexpr double kMillion = 1e6;

// snprintf with one double; NaN is always written "nan", whatever its sign
// bit, so the output never depends on how the NaN came about.
std::string number(const char *format, double v) {
  if (std::isnan(v)) return "nan";
  char buf[48];
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

// " p=P", P to four significant digits, or " p<1e-300" below that: where
// the digits of so small a p would be the rounding of its tail, or 0 where
// it underflows.
std::string p_field(const char *name, double p) {
  constexpr double kSmallestShown = 1e-300;
  if (p < kSmallestShown) return std::string(" ") + name + "<1e-300";
  return std::string(" ") + name + "=" + number("%.4g", p);
}

// " (Monte Carlo, B samples)" after what `draws` simulated; nothing when
// there were none.
std::string drawn(int64_t draws, const char *what) {
  if (draws == 0) return "";
  return " (Monte Carlo, " + std::to_string(draws) + " " + what + ")";
}

// " (Monte Carlo, B samples)" or " (Monte Carlo, B permutations)" after a
// simulated p; nothing after one from the chi-square distribution.
std::string method(const Record &test) {
  if (test.method == Method::kAsymptotic) return "";
  return drawn(test.draws, test.method == Method::kMonteCarlo ? "samples" : "permutations");
}

// The lags tested, for the verdict's words.
std::string lag_range(const Independence &test) {
  if (test.lags.size() == 1) return "lag 1";
  return "lags 1 to " + grouped(test.lags.back().lag);
}

struct Model {
  const char *fits;     // the verdict of a consistent test
  const char *doubtful; // of a doubtful one
  const char *rejected; // of a rejected one
  const char *expected; // what the counts are compared with
};

const Model kFair = {"Consistent with fair dice", "Doubtful as fair dice", "Not fair dice",
                     "1/36 for each outcome"};
const Model kGenerator = {"Consistent with the generator's own 911/910 split",
                          "Doubtful even as the generator's own split",
                          "Not even the generator's own split", "911 or 910 in 32768 each"};

// The words for the decision of a test that was made (not kUntested).
std::string decided(const Record &test, const std::string &consistent, const std::string &doubtful,
                    const std::string &rejected) {
  if (test.decision == Decision::kConsistent) return consistent;
  return test.decision == Decision::kDoubtful ? doubtful : rejected;
}

FitWords words(const Model &model, const Record &test) {
  std::string verdict = decided(test, model.fits, model.doubtful, model.rejected);
  std::string chi2 = "chi-square " + grouped(number("%.4f", test.statistic));
  return {
      verdict + " (" + p_words(test.p) + ")",
      test.method == Method::kAsymptotic
          ? chi2 + ", " + std::to_string(test.df) + " degrees of freedom, against " + model.expected
          : chi2 + " against " + model.expected + ", p from " + grouped(test.draws) + " samples"};
}

} // namespace

// v to three significant digits, without an exponent: 0.302, 3.02, 135, 3020.
std::string three_digits(double v) {
  if (!(v > 0) || !std::isfinite(v)) return number("%.3g", v);
  double rounded = std::strtod(number("%.2e", v).c_str(), nullptr);
  int exponent = static_cast<int>(std::floor(std::log10(rounded)));
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*f", std::max(0, 2 - exponent), rounded);
  return buf;
}

std::string summary_line(const std::string &name, const Record &test, bool with_df) {
  std::string df = with_df ? " df=" + std::to_string(test.df) : "";
  return name + ": chi2=" + number("%.4f", test.statistic) + df + p_field("p", test.p) +
         method(test) + "\n";
}

std::vector<FitWords> fit_words(const Record &fair, const Record &generator) {
  if (fair.decision == Decision::kUntested || generator.decision == Decision::kUntested)
    return {{"No test of fairness: there were no rolls", ""}};
  std::vector<FitWords> lines = {words(kFair, fair), words(kGenerator, generator)};
  if (fair.method != Method::kAsymptotic || generator.method != Method::kAsymptotic)
    lines.push_back({"", "p simulated: under " + std::to_string(kMinExpected) +
                             " rolls expected per outcome is too few for chi-square"});
  return lines;
}

std::string fit_summary(const Record &fair, const Record &generator) {
  return summary_line("fair", fair) + summary_line("generator", generator);
}

std::vector<FitWords> independence_words(const Independence *test) {
  if (test == nullptr) return {{"Independence of the rolls not tested: no roll log at hand", ""}};
  if (test->lags.empty())
    return {{"Independence of the rolls not tested: too few rolls for " + grouped(test->min_pairs) +
                 " pairs at any lag",
             ""}};
  const Record &verdict = test->verdict;
  int64_t lag = test->lags[test->worst].lag;
  std::string apart = "rolls " + grouped(lag) + " apart";
  std::string p = p_words(verdict.p);
  std::vector<FitWords> lines = {
      {decided(verdict, "Consistent with independent rolls (" + lag_range(*test) + ", " + p + ")",
               "Doubtful as independent rolls: " + apart + " may be related (" + p + ")",
               "Not independent: " + apart + " are related (" + p + ")"),
       "chi-square " + grouped(number("%.4f", verdict.statistic)) + ", " + grouped(verdict.df) +
           " degrees of freedom, at lag " + grouped(lag)}};
  std::string tests = std::to_string(test->lags.size());
  if (verdict.method == Method::kAsymptotic) {
    lines.push_back(
        {"", "p is the smallest of the " + tests + " lags' p-values, multiplied by " + tests});
  } else {
    lines.push_back({"", "p simulated, as the rolls are few: the share of " +
                             grouped(verdict.draws) + " shuffles of them"});
    lines.push_back(
        {"", "whose smallest p over the " + tests + " lags is as low, so no Bonferroni factor"});
  }
  if (test->analysed < test->rolls)
    lines.push_back({"", "Only the first " + grouped(test->analysed) + " of " +
                             grouped(test->rolls) + " rolls were tested for independence"});
  return lines;
}

std::vector<std::string> headline_words(const Findings &findings) {
  std::string counts = findings.fair.decision == Decision::kUntested
                           ? "Counts: no rolls to test."
                           : decided(findings.fair, "Counts: consistent with fair dice.",
                                     "Counts: doubtful as fair dice.", "Counts: not fair dice.");
  const Independence *test = findings.independence;
  std::string rolls;
  if (test == nullptr)
    rolls = "Rolls: not tested, no roll log at hand.";
  else if (test->lags.empty())
    rolls = "Rolls: too few to test for independence.";
  else {
    std::string apart = grouped(test->lags[test->worst].lag) + " apart).";
    rolls = decided(test->verdict, "Rolls: consistent with independent rolls.",
                    "Rolls: doubtful as independent (" + apart, "Rolls: not independent (" + apart);
  }
  return {counts, rolls};
}

std::string independence_summary(const Independence &test) {
  std::string out;
  if (test.analysed < test.rolls)
    out += "analysed: first " + std::to_string(test.analysed) + " of " +
           std::to_string(test.rolls) + " rolls\n";
  std::string how = method(test.verdict);
  for (const LagTest &lag : test.lags)
    out += "lag=" + std::to_string(lag.lag) + " pairs=" + std::to_string(lag.pairs) +
           " chi2=" + number("%.4f", lag.chi2) + " df=" + std::to_string(lag.df) +
           p_field("p", lag.p) + how + "\n";
  if (test.lags.empty())
    return out + "independence: not tested: " + std::to_string(test.rolls) + " rolls; " +
           std::to_string(rolls_for_a_lag(test)) + " would give lag 1 its " +
           std::to_string(test.min_pairs) + " pairs\n";
  const Record &verdict = test.verdict;
  const LagTest &worst = test.lags[test.worst];
  return out + "independence: lag=" + std::to_string(worst.lag) +
         " chi2=" + number("%.4f", verdict.statistic) + p_field("p", verdict.p) +
         " lags=" + std::to_string(test.lags.size()) + p_field("lag_p", worst.p) + how + "\n";
}

std::string detectable_words(const Power &power, const std::string &one, int outcomes) {
  std::string at = std::to_string(std::lround(100 * kPower)) + "% power at the " +
                   number("%g", kPowerLevel) + " level";
  std::string words = std::isnan(power.detectable) ? "none, there were no rolls"
                      : std::isinf(power.detectable)
                          ? "none, too few rolls for " + at
                          : one + " " + three_digits(100 * power.detectable) +
                                "% more often than 1/" + std::to_string(outcomes) + " (" + at + ")";
  return words + drawn(power.samples, "samples");
}

std::string power_summary(const Power &power) {
  return "needed: " + std::to_string(power.needed) +
         " rolls to tell the generator's 911/910 split from fair dice\n" +
         "detectable: " + detectable_words(power, "one outcome", kOutcomes) + "\n";
}

FitWords power_words(const Power &power, int64_t rolls) {
  std::string needed =
      "about " + three_digits(static_cast<double>(power.needed) / kMillion) + " million rolls";
  if (rolls <= 0) return {"Power: " + needed + " catch the generator's split, 4 runs in 5", ""};
  std::string simulated =
      power.samples == 0 ? "" : ", simulated from " + grouped(power.samples) + " samples";
  if (std::isinf(power.detectable))
    return {"Power: too few rolls to catch any one outcome 4 runs in 5 at the 5 % level",
            "even every roll on one outcome" + simulated};
  return {"Power: these rolls catch one outcome " + three_digits(100 * power.detectable) +
              " % more often than 1/36",
          "4 runs in 5, at the 5 % level" + simulated + "; the 911/910 split needs " + needed};
}
