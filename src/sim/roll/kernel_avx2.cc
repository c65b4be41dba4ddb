// The AVX2 roll kernel: 32 generator lanes in four vectors. Lane i draws
// rolls i, i + 32, i + 64, ..., jumping 32 steps at a time, so the lanes never
// wait on each other. Only called once the processor is known to have AVX2.
#include "sim/roll/kernel.h"

#if DICESTAT_ROLL_AVX2

#include <immintrin.h>

#include "sim/roll/outcome.h"

#define DICESTAT_AVX2 __attribute__((target("avx2")))

namespace {

constexpr int kVectorLanes = 8;
constexpr int kVectors = 4; // enough independent chains to hide the multiplies
constexpr int kLanes = kVectorLanes * kVectors;
static_assert(kLanes == kAvx2Lanes, "the lane count the header gives");
constexpr LcgJump kRound = lcg_jump(kLanes);

struct LaneStarts {
  LcgJump jump[kLanes]; // lane i starts i + 1 steps on
};

constexpr LaneStarts make_lane_starts() {
  LaneStarts starts = {};
  for (int i = 0; i < kLanes; ++i) starts.jump[i] = lcg_jump(i + 1);
  return starts;
}

constexpr LaneStarts kLaneStarts = make_lane_starts();

// Byte patterns for the text of the four rolls in each 128-bit half: their
// 12 bytes, then 4 of scratch.
constexpr int kVectorBytes = 32;
constexpr int kHalfBytes = 16;
constexpr int kLaneBytes = 4;
constexpr int kUpperHalf = 2;                               // byte offset in a lane
constexpr int kRollBytes = static_cast<int>(kRollTextSize); // two digits, a blank
constexpr int kDigits = 2;
constexpr int kHalfText = kVectorLanes / 2 * kRollBytes;
constexpr int8_t kZero = -1; // a shuffle index that yields a zero byte

struct BytePattern {
  alignas(kVectorBytes) int8_t bytes[kVectorBytes];
};

// Where each text byte comes from: a digit in the upper half of its roll's
// lane, or nothing for the blank and the scratch.
constexpr BytePattern make_pick() {
  BytePattern p = {};
  for (int i = 0; i < kVectorBytes; ++i) {
    int at = i % kHalfBytes, roll = at / kRollBytes, digit = at % kRollBytes;
    bool picked = at < kHalfText && digit < kDigits;
    p.bytes[i] = picked ? static_cast<int8_t>(roll * kLaneBytes + kUpperHalf + digit) : kZero;
  }
  return p;
}

// Added to the picked digits 0 to 5: the faces '1' to '6', and the blank.
constexpr BytePattern make_ascii() {
  BytePattern p = {};
  for (int i = 0; i < kVectorBytes; ++i) {
    int at = i % kHalfBytes, digit = at % kRollBytes;
    p.bytes[i] = at >= kHalfText ? 0 : digit < kDigits ? '1' : ' ';
  }
  return p;
}

constexpr BytePattern kPick = make_pick();
constexpr BytePattern kAscii = make_ascii();

struct Constants {
  __m256i round_multiplier, round_increment;
  __m256i fraction, bias;
  __m256i six, outcomes, digit_weight;
  __m256i pick, ascii;
};

DICESTAT_AVX2 Constants make_constants() {
  Constants k;
  k.round_multiplier = _mm256_set1_epi32(static_cast<int32_t>(kRound.multiplier));
  k.round_increment = _mm256_set1_epi32(static_cast<int32_t>(kRound.increment));
  k.fraction = _mm256_set1_epi32(static_cast<int32_t>(kOutcomeFraction));
  k.bias = _mm256_set1_epi32(static_cast<int32_t>(kOutcomeBias));
  k.six = _mm256_set1_epi16(6);
  k.outcomes = _mm256_set1_epi16(kOutcomes);
  k.digit_weight = _mm256_set1_epi16(6 * 256 - 1);
  k.pick = _mm256_load_si256(reinterpret_cast<const __m256i *>(kPick.bytes));
  k.ascii = _mm256_load_si256(reinterpret_cast<const __m256i *>(kAscii.bytes));
  // Hidden from the compiler, which would otherwise turn the 16-bit
  // multiplies by them into longer chains of shifts and adds.
  __asm__("" : "+x"(k.outcomes), "+x"(k.digit_weight));
  return k;
}

// Eight rolls from eight lane states. The fraction's top 16 bits sit in the
// upper 16-bit half of each lane, where one multiply gives the outcome
// r = 6t + u and another the first die's digit t (36 and 6 parts of the
// fraction); then t + 256u = 256r - 1535t puts each die's digit in its byte.
// Writes 24 bytes of labels and 4 of scratch to `out`; returns the outcomes
// in the upper halves.
DICESTAT_AVX2 inline __m256i roll_eight(const Constants &k, __m256i states, char *out) {
  // Bits 16 to 30: shifted up past bit 31 and back down, with no mask to
  // keep in a register.
  __m256i output = _mm256_srli_epi32(_mm256_slli_epi32(states, 1), 17);
  __m256i fraction = _mm256_add_epi32(_mm256_mullo_epi32(output, k.fraction), k.bias);
  __m256i outcome = _mm256_mulhi_epu16(fraction, k.outcomes);
  __m256i first = _mm256_mulhi_epu16(fraction, k.six);
  __m256i digits =
      _mm256_sub_epi16(_mm256_slli_epi16(outcome, 8), _mm256_mullo_epi16(first, k.digit_weight));
  __m256i text = _mm256_add_epi8(_mm256_shuffle_epi8(digits, k.pick), k.ascii);
  _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm256_castsi256_si128(text));
  _mm_storeu_si128(reinterpret_cast<__m128i *>(out + kHalfText), _mm256_extracti128_si256(text, 1));
  return outcome;
}

