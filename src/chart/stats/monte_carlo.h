// What the Monte Carlo tests share: their options, their random numbers and
// their p-value. Each sample draws from a stream of its own, xoshiro256**
// seeded through splitmix64 from the seed and the sample's index, so a
// p-value depends on neither the number of threads nor the order in which
// they run, and is the same on every machine.
#pragma once

#include <cstdint>

constexpr int64_t kDefaultSamples = 10000;
constexpr uint64_t kDefaultMcSeed = 1;

struct MonteCarlo {
  int64_t samples = kDefaultSamples; // B: samples, or permutations, per test; at least 1
  uint64_t seed = kDefaultMcSeed;    // of every stream
  unsigned threads = 0;              // for the permutation test; 0: one per processor
};

struct RandomStream {
  uint64_t state[4]; // xoshiro256**'s, never all zero
};

// The stream of sample `index`.
RandomStream random_stream(uint64_t seed, uint64_t index);

// The next 64 random bits.
uint64_t next_random(RandomStream &stream);

// A uniform draw from 0 to bound - 1, bound at least 1: the high half of a
// 32-bit draw times bound, drawn again in the rare case that would favour
// some values (Lemire's method), so every value has the same chance.
uint32_t random_below(RandomStream &stream, uint32_t bound);

// (1 + samples at least as extreme as the data) / (samples + 1): the chance
// of a sample as extreme, counting the data as one of them, so never 0.
inline double simulated_p(int64_t as_extreme, int64_t samples) {
  return (1.0 + static_cast<double>(as_extreme)) / (static_cast<double>(samples) + 1.0);
}
