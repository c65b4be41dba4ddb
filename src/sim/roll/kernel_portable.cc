// The portable roll kernel: four generator lanes, each a step of four
// rolls, so that the rolls of one round do not wait on each other.
#include "sim/roll/kernel.h"
#include "sim/roll/outcome.h"

namespace {

constexpr int kLanes = kPortableLanes;
constexpr LcgJump kRound = lcg_jump(kLanes);

} // namespace

void roll_portable(uint32_t *state, size_t count, char *out, RollCounts *counts) {
  const uint32_t start = *state;
  uint32_t lane[kLanes];
  for (int i = 0; i < kLanes; ++i) lane[i] = lcg_apply(lcg_jump(i + 1), start);

  const size_t rounds = count / kLanes;
  for (size_t round = 0; round < rounds; ++round) {
    int outcome[kLanes];
#pragma GCC unroll 4 // keeps the lanes in registers
    for (int i = 0; i < kLanes; ++i) {
      outcome[i] = outcome_of(lcg_output(lane[i]));
      memcpy(out + i * kRollTextSize, kRollText[outcome[i]], sizeof kRollText[0]);
      lane[i] = lcg_apply(kRound, lane[i]);
    }
    ++counts->pairs[outcome[0] * kOutcomes + outcome[1]];
    ++counts->pairs[outcome[2] * kOutcomes + outcome[3]];
    out += kLanes * kRollTextSize;
  }

  *state = lcg_apply(lcg_jump(rounds * kLanes), start);
  for (size_t i = rounds * kLanes; i < count; ++i, out += kRollTextSize)
    roll_one(state, out, counts);
}
