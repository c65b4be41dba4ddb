// Which roll kernel this host runs, and folding the counts into the
// tallies.
#include "sim/roll/kernel.h"

RollKernelFn fastest_roll_kernel() {
#if DICESTAT_ROLL_AVX2
  if (__builtin_cpu_supports("avx2")) return roll_avx2;
#endif
  return roll_portable;
}

void add_roll_counts(const RollCounts &counts, Tallies *tallies) {
  // Unsigned sums, so that a counter wraps as a 32-bit one does.
  uint32_t sum[kOutcomes];
  for (int i = 0; i < kOutcomes; ++i)
    sum[i] = static_cast<uint32_t>((*tallies)[i]) + counts.single[i];
  for (int first = 0; first < kOutcomes; ++first) {
    for (int second = 0; second < kOutcomes; ++second) {
      sum[first] += counts.pairs[first * kOutcomes + second];
      sum[second] += counts.pairs[first * kOutcomes + second];
    }
  }
  for (int i = 0; i < kOutcomes; ++i) (*tallies)[i] = static_cast<int32_t>(sum[i]);
}
