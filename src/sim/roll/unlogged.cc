// Rolls drawn by the fastest kernel with no roll log to write: the kernel's
// text goes to a scratch chunk that is counted or read back, never written.
// Needs nothing of the platform, so dicestat-chart links it to draw a run
// again.
#include <algorithm>

#include "sim/roll/kernel.h"

namespace {

// The kernel's text of one chunk, and its scratch.
struct ChunkText {
  char bytes[kChunkRolls * kRollTextSize + kRollSlack];
};

} // namespace

void roll_and_count(Generator *generator, int32_t count, Tallies *tallies) {
  if (count <= 0) return;
  RollKernelFn roll = fastest_roll_kernel();
  RollCounts counts = {};
  ChunkText text;
  for (size_t left = static_cast<size_t>(count); left > 0;) {
    size_t rolls = std::min(left, kChunkRolls);
    roll(&generator->state, rolls, text.bytes, &counts);
    left -= rolls;
  }
  add_roll_counts(counts, tallies);
}

void roll_outcomes(Generator *generator, size_t count, uint8_t *outcomes) {
  RollKernelFn roll = fastest_roll_kernel();
  RollCounts counts = {}; // wraps unread: only the outcomes are wanted
  ChunkText text;
  while (count > 0) {
    size_t rolls = std::min(count, kChunkRolls);
    roll(&generator->state, rolls, text.bytes, &counts);
    for (size_t k = 0; k < rolls; ++k) {
      const char *label = text.bytes + k * kRollTextSize;
      outcomes[k] = static_cast<uint8_t>((label[0] - '1') * kFaces + (label[1] - '1'));
    }
    outcomes += rolls;
    count -= rolls;
  }
}
