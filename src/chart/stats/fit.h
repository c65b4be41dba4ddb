// Goodness of fit of counts of any number of outcomes to a distribution
// given in whole-number weights: Pearson's chi-square statistic and its
// upper-tail p-value. Where an expected count is below kMinExpected the
// chi-square distribution is a poor guide to the statistic, and p is
// simulated instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "chart/stats/counts.h"
#include "chart/stats/monte_carlo.h"
#include "chart/stats/record.h"

// Below this expected count in any outcome, p is simulated.
constexpr int kMinExpected = 5;

// The distribution tested, in whole chances: outcome i comes up weights[i]
// times in the sum of the weights. Each weight is at least 1 and the sum
// below 2^32, so a simulated roll is one uniform draw below the sum, and
// the same draws give the same p on every machine.
using Weights = std::vector<int32_t>;

// Each of `outcomes` outcomes alike.
Weights equal_weights(size_t outcomes);

// The upper tail of the chi-square distribution with `degrees` (at least 1)
// degrees of freedom at x; NaN for NaN or a negative x.
double chi2_upper_tail(double x, int degrees);

// Pearson's test of counts against weights, one of each per outcome, with
// the outcomes less one degrees of freedom, since the counts add up to the
// rolls; statistic and p NaN when the counts hold no rolls. A simulated p
// draws mc.samples samples of as many rolls from the weights and counts
// those whose statistic is at least the counts'.
Record fit_test(const Counts &counts, const Weights &weights, const MonteCarlo &mc);

// Each count's standardised residual against the weights, (count -
// expected) / sqrt(expected); NaN throughout when the counts hold no rolls.
std::vector<double> standardised_residuals(const Counts &counts, const Weights &weights);
