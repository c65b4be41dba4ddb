// The roll loop: the run's rolls drawn a chunk at a time by a kernel, each
// chunk's text handed to the roll log in one block.
#include "platform/platform.h"
#include "sim/roll/kernel.h"

void roll_and_record_with(RollKernelFn roll, Generator *generator, Stream *dice_file, int32_t count,
                          Tallies *tallies) {
  if (count <= 0) return;
  RollCounts counts = {};
  char text[kChunkRolls * kRollTextSize + kRollSlack];
  for (size_t left = static_cast<size_t>(count); left > 0;) {
    size_t rolls = left < kChunkRolls ? left : kChunkRolls;
    roll(&generator->state, rolls, text, &counts);
    write_block(dice_file, text, rolls * kRollTextSize);
    left -= rolls;
  }
  add_roll_counts(counts, tallies);
}

void roll_and_record(Generator *generator, Stream *dice_file, int32_t count, Tallies *tallies) {
  roll_and_record_with(fastest_roll_kernel(), generator, dice_file, count, tallies);
}
