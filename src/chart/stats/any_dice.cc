#include "chart/stats/any_dice.h"

#include "chart/stats/between_dice.h"
#include "chart/stats/fit.h"
#include "chart/stats/power.h"

DiceFindings test_dice(const DiceCounts &counts, const std::vector<std::string> &labels,
                       const MonteCarlo &mc) {
  DiceFindings findings;
  findings.dice = counts.dice;
  findings.faces = counts.faces;
  findings.labels = labels;
  findings.combined = !counts.combinations.empty();
  if (findings.combined)
    findings.fair = fit_test(counts.combinations, equal_weights(counts.combinations.size()), mc);
  Weights fair_die = equal_weights(static_cast<size_t>(counts.faces));
  for (const Counts &die : counts.per_die) {
    if (counts.dice > 1) findings.per_die.push_back(fit_test(die, fair_die, mc));
    findings.off.push_back(check_faces(die, counts.dice));
  }
  Weights fair_pair = equal_weights(fair_die.size() * fair_die.size());
  for (int a = 0; a < counts.dice; ++a)
    for (int b = a + 1; b < counts.dice; ++b) {
      const Counts &table = counts.pair_tables[pair_index(counts.dice, a, b)];
      findings.pairs.push_back({a, b, between_dice_test(table, counts.faces, mc),
                                standardised_residuals(table, fair_pair)});
    }
  // The bias of one face is detected in the faces of one die, which every
  // die's rolls are: the smallest the test of K faces sees in them.
  int64_t rolls = counts.per_die.empty() ? 0 : rolls_in(counts.per_die[0]);
  findings.detectable = detectable_for(rolls, counts.faces, mc);
  return findings;
}
