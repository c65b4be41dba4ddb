#include "sim/generator.h"

namespace {

uint32_t state = 1;

} // namespace

const int32_t outcome_labels[kOutcomes] = {
    11, 12, 13, 14, 15, 16, 21, 22, 23, 24, 25, 26, 31, 32, 33, 34, 35, 36,
    41, 42, 43, 44, 45, 46, 51, 52, 53, 54, 55, 56, 61, 62, 63, 64, 65, 66,
};

void generator_seed(int32_t seed) {
  state = static_cast<uint32_t>(seed);
}

uint32_t generator_state() {
  return state;
}

void generator_restore(uint32_t saved) {
  state = saved;
}
