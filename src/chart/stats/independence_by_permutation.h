// The test of independence for a short log, where the pair tables are too
// sparse for the chi-square distribution: the same lags and pairs, tested
// against random permutations of the rolls. Permuted rolls keep the counts
// of the outcomes and lose any order, which is what independence means.
#pragma once

#include <cstdint>
#include <vector>

#include "chart/stats/independence.h"
#include "chart/stats/monte_carlo.h"

// Every lag of `outcomes` (indices 0 to side - 1, in the order rolled)
// while it has a pair per row of its table on average, `side` pairs, each
// with its statistic and its p from its own permutation distribution: (1 +
// permutations whose statistic at that lag is at least as large) / (B + 1),
// B = mc.samples. Each permutation's p at a lag is its rank there, found
// alike among the same permutations and the data. The verdict's lag is the
// one of the smallest p (stronger_lag), and its p the share of
// permutations whose smallest p over the lags is at most that one,
// counting the data (single-step min-p, which takes account of testing
// many lags exactly). As no p is below 1 / (B + 1), which some
// permutation reaches at nearly every lag, ties in the smallest p are
// broken by the smallest chi-square p over the lags: without that the
// verdict's p could not fall below about lags / (B + 1), out of
// kRejectLevel's reach at the default B. reject_below is the level that
// the smallest p must lie below for the verdict's p to fall below
// kRejectLevel. Keeps every permutation's statistics, 8 bytes a lag;
// shared among mc.threads threads, with the same result for any number of
// them.
Independence independence_by_permutation(const std::vector<uint8_t> &outcomes, int side,
                                         const MonteCarlo &mc);
