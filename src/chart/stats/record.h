// What a test returns: its statistic, degrees of freedom and p, how p was
// found, and what p says at the chart's two levels. The words and the
// picture print records and compute nothing from them.
#pragma once

#include <cstdint>

// How p was found.
enum class Method {
  kAsymptotic,  // the chi-square distribution's upper tail
  kMonteCarlo,  // the share of `draws` samples from the null at least as extreme
  kPermutation, // the share of `draws` random permutations of the rolls at least as extreme
};

// What p says at the levels of levels.h.
enum class Decision {
  kUntested,   // there was nothing to test: p is NaN
  kConsistent, // p at or above kFitsLevel: chance alone gives such a p often
  kDoubtful,   // p below kFitsLevel
  kRejected,   // p below kRejectLevel
};

struct Record {
  double statistic = 0; // Pearson's chi-square; NaN when there was nothing to test
  int df = 0;           // its degrees of freedom
  double p = 0;         // chance of a statistic at least this large; NaN likewise
  Method method = Method::kAsymptotic;
  int64_t draws = 0; // samples or permutations behind p; 0 with kAsymptotic
  Decision decision = Decision::kUntested;
};

// The one judgement of a p against the levels.
Decision decide(double p);
