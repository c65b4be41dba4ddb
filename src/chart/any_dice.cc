#include "chart/any_dice.h"

#include "chart/stats/between_dice.h"
#include "chart/stats/fit.h"
#include "chart/stats/power.h"

namespace {

// Each pair of dice's table from the combinations' counts: a combination's
// faces are its index's digits in base K, die 1's the most significant.
void pairs_from_combinations(DiceCounts &counts) {
  std::vector<uint8_t> faces(static_cast<size_t>(counts.dice));
  auto k = static_cast<size_t>(counts.faces);
  for (size_t c = 0; c < counts.combinations.size(); ++c) {
    for (size_t d = faces.size(), rest = c; d-- > 0; rest /= k) faces[d] = uint8_t(rest % k);
    size_t pair = 0;
    for (size_t a = 0; a < faces.size(); ++a)
      for (size_t b = a + 1; b < faces.size(); ++b)
        counts.pair_tables[pair++][faces[a] * k + faces[b]] += counts.combinations[c];
  }
}

// Each pair of dice's table from the rolls in order, D face indices each.
void pairs_from_order(DiceCounts &counts, const std::vector<uint8_t> &order) {
  auto k = static_cast<size_t>(counts.faces), dice = static_cast<size_t>(counts.dice);
  for (size_t at = 0; at + dice <= order.size(); at += dice) {
    size_t pair = 0;
    for (size_t a = 0; a < dice; ++a)
      for (size_t b = a + 1; b < dice; ++b)
        ++counts.pair_tables[pair++][order[at + a] * k + order[at + b]];
  }
}

} // namespace

DiceCounts dice_counts_of(const RollsRead &read) {
  DiceCounts counts = make_dice_counts(read.dice, read.faces, !read.combinations.empty());
  counts.per_die = read.per_die;
  counts.combinations = read.combinations;
  if (read.dice < 2) return counts;
  // The combinations hold every roll; the order only the analysed ones,
  // all of them but in a list longer than kMaxAnalysedRolls values.
  if (!counts.combinations.empty())
    pairs_from_combinations(counts);
  else
    pairs_from_order(counts, read.order);
  return counts;
}

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
  findings.detectable = detectable_for(rolls, counts.faces);
  return findings;
}
