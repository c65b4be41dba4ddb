// Which faces of a die are off: each face's share of the rolls with its
// exact (Clopper-Pearson) interval, and whether 1/K lies outside it. The
// intervals are taken at level 1 - kFacesLevel / (D K), so that a fair set
// of D dice of K faces has a face flagged in at most kFacesLevel of lists,
// whatever the number of rolls (Bonferroni).
#pragma once

#include <cstdint>
#include <vector>

#include "chart/stats/counts.h"

// The chance that a fair set of dice has any face flagged.
constexpr double kFacesLevel = 0.05;

struct Interval {
  double low = 0;  // of the share, 0 to 1; NaN without rolls
  double high = 0; // likewise
};

// Where 1/K lies from a face's interval.
enum class Off {
  kInside, // inside the interval, or no rolls
  kHigh,   // below it: the face came up more often than a fair die's would
  kLow,    // above it: less often
};

struct FaceCheck {
  Interval interval; // of the face's share
  double z = 0;      // standardised residual against 1/K; NaN without rolls
  Off off = Off::kInside;
};

// The exact two-sided interval of the share of `count` in `rolls` at
// confidence 1 - alpha, from the beta distribution's quantiles: low is 0
// when count is 0, high is 1 when count is rolls.
Interval clopper_pearson(int64_t count, int64_t rolls, double alpha);

// Each face of one die of counts.size() faces, one of `dice` dice tested
// together.
std::vector<FaceCheck> check_faces(const Counts &counts, int dice);
