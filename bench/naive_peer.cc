// The naive peer: dicestat's roll log the obvious way, one fprintf per roll
// through the C library's own buffering, with the same generator, outcomes
// and labels, and the tallies kept in a plain array.
#include <cstdint>
#include <cstdio>

namespace {

constexpr uint32_t kMultiplier = 1103515245;
constexpr uint32_t kIncrement = 12345;
constexpr int kOutcomes = 36;

} // namespace

int main() {
  int rolls = 0, seed = 0;
  if (scanf("%d %d", &rolls, &seed) != 2) return 2;
  FILE *dice = fopen("dicefile.txt", "w");
  FILE *stat = fopen("statfile.txt", "w");
  if (!dice || !stat) return 1;
  uint32_t state = static_cast<uint32_t>(seed);
  long tallies[kOutcomes] = {};
  for (int i = 0; i < rolls; ++i) {
    state = state * kMultiplier + kIncrement;
    int outcome = static_cast<int>((state >> 16) & 0x7FFF) % kOutcomes;
    fprintf(dice, "%d ", 10 * (outcome / 6 + 1) + (outcome % 6 + 1));
    ++tallies[outcome];
  }
  for (int i = 0; i < kOutcomes; ++i)
    fprintf(stat, "%d %ld\n", 10 * (i / 6 + 1) + (i % 6 + 1), tallies[i]);
  return fclose(dice) == 0 && fclose(stat) == 0 ? 0 : 1;
}
