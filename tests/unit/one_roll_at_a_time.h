// The rolls one at a time, by the tests' model of the generator: the
// reference the fast roll path is held to. It steps the program's own
// generator state, so it picks up from generator_seed() and leaves
// generator_state() where the fast path would.
#pragma once

#include <cstdint>

#include "model.h"
#include "platform/platform.h"
#include "sim/generator.h"
#include "sim/report.h"

// One step of the generator: its output, 0 to 32767.
inline int32_t next_output() {
  uint32_t state = generator_state();
  int32_t output = model::next_output(&state);
  generator_restore(state);
  return output;
}

// The next roll's outcome index, by the plain remainder.
inline int next_outcome() {
  return next_output() % kOutcomes;
}

// Logs one outcome's label, a formatted write a roll, and counts it.
inline void record_one(Stream *dice_file, int index) {
  write_formatted(dice_file, "%d ", outcome_labels[index]);
  ++tallies[index];
}
