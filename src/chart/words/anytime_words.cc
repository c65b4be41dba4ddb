#include "chart/words/anytime_words.h"

#include <cmath>
#include <cstdio>

#include "chart/words/number_words.h"

namespace {

// Beyond these an e-value is written as a power of ten and a p as a bound.
constexpr double kLargestPlain = 1e300;
constexpr double kSmallestP = 1e-300;

const char kValid[] = ", valid however often you looked";

std::string four_digits(double v) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.4g", v);
  return buf;
}

struct Words {
  const char *name;     // of the test, in --follow's lines
  const char *fits;     // below every level
  const char *level[2]; // at each of kAnytimeOdds
};

const Words kFitWords = {
    "fit", "consistent with fair dice", {"doubtful as fair dice", "not fair dice"}};
const Words kOrderWords = {"independence",
                           "consistent with independent rolls",
                           {"doubtful as independent rolls", "not independent rolls"}};

std::string at_level(const Words &words, int level, int64_t rolls) {
  return "after " + std::to_string(rolls) + " rolls: " + words.level[level] + " at the " +
         four_digits(1 / kAnytimeOdds[level]) + " level" + kValid + "\n";
}

} // namespace

std::string e_text(EValue e) {
  double v = value_of(e);
  if (v == 0 || (v < kLargestPlain && v > 1 / kLargestPlain)) return four_digits(v);
  char buf[48];
  std::snprintf(buf, sizeof buf, "10^%.1f", log10_of(e));
  return buf;
}

std::string e_and_p(const Anytime &found) {
  double p = anytime_p(found);
  return "e=" + e_text(found.e) + (p < kSmallestP ? " p<1e-300" : " p=" + four_digits(p));
}

std::string anytime_summary(const Anytime &found) {
  return "anytime: " + e_and_p(found) + "\n";
}

std::string before_last_line(const std::string &text, const std::string &line) {
  size_t last = text.size() < 2 ? std::string::npos : text.rfind('\n', text.size() - 2);
  size_t at = last == std::string::npos ? 0 : last + 1;
  return text.substr(0, at) + line + text.substr(at);
}

FitWords anytime_words(const Anytime &fit, const Anytime *order) {
  auto part = [](const Anytime &found, const char *what) {
    double p = anytime_p(found);
    return "e = " + grouped(e_text(found.e)) + " " + what + " (" +
           (p < kSmallestP ? std::string("p below 10\u207b\u00b3\u2070\u2070") : p_words(p)) + ")";
  };
  std::string verdict = "As you roll: " + part(fit, "against fair dice");
  if (order != nullptr) verdict += ", " + part(*order, "against independent rolls");
  return {verdict, "e-values, whose p is valid however often you looked; e past 20 rejects "
                   "at 0.05, past 1,000 at 0.001"};
}

std::string follow_line(const Anytime &fit, const Anytime &order) {
  return "rolls=" + std::to_string(fit.rolls) + " fit: " + e_and_p(fit) +
         " independence: " + e_and_p(order) + "\n";
}

std::string reached_line(bool independence, int level, int64_t rolls) {
  return at_level(independence ? kOrderWords : kFitWords, level, rolls);
}

std::string verdict_line(bool independence, const Anytime &found) {
  const Words &words = independence ? kOrderWords : kFitWords;
  for (int k = kAnytimeLevels - 1; k >= 0; --k)
    if (found.reached[k] != 0)
      return std::string(words.name) + ": " + at_level(words, k, found.reached[k]);
  return std::string(words.name) + ": " + words.fits + " after " + std::to_string(found.rolls) +
         " rolls" + kValid + "\n";
}
