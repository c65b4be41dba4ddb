// The picture of rolls of any dice: the verdicts as a headline; for each
// die a bar per face, its share, its exact interval and the fair line 1/K,
// coloured by the face's standardised residual; for two dice the K x K
// grid of their combinations; where the order of the rolls was tested, the
// lag panel and the map of the strongest lag's pairs (a note where the map
// would have too many cells). Faces are <rect>s in <g id="faces">, each with
// data-die, data-face (its label), data-count and data-z.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "chart/stats/any_dice.h"
#include "chart/stats/independence.h"

struct DicePicture {
  const DiceCounts *counts = nullptr;       // what was read
  const DiceFindings *findings = nullptr;   // what test_dice found of it
  std::vector<const Independence *> orders; // the order of the rolls: one test of the
                                            // combinations, or one per die; empty for
                                            // tallies
  bool orders_per_die = false;              // orders holds one test per die
  std::vector<std::string> map_labels;      // labels of the outcomes in orders' tables:
                                            // the faces', or the combinations'
};

// The whole document, titled with `source`.
std::string render_dice_svg(const DicePicture &picture, std::string_view source);
