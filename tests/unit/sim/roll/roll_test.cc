// The fast roll loop against the one-roll-at-a-time path it replaces: the
// same log bytes, write pieces, tallies and generator state for every
// kernel this host runs, across seeds, roll counts and failing hosts; and
// the arithmetic it rests on, checked over its whole domain.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "fake_host.h"
#include "host_kernels.h"
#include "one_roll_at_a_time.h"
#include "platform/io/stream.h"
#include "platform/platform.h"
#include "sim/roll/outcome.h"
#include "sim/roll/roll.h"

namespace {

constexpr int kOutputValues = 32768;
constexpr uint64_t kPeriod = 1ull << 32; // the generator's full cycle
constexpr size_t kPiece = kStreamBufferSize;
constexpr size_t kWidestRound = kAvx2Lanes; // rolls per round of the widest kernel
static_assert(kAvx2Lanes % kPortableLanes == 0,
              "counts around its rounds are around every kernel's");
constexpr size_t kUnlimited = SIZE_MAX;

struct RollRun {
  std::string log;
  std::vector<size_t> write_sizes;
  std::vector<int32_t> tallies;
  uint32_t state;
  int close_result;
};

// `count` rolls from `seed` into a fresh roll log: through `kernel`, or one
// by one with next_outcome() and record_one() when it is null.
RollRun run_rolls(RollKernelFn kernel, int32_t seed, int32_t count,
                  size_t accept_limit = kUnlimited) {
  FakeHost fake;
  fake.accept_limit = accept_limit;
  Generator generator;
  Tallies tallies = {};
  Stream *dice = create_text_file("dicefile.txt", "w");
  generator_seed(&generator, seed);
  if (kernel) {
    roll_and_record_with(kernel, &generator, dice, count, &tallies);
  } else {
    for (int32_t i = 0; i < count; ++i) record_one(dice, next_outcome(&generator), &tallies);
  }
  RollRun run;
  run.close_result = close_stream(dice);
  run.log = fake.files[3];
  run.write_sizes = fake.write_sizes;
  run.tallies.assign(tallies.begin(), tallies.end());
  run.state = generator.state;
  return run;
}

size_t first_difference(const std::string &a, const std::string &b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return i;
  return a.size() == b.size() ? std::string::npos : n;
}

void expect_same_run(const RollRun &got, const RollRun &expected, const std::string &where) {
  EXPECT_EQ(got.log.size(), expected.log.size()) << where;
  EXPECT_EQ(first_difference(got.log, expected.log), std::string::npos) << where;
  EXPECT_EQ(got.write_sizes, expected.write_sizes) << where;
  EXPECT_EQ(got.tallies, expected.tallies) << where;
  EXPECT_EQ(got.state, expected.state) << where;
  EXPECT_EQ(got.close_result, expected.close_result) << where;
}

std::vector<int32_t> roll_counts() {
  std::vector<int32_t> counts = {-1, 0, 1, 2, 3}; // nothing drawn for -1
  // Around every multiple of a round, where lanes run out and the leftovers
  // go one by one.
  for (int32_t m = kWidestRound; m <= 10 * static_cast<int32_t>(kWidestRound); m += kWidestRound)
    counts.insert(counts.end(), {m - 1, m, m + 1});
  // Around the loop's chunks.
  for (int32_t m : {1, 2}) {
    int32_t rolls = m * static_cast<int32_t>(kChunkRolls);
    counts.insert(counts.end(), {rolls - 1, rolls, rolls + 1});
  }
  // Around each whole piece of the log: 16384 is not a multiple of 3, so
  // the label that crosses it is split between two writes.
  for (int32_t m : {1, 2, 3}) {
    int32_t rolls = static_cast<int32_t>(m * kPiece / kRollTextSize);
    counts.insert(counts.end(), {rolls - 1, rolls, rolls + 1, rolls + 2});
  }
  std::mt19937 random(20240601);
  std::uniform_int_distribution<int32_t> large(20000, 400000);
  for (int i = 0; i < 3; ++i) counts.push_back(large(random));
  return counts;
}

TEST(RollLoop, MatchesOneRollAtATime) {
  const int32_t seeds[] = {-1, 0, 1, 42, 2147483647, -2147483647 - 1};
  const std::vector<int32_t> counts = roll_counts();
  for (int32_t seed : seeds) {
    for (int32_t count : counts) {
      RollRun expected = run_rolls(nullptr, seed, count);
      for (const NamedKernel &kernel : host_kernels()) {
        std::string where = std::string(kernel.name) + ", seed " + std::to_string(seed) + ", " +
                            std::to_string(count) + " rolls";
        expect_same_run(run_rolls(kernel.roll, seed, count), expected, where);
      }
      // Drawn again without a log: the same counts and state, the log's rolls.
      Generator again;
      generator_seed(&again, seed);
      Tallies counted = {};
      roll_and_count(&again, count, &counted);
      EXPECT_EQ(std::vector<int32_t>(counted.begin(), counted.end()), expected.tallies) << count;
      EXPECT_EQ(again.state, expected.state) << count;
      std::vector<uint8_t> outcomes(static_cast<size_t>(std::max(count, 0)));
      generator_seed(&again, seed);
      roll_outcomes(&again, outcomes.size(), outcomes.data());
      std::string labels;
      for (uint8_t o : outcomes) labels += std::to_string(model::outcome_label(o)) + " ";
      EXPECT_EQ(labels, expected.log) << "seed " << seed << ", " << count << " rolls";
    }
  }
}

// The run draws with the AVX2 kernel wherever the processor has it.
TEST(RollLoop, RunsTheFastestKernel) {
  EXPECT_STREQ(kernel_name(fastest_roll_kernel()), host_kernels().front().name);
}

// What the run itself calls: the fastest kernel, in whole pieces.
TEST(RollLoop, AMillionRollsInWholePieces) {
  FakeHost fake;
  Generator generator;
  Tallies tallies = {};
  Stream *dice = create_text_file("dicefile.txt", "w");
  generator_seed(&generator, 1);
  roll_and_record(&generator, dice, 1000000, &tallies);
  EXPECT_EQ(close_stream(dice), 0);
  std::vector<size_t> expected(1000000 * kRollTextSize / kPiece, kPiece);
  expected.push_back(1000000 * kRollTextSize % kPiece);
  EXPECT_EQ(fake.write_sizes, expected);
  EXPECT_EQ(fake.files[3].substr(0, 30), "53 65 64 42 42 26 21 14 31 41 ");
  int64_t sum = 0;
  for (int32_t t : tallies) sum += t;
  EXPECT_EQ(sum, 1000000);
}

// A host that takes only so many bytes: the log is exactly those bytes and
// nothing is written after the failed write, yet every roll is counted and
// the generator ends where it would have.
TEST(RollLoop, FailedWriteSilencesTheLogButNotTheCount) {
  // Three whole pieces and a part.
  const int32_t kRolls = static_cast<int32_t>((3 * kPiece + kPiece / 2) / kRollTextSize);
  const size_t limits[] = {
      0,             // the first write takes nothing
      1,             // ends inside the first label
      kPiece - 1,    //
      kPiece,        // the first piece whole, the second write takes nothing
      kPiece + 2,    //
      3 * kPiece + 1 // ends inside the short last write, made at closing
  };
  const RollRun whole = run_rolls(nullptr, 7, kRolls);
  for (size_t limit : limits) {
    RollRun expected = run_rolls(nullptr, 7, kRolls, limit);
    ASSERT_EQ(expected.log, whole.log.substr(0, limit)) << limit;
    ASSERT_EQ(expected.write_sizes.size(), limit / kPiece + 1) << limit;
    ASSERT_EQ(expected.tallies, whole.tallies) << limit;
    ASSERT_EQ(expected.close_result, -1) << limit;
    for (const NamedKernel &kernel : host_kernels())
      expect_same_run(run_rolls(kernel.roll, 7, kRolls, limit), expected,
                      std::string(kernel.name) + ", limit " + std::to_string(limit));
  }
}

// Every output value against the plain remainder. Reports each miss.
TEST(RollOutcome, DivisionFreeRemainderOverEveryOutput) {
  int misses = 0;
  for (uint32_t output = 0; output < kOutputValues; ++output) {
    if (outcome_of(output) == static_cast<int>(output % kOutcomes)) continue;
    if (++misses <= 10) ADD_FAILURE() << output << " gives " << outcome_of(output);
  }
  EXPECT_EQ(misses, 0);
}

// Each kernel computes the remainder its own way, lane by lane. Every
// output value is made to come up in a kernel's first round, at a lane
// position that steps through all of them, by starting from the state
// that many steps before it; bit 31 and the low half of that state vary,
// and must not matter.
TEST(RollKernels, EveryOutputValueInEveryLanePosition) {
  for (const NamedKernel &kernel : host_kernels()) {
    int misses = 0;
    for (uint32_t output = 0; output < kOutputValues; ++output) {
      const uint32_t position = output % kWidestRound;
      const uint32_t target = output << 16 | (output & 1) << 31 | (output * 40503u & 0xFFFF);
      const uint32_t start = lcg_apply(lcg_jump(kPeriod - (position + 1)), target);

      char text[kWidestRound * kRollTextSize + kRollSlack];
      RollCounts counts = {};
      uint32_t state = start;
      kernel.roll(&state, kWidestRound, text, &counts);
      Tallies got_tallies = {};
      add_roll_counts(counts, &got_tallies);

      Generator generator;
      generator_seed(&generator, static_cast<int32_t>(start));
      std::string expected;
      Tallies expected_tallies = {};
      bool reached = false; // the sweep itself: the target state came up in place
      for (uint32_t i = 0; i < kWidestRound; ++i) {
        int outcome = next_outcome(&generator);
        reached |= i == position && generator.state == target;
        expected += std::to_string(outcome_labels[outcome]) + " ";
        ++expected_tallies[outcome];
      }
      bool same = reached && std::string(text, expected.size()) == expected &&
                  state == generator.state && got_tallies == expected_tallies;
      if (!same && ++misses <= 10)
        ADD_FAILURE() << kernel.name << ": output " << output << " at lane " << position;
    }
    EXPECT_EQ(misses, 0) << kernel.name;
  }
}

// Kernels may use kRollSlack bytes past their text, and not one more.
TEST(RollKernels, WriteNoFurtherThanTheSlack) {
  constexpr char kGuard = '\x5A';
  for (const NamedKernel &kernel : host_kernels()) {
    for (size_t count :
         {size_t{1}, kWidestRound - 1, kWidestRound, kWidestRound + 1, size_t{100}}) {
      std::vector<char> out(count * kRollTextSize + kRollSlack + 16, kGuard);
      RollCounts counts = {};
      uint32_t state = 99;
      kernel.roll(&state, count, out.data(), &counts);
      for (size_t i = count * kRollTextSize + kRollSlack; i < out.size(); ++i)
        EXPECT_EQ(out[i], kGuard) << kernel.name << ", " << count << " rolls, byte " << i;
    }
  }
}

TEST(LcgJump, EqualsThatManySingleSteps) {
  const uint64_t steps[] = {0, 1, 2, 3, 4, 31, 32, 33, 4096, 100003};
  const uint32_t states[] = {0, 1, 0x80000000u, 0xFFFFFFFFu, 123456789};
  for (uint32_t from : states) {
    for (uint64_t n : steps) {
      Generator generator = {from};
      for (uint64_t i = 0; i < n; ++i) next_output(&generator);
      EXPECT_EQ(lcg_apply(lcg_jump(n), from), generator.state) << n << " steps from " << from;
    }
  }
}

TEST(LcgJump, FullCycleAndStepBack) {
  const uint32_t states[] = {0, 1, 0xFFFFFFFFu, 987654321};
  for (uint32_t from : states) {
    EXPECT_EQ(lcg_apply(lcg_jump(kPeriod), from), from) << "the period is 2^32";
    uint32_t next = lcg_apply(lcg_jump(1), from);
    EXPECT_EQ(lcg_apply(lcg_jump(kPeriod - 1), next), from) << "a step back";
  }
}

} // namespace
