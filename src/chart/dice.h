// The chances the chart tests dicestat's pair of dice against, fair dice
// and the split its generator gives the outcomes, and the tests of fit of
// counts of its outcomes against both.
#pragma once

#include "chart/stats/fit.h"
#include "chart/words/verdict.h"

// Each of the kOutcomes outcomes alike.
Weights fair_dice();

// The generator's 15-bit output taken modulo the outcomes: 32768 = 36 * 910
// + 8, so the first eight outcomes come up 911 times in 32768 and the others
// 910.
Weights generator_split();

// The tests of fit of kOutcomes counts against fair dice and the
// generator's split, the residuals against fair dice, and the power of the
// test at as many rolls as the counts hold; independence not tested.
Findings test_fit(const Counts &counts, const MonteCarlo &mc);
