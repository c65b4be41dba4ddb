// The generator's arithmetic: one step, its output, and any number of
// steps as one, for the kernels' lanes.
#pragma once

#include "sim/file_facts.h"

// One step: state * kLcgMultiplier + kLcgIncrement, mod 2^32.
constexpr uint32_t kLcgMultiplier = 1103515245;
constexpr uint32_t kLcgIncrement = 12345;

// The output of the step that arrived at `state`: bits 16 to 30.
constexpr uint32_t lcg_output(uint32_t state) {
  return (state >> 16) & (kGeneratorRange - 1);
}

// Any number of steps as one: state * multiplier + increment, mod 2^32, with
// multiplier a^k and increment c(a^(k-1) + ... + a + 1) for k steps.
struct LcgJump {
  uint32_t multiplier;
  uint32_t increment;
};

constexpr uint32_t lcg_apply(LcgJump jump, uint32_t state) {
  return state * jump.multiplier + jump.increment;
}

// Composes by squaring: O(log steps) multiplications.
constexpr LcgJump lcg_jump(uint64_t steps) {
  LcgJump total = {1, 0};
  LcgJump power = {kLcgMultiplier, kLcgIncrement}; // 2^i steps
  for (; steps != 0; steps >>= 1) {
    if (steps & 1) total = {total.multiplier * power.multiplier, lcg_apply(power, total.increment)};
    power = {power.multiplier * power.multiplier, lcg_apply(power, power.increment)};
  }
  return total;
}
