// The counts of the outcomes: how many rolls came up each outcome, by the
// outcome's index. The readers make them, the tests take them, and their
// size is the number of outcomes a roll can have.
#pragma once

#include <cstdint>
#include <numeric>
#include <vector>

using Counts = std::vector<int64_t>;

// The rolls the counts hold: their sum.
inline int64_t rolls_in(const Counts &counts) {
  return std::accumulate(counts.begin(), counts.end(), int64_t{0});
}
