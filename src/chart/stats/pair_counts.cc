#include "chart/stats/pair_counts.h"

#include <algorithm>

namespace {

constexpr int64_t kShortLag = 4;

// A lag's copies of its table.
size_t lag_cells(int side) {
  return size_t{kTableCopies} * static_cast<size_t>(side * side);
}

// Counts the pairs (first[k], second[k]) for k below n. Four pairs in turn
// go to four copies of the table, so that a run of pairs in one cell does
// not wait on each count before the next.
void count_run(uint32_t *tables, size_t side, const uint8_t *first, const uint8_t *second,
               size_t n) {
  static_assert(kTableCopies == 4, "one line below per copy");
  auto cell = [&](size_t k) -> size_t { return first[k] * side + second[k]; };
  size_t cells = side * side, k = 0;
  for (; k + kTableCopies <= n; k += kTableCopies) {
    ++tables[cell(k)];
    ++tables[cells + cell(k + 1)];
    ++tables[2 * cells + cell(k + 2)];
    ++tables[3 * cells + cell(k + 3)];
  }
  for (; k < n; ++k) ++tables[cell(k)];
}

// Pairs from to to of the lag: pair p has its first roll at
// p + (p & high), p's block of `lag` pairs doubled and its place in the
// block, and the pairs of a block are one run. Lags below kShortLag, whose
// runs are too short to be worth a call each, take one pair at a time.
void count_lag(uint32_t *tables, size_t side, const uint8_t *outcomes, int64_t lag, int64_t from,
               int64_t to) {
  const uint64_t high = ~static_cast<uint64_t>(lag - 1);
  uint64_t p = static_cast<uint64_t>(from), end = static_cast<uint64_t>(to);
  if (lag < kShortLag) {
    for (; p < end; ++p) {
      uint64_t i = p + (p & high);
      ++tables[outcomes[i] * side + outcomes[i + lag]];
    }
    return;
  }
  while (p < end) {
    uint64_t i = p + (p & high);
    uint64_t run = std::min(end - p, static_cast<uint64_t>(lag) - (p & ~high));
    count_run(tables, side, outcomes + i, outcomes + i + lag, run);
    p += run;
  }
}

} // namespace

int64_t pairs_before(int64_t lag, int64_t j) {
  if (j <= lag) return 0;
  int64_t firsts = j - lag; // rolls that could be a first roll
  return firsts / (2 * lag) * lag + std::min(firsts % (2 * lag), lag);
}

PairCounts make_pair_counts(int side) {
  PairCounts counts;
  counts.side = side;
  counts.outcomes.reserve(kMaxAnalysedRolls);
  counts.tables.assign(lag_cells(side) * kMaxLags, 0);
  return counts;
}

void count_pairs(PairCounts &counts, int64_t begin, int64_t end) {
  for (int k = 0; k < kMaxLags; ++k) {
    int64_t lag = int64_t{1} << k;
    if (lag >= end) break;
    count_lag(counts.tables.data() + lag_cells(counts.side) * k, static_cast<size_t>(counts.side),
              counts.outcomes.data(), lag, pairs_before(lag, begin), pairs_before(lag, end));
  }
}

std::vector<uint32_t> pair_table(const PairCounts &counts, int k) {
  size_t cells = static_cast<size_t>(counts.side * counts.side);
  std::vector<uint32_t> table(cells, 0);
  const uint32_t *copy = counts.tables.data() + lag_cells(counts.side) * static_cast<size_t>(k);
  for (int c = 0; c < kTableCopies; ++c, copy += cells)
    for (size_t cell = 0; cell < cells; ++cell) table[cell] += copy[cell];
  return table;
}