// The pair index first * 36 + second of lanes v and v + 1, for both pairs
// of vectors: sixteen 16-bit indices, the first pair's in the even slots and
// the second's in the odd ones; counting does not care in which order.
static_assert(kVectors == 4, "pairs up the four vectors of a round");
constexpr int kPairsPerRound = kLanes / 2;

DICESTAT_AVX2 inline __m256i pair_indices(const Constants &k, const __m256i *outcomes) {
  __m256i low = _mm256_add_epi16(_mm256_mullo_epi16(outcomes[0], k.outcomes), outcomes[1]);
  __m256i high = _mm256_add_epi16(_mm256_mullo_epi16(outcomes[2], k.outcomes), outcomes[3]);
  return _mm256_blend_epi16(_mm256_srli_epi32(low, 16), high, 0xAA);
}

inline void count_pairs(const uint16_t *index, RollCounts *counts) {
#pragma GCC unroll 16
  for (int i = 0; i < kPairsPerRound; ++i) ++counts->pairs[index[i]];
}

// Pair indices wait this many rounds before they are counted: by then the
// store that holds them is done, so the loads that read them back do not
// stall, and the counting overlaps the arithmetic of the rounds after.
constexpr size_t kCountLag = 2;

} // namespace

DICESTAT_AVX2 void roll_avx2(uint32_t *state, size_t count, char *out, RollCounts *counts) {
  const Constants k = make_constants();
  const uint32_t start = *state;
  __m256i lanes[kVectors];
  for (int v = 0; v < kVectors; ++v) {
    alignas(32) uint32_t first[kVectorLanes];
    for (int i = 0; i < kVectorLanes; ++i)
      first[i] = lcg_apply(kLaneStarts.jump[v * kVectorLanes + i], start);
    lanes[v] = _mm256_load_si256(reinterpret_cast<const __m256i *>(first));
  }

  const size_t rounds = count / kLanes;
  alignas(32) uint16_t pending[kCountLag][kPairsPerRound];
  for (size_t round = 0; round < rounds; ++round) {
    __m256i outcomes[kVectors];
#pragma GCC unroll 4 // keeps the lanes in registers
    for (int v = 0; v < kVectors; ++v) {
      outcomes[v] = roll_eight(k, lanes[v], out + v * kVectorLanes * kRollTextSize);
      lanes[v] =
          _mm256_add_epi32(_mm256_mullo_epi32(lanes[v], k.round_multiplier), k.round_increment);
    }
    uint16_t *slot = pending[round % kCountLag];
    if (round >= kCountLag) count_pairs(slot, counts);
    _mm256_store_si256(reinterpret_cast<__m256i *>(slot), pair_indices(k, outcomes));
    out += kLanes * kRollTextSize;
  }
  for (size_t round = rounds > kCountLag ? rounds - kCountLag : 0; round < rounds; ++round)
    count_pairs(pending[round % kCountLag], counts);

  *state = lcg_apply(lcg_jump(rounds * kLanes), start);
  for (size_t i = rounds * kLanes; i < count; ++i, out += kRollTextSize)
    roll_one(state, out, counts);
}

#endif
