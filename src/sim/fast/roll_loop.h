// The roll loop: the whole run's rolls drawn a chunk at a time by a kernel,
// each chunk's text handed to the roll log in one block.
#pragma once

#include <cstdint>

#include "sim/fast/roll_kernel.h"

struct Stream;

// Draws `count` rolls (none when it is 0 or less) with the fastest kernel
// this host runs, logs and counts them: the same bytes, write pieces,
// tallies and generator state afterwards as drawing, logging and counting
// them one at a time, only faster.
void roll_and_record(Stream *dice_file, int32_t count);

// roll_and_record with the given kernel rather than the fastest.
void roll_and_record_with(RollKernelFn roll, Stream *dice_file, int32_t count);
