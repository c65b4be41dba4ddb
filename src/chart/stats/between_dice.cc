#include "chart/stats/between_dice.h"

#include <algorithm>
#include <limits>
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

// Pairings of the second die's faces, shuffled by the stream of each
// sample's index, whose statistic is at least `observed`.
int64_t as_extreme(const Counts &table, int side, double observed, const MonteCarlo &mc) {
  std::vector<uint8_t> firsts, seconds;
  for (int cell = 0; cell < side * side; ++cell) {
    firsts.insert(firsts.end(), static_cast<size_t>(table[cell]),
                  static_cast<uint8_t>(cell / side));
    seconds.insert(seconds.end(), static_cast<size_t>(table[cell]),
                   static_cast<uint8_t>(cell % side));
  }
  std::vector<uint32_t> shuffled(table.size());
  int64_t found = 0;
  for (int64_t b = 0; b < mc.samples; ++b) {
    RandomStream stream = random_stream(mc.seed, static_cast<uint64_t>(b));
    for (size_t i = seconds.size(); i > 1; --i)
      std::swap(seconds[i - 1], seconds[random_below(stream, static_cast<uint32_t>(i))]);
    std::fill(shuffled.begin(), shuffled.end(), 0);
    for (size_t r = 0; r < firsts.size(); ++r) ++shuffled[firsts[r] * side + seconds[r]];
    found += test_table(shuffled.data(), side, 0).chi2 >= observed * (1 - kTieTolerance);
  }
  return found;
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
