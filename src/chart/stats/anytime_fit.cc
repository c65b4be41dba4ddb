#include "chart/stats/anytime_fit.h"

#include <cmath>

#include <boost/math/constants/constants.hpp>
#include <boost/math/special_functions/gamma.hpp>

#include "chart/stats/no_throw.h"

namespace {

// log(2 pi) / 2, the constant of Stirling's series.
const double kHalfLogTwoPi = boost::math::constants::log_root_two_pi<double>();
// From here on the remainder's series is exact to a double's precision.
constexpr double kSeriesFrom = 10;

double log_gamma(double x) {
  return boost::math::lgamma(x, NoThrow());
}

// log Gamma(x) less the main part of Stirling's series,
// (x - 1/2) log x - x + log(2 pi) / 2: small, 1 / (12 x) and less.
double stirling_rest(double x) {
  if (x < kSeriesFrom) return log_gamma(x) - ((x - 0.5) * std::log(x) - x + kHalfLogTwoPi);
  double r = 1 / x, r2 = r * r;
  return r *
         (1.0 / 12 -
          r2 * (1.0 / 360 -
                r2 * (1.0 / 1260 -
                      r2 * (1.0 / 1680 - r2 * (1.0 / 1188 - r2 * (691.0 / 360360 - r2 / 156))))));
}

// log of the Bayes factor of shape a. With x_j = a + n_j and X = K a + n,
// the main parts sum to sum_j (x_j - 1/2) log(x_j / X) - (K - 1)/2 log X,
// as the x_j add up to X; log(x_j / X) is log p_j + log(1 + d_j).
double log_factor(const std::vector<int64_t> &counts, const std::vector<double> &null, double a) {
  double faces = static_cast<double>(counts.size());
  double total = faces * a;
  for (int64_t c : counts) total += static_cast<double>(c);
  double sum = 0;
  for (size_t j = 0; j < counts.size(); ++j) {
    double x = a + static_cast<double>(counts[j]);
    double expected = total * null[j];
    sum += (x - 0.5) * std::log1p((x - expected) / expected) + (a - 0.5) * std::log(null[j]) +
           stirling_rest(x);
  }
  double half_df = (faces - 1) / 2;
  return sum - faces * log_gamma(a) + log_gamma(faces * a) - stirling_rest(total) -
         half_df * std::log(total) + 2 * half_df * kHalfLogTwoPi;
}

} // namespace

FitProcess start_fit_process(const std::vector<double> &null) {
  FitProcess process;
  for (double p : null) process.inverse_null.push_back(1 / p);
  process.counts.assign(null.size(), 0);
  return process;
}

void add_fit_roll(FitProcess &process, int face) {
  double faces = static_cast<double>(process.counts.size());
  double before = static_cast<double>(process.counts[face]);
  double rolls = static_cast<double>(process.found.rolls);
  for (int s = 0; s < kMixtureShapes; ++s) {
    double a = kMixtureShape[s];
    process.terms[s] = scaled_by(process.terms[s],
                                 (a + before) * process.inverse_null[face] / (faces * a + rolls));
  }
  ++process.counts[face];
  note_roll(process.found, mean_of(process.terms, kMixtureShapes));
}

Anytime anytime_fit_of_counts(const std::vector<int64_t> &counts, const std::vector<double> &null) {
  EValue terms[kMixtureShapes];
  for (int s = 0; s < kMixtureShapes; ++s)
    terms[s] = from_log(log_factor(counts, null, kMixtureShape[s]));
  Anytime found;
  for (int64_t c : counts) found.rolls += c;
  found.e = found.most = mean_of(terms, kMixtureShapes);
  return found;
}

Anytime anytime_fit_of_rolls(const uint8_t *faces, int64_t n, const std::vector<double> &null) {
  FitProcess process = start_fit_process(null);
  for (int64_t t = 0; t < n; ++t) {
    add_fit_roll(process, faces[t]);
    trace_point(process.found);
  }
  end_trace(process.found);
  return process.found;
}
