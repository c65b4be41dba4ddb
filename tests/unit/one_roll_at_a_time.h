// The rolls one at a time, by the tests' model of the generator: the
// reference the fast roll path is held to. It steps the program's own
// generator record, so it picks up from generator_seed() and leaves the
// state where the fast path would.
#pragma once

#include <cstdint>

#include "model.h"
#include "platform/platform.h"
#include "sim/roll/roll.h"

// One step of the generator: its output, 0 to 32767.
inline int32_t next_output(Generator *generator) {
  return model::next_output(&generator->state);
}

// The next roll's outcome index, by the plain remainder.
inline int next_outcome(Generator *generator) {
  return next_output(generator) % kOutcomes;
}

// Logs one outcome's label, a formatted write a roll, and counts it.
inline void record_one(Stream *dice_file, int index, Tallies *tallies) {
  write_formatted(dice_file, "%d ", outcome_labels[index]);
  ++(*tallies)[index];
}
