// Fit as you roll: an e-process against the null's probabilities of K
// faces. E_n is the mean, over the shapes a of kMixtureShape, of the Bayes
// factor of a Dirichlet(a, ..., a) mixture against the null,
//   Gamma(K a) / Gamma(K a + n) * prod_j Gamma(a + n_j) / Gamma(a) / prod_j p_j^n_j,
// n_j the count of face j among the first n rolls. Each factor is a test
// martingale under the null, and so is their mean, whatever the shapes, as
// long as they are fixed before any roll is seen.
#pragma once

#include <cstdint>
#include <vector>

#include "chart/stats/e_value.h"

constexpr int kMixtureShapes = 4;
constexpr double kMixtureShape[kMixtureShapes] = {0.5, 2, 8, 32};

struct FitProcess {
  std::vector<double> inverse_null; // 1 / the null's probability of each face
  std::vector<int64_t> counts;      // of each face among the rolls so far
  EValue terms[kMixtureShapes];     // each shape's Bayes factor
  Anytime found;
};

// The process before any roll, against `null`, the probability of each
// face (fair: 1/K each), every one above 0.
FitProcess start_fit_process(const std::vector<double> &null);

// One more roll of `face`, 0 to K - 1. Each shape's factor is multiplied by
// (a + n_face) / ((K a + n) p_face), one rounding each way.
void add_fit_roll(FitProcess &process, int face);

// The e-value of counts alone, valid at their number of rolls: E_n from
// log-gamma, `most` being E_n too. Worked so that nothing large cancels:
// Stirling's series splits each log-gamma into a main part, whose sum over
// the faces is a sum of n_j log(1 + d_j) with d_j the face's relative
// excess over the null, and a small remainder.
Anytime anytime_fit_of_counts(const std::vector<int64_t> &counts, const std::vector<double> &null);

// The process over a whole sequence of faces, with its trace.
Anytime anytime_fit_of_rolls(const uint8_t *faces, int64_t n, const std::vector<double> &null);
