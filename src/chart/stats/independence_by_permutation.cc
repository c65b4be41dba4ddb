#include "chart/stats/independence_by_permutation.h"

#include <algorithm>
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
    smallest = std::min(smallest, test.chi2_p);
  }
  return smallest;
}

struct Work {
  const std::vector<uint8_t> *outcomes;
  int side;
  const std::vector<LagTest> *observed;
  uint64_t seed;
  int64_t samples;
  std::vector<double> *statistics; // per lag, each permutation's: lag k's at k * samples + b
  std::vector<double> *least;      // each permutation's smallest chi-square p over the lags
};

// Permutations first to end - 1, each a Fisher-Yates shuffle of the rolls
// by the stream of its own index, their statistics kept.
void permute(const Work &work, int64_t first, int64_t end) {
  std::vector<uint8_t> shuffled;
  std::vector<LagTest> tests = *work.observed;
  std::vector<uint32_t> table(static_cast<size_t>(work.side * work.side));
  auto samples = static_cast<size_t>(work.samples);
  for (int64_t b = first; b < end; ++b) {
    shuffled = *work.outcomes;
    RandomStream stream = random_stream(work.seed, static_cast<uint64_t>(b));
    for (size_t i = shuffled.size(); i > 1; --i)
      std::swap(shuffled[i - 1], shuffled[random_below(stream, static_cast<uint32_t>(i))]);
    auto at = static_cast<size_t>(b);
    (*work.least)[at] = test_lags(
        {shuffled.data(), static_cast<int64_t>(shuffled.size()), work.side}, tests, table);
    for (size_t k = 0; k < tests.size(); ++k) (*work.statistics)[k * samples + at] = tests[k].chi2;
  }
}

// The permutations shared among the threads in equal runs; a thread that
// cannot be started leaves its run to this one.
void permute_all(const Work &work, unsigned threads) {
  int64_t samples = work.samples;
  if (threads == 0) threads = std::max(std::thread::hardware_concurrency(), 1u);
  threads = static_cast<unsigned>(std::min<int64_t>(threads, samples));
  std::vector<std::thread> started;
  auto run_of = [&](unsigned t) { return samples * t / threads; };
  for (unsigned t = 1; t < threads; ++t) {
    try {
      started.emplace_back(permute, std::cref(work), run_of(t), run_of(t + 1));
    } catch (const std::system_error &) {
      permute(work, run_of(t), run_of(t + 1));
    }
  }
  permute(work, 0, run_of(1));
  for (std::thread &thread : started) thread.join();
}

// How many of a lag's values are at least x, the data's and the
// permutations' (sorted), counting those within the tolerance as reaching it.
int64_t at_least(double x, double data, const std::vector<double> &sorted) {
  double reach = x * (1 - kTieTolerance);
  auto below = std::lower_bound(sorted.begin(), sorted.end(), reach) - sorted.begin();
  return static_cast<int64_t>(sorted.size()) - below + (data >= reach ? 1 : 0);
}

// How extreme the data or a permutation is over all lags: its smallest p,
// in whole numbers as the numerator of (values at least it) / (B + 1) at
// its lag, and, as that can be no smaller than 1, where several have
// p = 1 / (B + 1) at some lag, its smallest chi-square p: how far out it
// lies there. Both are the same functions of the data and of every
// permutation, so the data's rank among them is a valid p.
struct Extremity {
  int64_t rank;
  double least;
};

// Whether x is at least as extreme as y.
bool as_extreme(const Extremity &x, const Extremity &y) {
  return x.rank < y.rank || (x.rank == y.rank && x.least <= y.least * (1 + kTieTolerance));
}

// Single-step min-p over the lags: each lag's p, the data's and each
// permutation's, is its rank among that lag's values, (values at least it)
// / (B + 1), its numerator kept.
struct MinP {
  std::vector<int64_t> data;       // per lag: the data's numerator
  std::vector<Extremity> permuted; // per permutation
};

MinP min_p(const std::vector<LagTest> &observed, const std::vector<double> &statistics,
           const std::vector<double> &least, int64_t samples) {
  auto b_count = static_cast<size_t>(samples);
  MinP m{std::vector<int64_t>(observed.size()), {}};
  for (double l : least) m.permuted.push_back({samples + 1, l});
  std::vector<double> sorted;
  for (size_t k = 0; k < observed.size(); ++k) {
    auto column = statistics.begin() + static_cast<std::ptrdiff_t>(k * b_count);
    sorted.assign(column, column + static_cast<std::ptrdiff_t>(b_count));
    std::sort(sorted.begin(), sorted.end());
    double data = observed[k].chi2;
    m.data[k] = at_least(data, data, sorted);
    for (size_t b = 0; b < b_count; ++b)
      m.permuted[b].rank = std::min(m.permuted[b].rank,
                                    at_least(column[static_cast<std::ptrdiff_t>(b)], data, sorted));
  }
  return m;
}

// The verdict's p, (1 + c) / (B + 1), is below kRejectLevel just when c <
// B / kRejectOdds = kept: when the data is more extreme than the kept-th
// most extreme permutation, whose smallest p draws the line.
double reject_level(std::vector<Extremity> &permuted, int64_t samples) {
  auto kept = static_cast<size_t>(samples / kRejectOdds);
  if (kept == 0) return 0;
  auto line = permuted.begin() + static_cast<std::ptrdiff_t>(kept - 1);
  std::nth_element(permuted.begin(), line, permuted.end(),
                   [](const Extremity &x, const Extremity &y) {
                     return x.rank < y.rank || (x.rank == y.rank && x.least < y.least);
                   });
  return static_cast<double>(line->rank) / (static_cast<double>(samples) + 1);
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
  double least = test_lags(rolls, result.lags, table);

  auto samples = static_cast<size_t>(mc.samples);
  std::vector<double> statistics(result.lags.size() * samples), least_permuted(samples);
  permute_all({&outcomes, side, &result.lags, mc.seed, mc.samples, &statistics, &least_permuted},
              mc.threads);
  MinP m = min_p(result.lags, statistics, least_permuted, mc.samples);
  double room = static_cast<double>(mc.samples) + 1;
  for (size_t k = 0; k < result.lags.size(); ++k) result.lags[k].p = m.data[k] / room;
  result.worst = strongest_lag(result.lags);
  result.smallest_p = result.lags[result.worst].p;
  fill_table(table, rolls, result.lags[result.worst].lag);
  result.residuals = pearson_residuals(table.data(), side);

  Extremity data = {*std::min_element(m.data.begin(), m.data.end()), least};
  int64_t c = std::count_if(m.permuted.begin(), m.permuted.end(),
                            [&](const Extremity &e) { return as_extreme(e, data); });
  result.reject_below = reject_level(m.permuted, mc.samples);
  set_verdict(result, simulated_p(c, mc.samples));
  return result;
}
