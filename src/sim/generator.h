// The roll generator: a 32-bit linear congruential generator, the reduction
// of its output to one of the 36 ordered outcomes, and the outcome labels.
#pragma once

#include <cstdint>

constexpr int kOutcomes = 36;

// Label of each outcome index: first die's face, then the second die's.
extern const int32_t outcome_labels[kOutcomes];

// Stores the seed's 32-bit pattern as the generator state.
void generator_seed(int32_t seed);

// Advances the state and returns bits 16 to 30 of it: 0 to 32767.
int32_t generator_next();

// The next outcome index, 0 to 35.
int roll_outcome();
