// Which roll kernel this host runs, and folding the counts into the
// tallies.
#include "sim/fast/roll_kernel.h"

RollKernelFn fastest_roll_kernel() {
#if DICESTAT_ROLL_AVX2
  if (__builtin_cpu_supports("avx2")) return roll_avx2;
#endif
  return roll_portable;
}

void add_roll_counts(const RollCounts &counts, int32_t *tallies) {
  for (int first = 0; first < kOutcomes; ++first) {
    for (int second = 0; second < kOutcomes; ++second) {
      uint32_t pair = counts.pairs[first * kOutcomes + second];
      tallies[first] = static_cast<int32_t>(static_cast<uint32_t>(tallies[first]) + pair);
      tallies[second] = static_cast<int32_t>(static_cast<uint32_t>(tallies[second]) + pair);
    }
    tallies[first] =
        static_cast<int32_t>(static_cast<uint32_t>(tallies[first]) + counts.single[first]);
  }
}
