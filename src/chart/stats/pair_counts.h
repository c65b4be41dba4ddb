// The tables of a test of independence: for each lag L = 1, 2, 4, ..., the
// K x K counts of the pairs (roll i, roll i + L) with i mod 2L < L, so
// that no roll is in two pairs of the same lag. Filled piece by piece as the
// roll log is read, from a compact copy of the rolls read so far.
#pragma once

#include <cstdint>
#include <vector>

// Only the first 2^27 rolls of a longer log are analysed: one byte each,
// their copy stays under 160 MiB with everything else.
constexpr int64_t kMaxAnalysedRolls = int64_t{1} << 27;

// Lags 2^0 to 2^26; a lag of 2^27 has no pair within kMaxAnalysedRolls.
constexpr int kMaxLags = 27;

// Each lag's table is kept in this many copies, filled in turn.
constexpr int kTableCopies = 4;

struct PairCounts {
  int side = 0;                  // K, the outcomes a roll can have, at most 256
  std::vector<uint8_t> outcomes; // outcome index, 0 to K - 1, of each roll analysed so far
  std::vector<uint32_t> tables;  // per lag, kTableCopies tables of K * K cells,
                                 // each first roll's outcome * K + second roll's
};

// Pairs of lag `lag` whose second roll comes before roll `j`: the first roll
// of a pair lies in the lower half of a block of 2 * lag rolls.
int64_t pairs_before(int64_t lag, int64_t j);

// Empty tables for rolls of `side` outcomes, and room for kMaxAnalysedRolls
// outcomes (taken from the system only as they are written).
PairCounts make_pair_counts(int side);

// Counts every pair whose second roll lies in outcomes[begin, end): the
// outcomes up to `end` are in place, and those before `begin` were counted
// by earlier calls.
void count_pairs(PairCounts &counts, int64_t begin, int64_t end);

// The table of lag 2^k, first roll's outcome * K + second roll's: the sum
// of its copies.
std::vector<uint32_t> pair_table(const PairCounts &counts, int k);
