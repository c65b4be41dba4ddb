// The roll loop: rolls drawn a chunk at a time by a kernel, each chunk's
// text handed to the roll log in one block.
#include "platform/platform.h"
#include "sim/report.h"
#include "sim/roll_kernel.h"

void record_rolls_with(RollKernelFn roll, Stream *dice_file, int32_t count) {
  if (count <= 0) return;
  RollCounts counts = {};
  char text[kChunkRolls * kRollTextSize + kRollSlack];
  uint32_t state = generator_state();
  for (size_t left = static_cast<size_t>(count); left > 0;) {
    size_t rolls = left < kChunkRolls ? left : kChunkRolls;
    roll(&state, rolls, text, &counts);
    write_block(dice_file, text, rolls * kRollTextSize);
    left -= rolls;
  }
  generator_restore(state);
  add_roll_counts(counts, tallies);
}

void record_rolls(Stream *dice_file, int32_t count) {
  const RollKernel *kernels = nullptr;
  roll_kernels(&kernels);
  record_rolls_with(kernels[0].roll, dice_file, count);
}
