// The summary lines of any dice: their order and names, the faces the
// furthest out first, and each pair of dice tested on its own table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/words/dice_words.h"

namespace {

std::vector<std::string> labels_of(int faces) {
  std::vector<std::string> labels;
  for (int f = 1; f <= faces; ++f) labels.push_back(std::to_string(f));
  return labels;
}

TEST(DiceWords, LinesInOrderWithEachPairOnItsOwnTable) {
  // A d20 whose 20 came up 100 times in 1000 and whose 1 came up 20.
  DiceCounts d20 = make_dice_counts(1, 20, true);
  d20.per_die[0] = {20, 49, 49, 49, 49, 49, 49, 49, 49, 49,
                    49, 49, 49, 49, 49, 49, 49, 48, 48, 100};
  d20.combinations = d20.per_die[0];
  // Three d4 whose third die copies the first; the second runs through its
  // faces alike under each of the first's.
  DiceCounts d4 = make_dice_counts(3, 4, true);
  for (int r = 0; r < 1600; ++r) {
    uint8_t faces[3] = {uint8_t(r % 4), uint8_t(r / 4 % 4), uint8_t(r % 4)};
    add_roll(d4, faces, 1);
  }
  struct Case {
    const DiceCounts &counts;
    std::string lines;
    std::vector<std::string> headline;
  };
  for (const Case &c :
       {Case{d20,
             "faces: 20 high, 1 low\ndetectable: one face 62.5% more often than 1/20 (80% power at "
             "the "
             "0.05 level)\n",
             {"Faces off: 20 high, 1 low."}},
        Case{d4,
             "die 1: chi2=0.0000 p=1\ndie 2: chi2=0.0000 p=1\ndie 3: chi2=0.0000 p=1\n"
             "between dice 1 and 2: chi2=0.0000 df=9 p=1\n"
             "between dice 1 and 3: chi2=4800.0000 df=9 p<1e-300\n"
             "between dice 2 and 3: chi2=0.0000 df=9 p=1\n"
             "faces of die 1: none outside\nfaces of die 2: none outside\n"
             "faces of die 3: none outside\n"
             "detectable: one face 14.3% more often than 1/4 (80% power at the 0.05 level)\n",
             {"Dice 1 and 3: related."}}}) {
    DiceFindings findings = test_dice(c.counts, labels_of(c.counts.faces), {});
    EXPECT_EQ(dice_summary(findings), c.lines);
    EXPECT_EQ(dice_headline(findings), c.headline);
  }
}

} // namespace
