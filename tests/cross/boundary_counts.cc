// Prints roll counts on both sides of the roll loop's boundaries, one a
// line, from the program's own constants: a count that ends one roll short
// of, on, or one past a kernel round, a chunk, or a full stream buffer of
// roll log text.
#include <cstdint>
#include <iostream>
#include <numeric>

#include "platform/io/stream.h"
#include "sim/roll/kernel.h"

int main() {
  // The most rolls whose text fits in the roll log's buffer, and the first
  // count whose text ends a chunk exactly on a buffer boundary.
  const size_t buffer_rolls = kStreamBufferSize / kRollTextSize;
  const size_t chunk_bytes = kChunkRolls * kRollTextSize;
  const size_t aligned_rolls = std::lcm(chunk_bytes, kStreamBufferSize) / kRollTextSize;
  const size_t boundaries[] = {
      kPortableLanes,  kAvx2Lanes,   2 * kAvx2Lanes,   kChunkRolls,   kChunkRolls + kAvx2Lanes,
      2 * kChunkRolls, buffer_rolls, 2 * buffer_rolls, aligned_rolls,
  };
  for (size_t boundary : boundaries)
    for (size_t count = boundary - 1; count <= boundary + 1; ++count) std::cout << count << '\n';
}
