// Independence as you roll: an e-process for "independent rolls of some
// unknown die", valid for any die, fair or not. For a lag h,
//   Q_n(h) = prod over rolls t of q_t(x_t),
// q_t(j) = (N_ij + 1/2) / (N_i + K/2), i the roll h before, N_ij counting
// the overlapping pairs (i, j) h apart among the rolls before t and N_i
// their sum over j; for the first h rolls (n_j + 1/2) / (t - 1 + K/2) from
// the faces seen so far. L_n = prod_j (n_j / n)^n_j is at least the
// likelihood of the true die, so R_n(h) = Q_n(h) / L_n is at most a test
// martingale; the e-value is the mean of R_n(h) over the lags 1, 2, 4, ...,
// 2^26, each weighed 1/27 whether or not it has pairs yet: weights fixed
// before any roll is seen.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "chart/stats/e_value.h"

constexpr int kAnytimeLags = 27;
// The rolls a process looks back over: the largest lag.
constexpr int64_t kAnytimeHistory = int64_t{1} << (kAnytimeLags - 1);

struct IndependenceProcess {
  int faces = 0;                    // K
  const uint8_t *history = nullptr; // the rolls so far, roll t (from 0) at history[t & mask]
  uint64_t mask = 0;
  std::unique_ptr<uint8_t[]> ring; // the history, when the process keeps its own
  std::vector<uint32_t> pairs;     // per lag, N_ij at i * K + j
  std::vector<uint32_t> rows;      // per lag, N_i
  std::vector<int64_t> counts;     // n_j
  std::vector<double> count_gap;   // gap(n_j) below
  double rolls_gap = 1;            // gap(n)
  EValue first;                    // product of the first-h terms so far
  EValue q[kAnytimeLags];          // Q_n(h) of each lag with pairs, h < n
  EValue fit;                      // L_n
  Anytime found;
};

// A process over `faces` faces that keeps the last kAnytimeHistory rolls
// itself, in memory taken from the system only as it is written.
IndependenceProcess start_independence_process(int faces);

// One more roll of `face`, 0 to K - 1.
void add_independence_roll(IndependenceProcess &process, int face);

// The process over a whole sequence of faces, looked back over in place,
// with its trace.
Anytime anytime_independence_of(const uint8_t *faces, int64_t n, int face_count);
