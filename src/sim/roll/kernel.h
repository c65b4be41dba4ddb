// The roll kernels: each draws a run of rolls from a generator state,
// writes their labels to memory and counts them. One portable kernel, and
// SIMD ones where the compiler can target them; all give the same bytes,
// counts and final state as the same number of single generator steps.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sim/roll/generator.h"
#include "sim/roll/roll.h"

// Scratch a kernel may write past the end of its text: the 4-byte label
// copies and the SIMD stores overrun the last roll.
constexpr size_t kRollSlack = 4;

// Rolls the loop hands a kernel at a time: small enough for the chunk's text
// to stay in the first-level cache beside the stream's buffer.
constexpr size_t kChunkRolls = 4096;

// Generator lanes of each kernel: the rolls of one round. Counts on either
// side of a multiple of these end a kernel call inside a round.
constexpr int kPortableLanes = 4;
constexpr int kAvx2Lanes = 32;

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
void add_roll_counts(const RollCounts &counts, Tallies *tallies);

// Draws `count` rolls from `*state` and leaves in it the state after them.
// `out` receives kRollTextSize bytes a roll and must have kRollSlack bytes
// of room beyond them.
using RollKernelFn = void (*)(uint32_t *state, size_t count, char *out, RollCounts *counts);

// The fastest kernel this host runs.
RollKernelFn fastest_roll_kernel();

// roll_and_record with the given kernel rather than the fastest.
void roll_and_record_with(RollKernelFn roll, Generator *generator, Stream *dice_file, int32_t count,
                          Tallies *tallies);

void roll_portable(uint32_t *state, size_t count, char *out, RollCounts *counts);

// x86-64 with a compiler that can target AVX2 for single functions; whether
// the processor has it is asked at run time.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define DICESTAT_ROLL_AVX2 1
void roll_avx2(uint32_t *state, size_t count, char *out, RollCounts *counts);
#else
#define DICESTAT_ROLL_AVX2 0
#endif
