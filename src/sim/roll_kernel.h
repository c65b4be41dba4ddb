// The fast roll loop's kernels: each draws a run of rolls from a generator
// state, writes their labels to memory and counts them. One portable kernel,
// and SIMD ones where the compiler can target them; all give the same bytes,
// counts and final state as the same number of roll_outcome() calls.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sim/generator.h"

struct Stream;

// Bytes of each roll in the log: two digits and a blank.
constexpr size_t kRollTextSize = 3;

// Scratch a kernel may write past the end of its text: the 4-byte label
// copies and the SIMD stores overrun the last roll.
constexpr size_t kRollSlack = 4;

// Rolls per round of each kernel's lanes, and per kernel call in the roll
// loop (small enough to stay in the first-level cache beside the stream's
// buffer).
constexpr int kPortableLanes = 4, kAvx2Lanes = 32;
constexpr size_t kChunkRolls = 4096;

// Rolls counted by a kernel, folded into the tallies afterwards. Most rolls
// are counted two at a time by the pair of their outcomes: increments to
// 1296 counters rarely hit the same one back to back, which keeps them from
// waiting on each other.
struct RollCounts {
  uint32_t single[kOutcomes];
  uint32_t pairs[kOutcomes * kOutcomes]; // first outcome * kOutcomes + second
};

// Adds the counted rolls to `tallies`, with the wrap-around of a 32-bit
// counter.
void add_roll_counts(const RollCounts &counts, int32_t *tallies);

// Draws `count` rolls from `*state` and leaves in it the state after them.
// `out` receives kRollTextSize bytes a roll and must have kRollSlack bytes
// of room beyond them.
using RollKernelFn = void (*)(uint32_t *state, size_t count, char *out, RollCounts *counts);

struct RollKernel {
  const char *name;
  RollKernelFn roll;
};

// The kernels this host can run, fastest first; there is always at least
// the portable one.
size_t roll_kernels(const RollKernel **kernels);

// record_rolls with the given kernel rather than the fastest.
void record_rolls_with(RollKernelFn roll, Stream *dice_file, int32_t count);

void roll_portable(uint32_t *state, size_t count, char *out, RollCounts *counts);

// x86-64 with a compiler that can target AVX2 for single functions; whether
// the processor has it is asked at run time.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define DICESTAT_ROLL_AVX2 1
void roll_avx2(uint32_t *state, size_t count, char *out, RollCounts *counts);
#else
#define DICESTAT_ROLL_AVX2 0
#endif
