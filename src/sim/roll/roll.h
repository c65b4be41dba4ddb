// Roll generation: a seeded 32-bit linear congruential generator, and the
// loop that draws a run's rolls a chunk at a time through the fastest kernel
// the host runs, logs their labels and counts them. The rest of the program
// uses this header alone; generator.h, outcome.h and kernel.h are this folder's own.
#pragma once

#include <array>
#include <cstddef>

#include "sim/file_facts.h"

struct Stream;

// Rolls of each outcome, in 32-bit counters that wrap.
using Tallies = std::array<int32_t, kOutcomes>;

struct Generator {
  uint32_t state = 1; // until it is seeded
};

// Stores the seed's 32-bit pattern as the generator state.
void generator_seed(Generator *generator, int32_t seed);

// Draws `count` rolls (none when it is 0 or less) from `generator`, logs
// each label to `dice_file` and counts it in `tallies`: the same bytes,
// write pieces, tallies and generator state as drawing, logging and
// counting them one at a time, only faster.
void roll_and_record(Generator *generator, Stream *dice_file, int32_t count, Tallies *tallies);

// The same rolls without a log, for a run drawn again from its seed: counts
// them in `tallies` as roll_and_record does.
void roll_and_count(Generator *generator, int32_t count, Tallies *tallies);

// Draws `count` rolls from `generator` and writes the outcome index of each,
// 0 to 35, to `outcomes`, in the order drawn.
void roll_outcomes(Generator *generator, size_t count, uint8_t *outcomes);
