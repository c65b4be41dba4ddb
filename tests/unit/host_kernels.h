// Every roll kernel this host runs, by name and fastest first, for tests and
// benchmarks that try each: the AVX2 one where the processor has it, and the
// portable one.
#pragma once

#include <vector>

#include "sim/roll/kernel.h"

struct NamedKernel {
  const char *name;
  RollKernelFn roll;
};

inline std::vector<NamedKernel> host_kernels() {
  std::vector<NamedKernel> kernels;
#if DICESTAT_ROLL_AVX2
  if (__builtin_cpu_supports("avx2")) kernels.push_back({"avx2", roll_avx2});
#endif
  kernels.push_back({"portable", roll_portable});
  return kernels;
}

inline const char *kernel_name(RollKernelFn roll) {
  for (const NamedKernel &kernel : host_kernels())
    if (kernel.roll == roll) return kernel.name;
  return "unknown";
}
