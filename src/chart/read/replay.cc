#include "chart/read/replay.h"

#include <algorithm>

#include "chart/read/report_from_counts.h"

namespace {

// Rolls drawn at a time into the pair tables: a cache-sized run of them.
constexpr int64_t kPairPiece = int64_t{1} << 16;

} // namespace

int32_t run_seed(const Report &report) {
  return report.has_time ? report.time : report.seed;
}

int32_t run_rolls(const Report &report) {
  return std::max(report.roll_count, 0);
}

Generator run_generator(const Report &report) {
  Generator generator;
  generator_seed(&generator, run_seed(report));
  return generator;
}

Tallies replay_counts(const Report &report) {
  Generator generator = run_generator(report);
  Tallies tallies = {};
  roll_and_count(&generator, run_rolls(report), &tallies);
  return tallies;
}

std::string replay_difference(const Report &report, const Tallies &replayed) {
  Counts read = counts_of(report), run(replayed.begin(), replayed.end());
  int i = 0;
  while (i < kOutcomes && read[i] == run[i]) ++i;
  if (i == kOutcomes) return "";
  return "line " + std::to_string(report_row_line(report, i)) + ": reads \"" +
         row_text(read, report.roll_count, i) + "\", dicestat's run of seed " +
         std::to_string(run_seed(report)) + " writes \"" + row_text(run, report.roll_count, i) +
         "\"";
}

void replay_pairs(const Report &report, PairCounts *pairs) {
  Generator generator = run_generator(report);
  int64_t rolls = std::min<int64_t>(run_rolls(report), kMaxAnalysedRolls);
  for (int64_t begin = 0; begin < rolls; begin += kPairPiece) {
    int64_t end = std::min(rolls, begin + kPairPiece);
    pairs->outcomes.resize(static_cast<size_t>(end));
    roll_outcomes(&generator, static_cast<size_t>(end - begin), pairs->outcomes.data() + begin);
    count_pairs(*pairs, begin, end);
  }
}
