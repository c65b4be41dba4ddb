// Draws the picture of rolls of any dice from face numbers 1 to K on
// standard input, D to a roll, for the picture check:
//   dice_picture_driver D K < rolls > picture.svg
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "chart/picture/dice_svg.h"
#include "chart/stats/pair_counts.h"

int main(int argc, char **argv) {
  if (argc != 3) return 2;
  int dice = std::atoi(argv[1]), faces = std::atoi(argv[2]), combos = 1;
  for (int d = 0; d < dice; ++d) combos *= faces;
  bool combined = combos <= 100;
  DiceCounts counts = make_dice_counts(dice, faces, combined);
  PairCounts order = make_pair_counts(combined ? combos : faces);
  uint8_t roll[16];
  int64_t rolls = 0;
  for (int value, d = 0; std::cin >> value; d = 0) {
    roll[0] = static_cast<uint8_t>(value - 1);
    for (d = 1; d < dice && std::cin >> value; ++d) roll[d] = static_cast<uint8_t>(value - 1);
    add_roll(counts, roll, 1);
    int combination = 0;
    for (d = 0; d < dice; ++d) combination = combination * faces + roll[d];
    order.outcomes.push_back(static_cast<uint8_t>(combined ? combination : roll[0]));
    count_pairs(order, rolls, rolls + 1);
    ++rolls;
  }
  std::vector<std::string> labels, map_labels;
  for (int f = 1; f <= faces; ++f) labels.push_back(std::to_string(f));
  for (int c = 0; c < (combined ? combos : faces); ++c)
    map_labels.push_back(combined && dice == 2 ? labels[c / faces] + labels[c % faces]
                                               : std::to_string(c + 1));
  DiceFindings findings = test_dice(counts, labels, {});
  Independence independence = independence_of(order, rolls, {});
  DicePicture picture{&counts, &findings, {&independence}, !combined, map_labels};
  std::string svg = render_dice_svg(picture, "stdin");
  std::fwrite(svg.data(), 1, svg.size(), stdout);
}
