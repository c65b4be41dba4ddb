// The bytes of both files for arbitrary runs, checked against a plain model
// of the rolls: the roll log exactly, the report line by line.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "checks.h"
#include "platform/io/stream.h"
#include "sim/roll/kernel.h"

namespace e2e {
namespace {

// Four-decimal limits and expected share, in units of 0.0001.
constexpr int64_t kLowerLimit = 26805;
constexpr int64_t kUpperLimit = 28749;
constexpr int64_t kExpected = 27777;

std::vector<std::string> split_blanks(const std::string &line) {
  std::vector<std::string> words;
  size_t start = 0;
  for (size_t blank; (blank = line.find(' ', start)) != std::string::npos; start = blank + 1)
    words.push_back(line.substr(start, blank - start));
  words.push_back(line.substr(start));
  return words;
}

// "[sign]digits.dddd" in units of 0.0001; the sign is required when
// `signed_text`, and refused otherwise.
std::optional<int64_t> parse_fixed4(const std::string &text, bool signed_text) {
  size_t at = 0;
  bool negative = false;
  if (signed_text) {
    if (text.empty() || (text[0] != '+' && text[0] != '-')) return std::nullopt;
    negative = text[0] == '-';
    at = 1;
  }
  size_t point = text.find('.', at);
  if (point == std::string::npos || point == at || text.size() != point + 5) return std::nullopt;
  if (point - at > 1 && text[at] == '0') return std::nullopt; // no leading zeros
  int64_t units = 0;
  for (size_t i = at; i < text.size(); ++i) {
    if (i == point) continue;
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    units = units * 10 + (text[i] - '0');
  }
  return negative ? -units : units;
}

// One statistics line against the model's tally for outcome `index`.
void check_statistics_line(const std::string &line, int index, int32_t tally, int32_t count) {
  SCOPED_TRACE("line \"" + line + "\"");
  std::vector<std::string> words = split_blanks(line);
  ASSERT_TRUE(words.size() == 4 || (words.size() == 5 && words[4] == "!!"));
  EXPECT_EQ(words[0], std::to_string(model::outcome_label(index)));
  EXPECT_EQ(words[1], std::to_string(tally));
  std::optional<int64_t> share = parse_fixed4(words[2], false);
  std::optional<int64_t> deviation = parse_fixed4(words[3], true);
  ASSERT_TRUE(share && deviation);

  // The share is held in single precision before it is printed: allow half
  // a printed unit plus one single-precision step of the exact quotient.
  double exact = tally * 1e6 / count;
  EXPECT_LE(std::fabs(static_cast<double>(*share) - exact), 0.5 + exact * 0x1p-23);
  // Both printed figures are rounded once from values whose difference is
  // the deviation, so they can disagree by one unit at most.
  EXPECT_LE(std::llabs(*deviation - (*share - kExpected)), 1);

  // A printed share on a limit could have been just inside or outside.
  bool marked = words.size() == 5;
  if (*share > kUpperLimit || *share < kLowerLimit) {
    EXPECT_TRUE(marked);
  } else if (*share != kUpperLimit && *share != kLowerLimit) {
    EXPECT_FALSE(marked);
  }
}

void check_run(int32_t count, int32_t seed) {
  RunResult run = run_dicestat(std::to_string(count) + "\n" + std::to_string(seed) + "\n");
  EXPECT_TRUE(ended_with(run, 0));
  EXPECT_EQ(run.out, kPrompts);
  model::Rolls model = model::rolls(seed, count);
  // Three bytes a roll and no line end, so a mismatch is easy to place.
  EXPECT_EQ(run.dice.bytes.size(), 3u * count);
  EXPECT_TRUE(run.dice.bytes == model.log) << "roll log differs from the model";

  std::vector<std::string> lines = model::report_lines(run.stat.bytes);
  ASSERT_EQ(lines.size(), 3u + model::kOutcomes + 2);
  EXPECT_EQ(lines[0], "Number of rolls: " + std::to_string(count) + " ");
  EXPECT_EQ(lines[1], "Seed: " + std::to_string(seed) + " ");
  EXPECT_EQ(lines[2], "");
  for (int i = 0; i < model::kOutcomes; ++i)
    check_statistics_line(lines[3 + i], i, model.tallies[i], count);
  EXPECT_EQ(lines[3 + model::kOutcomes], "");

  std::vector<std::string> totals = split_blanks(lines[4 + model::kOutcomes]);
  ASSERT_EQ(totals.size(), 4u) << lines[4 + model::kOutcomes];
  EXPECT_EQ(totals[0], "Totals:");
  EXPECT_EQ(totals[1], std::to_string(count));
  std::optional<int64_t> sum = parse_fixed4(totals[2], false);
  ASSERT_TRUE(sum) << lines[4 + model::kOutcomes];
  // A single-precision running sum of 36 shares strays from 100 by well
  // under 0.0005.
  EXPECT_LE(std::llabs(*sum - 1000000), 5) << lines[4 + model::kOutcomes];
  EXPECT_EQ(totals[3], ""); // the trailing blank
}

TEST(ReportLayout, MatchesModelForCountsAndSeeds) {
  // The most rolls that fit in one piece of the log, and one more.
  constexpr int32_t kPieceRolls = kStreamBufferSize / kRollTextSize;
  const int32_t counts[] = {1, 2, 35, 36, 37, kPieceRolls, kPieceRolls + 1, 100000};
  const int32_t seeds[] = {1, -1, 2147483647, INT32_MIN, 42};
  for (int32_t count : counts) {
    for (int32_t seed : seeds) {
      SCOPED_TRACE(std::to_string(count) + " rolls, seed " + std::to_string(seed));
      check_run(count, seed);
    }
  }
}

std::string golden(const std::string &name) {
  std::ifstream file(std::string(DICESTAT_GOLDEN_DIR) + "/" + name, std::ios::binary);
  EXPECT_TRUE(file) << "missing golden file " << name;
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Both files were produced once by the program for 6007 rolls, seed 123 (a
// log over two pieces, shares with endless decimals) and, before
// they were saved, matched byte for byte by a separate recomputation of each
// share, deviation, mark and the totals in exact fractions.
TEST(Golden, MidSizeRun) {
  RunResult run = run_dicestat("6007\n123\n");
  EXPECT_TRUE(ended_with(run, 0));
  EXPECT_EQ(run.out, kPrompts);
  EXPECT_TRUE(run.dice.bytes == golden("seed_123_6007_rolls.dicefile.txt"))
      << "roll log differs from the golden file";
  EXPECT_EQ(run.stat.bytes, golden("seed_123_6007_rolls.statfile.txt"));
}

} // namespace
} // namespace e2e
