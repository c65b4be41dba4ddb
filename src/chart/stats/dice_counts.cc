#include "chart/stats/dice_counts.h"

#include <cstddef>

DiceCounts make_dice_counts(int dice, int faces, bool combined) {
  DiceCounts counts;
  counts.dice = dice;
  counts.faces = faces;
  auto k = static_cast<size_t>(faces);
  counts.per_die.assign(static_cast<size_t>(dice), Counts(k, 0));
  size_t combinations = 1;
  for (int d = 0; combined && d < dice; ++d) combinations *= k;
  if (combined) counts.combinations.assign(combinations, 0);
  counts.pair_tables.assign(static_cast<size_t>(dice * (dice - 1) / 2), Counts(k * k, 0));
  return counts;
}

int pair_index(int dice, int first, int second) {
  // Pairs of dice before `first` as the first die: (D - 1) + (D - 2) + ...
  return first * (2 * dice - first - 1) / 2 + (second - first - 1);
}

void add_roll(DiceCounts &counts, const uint8_t *faces, int64_t times) {
  size_t combination = 0, k = static_cast<size_t>(counts.faces);
  for (int d = 0; d < counts.dice; ++d) {
    counts.per_die[d][faces[d]] += times;
    combination = combination * k + faces[d];
  }
  if (!counts.combinations.empty()) counts.combinations[combination] += times;
  size_t pair = 0;
  for (int a = 0; a < counts.dice; ++a)
    for (int b = a + 1; b < counts.dice; ++b)
      counts.pair_tables[pair++][faces[a] * k + faces[b]] += times;
}
