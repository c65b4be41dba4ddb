#include "chart/read/raw_tallies.h"

#include <algorithm>

#include "chart/stats/pair_counts.h"

namespace {

// base^dice, or kMaxCombinations + 1 once it is more.
int64_t combinations_of(int base, int dice) {
  int64_t n = 1;
  for (int d = 0; d < dice && n <= kMaxCombinations; ++d) n *= base;
  return std::min<int64_t>(n, kMaxCombinations + 1);
}

// base^dice, for a radix whose combinations are few.
size_t cells(int base, int dice) {
  size_t n = 1;
  for (int d = 0; d < dice; ++d) n *= static_cast<size_t>(base);
  return n;
}

// The combination index, in base `base`, of a roll's values less `first`.
int64_t index_of(const int *values, int dice, int base, int first) {
  int64_t index = 0;
  for (int d = 0; d < dice; ++d) index = index * base + (values[d] - first);
  return index;
}

} // namespace

RawTallies make_raw_tallies(int dice, int faces) {
  RawTallies raw;
  raw.dice = dice;
  raw.die.assign(static_cast<size_t>(dice), std::vector<int64_t>(kRawValues));
  if (faces > 0) {
    raw.radix = combinations_of(faces, dice) <= kMaxCombinations ? faces : 0;
  } else {
    // The most faces a die can have with its combinations counted, and one
    // more value for faces that start at 1.
    int most = 1;
    while (most < kMaxFaces && combinations_of(most + 1, dice) <= kMaxCombinations) ++most;
    raw.radix = most >= kMinFaces ? most + 1 : 0;
  }
  if (raw.radix > 0) raw.combination.assign(cells(raw.radix, dice), 0);
  raw.pairs.assign(static_cast<size_t>(dice * (dice - 1) / 2),
                   std::vector<int64_t>(kRawValues * kRawValues));
  return raw;
}

void tally(RawTallies &raw, const int *values, int64_t weight, bool keep) {
  for (int d = 0; d < raw.dice; ++d) {
    raw.die[d][values[d]] += weight;
    raw.low = std::min(raw.low, values[d]);
    raw.high = std::max(raw.high, values[d]);
    // A value past the radix means more combinations than are counted.
    if (values[d] >= raw.radix && raw.radix > 0) {
      raw.radix = 0;
      raw.combination = {};
    }
  }
  if (raw.radix > 0) raw.combination[index_of(values, raw.dice, raw.radix, 0)] += weight;
  for (int a = 0, k = 0; a < raw.dice; ++a)
    for (int b = a + 1; b < raw.dice; ++b, ++k)
      raw.pairs[k][values[a] * kRawValues + values[b]] += weight;
  raw.rolls += weight;
  if (keep &&
      raw.order.size() + static_cast<size_t>(raw.dice) <= static_cast<size_t>(kMaxAnalysedRolls))
    for (int d = 0; d < raw.dice; ++d) raw.order.push_back(static_cast<uint8_t>(values[d]));
}

void settle(RawTallies &raw, const std::vector<std::string> &labels, int first, RollsRead &read) {
  int faces = static_cast<int>(labels.size()), dice = raw.dice;
  read.dice = dice;
  read.faces = faces;
  read.labels = labels;
  read.rolls = raw.rolls;
  DiceCounts &counts = read.counts;
  counts.dice = dice;
  counts.faces = faces;
  counts.per_die.assign(static_cast<size_t>(dice), Counts(static_cast<size_t>(faces)));
  for (int d = 0; d < dice; ++d)
    for (int f = 0; f < faces; ++f) counts.per_die[d][f] = raw.die[d][f + first];
  for (const std::vector<int64_t> &pair : raw.pairs) {
    Counts table(static_cast<size_t>(faces * faces));
    for (int f = 0; f < faces; ++f)
      for (int g = 0; g < faces; ++g)
        table[f * faces + g] = pair[(f + first) * kRawValues + g + first];
    counts.pair_tables.push_back(std::move(table));
  }
  read.analysed = static_cast<int64_t>(raw.order.size()) / dice;
  bool combined = combinations_of(faces, dice) <= kMaxCombinations && raw.radix > 0;
  if (!combined) {
    for (uint8_t &value : raw.order) value = static_cast<uint8_t>(value - first);
    read.order = std::move(raw.order);
    return;
  }
  counts.combinations.assign(cells(faces, dice), 0);
  int values[kMaxDice];
  for (size_t key = 0; key < raw.combination.size(); ++key) {
    if (raw.combination[key] == 0) continue;
    for (int d = dice - 1, rest = static_cast<int>(key); d >= 0; --d, rest /= raw.radix)
      values[d] = rest % raw.radix;
    counts.combinations[index_of(values, dice, faces, first)] += raw.combination[key];
  }
  // Each roll's values into its one combination index, in place: the index
  // is written no later than the values it comes from.
  for (int64_t r = 0; r < read.analysed; ++r) {
    for (int d = 0; d < dice; ++d) values[d] = raw.order[r * dice + d];
    raw.order[r] = static_cast<uint8_t>(index_of(values, dice, faces, first));
  }
  raw.order.resize(static_cast<size_t>(read.analysed));
  read.order = std::move(raw.order);
}

void settle_pairs(RawTallies &raw, RollsRead &read) {
  constexpr int kSides = 6;
  read.dice = 2;
  read.faces = kSides;
  read.labels = {"1", "2", "3", "4", "5", "6"};
  read.pair_labels = true;
  read.rolls = raw.rolls;
  DiceCounts &counts = read.counts;
  counts.dice = 2;
  counts.faces = kSides;
  counts.combinations.assign(kSides * kSides, 0);
  counts.per_die.assign(2, Counts(kSides));
  for (int first = 0; first < kSides; ++first)
    for (int second = 0; second < kSides; ++second) {
      int64_t count = raw.die[0][(first + 1) * 10 + second + 1];
      counts.combinations[first * kSides + second] = count;
      counts.per_die[0][first] += count;
      counts.per_die[1][second] += count;
    }
  counts.pair_tables = {counts.combinations};
  for (uint8_t &label : raw.order)
    label = static_cast<uint8_t>((label / 10 - 1) * kSides + label % 10 - 1);
  read.analysed = static_cast<int64_t>(raw.order.size());
  read.order = std::move(raw.order);
}
