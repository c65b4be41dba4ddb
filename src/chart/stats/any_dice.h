// The tests of rolls of any dice: the fit of all the faces, or of every
// combination where there are few enough; each die's own fit and the
// independence of each pair of dice where a roll holds several; which faces
// are off; and the smallest bias the rolls can detect.
#pragma once

#include <string>
#include <vector>

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
  bool combined = false;                   // the combinations were counted, as where they
                                           // are few enough to test as one distribution
  Record fair;                             // of the combinations, or of the faces for one
                                           // die, where combined
  std::vector<Record> per_die;             // each die's own fit, for D > 1
  std::vector<DicePair> pairs;             // every pair of dice, for D > 1
  std::vector<std::vector<FaceCheck>> off; // per die, per face
  Power detectable;                        // one face (1 + d)/K found 4 runs in 5, d
                                           // NaN without rolls, simulated with few
};

// Everything above of counts whose faces are labelled `labels`.
DiceFindings test_dice(const DiceCounts &counts, const std::vector<std::string> &labels,
                       const MonteCarlo &mc);
