#include "chart/stats/between_dice.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <system_error>
#include <thread>
#include <vector>

#include "chart/stats/fit.h"
#include "chart/stats/independence.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Statistics of the same table summed in another order may differ in their
// last bits: a pairing within this much of the table's reaches it.
constexpr double kTieTolerance = 64 * std::numeric_limits<double>::epsilon();

// Whether a cell of the non-empty rows and columns expects fewer than
// kMinExpected rolls: the smallest row total times the smallest column
// total over the rolls.
bool sparse(const Counts &table, int side, int64_t rolls) {
  int64_t low_row = 0, low_column = 0;
  for (int i = 0; i < side; ++i) {
    int64_t row = 0, column = 0;
    for (int j = 0; j < side; ++j) {
      row += table[i * side + j];
      column += table[j * side + i];
    }
    if (row > 0 && (low_row == 0 || row < low_row)) low_row = row;
    if (column > 0 && (low_column == 0 || column < low_column)) low_column = column;
  }
  return static_cast<double>(low_row) * static_cast<double>(low_column) <
         static_cast<double>(kMinExpected) * static_cast<double>(rolls);
}

// The rolls of a table, each first die's face beside its second's.
struct Rolls {
  std::vector<uint8_t> firsts, seconds;
  int side;
  double observed; // the table's statistic
};

// Pairings first to end - 1 whose statistic reaches the table's: each a
// Fisher-Yates shuffle of the second dice's faces, from their order in the
// table, by the stream of its own index, so any thread may run it.
void pair_runs(const Rolls &rolls, uint64_t seed, int64_t first, int64_t end, int64_t &found) {
  std::vector<uint32_t> table(static_cast<size_t>(rolls.side * rolls.side));
  std::vector<uint8_t> seconds;
  for (int64_t b = first; b < end; ++b) {
    seconds = rolls.seconds;
    RandomStream stream = random_stream(seed, static_cast<uint64_t>(b));
    for (size_t i = seconds.size(); i > 1; --i)
      std::swap(seconds[i - 1], seconds[random_below(stream, static_cast<uint32_t>(i))]);
    std::fill(table.begin(), table.end(), 0);
    for (size_t r = 0; r < seconds.size(); ++r) ++table[rolls.firsts[r] * rolls.side + seconds[r]];
    found += test_table(table.data(), rolls.side, 0).chi2 >= rolls.observed * (1 - kTieTolerance);
  }
}

// Pairings, out of mc.samples, whose statistic is at least `observed`,
// shared among mc.threads threads; a thread that cannot be started leaves
// its run to this one.
int64_t as_extreme(const Counts &table, int side, double observed, const MonteCarlo &mc) {
  Rolls rolls{{}, {}, side, observed};
  for (int cell = 0; cell < side * side; ++cell) {
    auto n = static_cast<size_t>(table[cell]);
    rolls.firsts.insert(rolls.firsts.end(), n, static_cast<uint8_t>(cell / side));
    rolls.seconds.insert(rolls.seconds.end(), n, static_cast<uint8_t>(cell % side));
  }
  unsigned threads =
      mc.threads != 0 ? mc.threads : std::max(std::thread::hardware_concurrency(), 1u);
  threads = static_cast<unsigned>(std::min<int64_t>(threads, mc.samples));
  auto run_of = [&](unsigned t) { return mc.samples * t / threads; };
  std::vector<int64_t> found(threads, 0);
  std::vector<std::thread> started;
  for (unsigned t = 1; t < threads; ++t) {
    try {
      started.emplace_back(pair_runs, std::cref(rolls), mc.seed, run_of(t), run_of(t + 1),
                           std::ref(found[t]));
    } catch (const std::system_error &) {
      pair_runs(rolls, mc.seed, run_of(t), run_of(t + 1), found[t]);
    }
  }
  pair_runs(rolls, mc.seed, 0, run_of(1), found[0]);
  for (std::thread &thread : started) thread.join();
  return std::accumulate(found.begin(), found.end(), int64_t{0});
}

} // namespace

Record between_dice_test(const Counts &table, int side, const MonteCarlo &mc) {
  Record result;
  int64_t rolls = rolls_in(table);
  bool fits = std::all_of(table.begin(), table.end(), [](int64_t cell) {
    return cell >= 0 && cell <= std::numeric_limits<uint32_t>::max();
  });
  if (rolls <= 0 || !fits) {
    result.statistic = result.p = kNaN;
    return result;
  }
  std::vector<uint32_t> cells(table.begin(), table.end());
  LagTest test = test_table(cells.data(), side, 0);
  result.statistic = test.chi2;
  result.df = test.df;
  result.p = test.p;
  // A table of one row or column cannot show a relation (p is 1), and a
  // sparse one is not judged by the chi-square distribution.
  if (test.df > 0 && sparse(table, side, rolls)) {
    result.method = Method::kPermutation;
    result.draws = mc.samples;
    result.p = simulated_p(as_extreme(table, side, test.chi2, mc), mc.samples);
  }
  result.decision = decide(result.p);
  return result;
}
