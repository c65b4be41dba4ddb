#include "chart/stats/face_interval.h"

#include <cmath>
#include <limits>

#include <boost/math/special_functions/beta.hpp>

#include "chart/stats/fit.h"
#include "chart/stats/no_throw.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

Interval clopper_pearson(int64_t count, int64_t rolls, double alpha) {
  if (rolls <= 0 || count < 0 || count > rolls) return {kNaN, kNaN};
  auto x = static_cast<double>(count), n = static_cast<double>(rolls);
  // The share's bounds are the beta quantiles Beta(x, n - x + 1) at alpha/2
  // and Beta(x + 1, n - x) at 1 - alpha/2; the first has no x = 0 and the
  // second no x = n, where the bound is the end of [0, 1] itself.
  Interval interval{0, 1};
  if (count > 0) interval.low = boost::math::ibeta_inv(x, n - x + 1, alpha / 2, NoThrow());
  if (count < rolls) interval.high = boost::math::ibetac_inv(x + 1, n - x, alpha / 2, NoThrow());
  return interval;
}

std::vector<FaceCheck> check_faces(const Counts &counts, int dice) {
  auto faces = static_cast<int>(counts.size());
  int64_t rolls = rolls_in(counts);
  double alpha = kFacesLevel / (static_cast<double>(dice) * faces);
  double fair = 1.0 / faces;
  std::vector<double> z = standardised_residuals(counts, equal_weights(counts.size()));
  std::vector<FaceCheck> checks(counts.size());
  for (size_t i = 0; i < counts.size(); ++i) {
    FaceCheck &check = checks[i];
    check.interval = clopper_pearson(counts[i], rolls, alpha);
    check.z = z[i];
    if (check.interval.low > fair) check.off = Off::kHigh;
    if (check.interval.high < fair) check.off = Off::kLow;
  }
  return checks;
}
