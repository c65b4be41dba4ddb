// The tests of rolls of any dice: the fit of all the faces, or of every
// combination where there are few enough; each die's own fit and the
// independence of each pair of dice where a roll holds several; which faces
// are off; and the smallest bias the rolls can detect.
#pragma once

#include <string>
#include <vector>

#include "chart/read/dice_read.h"
#include "chart/stats/dice_counts.h"
#include "chart/stats/face_interval.h"
#include "chart/stats/monte_carlo.h"
#include "chart/stats/power.h"
#include "chart/stats/record.h"

struct DicePair {
  int first = 0, second = 0; // the dice, 0-based, first < second
  Record test;               // between_dice_test of their table
  std::vector<double> z;     // each cell's standardised residual against fair dice,
                             // 1/K^2 each, in the table's order
};

struct DiceFindings {
  int dice = 1, faces = 0;                 // D and K
  std::vector<std::string> labels;         // the K faces' labels, as read
  bool combined = false;                   // the combinations were counted: K^D is at most
                                           // kMaxCombinations (read/dice_read.h)
  Record fair;                             // of the combinations, or of the faces for one
                                           // die, where combined
  std::vector<Record> per_die;             // each die's own fit, for D > 1
  std::vector<DicePair> pairs;             // every pair of dice, for D > 1
  std::vector<std::vector<FaceCheck>> off; // per die, per face
  Power detectable;                        // one face (1 + d)/K found 4 runs in 5, d
                                           // NaN without rolls, simulated with few
};

// The counts of what was read, with each pair of dice's table: from the
// order of the rolls, or for tallies from the combinations (a pair's table
// stays empty where neither is at hand).
DiceCounts dice_counts_of(const RollsRead &read);

// Everything above of counts whose faces are labelled `labels`.
DiceFindings test_dice(const DiceCounts &counts, const std::vector<std::string> &labels,
                       const MonteCarlo &mc);
