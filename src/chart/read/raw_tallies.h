// The rolls as they are read, before the die is known: each value as read
// (a whole number, or the index of a named face), counted per die and per
// combination, and the first rolls kept in order. Once every value is in,
// the die is fixed and the values become face indices (dice_read.h).
#pragma once

#include <cstdint>
#include <vector>

#include "chart/read/dice_read.h"

// Values a die's raw counts hold: 0 to 100 as read, or the faces' indices.
constexpr int kRawValues = kMaxFaces + 1;

struct RawTallies {
  int dice = 0;                            // D
  int radix = 0;                           // values counted per combination below this; 0: none
  std::vector<std::vector<int64_t>> die;   // D x kRawValues counts
  std::vector<int64_t> combination;        // radix^D counts, value of die 1 * radix^(D-1) + ...
  std::vector<std::vector<int64_t>> pairs; // per pair of dice (1,2), (1,3), ..., (2,3), ...:
                                           // kRawValues^2 counts, first's value * kRawValues
                                           // + second's
  std::vector<uint8_t> order;              // D values a roll, of the first rolls
  int64_t rolls = 0;                       // rolls counted
  int low = kRawValues, high = -1;         // the smallest and largest value read
};

// Tallies of `dice` dice of `faces` named faces, their values the faces'
// indices; or, for faces 0, of a die not yet known, whole numbers 0 to 100.
RawTallies make_raw_tallies(int dice, int faces);

// Counts `weight` rolls of these values, one per die; keeps the roll in
// order when `keep` and room is left.
void tally(RawTallies &raw, const int *values, int64_t weight, bool keep);

// The reading's result from the tallies, its die of `labels` whose first
// face is the value `first`: counts by face index, and the order as
// combination indices or face indices.
void settle(RawTallies &raw, const std::vector<std::string> &labels, int first, RollsRead &read);

// Dicestat's form: each value is a label 11 to 66, one roll of a pair of d6.
void settle_pairs(RawTallies &raw, RollsRead &read);
