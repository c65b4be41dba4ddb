// The e-processes: against a direct computation of their definitions in
// Python (scipy.special.gammaln for the fit, the product of each lag's
// terms for independence), and Ville's bound on fair sequences looked at
// after every roll.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "chart/stats/anytime_fit.h"
#include "chart/stats/anytime_independence.h"
#include "chart/stats/monte_carlo.h"

namespace {

std::vector<double> fair(int faces) {
  return std::vector<double>(faces, 1.0 / faces);
}

TEST(Anytime, MatchesADirectComputation) {
  struct Case {
    const char *rolls; // faces, one digit each
    int faces;
    std::vector<double> null; // empty: fair
    double fit_e, independence_e;
  };
  const std::vector<Case> cases = {
      {"000", 6, {}, 2.88121597, 0.02970679012},
      {"000000", 6, {}, 101.8024883, 0.007318190586},
      {"012345", 6, {}, 0.5091800976, 0.1052910053},
      {"0000000011112222", 6, {}, 90.57692617, 0.07349485765},
      {"01010101010101", 2, {}, 0.572241072, 19.30032914}, // lag 1 and its first term
      {"0000011", 2, {}, 0.8769734748, 0.3264623582},
      {"2222222", 4, {0.1, 0.2, 0.3, 0.4}, 33.01689435, 0.02392126013},
      {"251304421", 6, {}, 0.4811363405, 0.0443828506},
      {"0123012301230123", 4, {}, 0.3926163942, 632.2751626}, // lags 1, 2 and 4 at once
      {"331022210031", 4, {}, 0.4377677516, 0.08352379217},
      {"0011223344550011223344", 6, {0.3, 0.1, 0.1, 0.1, 0.2, 0.2}, 4.906873936, 84167.64713},
  };
  for (const Case &c : cases) {
    std::vector<uint8_t> rolls;
    std::vector<int64_t> counts(c.faces);
    for (const char *r = c.rolls; *r != 0; ++r) rolls.push_back(*r - '0'), ++counts[*r - '0'];
    std::vector<double> null = c.null.empty() ? fair(c.faces) : c.null;
    int64_t n = static_cast<int64_t>(rolls.size());
    Anytime by_rolls = anytime_fit_of_rolls(rolls.data(), n, null);
    EXPECT_NEAR(value_of(by_rolls.e) / c.fit_e, 1, 1e-9) << c.rolls;
    EXPECT_NEAR(value_of(anytime_fit_of_counts(counts, null).e) / c.fit_e, 1, 1e-9) << c.rolls;
    EXPECT_EQ(by_rolls.trace.size(), rolls.size()) << c.rolls << ": a point per roll";
    Anytime order = anytime_independence_of(rolls.data(), n, c.faces);
    EXPECT_NEAR(value_of(order.e) / c.independence_e, 1, 1e-9) << c.rolls;
  }
  // Millions of rolls, where log-gamma's large parts must cancel without
  // loss: log E from scipy, beside the running product over a sequence of
  // these counts.
  struct Large {
    std::vector<int64_t> counts;
    double log_e;
  };
  for (const Large &c : {Large{{1001200, 999000, 1001000, 1000500, 998300, 1000000}, -23.9553993},
                         Large{{180000, 160000, 160000, 160000, 160000, 160000}, 971.14638628}}) {
    std::vector<uint8_t> rolls;
    std::vector<int64_t> left = c.counts;
    for (bool any = true; any;) {
      any = false;
      for (int j = 0; j < 6; ++j)
        if (left[j] > 0) rolls.push_back(static_cast<uint8_t>(j)), --left[j], any = true;
    }
    double by_counts = log10_of(anytime_fit_of_counts(c.counts, fair(6)).e);
    double by_rolls = log10_of(anytime_fit_of_rolls(rolls.data(), rolls.size(), fair(6)).e);
    EXPECT_NEAR(by_counts, c.log_e / std::log(10), 1e-7);
    EXPECT_NEAR(by_rolls, c.log_e / std::log(10), 1e-7);
  }
}

TEST(Anytime, FairSequencesRarelyReachTheLevelsEvenLookedAtAfterEveryRoll) {
  // Ville: the chance that a fair sequence ever takes an e-process to 20 is
  // at most 1/20, to 1000 at most 1/1000; each share may lie three standard
  // errors above.
  struct Case {
    bool independence;
    int faces, sequences, rolls;
  };
  for (const Case &c : {Case{false, 6, 4000, 300}, Case{false, 20, 2000, 300},
                        Case{true, 6, 3000, 200}, Case{true, 2, 3000, 300}}) {
    int reached[kAnytimeLevels] = {};
    for (int s = 0; s < c.sequences; ++s) {
      RandomStream stream = random_stream(7, static_cast<uint64_t>(s));
      std::vector<uint8_t> rolls(c.rolls);
      for (uint8_t &r : rolls) r = static_cast<uint8_t>(random_below(stream, c.faces));
      Anytime found = c.independence ? anytime_independence_of(rolls.data(), c.rolls, c.faces)
                                     : anytime_fit_of_rolls(rolls.data(), c.rolls, fair(c.faces));
      for (int k = 0; k < kAnytimeLevels; ++k) reached[k] += found.reached[k] != 0;
    }
    for (int k = 0; k < kAnytimeLevels; ++k) {
      double level = 1 / kAnytimeOdds[k];
      double bound = level + 3 * std::sqrt(level * (1 - level) / c.sequences);
      EXPECT_LE(reached[k], bound * c.sequences)
          << (c.independence ? "independence, " : "fit, ") << c.faces << " faces, level " << level;
    }
  }
}

} // namespace
