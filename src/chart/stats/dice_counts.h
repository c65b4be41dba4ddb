// The counts of rolls of D dice of K faces each, as the tests of any die
// take them: each die's own faces, every combination of faces where there
// are few enough of them, and the table of each pair of dice. A face is an
// index 0 to K - 1, in the order of the faces' labels.
#pragma once

#include <cstdint>
#include <vector>

#include "chart/stats/counts.h"

struct DiceCounts {
  int dice = 1;                    // D, at least 1
  int faces = 0;                   // K, at least 2 and at most 256
  std::vector<Counts> per_die;     // D counts of K faces, die 1 first
  Counts combinations;             // K^D counts, index sum of face_d * K^(D-1-d), die 1's
                                   // face the most significant; empty where there are
                                   // too many combinations to test as one distribution
  std::vector<Counts> pair_tables; // for D > 1, one per pair of dice (1,2), (1,3), ...,
                                   // (2,3), ...: K * K counts, the first die's face * K +
                                   // the second's
};

// Counts of no rolls, for `dice` dice of `faces` faces; the combinations
// counted only where `combined`.
DiceCounts make_dice_counts(int dice, int faces, bool combined);

// The index of pair (first, second) of dice 0-based, first < second, in
// DiceCounts::pair_tables.
int pair_index(int dice, int first, int second);

// Adds `times` rolls (1 for a roll read, a tally's count for a tally) whose
// dice came up faces[0], ..., faces[D - 1], each below K.
void add_roll(DiceCounts &counts, const uint8_t *faces, int64_t times);
