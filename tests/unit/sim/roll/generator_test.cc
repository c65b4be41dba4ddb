// The roll generator: its sequences for known seeds and the bias of the
// remainder over every output value, one plain step at a time on the
// program's own state (the reference the fast roll path is held to).
#include <gtest/gtest.h>

#include <vector>

#include "model.h"
#include "one_roll_at_a_time.h"
#include "sim/roll/generator.h"
#include "sim/roll/roll.h"

namespace {

constexpr int kOutputValues = 32768;

std::vector<int32_t> outputs(int32_t seed, int count) {
  Generator generator;
  generator_seed(&generator, seed);
  std::vector<int32_t> values;
  for (int i = 0; i < count; ++i) values.push_back(next_output(&generator));
  return values;
}

TEST(Generator, KnownSequences) {
  struct {
    int32_t seed;
    std::vector<int32_t> values;
  } cases[] = {
      {1, {16838, 5758, 10113, 17515, 31051, 5627, 23010, 7419, 16212, 4086}},
      {0, {0, 21468, 9988, 22117, 3498}},     // zero is a valid state
      {-1, {15929, 4409, 9862, 26718, 8713}}, // the pattern 0xFFFFFFFF
  };
  for (const auto &c : cases)
    EXPECT_EQ(outputs(c.seed, static_cast<int>(c.values.size())), c.values) << c.seed;
}

TEST(Generator, OutcomesAndLabelsForSeedOne) {
  const int kIndices[] = {26, 34, 33, 19, 19, 11, 6, 3, 12, 18};
  const int32_t kLabels[] = {53, 65, 64, 42, 42, 26, 21, 14, 31, 41};
  Generator generator;
  generator_seed(&generator, 1);
  for (int i = 0; i < 10; ++i) {
    int index = next_outcome(&generator);
    EXPECT_EQ(index, kIndices[i]);
    EXPECT_EQ(outcome_labels[index], kLabels[i]);
  }
}

TEST(Generator, LabelsNameBothFaces) {
  for (int i = 0; i < kOutcomes; ++i) EXPECT_EQ(outcome_labels[i], model::outcome_label(i)) << i;
}

// The inverse of the multiplier modulo 2^32, by Newton's iteration.
uint32_t inverse(uint32_t a) {
  uint32_t x = a; // correct to 3 bits for odd a
  for (int i = 0; i < 5; ++i) x *= 2 - a * x;
  return x;
}

// The seed whose next output is `value`: the state before (value << 16).
int32_t seed_for_output(int32_t value) {
  uint32_t next = static_cast<uint32_t>(value) << 16;
  return static_cast<int32_t>((next - kLcgIncrement) * inverse(kLcgMultiplier));
}

// Every output value goes through the real generator once: outcomes 0 to 7
// each take 911 of the 32768 values, the others 910.
TEST(Generator, RemainderBiasOverEveryOutput) {
  ASSERT_EQ(kLcgMultiplier * inverse(kLcgMultiplier), 1u);
  int hits[kOutcomes] = {};
  for (int32_t value = 0; value < kOutputValues; ++value) {
    Generator generator;
    generator_seed(&generator, seed_for_output(value));
    int index = next_outcome(&generator);
    ASSERT_GE(index, 0);
    ASSERT_LT(index, kOutcomes);
    ++hits[index];
  }
  for (int i = 0; i < kOutcomes; ++i) EXPECT_EQ(hits[i], i < 8 ? 911 : 910) << "outcome " << i;
}

} // namespace
