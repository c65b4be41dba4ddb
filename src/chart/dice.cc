#include "chart/dice.h"

#include "chart/stats/power.h"
#include "sim/file_facts.h"

Weights fair_dice() {
  return equal_weights(kOutcomes);
}

Weights generator_split() {
  constexpr int32_t kShare = kGeneratorRange / kOutcomes;
  constexpr int32_t kFavoured = kGeneratorRange % kOutcomes;
  Weights weights(kOutcomes, kShare);
  for (int i = 0; i < kFavoured; ++i) ++weights[i];
  return weights;
}

Findings test_fit(const Counts &counts, const MonteCarlo &mc) {
  Findings findings;
  findings.fair = fit_test(counts, fair_dice(), mc);
  findings.generator = fit_test(counts, generator_split(), mc);
  findings.z = standardised_residuals(counts, fair_dice());
  findings.power = power_for(rolls_in(counts), generator_split(), mc);
  return findings;
}
