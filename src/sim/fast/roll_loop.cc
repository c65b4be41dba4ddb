#include "sim/fast/roll_loop.h"

#include "platform/platform.h"
#include "sim/report.h"

void roll_and_record_with(RollKernelFn roll, Stream *dice_file, int32_t count) {
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

void roll_and_record(Stream *dice_file, int32_t count) {
  roll_and_record_with(fastest_roll_kernel(), dice_file, count);
}
