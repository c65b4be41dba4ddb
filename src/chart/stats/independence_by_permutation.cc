#include "chart/stats/independence_by_permutation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <system_error>
#include <thread>

#include "chart/stats/levels.h"

namespace {

// Statistics computed in another order of the same terms may differ in
// their last bits: a permutation within this much of the data counts as
// reaching it.
constexpr double kTieTolerance = 64 * std::numeric_limits<double>::epsilon();

struct Rolls {
  const uint8_t *outcomes;
  int64_t count;
  int side; // the outcomes a roll can have
};

// The table of a lag's pairs, (i, i + lag) for i mod 2 lag < lag.
void fill_table(std::vector<uint32_t> &table, Rolls rolls, int64_t lag) {
  std::fill(table.begin(), table.end(), 0);
  for (int64_t block = 0; block + lag < rolls.count; block += 2 * lag) {
    int64_t end = std::min(block + lag, rolls.count - lag);
    for (int64_t i = block; i < end; ++i)
      ++table[rolls.outcomes[i] * static_cast<size_t>(rolls.side) + rolls.outcomes[i + lag]];
  }
}

// The test of each lag of `tests`, in place; returns the smallest chi-square p.
double test_lags(Rolls rolls, std::vector<LagTest> &tests, std::vector<uint32_t> &table) {
  double smallest = 1;
  for (LagTest &test : tests) {
    fill_table(table, rolls, test.lag);
    test = test_table(table.data(), rolls.side, test.lag);
    smallest = std::min(smallest, test.p);
  }
  return smallest;
}

struct Tally {
  std::vector<int64_t> reached; // per lag: permutations with a statistic at least the data's
  int64_t smaller = 0;          // permutations with a smallest p at most the data's
  std::vector<double> lowest;   // the lowest smallest p-values, at most Work::kept, as a heap
};

struct Work {
  const std::vector<uint8_t> *outcomes;
  int side;
  const std::vector<LagTest> *observed;
  double smallest_p; // the data's
  uint64_t seed;
  size_t kept; // permutations' smallest p-values kept: those that set the level of rejection
};

// Keeps p in the heap of the `kept` lowest values, the highest on top.
void keep_lowest(std::vector<double> &lowest, size_t kept, double p) {
  if (lowest.size() == kept) {
    if (kept == 0 || p >= lowest.front()) return;
    std::pop_heap(lowest.begin(), lowest.end());
    lowest.pop_back();
  }
  lowest.push_back(p);
  std::push_heap(lowest.begin(), lowest.end());
}

// Permutations first to end - 1, each a Fisher-Yates shuffle of the rolls
// by the stream of its own index.
void permute(const Work &work, int64_t first, int64_t end, Tally &tally) {
  const std::vector<LagTest> &observed = *work.observed;
  std::vector<uint8_t> shuffled;
  std::vector<LagTest> tests = observed;
  std::vector<uint32_t> table(static_cast<size_t>(work.side * work.side));
  tally.reached.assign(observed.size(), 0);
  for (int64_t b = first; b < end; ++b) {
    shuffled = *work.outcomes;
    RandomStream stream = random_stream(work.seed, static_cast<uint64_t>(b));
    for (size_t i = shuffled.size(); i > 1; --i)
      std::swap(shuffled[i - 1], shuffled[random_below(stream, static_cast<uint32_t>(i))]);
    double smallest = test_lags({shuffled.data(), static_cast<int64_t>(shuffled.size()), work.side},
                                tests, table);
    for (size_t k = 0; k < tests.size(); ++k)
      tally.reached[k] += tests[k].chi2 >= observed[k].chi2 * (1 - kTieTolerance);
    tally.smaller += smallest <= work.smallest_p * (1 + kTieTolerance);
    keep_lowest(tally.lowest, work.kept, smallest);
  }
}

// The permutations shared among the threads in equal runs; a thread that
// cannot be started leaves its run to this one.
Tally permute_all(const Work &work, int64_t samples, unsigned threads) {
  if (threads == 0) threads = std::max(std::thread::hardware_concurrency(), 1u);
  threads = static_cast<unsigned>(std::min<int64_t>(threads, samples));
  std::vector<Tally> tallies(threads);
  std::vector<std::thread> started;
  auto run_of = [&](unsigned t) { return samples * t / threads; };
  for (unsigned t = 1; t < threads; ++t) {
    try {
      started.emplace_back(permute, std::cref(work), run_of(t), run_of(t + 1),
                           std::ref(tallies[t]));
    } catch (const std::system_error &) {
      permute(work, run_of(t), run_of(t + 1), tallies[t]);
    }
  }
  permute(work, 0, run_of(1), tallies[0]);
  for (std::thread &thread : started) thread.join();
  Tally total = tallies[0];
  for (unsigned t = 1; t < threads; ++t) {
    for (size_t k = 0; k < total.reached.size(); ++k) total.reached[k] += tallies[t].reached[k];
    total.smaller += tallies[t].smaller;
    for (double p : tallies[t].lowest) keep_lowest(total.lowest, work.kept, p);
  }
  return total;
}

} // namespace

Independence independence_by_permutation(const std::vector<uint8_t> &outcomes, int side,
                                         const MonteCarlo &mc) {
  Independence result;
  result.rolls = result.analysed = static_cast<int64_t>(outcomes.size());
  result.min_pairs = side;
  result.verdict.method = Method::kPermutation;
  result.verdict.draws = mc.samples;
  for (int64_t lag = 1; pairs_before(lag, result.rolls) >= result.min_pairs; lag *= 2)
    result.lags.push_back({lag});
  if (result.lags.empty()) {
    set_verdict(result, std::numeric_limits<double>::quiet_NaN());
    return result;
  }
  Rolls rolls = {outcomes.data(), result.rolls, side};
  std::vector<uint32_t> table(static_cast<size_t>(side * side));
  result.smallest_p = test_lags(rolls, result.lags, table);
  result.worst = strongest_lag(result.lags);
  fill_table(table, rolls, result.lags[result.worst].lag);
  result.residuals = pearson_residuals(table.data(), side);

  // The verdict's p, (1 + c) / (B + 1), is below kRejectLevel just when
  // c < B / kRejectOdds = kept: when fewer than `kept` permutations have a
  // smallest p at or below the data's, that is when the data's lies below
  // the kept-th lowest of them.
  std::vector<LagTest> observed = result.lags;
  auto kept = static_cast<size_t>(mc.samples / kRejectOdds);
  Tally tally = permute_all({&outcomes, side, &observed, result.smallest_p, mc.seed, kept},
                            mc.samples, mc.threads);
  for (size_t k = 0; k < result.lags.size(); ++k)
    result.lags[k].p = simulated_p(tally.reached[k], mc.samples);
  if (kept > 0 && tally.lowest.size() == kept)
    result.reject_below = tally.lowest.front() / (1 + kTieTolerance);
  set_verdict(result, simulated_p(tally.smaller, mc.samples));
  return result;
}
