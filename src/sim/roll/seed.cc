// Seeding: the seed's 32-bit pattern is the generator's state.
#include "sim/roll/roll.h"

void generator_seed(Generator *generator, int32_t seed) {
  generator->state = static_cast<uint32_t>(seed);
}
