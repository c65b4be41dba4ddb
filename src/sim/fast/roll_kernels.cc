// Which roll kernels this host runs, and folding their counts into the
// tallies.
#include "sim/fast/roll_kernel.h"

namespace {

constexpr RollKernel kPortable = {"portable", roll_portable};

} // namespace

size_t roll_kernels(const RollKernel **kernels) {
#if DICESTAT_ROLL_AVX2
  static const RollKernel kWithAvx2[] = {{"avx2", roll_avx2}, kPortable};
  if (__builtin_cpu_supports("avx2")) {
    *kernels = kWithAvx2;
    return sizeof kWithAvx2 / sizeof kWithAvx2[0];
  }
#endif
  *kernels = &kPortable;
  return 1;
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
