#include "verdict.h"

#include <cmath>
#include <cstdio>

namespace {

// A p-value at or above kFitsLevel is what chance alone gives often; below
// kRejectLevel chance alone gives it less than once in a thousand runs.
constexpr double kFitsLevel = 0.05;
constexpr double kRejectLevel = 0.001;
// Below this the digits of p say nothing a reader needs.
constexpr double kTinyP = 1e-9;

// snprintf with one double; NaN is always written "nan", whatever its sign
// bit, so the output never depends on how the NaN came about.
std::string number(const char *format, double v) {
  if (std::isnan(v)) return "nan";
  char buf[48];
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

std::string p_words(double p) {
  return p < kTinyP ? std::string("p below 10^-9") : "p = " + number("%.4g", p);
}

struct Model {
  const char *fits;     // verdict at p >= kFitsLevel
  const char *doubtful; // verdict at kRejectLevel <= p < kFitsLevel
  const char *rejected; // verdict at p < kRejectLevel
  const char *expected; // what the counts are compared with
};

const Model kFair = {"Consistent with fair dice", "Doubtful as fair dice", "Not fair dice",
                     "1/36 for each outcome"};
const Model kGenerator = {"Consistent with the generator's own 911/910 split",
                          "Doubtful even as the generator's own split",
                          "Not even the generator's own split", "911 or 910 in 32768 each"};

FitWords words(const Model &model, const FitTest &test) {
  const char *verdict = test.p >= kFitsLevel     ? model.fits
                        : test.p >= kRejectLevel ? model.doubtful
                                                 : model.rejected;
  return {std::string(verdict) + " (" + p_words(test.p) + ")",
          "chi-square " + number("%.4f", test.chi2) + ", " + std::to_string(kFitDegrees) +
              " degrees of freedom, against " + model.expected};
}

std::string summary_line(const char *name, const FitTest &test) {
  return std::string(name) + ": chi2=" + number("%.4f", test.chi2) +
         " p=" + number("%.4g", test.p) + "\n";
}

} // namespace

std::vector<FitWords> fit_words(const Fit &fit) {
  if (std::isnan(fit.fair.p) || std::isnan(fit.generator.p))
    return {{"No test of fairness: there were no rolls", ""}};
  return {words(kFair, fit.fair), words(kGenerator, fit.generator)};
}

std::string fit_summary(const Fit &fit) {
  return summary_line("fair", fit.fair) + summary_line("generator", fit.generator);
}
