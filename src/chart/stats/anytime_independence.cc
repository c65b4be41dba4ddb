#include "chart/stats/anytime_independence.h"

#include <cmath>

namespace {

// gap(m) = 1 - m log(1 + 1/m), gap(0) = 1: how far (1 + 1/m)^m falls short
// of e, in logarithms. L_n changes by a roll of a face seen c times before
// by (c + 1) / (n + 1) * exp(gap(n) - gap(c)), as (c + 1)^(c + 1) / c^c is
// (c + 1) e^(1 - gap(c)).
double gap(int64_t m) {
  if (m == 0) return 1;
  double v = static_cast<double>(m);
  return 1 - v * std::log1p(1 / v);
}

IndependenceProcess fresh(int faces) {
  IndependenceProcess p;
  p.faces = faces;
  size_t k = static_cast<size_t>(faces);
  p.pairs.assign(kAnytimeLags * k * k, 0);
  p.rows.assign(kAnytimeLags * k, 0);
  p.counts.assign(k, 0);
  p.count_gap.assign(k, 1);
  return p;
}

// The lags whose pairs reach roll `t` (from 0): those up to t.
int lags_with_pairs(int64_t t) {
  int k = 0;
  while (k < kAnytimeLags && (int64_t{1} << k) <= t) ++k;
  return k;
}

} // namespace

IndependenceProcess start_independence_process(int faces) {
  IndependenceProcess p = fresh(faces);
  p.ring.reset(new uint8_t[kAnytimeHistory]);
  p.history = p.ring.get();
  p.mask = kAnytimeHistory - 1;
  return p;
}

void add_independence_roll(IndependenceProcess &p, int face) {
  int64_t t = p.found.rolls; // rolls before this one
  size_t k_faces = static_cast<size_t>(p.faces);
  double half_faces = p.faces / 2.0;
  int active = lags_with_pairs(t);
  for (int k = 0; k < active; ++k) {
    int64_t lag = int64_t{1} << k;
    if (lag == t) p.q[k] = p.first; // its first h rolls took the first-h terms
    size_t before = p.history[static_cast<uint64_t>(t - lag) & p.mask];
    uint32_t &cell = p.pairs[(k * k_faces + before) * k_faces + static_cast<size_t>(face)];
    uint32_t &row = p.rows[k * k_faces + before];
    p.q[k] = scaled_by(p.q[k], (cell + 0.5) / (row + half_faces));
    ++cell;
    ++row;
  }
  int64_t seen = p.counts[face];
  p.first =
      scaled_by(p.first, (static_cast<double>(seen) + 0.5) / (static_cast<double>(t) + half_faces));
  double rolls_gap = gap(t + 1), count_gap = gap(seen + 1);
  p.fit = scaled_by(p.fit, static_cast<double>(seen + 1) / static_cast<double>(t + 1));
  p.fit = scaled_by(p.fit, std::exp(p.rolls_gap - p.count_gap[face]));
  p.rolls_gap = rolls_gap;
  p.count_gap[face] = count_gap;
  ++p.counts[face];
  if (p.ring) p.ring[static_cast<uint64_t>(t) & p.mask] = static_cast<uint8_t>(face);
  EValue each[kAnytimeLags];
  for (int k = 0; k < kAnytimeLags; ++k) each[k] = k < active ? p.q[k] : p.first;
  note_roll(p.found, divided(mean_of(each, kAnytimeLags), p.fit));
}

Anytime anytime_independence_of(const uint8_t *faces, int64_t n, int face_count) {
  IndependenceProcess p = fresh(face_count);
  p.history = faces;
  p.mask = ~uint64_t{0};
  for (int64_t t = 0; t < n; ++t) {
    add_independence_roll(p, faces[t]);
    trace_point(p.found);
  }
  end_trace(p.found);
  return p.found;
}
