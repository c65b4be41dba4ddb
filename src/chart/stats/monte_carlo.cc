#include "chart/stats/monte_carlo.h"

namespace {

// splitmix64's increment and output mix.
constexpr uint64_t kGolden = 0x9e3779b97f4a7c15;

uint64_t mix(uint64_t z) {
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
  z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
  return z ^ (z >> 31);
}

uint64_t rotate_left(uint64_t x, int bits) {
  return (x << bits) | (x >> (64 - bits));
}

} // namespace

RandomStream random_stream(uint64_t seed, uint64_t index) {
  // Both mixes are one to one, so every (seed, index) starts splitmix64
  // somewhere else; its next four outputs are the stream's state.
  uint64_t splitmix = mix(seed ^ mix(index));
  RandomStream stream;
  for (uint64_t &word : stream.state) word = mix(splitmix += kGolden);
  return stream;
}

uint64_t next_random(RandomStream &stream) {
  uint64_t *s = stream.state;
  uint64_t result = rotate_left(s[1] * 5, 7) * 9;
  uint64_t t = s[1] << 17;
  s[2] ^= s[0];
  s[3] ^= s[1];
  s[1] ^= s[2];
  s[0] ^= s[3];
  s[2] ^= t;
  s[3] = rotate_left(s[3], 45);
  return result;
}

uint32_t random_below(RandomStream &stream, uint32_t bound) {
  uint64_t product = (next_random(stream) >> 32) * bound;
  if (static_cast<uint32_t>(product) < bound) {
    uint32_t threshold = (0u - bound) % bound; // 2^32 mod bound
    while (static_cast<uint32_t>(product) < threshold)
      product = (next_random(stream) >> 32) * bound;
  }
  return static_cast<uint32_t>(product >> 32);
}
