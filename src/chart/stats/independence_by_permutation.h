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
// while it has a pair per row of its table on average, `side` pairs, each with its statistic and
// the share of mc.samples permutations whose statistic at that lag is at least as large; the
// verdict is the strongest lag by chi-square p (stronger_lag), and its p the share of permutations
// whose smallest chi-square p over the lags is at most that one; reject_below is the level that a
// smallest chi-square p must lie below for that share to fall below kRejectLevel. Shared among
// mc.threads threads; the result is the same for any number of them.
Independence independence_by_permutation(const std::vector<uint8_t> &outcomes, int side,
                                         const MonteCarlo &mc);
