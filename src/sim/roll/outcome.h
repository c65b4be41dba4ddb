// The outcome of a generator output without a division, and the text that
// logs each outcome. Shared by every roll kernel.
#pragma once

#include <cstdint>
#include <cstring>

#include "sim/roll/kernel.h"

// The fraction output / 36 in 32-bit fixed point, output * ceil(2^32 / 36)
// mod 2^32, runs high by under 0.9 units per unit of output: less than 2^15
// units in all, against 2^32 / 36 for one outcome. Only its top 16 bits are
// used, and one unit of bias there makes up for the bits cut off below, so
// that they never fall short of the exact fraction nor reach the next
// outcome's.
constexpr uint32_t kOutcomeFraction = 119304648;
constexpr uint32_t kOutcomeBias = 1u << 16;

// output % 36 for every output 0 to 32767: the fraction's top 16 bits times
// 36, shifted back down. The plain remainder: outcomes 0 to 7 come up once
// more in 32768 outputs than the others, a bias the report is there to show.
constexpr int outcome_of(uint32_t output) {
  return static_cast<int>((((output * kOutcomeFraction + kOutcomeBias) >> 16) * kOutcomes) >> 16);
}

// Each outcome's label and blank, padded to four bytes so that a kernel can
// copy a whole word and let the next label overwrite the pad.
constexpr char kRollText[kOutcomes][4] = {
    "11 ", "12 ", "13 ", "14 ", "15 ", "16 ", "21 ", "22 ", "23 ", "24 ", "25 ", "26 ",
    "31 ", "32 ", "33 ", "34 ", "35 ", "36 ", "41 ", "42 ", "43 ", "44 ", "45 ", "46 ",
    "51 ", "52 ", "53 ", "54 ", "55 ", "56 ", "61 ", "62 ", "63 ", "64 ", "65 ", "66 "};

// One roll at a time, for what is left after the last round of lanes;
// writes four bytes, the last of them scratch.
inline void roll_one(uint32_t *state, char *out, RollCounts *counts) {
  *state = lcg_apply({kLcgMultiplier, kLcgIncrement}, *state);
  int outcome = outcome_of(lcg_output(*state));
  memcpy(out, kRollText[outcome], sizeof kRollText[outcome]);
  ++counts->single[outcome];
}
